// Any bytes as an axis file: the reader must neither crash nor misbehave, and what it
// accepted must be written and read back to the same file (saving is idempotent).
#include "axis/ZusiAxis.h"

#include "FuzzSupport.h"
#include "send/CommandSender.h"

using namespace kordan;
using namespace kordan::fuzz;

namespace {

struct NullSender : ICommandSender {
    void ZusiSend(int32_t, int32_t) override {}
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScriptedDialogs dialogs;
    const std::string path = writeInput("input.axr", data, size);
    ZusiAxis axis(dialogs, workDir());
    if (axis.load(path) != LoadResult::Loaded)
        return 0;

    // Drive the engine over the loaded zones: every bound and direction.
    NullSender se;
    for (int32_t v = 0; v <= 255; v += 15) {
        axis.NewValue(v, 255 - v, false, se);
        axis.NewValue(255 - v, v, true, se);
        axis.Timer(se);
    }

    dialogs.saveTo = (std::filesystem::path(workDir()) / "first.axr").string();
    require(axis.SaveAs().result == SaveResult::Saved);
    ZusiAxis again(dialogs, workDir());
    require(again.load(dialogs.saveTo) == LoadResult::Loaded);
    require(again.ZoneCount() == axis.ZoneCount());
    const std::string first = readBytes(dialogs.saveTo);
    dialogs.saveTo = (std::filesystem::path(workDir()) / "second.axr").string();
    require(again.SaveAs().result == SaveResult::Saved);
    require(readBytes(dialogs.saveTo) == first);
    return 0;
}
