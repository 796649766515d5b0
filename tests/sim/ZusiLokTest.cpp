#include "sim/ZusiLok.h"

#include "common/Paths.h"
#include "common/TextFile.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempDir.h"
#include "sim/AutomaticAxes.h"
#include "sim/ZusiLokParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <fstream>
#include <memory>
#include <tuple>

namespace kordan {
namespace {

namespace fs = std::filesystem;
using namespace test;

// The values a hand-made locomotive file carries at the counted lines.
struct LokValues {
    std::string version = "2.3";
    std::string fbv = "D2";
    std::string raste = "0";
    std::string antriebssystem = "ElektrischReihenschluss";
    std::string leistung = "3700";
    std::string fahrschalter = "Standard";
    std::string fahrstufen = "12";
    std::string afb = "0";
};

// The lines of a hand-made locomotive file. Lines B and C stand next to each other, as
// around an empty section. Behind the fourth "#IF" (line D) the
// lines 14, 15 and 17 are "#IF" and every line from 18 on holds its own number counted
// from D, so the brake value tells which "#IF" and which line a drive system used:
// 1 line read first ends on line 14, 2 on line 15, 3 go on to line 17.
std::vector<std::string> lokLines(const LokValues& v) {
    std::vector<std::string> l = {v.version, "Testlok", "Beschreibung", "#", "1", "2",
                                  v.fbv,     "4",       "#IF"};
    for (int i = 1; i <= 11; ++i)
        l.push_back(std::to_string(i));
    l.push_back(v.raste);
    l.insert(l.end(), {"Raste+1", "b", "#IF", "#IF", "c", "#IF"});
    l.insert(l.end(), {"d1", "d2", v.antriebssystem, v.leistung, "d5", v.fahrschalter, v.fahrstufen,
                       "d8", v.afb, "10", "11", "12", "13", "#IF", "#IF", "16", "#IF"});
    for (int i = 18; i <= 40; ++i)
        l.push_back(" " + std::to_string(i) + " ");
    return l;
}

// The file of those lines.
std::string lokFile(const LokValues& v) {
    const auto lines = lokLines(v);
    return crlf({lines.begin(), lines.end()});
}

// The simulator as Wine keeps it: "C:\Programme\Zusi" below a Wine prefix in the temporary
// directory, spelt on disk in another case than the Windows paths that name its files.
class LokTest : public ::testing::Test {
protected:
    LokTest() {
        registry.set("Software\\Zusi", "ZusiDir", "C:\\Programme\\Zusi");
        zusi = fs::path(tmp.path()) / "dosdevices" / "c:" / "programme" / "ZUSI";
        fs::create_directories(zusi / "Temp");
        programDir = tmp.file("Programm");
        fs::create_directories(programDir);
    }
    void makeLok() {
        lok = std::make_unique<ZusiLok>(registry, dialogs, starter, programDir,
                                        winePathMapper(tmp.path()));
    }
    // The watcher looks; a change is recorded with the locomotive it names.
    void look() {
        if (lok->Timer())
            changes.push_back(lok->LokPfad());
    }
    fs::path currentTrainFile() const { return zusi / "Temp" / "AKTUELLERZUG.TXT"; }
    // Writes the current-train file with a time one second later than the last one.
    void writeCurrentTrain(const std::string& bytes) {
        writeCurrentTrainKeepingTime(bytes);
        stamp += std::chrono::seconds(1);
        fs::last_write_time(currentTrainFile(), stamp);
    }
    void writeCurrentTrainKeepingTime(const std::string& bytes) {
        std::ofstream(currentTrainFile(), std::ios::binary | std::ios::trunc) << bytes;
        fs::last_write_time(currentTrainFile(), stamp);
    }
    // The simulator names another locomotive; the watcher looks.
    void drive(const std::string& windowsPath) {
        writeCurrentTrain(crlf({windowsPath}));
        look();
    }
    void writeLok(const fs::path& relative, const std::string& bytes) {
        fs::create_directories((zusi / relative).parent_path());
        std::ofstream(zusi / relative, std::ios::binary) << bytes;
    }
    void copyDemoLok(const std::string& relative) {
        const fs::path from = fs::path(KORDAN_SOURCE_DIR) / "tests" / "data" / "loks" / relative;
        fs::create_directories((zusi / "Loks" / relative).parent_path());
        fs::copy_file(from, zusi / "Loks" / relative, fs::copy_options::overwrite_existing);
    }
    std::string axisFile(const char* name) const {
        std::ifstream in(fs::path(programDir) / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    TempDir tmp;
    FakeRegistry registry;
    FakeDialogs dialogs;
    RecordingStarter starter;
    fs::path zusi;
    std::string programDir;
    fs::file_time_type stamp = fs::file_time_type::clock::now() - std::chrono::hours(1);
    std::vector<std::string> changes;
    std::unique_ptr<ZusiLok> lok;
};

// The generated files, for the given steps: most are one regulator zone over the whole travel.
std::string zoneFile(const char* name, const char* regelFunktion, const char* regelStep) {
    return crlf({"1.0", "[Zones]", " 1 ", name, " 0 ", " 255 ", " 0 ", " 0 ", " 0 ", regelFunktion,
                 regelStep, " 0 "});
}
std::string ebFile(const char* fn, const char* step) {
    return zoneFile("E-Bremse automatisch erstellt", fn, step);
}
std::string afbFile(const char* step) {
    return zoneFile("AFB automatisch erstellt", " 1003 ", step);
}
std::string fbvFile(const char* regelStep) {
    return crlf({"1.0", "[Zones]", " 2 ", "F\xFCllen, automatisch erstellt", " 0 ", " 10 ", " 25 ",
                 " 1 ", " 0 ", " 0 ", " 0 ", " 0 "}) +
           crlf({"Bremsen, automatisch erstellt", " 40 ", " 255 ", " 0 ", " 0 ", " 0 ", " 1002 ",
                 regelStep, " 0 "});
}
std::string fsFile(const char* step) {
    return zoneFile("Fahrschalter, automatisch erzeugt", " 1000 ", step);
}
std::string aufAbFile(const char* aufHold, const char* aufRelease) {
    return crlf({"1.0", "[Zones]", " 3 ", "Aufschalten", " 0 ", " 40 ", " 14 ", aufHold}) +
           crlf(
               {" 0 ", " 0 ", " 0 ", aufRelease, "Fahren/auf/ab", " 100 ", " 200 ", " 0 ", " 0 "}) +
           crlf({" 0 ", " 1000 ", "-1 ", " 0 ", "Aus (null)", " 250 ", " 255 ", " 16 ", " 0 "}) +
           crlf({" 0 ", " 0 ", " 0 ", " 14 "});
}

TEST_F(LokTest, LokIsTheFileNameWithoutExtensionAndDirectories) {
    makeLok();
    const std::pair<const char*, const char*> cases[] = {
        {"Loks\\Elektrisch\\BR 101.lok", "BR 101"},
        {"/elsewhere/evil.lok", "evil"}, // either separator; the name never leaves the folder
        {"Loks/../..\\x.lok", "x"}};
    for (const auto& [path, name] : cases) {
        drive(path);
        EXPECT_EQ(lok->Lok(), name) << path;
    }
}

TEST_F(LokTest, TheFirstTimerReportsTheLocomotiveAndLaterOnesOnlyNewerOthers) {
    writeCurrentTrain(crlf({"Loks\\Elektrisch\\BR 101.lok", "Zug 4711"}));
    makeLok();
    look();
    // None of these is a change: the same time (though the file names another locomotive now),
    // a newer time with the same first line (that time is taken), an older time.
    writeCurrentTrainKeepingTime(crlf({"Loks\\Elektrisch\\E 10.lok"}));
    look();
    writeCurrentTrain(crlf({"Loks\\Elektrisch\\BR 101.lok", "Zug 4712"}));
    look();
    const auto seen = stamp;
    stamp -= std::chrono::minutes(5);
    writeCurrentTrainKeepingTime(crlf({"Loks\\Elektrisch\\E 10.lok"}));
    look();
    EXPECT_EQ(lok->LetzteZeit(), seen);
    stamp = seen;
    drive("Loks\\Elektrisch\\E 10.lok");
    EXPECT_EQ(changes, (std::vector<std::string>{"Loks\\Elektrisch\\BR 101.lok",
                                                 "Loks\\Elektrisch\\E 10.lok"}));
}

TEST_F(LokTest, AnEmptyOrMissingFileRaisesNothingAndIsReadAgainLater) {
    makeLok();
    look(); // no current-train file
    // The simulator has emptied the file and not yet written the line: not taken as seen.
    writeCurrentTrain("");
    look();
    // It finishes within the same tick of the file clock: the change is still seen.
    writeCurrentTrainKeepingTime(crlf({"Loks\\Elektrisch\\E 10.lok"}));
    look();
    // After a locomotive, an empty line is a change, but there is no file to read.
    drive("");
    EXPECT_EQ(changes, (std::vector<std::string>{"Loks\\Elektrisch\\E 10.lok", ""}));
    EXPECT_EQ(dialogs.loks.size(), 1u); // only E 10.lok was looked for
}

TEST_F(LokTest, GeneratesTheFourFilesForEachMasterControllerCaseOrKeepsWhatItCannotMake) {
    LokValues aufAb, notched, kombi, unknown, extreme;
    aufAb.fahrschalter = "Auf/Ab";
    notched.fahrschalter = "Auf/Ab";
    notched.raste = "1";
    kombi.fahrschalter = "Kombihebel";
    unknown.fahrschalter = "Auf/Ab";
    unknown.raste = "2";
    unknown.fbv = "D5/D2 ";        // a trailing blank is another valve
    extreme.fahrstufen = "-40000"; // clamped to -32768, so the step is +32768
    extreme.antriebssystem = "Dampf";
    writeLok("Loks/AufAb.lok", lokFile(aufAb));
    writeLok("Loks/Raste.lok", lokFile(notched));
    writeLok("Loks/Kombihebel.lok", lokFile(kombi));
    writeLok("Loks/Unbekannt.lok", lokFile(unknown));
    writeLok("Loks/Extrem.lok", lokFile(extreme));
    writeLok("Loks/Alt.lok", "2.2\r\n");
    copyDemoLok("Elektrisch/BR 101.lok");
    using Name = std::optional<std::string>;
    struct Case {
        const char* lok;
        std::string fs;
        const char *ebFunktion, *ebStep, *afbStep, *fbvStep;
        Name unknownFahrschalter, unknownDrive;
    };
    const Case cases[] = {
        // "Auf/Ab" without notches: "up" held at the bottom; with notches: "down" on leaving it.
        {"AufAb.lok", aufAbFile(" 1 ", " 0 "), " 1001 ", " 25 ", " 0 ", " 3 ", {}, {}},
        {"Raste.lok", aufAbFile(" 0 ", " 15 "), " 1001 ", " 25 ", " 0 ", " 3 ", {}, {}},
        {"Elektrisch/BR 101.lok", fsFile("-20 "), " 1001 ", " 10 ", "-23 ", " 7 ", {}, {}},
        // The combined lever brakes with the master controller's notches.
        {"Kombihebel.lok", fsFile("-12 "), " 1000 ", "-25 ", " 0 ", " 3 ", {}, {}},
        // An unknown master controller keeps the old file and writes the others.
        {"Unbekannt.lok", fsFile("-12 "), " 1001 ", " 25 ", " 0 ", " 3 ", "Auf/Ab", {}},
        // The unknown drive system leaves no brake steps.
        {"Extrem.lok", fsFile(" 32768 "), " 1001 ", " 0 ", " 0 ", " 3 ", {}, "Dampf"},
        // A failed parse writes nothing but still reports the change.
        {"Alt.lok", fsFile(" 32768 "), " 1001 ", " 0 ", " 0 ", " 3 ", {}, {}}};
    makeLok();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lok);
        std::string path = std::string("Loks\\") + c.lok;
        std::replace(path.begin(), path.end(), '/', '\\');
        dialogs.loks.clear();
        drive(path);
        ASSERT_EQ(changes.back(), path);
        EXPECT_EQ(axisFile(kAutoFahrschalterFile), c.fs);
        EXPECT_EQ(axisFile(kAutoEBremseFile), ebFile(c.ebFunktion, c.ebStep));
        EXPECT_EQ(axisFile(kAutoAfbFile), afbFile(c.afbStep));
        EXPECT_EQ(axisFile(kAutoBremsventilFile), fbvFile(c.fbvStep));
        ASSERT_EQ(dialogs.loks.size(), 1u);
        EXPECT_EQ(dialogs.loks[0].unknownFahrschalter, c.unknownFahrschalter);
        EXPECT_EQ(dialogs.loks[0].unknownDrive, c.unknownDrive);
    }
    // Written over each time, the four files and no copies of what they held before.
    EXPECT_EQ(std::distance(fs::directory_iterator(programDir), fs::directory_iterator()), 4);
}

TEST_F(LokTest, AnUnwritableProgramDirectoryIsReported) {
    copyDemoLok("Elektrisch/BR 101.lok");
    programDir = tmp.file("fehlt"); // does not exist
    makeLok();
    drive("Loks\\Elektrisch\\BR 101.lok");
    ASSERT_EQ(dialogs.loks.size(), 1u);
    const auto& unwritten = dialogs.loks[0].unwritten;
    ASSERT_EQ(unwritten.size(), 4u);
    EXPECT_EQ(unwritten[0].path, joinPath(programDir, kAutoFahrschalterFile));
    EXPECT_EQ(unwritten[3].path, joinPath(programDir, kAutoBremsventilFile));
}

TEST_F(LokTest, TheEditorGetsAHostileFileNameAsOneArgument) {
    makeLok();
    const std::string hostile = "Loks\\a b\\\"x\" & del *; rm -rf ~ $(id) `id`.lok";
    drive(hostile);
    starter.result = false; // the editor is missing: a message names it
    dialogs.messages.clear();
    lok->StartEditor();
    const std::string editor = "C:\\Programme\\Zusi\\ZusiFahrzeugEditor";
    EXPECT_EQ(dialogs.texts().at(0),
              "Der Zusi Fahrzeug Editor konnte nicht gestartet werden:\n" + editor);
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].program, editor);
    EXPECT_EQ(starter.started[0].args, std::vector<std::string>{"C:\\Programme\\Zusi\\" + hostile});
    // Watched for ten seconds: a failure then is reported once, a clean end or a later one not.
    starter.result = true;
    for (auto [ticksBefore, code, reported] :
         {std::tuple{0, 0, false}, {100, 1, false}, {99, 53, true}}) {
        dialogs.messages.clear();
        lok->StartEditor();
        for (int t = 0; t < ticksBefore; ++t)
            lok->EditorTick();
        starter.ended = code;
        lok->EditorTick();
        lok->EditorTick();
        ASSERT_EQ(dialogs.messages.size(), reported ? 1u : 0u) << code;
        starter.ended.reset();
    }
    EXPECT_NE(dialogs.messages[0].text.find("(Code 53):\n" + editor), std::string::npos);
}

