// Any bytes as the simulator's current-train file: the watcher must neither crash nor
// misreport. A locomotive is reported exactly when the first line names one, the name is
// taken from that line, and the vehicle editor gets the path as one argument.
#include "common/TextFile.h"
#include "sim/ProcessStarter.h"
#include "sim/SimPaths.h"
#include "sim/ZusiLok.h"

#include "FuzzSupport.h"

using namespace kordan;
using namespace kordan::fuzz;

namespace {

struct CountingStarter : IProcessStarter {
    bool start(const std::string& program, const std::vector<std::string>& args) override {
        lastProgram = program;
        lastArgs = args;
        ++starts;
        return false;
    }
    std::string lastProgram;
    std::vector<std::string> lastArgs;
    int starts = 0;
};

// A locomotive file the seeds name, so the generation runs too.
constexpr const char* kTestLok =
    "2.3\r\nTestlok\r\n#\r\n1\r\n2\r\nD5/D2\r\n#IF\r\n1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n8\r\n"
    "9\r\n10\r\n11\r\n0\r\n#IF\r\n#IF\r\n#IF\r\n1\r\n2\r\nElektrischDrehstrom\r\n6400\r\n5\r\n"
    "Zugkraft\r\n20\r\n8\r\n16\r\n10\r\n11\r\n12\r\n13\r\n14\r\n#IF\r\n1\r\n2\r\n3\r\n4\r\n"
    "5\r\n6\r\n7\r\n10\r\n";

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    namespace fs = std::filesystem;
    const fs::path zusi = fs::path(workDir()) / "dosdevices" / "c:" / "Zusi";
    const fs::path program = fs::path(workDir()) / "Programm";
    static const bool prepared = [&] {
        fs::create_directories(zusi / "temp");
        fs::create_directories(zusi / "Loks");
        fs::create_directories(program);
        std::ofstream(zusi / "Loks" / "Test.lok", std::ios::binary) << kTestLok;
        return true;
    }();
    (void)prepared;
    writeInput("dosdevices/c:/Zusi/temp/aktuellerzug.txt", data, size);

    ScriptedDialogs dialogs;
    DirOnlyRegistry registry;
    CountingStarter starter;
    ZusiLok lok(registry, dialogs, starter, program.string(), winePathMapper(workDir()));
    const bool changed = lok.Timer();

    const std::string firstLine =
        size == 0 ? std::string()
                  : LineReader(std::string_view(reinterpret_cast<const char*>(data), size))
                        .next()
                        .value_or("");
    require(changed == !firstLine.empty());
    require(lok.LokPfad() == firstLine);
    require(lok.LokPfad().find(lok.Lok()) != std::string::npos);

    lok.StartEditor();
    require(starter.starts == (firstLine.empty() ? 0 : 1));
    if (starter.starts == 1)
        require(starter.lastArgs.size() == 1 && starter.lastArgs[0] == "C:\\Zusi\\" + firstLine);

    // A second look without a change of the file reads nothing.
    require(!lok.Timer());
    return 0;
}
