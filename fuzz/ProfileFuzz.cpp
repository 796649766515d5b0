// Any bytes as a profile file. Two axis files lie beside it so that axis lines naming
// them load real zones. Accepted profiles must save and reload to the same bytes.
#include "profile/ZusiProfile.h"

#include "FuzzSupport.h"
#include "send/CommandSender.h"

using namespace kordan;
using namespace kordan::fuzz;

namespace {

struct NullSender : ICommandSender {
    void ZusiSend(int32_t, int32_t) override {}
};

void writeAxisFiles() {
    static bool done = false;
    if (done)
        return;
    const std::string a = "1.0\r\n[Zones]\r\n 1 \r\nA\r\n 0 \r\n 99 \r\n 16 \r\n 1 \r\n 2 \r\n"
                          " 1000 \r\n-4 \r\n 22 \r\n";
    const std::string b = "1.0\r\n[Zones]\r\n 0 \r\n";
    writeInput("a.axr", reinterpret_cast<const uint8_t*>(a.data()), a.size());
    writeInput("b.axr", reinterpret_cast<const uint8_t*>(b.data()), b.size());
    done = true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    writeAxisFiles();
    ScriptedDialogs dialogs;
    const std::string path = writeInput("input.cfr", data, size);
    ZusiProfile profile(dialogs, workDir());
    if (profile.load(path) != LoadResult::Loaded)
        return 0;

    NullSender se;
    for (int k = 0; k <= ZusiProfile::MaxButtons + 1; ++k) {
        profile.doButton(se, k, 1);
        profile.Timer(se);
        profile.doButton(se, k, 0);
    }
    for (int i = 1; i <= ZusiProfile::MaxAxes; ++i)
        profile.Axis(i).NewValue(0, 255, false, se);

    dialogs.saveTo = (std::filesystem::path(workDir()) / "first.cfr").string();
    require(profile.SaveAs().result == SaveResult::Saved);
    ZusiProfile again(dialogs, workDir());
    require(again.load(dialogs.saveTo) == LoadResult::Loaded);
    const std::string first = readBytes(dialogs.saveTo);
    dialogs.saveTo = (std::filesystem::path(workDir()) / "second.cfr").string();
    require(again.SaveAs().result == SaveResult::Saved);
    require(readBytes(dialogs.saveTo) == first);
    return 0;
}