using R = LokReport::Result;

// The simulator's directory "C:\Zusi" is the temporary directory.
class LokParserTest : public ::testing::Test {
protected:
    LokParserTest() { registry.set("Software\\Zusi", "ZusiDir", "C:\\Zusi"); }
    ZusiLokParser parser() {
        return ZusiLokParser(registry, [this](const std::string& windowsPath) {
            const std::string prefix = "C:\\Zusi\\";
            if (windowsPath.rfind(prefix, 0) != 0)
                return std::string();
            return tmp.file(windowsPath.substr(prefix.size()));
        });
    }
    LokReport parse(ZusiLokParser& p, const std::string& bytes) {
        tmp.write("lok.lok", bytes);
        return p.Parse("lok.lok");
    }
    TempDir tmp;
    FakeRegistry registry;
};

TEST_F(LokParserTest, EachDriveSystemTakesTheBrakeValueFromItsOwnLine) {
    // Lines counted from D; see lokLines for where the "#IF" lines stand.
    const std::pair<const char*, int16_t> cases[] = {
        {"Dieselhydraulisch", 24},
        {"Dieselmechanisch", 24},
        {"DieselelektrischKonventionell", 27},
        {"DieselelektrischDrehstrom", 25},
        {"ElektrischReihenschluss", 25},
        {"Akkumulator", 25},
        {"ElektrischDrehstrom", 22},
    };
    for (const auto& [system, brakeLine] : cases) {
        LokValues v;
        v.antriebssystem = system;
        auto p = parser();
        const LokReport report = parse(p, lokFile(v));
        ASSERT_TRUE(report.read()) << system;
        EXPECT_EQ(p.EBremse(), brakeLine) << system;
    }
}

TEST_F(LokParserTest, OnlyAnOpenableFileWithTheExactVersionLineIsAccepted) {
    auto p = parser();
    for (const char* first :
         {"2.3 ", "2.30", " 2.3", "2.2", "", static_cast<const char*>(nullptr)}) {
        LokValues v;
        v.version = first ? first : "";
        EXPECT_EQ(parse(p, first ? lokFile(v) : std::string()).result, R::WrongFormat)
            << (first ? first : "");
    }
    const LokReport missing = p.Parse("Loks\\fehlt.lok");
    EXPECT_EQ(missing.result, R::NotOpened);
    EXPECT_EQ(missing.path, "C:\\Zusi\\Loks\\fehlt.lok");
}

} // namespace
} // namespace kordan
