// Any bytes as a locomotive file: the parser must neither crash nor read past the file, and
// when it accepts the file the generated axis files must load as axis files with the zone
// counts of their tables.
#include "axis/ZusiAxis.h"
#include "sim/AutomaticAxes.h"
#include "sim/ZusiLokParser.h"

#include "FuzzSupport.h"

using namespace kordan;
using namespace kordan::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ScriptedDialogs dialogs;
    DirOnlyRegistry registry;
    const std::string lokPath = writeInput("input.lok", data, size);
    ZusiLokParser parser(registry, [&](const std::string& windowsPath) {
        return windowsPath == "C:\\Zusi\\Loks\\input.lok" ? lokPath : std::string();
    });
    LokReport report = parser.Parse("Loks\\input.lok");
    if (!report.read())
        return 0;

    const std::filesystem::path out = std::filesystem::path(workDir()) / "axes";
    std::filesystem::remove_all(out);
    std::filesystem::create_directories(out);
    generateAutomaticAxes(parser, out.string(), report);

    const bool knownKind = !report.unknownFahrschalter;
    require(knownKind == std::filesystem::exists(out / kAutoFahrschalterFile));
    const std::pair<const char*, int32_t> files[] = {
        {kAutoFahrschalterFile, parser.Fahrschalter() == "Auf/Ab" ? 3 : 1},
        {kAutoEBremseFile, 1},
        {kAutoAfbFile, 1},
        {kAutoBremsventilFile, 2},
    };
    for (const auto& [name, zones] : files) {
        if (name == std::string(kAutoFahrschalterFile) && !knownKind)
            continue;
        ZusiAxis axis(dialogs, out.string());
        require(axis.load(name) == LoadResult::Loaded);
        require(axis.ZoneCount() == zones);
        if (name == std::string(kAutoBremsventilFile))
            require(axis.Zone(1).RegelStep == (parser.FBV() == "D5/D2" ? 7 : 3));
    }
    return 0;
}
