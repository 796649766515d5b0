#include "sim/ZusiLok.h"

#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempDir.h"
#include "sim/AutomaticAxes.h"
#include "sim/LokTestFiles.h"
#include "sim/ZusiLokParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <memory>
#include <tuple>

namespace kordan {
namespace {

namespace fs = std::filesystem;
using namespace test;

constexpr const char* kTitle = "Automatische Konfiguration nicht möglich";

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
        lok->LokChange = [this] {
            changes.push_back(lok->LokPfad());
            fsFileAtChange = fs::exists(fs::path(programDir) / kAutoFahrschalterFile);
        };
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
        lok->Timer();
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
    bool fsFileAtChange = false;
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
        {"E10", "E10"},
        {"Loks\\E.10\\E10", "E"},        // the last "." counts, even inside a directory
        {"/elsewhere/evil.lok", "evil"}, // either separator; the name never leaves the folder
        {"Loks/../..\\x.lok", "x"}};
    for (const auto& [path, name] : cases) {
        drive(path);
        EXPECT_EQ(lok->LokPfad() + "|" + lok->Lok(), path + std::string("|") + name);
    }
}

TEST_F(LokTest, TheFirstTimerReportsTheLocomotiveAndLaterOnesOnlyNewerOthers) {
    copyDemoLok("Elektrisch/BR 101.lok");
    copyDemoLok("Elektrisch/E 10.lok");
    writeCurrentTrain(crlf({"Loks\\Elektrisch\\BR 101.lok", "Zug 4711"}));
    makeLok();
    EXPECT_FALSE(lok->LetzteZeit());
    lok->Timer();
    EXPECT_TRUE(fsFileAtChange); // the files come before the event
    // None of these is a change: the same time (though the file names another locomotive now),
    // a newer time with the same first line (that time is taken), an older time.
    writeCurrentTrainKeepingTime(crlf({"Loks\\Elektrisch\\E 10.lok"}));
    lok->Timer();
    writeCurrentTrain(crlf({"Loks\\Elektrisch\\BR 101.lok", "Zug 4712"}));
    lok->Timer();
    const auto seen = stamp;
    stamp -= std::chrono::minutes(5);
    writeCurrentTrainKeepingTime(crlf({"Loks\\Elektrisch\\E 10.lok"}));
    lok->Timer();
    EXPECT_EQ(lok->LetzteZeit(), seen);
    stamp = seen;
    drive("Loks\\Elektrisch\\E 10.lok");
    EXPECT_EQ(changes, (std::vector<std::string>{"Loks\\Elektrisch\\BR 101.lok",
                                                 "Loks\\Elektrisch\\E 10.lok"}));
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LokTest, AnEmptyOrUnreadableFileRaisesNothingAndIsReadAgainLater) {
    copyDemoLok("Elektrisch/E 10.lok");
    makeLok();
    lok->Timer(); // no current-train file
    // The simulator has emptied the file and not yet written the line: not taken as seen.
    writeCurrentTrain("");
    lok->Timer();
    EXPECT_FALSE(lok->LetzteZeit());
    // It finishes within the same tick of the file clock: the change is still seen.
    writeCurrentTrainKeepingTime(crlf({"Loks\\Elektrisch\\E 10.lok"}));
    lok->Timer();
    // A file that cannot be read (here: a directory in its place) is not taken as seen.
    fs::remove(currentTrainFile());
    fs::create_directory(currentTrainFile());
    stamp += std::chrono::seconds(1);
    fs::last_write_time(currentTrainFile(), stamp);
    lok->Timer();
    EXPECT_NE(lok->LetzteZeit(), stamp);
    fs::remove(currentTrainFile());
    // After a locomotive, an empty line is a change, but there is no file to read.
    drive("");
    EXPECT_EQ(changes, (std::vector<std::string>{"Loks\\Elektrisch\\E 10.lok", ""}));
    EXPECT_EQ(lok->Lok(), "");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LokTest, GeneratesTheFourFilesForEachMasterControllerCaseOrKeepsWhatItCannotMake) {
    LokValues unknown, extreme;
    unknown.fahrschalter = "Auf/Ab";
    unknown.raste = "2";
    unknown.fbv = "D5/D2 ";        // a trailing blank is another valve
    extreme.fahrstufen = "-40000"; // clamped to -32768, so the step is +32768
    extreme.antriebssystem = "Dampf";
    writeLok("Loks/Unbekannt.lok", test::lokFile(unknown));
    writeLok("Loks/Extrem.lok", test::lokFile(extreme));
    writeLok("Loks/Alt.lok", "2.2\r\n");
    struct Case {
        const char* lok;
        std::string fs;
        const char *ebFunktion, *ebStep, *afbStep, *fbvStep;
        std::string message;
    };
    const Case cases[] = {
        // "Auf/Ab" without notches: "up" held at the bottom; with notches: "down" on leaving it.
        {"Elektrisch/E 10.lok", aufAbFile(" 1 ", " 0 "), " 1001 ", " 8 ", " 0 ", " 3 ", ""},
        {"Elektrisch/E 40.lok", aufAbFile(" 0 ", " 15 "), " 1001 ", " 0 ", " 0 ", " 3 ", ""},
        {"Elektrisch/BR 101.lok", fsFile("-20 "), " 1001 ", " 10 ", "-23 ", " 7 ", ""},
        // The combined lever brakes with the master controller's notches.
        {"Diesel/V 200.lok", fsFile("-15 "), " 1000 ", "-6 ", " 0 ", " 3 ", ""},
        {"Diesel/BR 232.lok", fsFile("-16 "), " 1001 ", " 9 ", "-12 ", " 7 ", ""},
        // An unknown master controller keeps the old file and writes the others.
        {"Unbekannt.lok", fsFile("-16 "), " 1001 ", " 25 ", " 0 ", " 3 ",
         "Unbekannte Fahschalterart Auf/Ab"},
        // The unknown drive system leaves no brake steps.
        {"Extrem.lok", fsFile(" 32768 "), " 1001 ", " 0 ", " 0 ", " 3 ",
         "Unbekanntes Antriebssystem: Dampf"},
        // A failed parse writes nothing but still reports the change.
        {"Alt.lok", fsFile(" 32768 "), " 1001 ", " 0 ", " 0 ", " 3 ",
         "Lok-Datei kann nicht gelesen werden, da nicht im Zusi 2.3 Format vorliegend!"}};
    makeLok();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.lok);
        std::string path = std::string("Loks\\") + c.lok;
        std::replace(path.begin(), path.end(), '/', '\\');
        if (!fs::exists(zusi / "Loks" / c.lok))
            copyDemoLok(c.lok);
        dialogs.messages.clear();
        drive(path);
        ASSERT_EQ(changes.back(), path);
        EXPECT_EQ(axisFile(kAutoFahrschalterFile), c.fs);
        EXPECT_EQ(axisFile(kAutoEBremseFile), ebFile(c.ebFunktion, c.ebStep));
        EXPECT_EQ(axisFile(kAutoAfbFile), afbFile(c.afbStep));
        EXPECT_EQ(axisFile(kAutoBremsventilFile), fbvFile(c.fbvStep));
        EXPECT_EQ(dialogs.texts(), std::vector<std::string>(c.message.empty() ? 0 : 1, c.message));
        for (const auto& m : dialogs.messages) // all the generation's messages look alike
            EXPECT_EQ(std::tuple(m.title, m.icon, m.buttons),
                      std::tuple(kTitle, MsgIcon::Exclamation, MsgButtons::Ok));
    }
}

TEST_F(LokTest, AnUnwritableProgramDirectoryIsReportedAndTheWatcherGoesOn) {
    copyDemoLok("Elektrisch/BR 101.lok");
    copyDemoLok("Elektrisch/E 10.lok");
    programDir = tmp.file("fehlt"); // does not exist
    makeLok();
    drive("Loks\\Elektrisch\\BR 101.lok");
    ASSERT_EQ(dialogs.messages.size(), 1u); // one message for all four files
    const std::string& text = dialogs.messages[0].text;
    EXPECT_NE(text.find("automatisch_FS.axr konnte nicht gespeichert"), std::string::npos);
    EXPECT_NE(text.find("automatisch_FBV.axr konnte nicht gespeichert"), std::string::npos);
    drive("Loks\\Elektrisch\\E 10.lok");
    EXPECT_EQ(changes.size(), 2u);
    EXPECT_EQ(dialogs.messages.size(), 2u);
}

TEST_F(LokTest, TheEditorGetsAHostileFileNameAsOneArgument) {
    makeLok();
    lok->StartEditor(); // no locomotive yet
    EXPECT_TRUE(starter.started.empty());
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

constexpr const char* kEarly =
    "Lok-Datei C:\\Zusi\\lok.lok endet vorzeitig und kann nicht gelesen werden!";
constexpr const char* kFormatMessage =
    "Lok-Datei kann nicht gelesen werden, da nicht im Zusi 2.3 Format vorliegend!";

// The simulator's directory "C:\Zusi" is the temporary directory.
class LokParserTest : public ::testing::Test {
protected:
    LokParserTest() { registry.set("Software\\Zusi", "ZusiDir", "C:\\Zusi"); }
    ZusiLokParser parser() {
        return ZusiLokParser(registry, dialogs, [this](const std::string& windowsPath) {
            const std::string prefix = "C:\\Zusi\\";
            if (windowsPath.rfind(prefix, 0) != 0)
                return std::string();
            return tmp.file(windowsPath.substr(prefix.size()));
        });
    }
    bool parse(ZusiLokParser& p, const std::string& bytes) {
        tmp.write("lok.lok", bytes);
        return p.Parse("lok.lok");
    }
    TempDir tmp;
    FakeRegistry registry;
    FakeDialogs dialogs;
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
        {"Dampf", 0}, // unknown: reported, the other values still count
    };
    for (const auto& [system, brakeLine] : cases) {
        LokValues v;
        v.antriebssystem = system;
        auto p = parser();
        ASSERT_TRUE(parse(p, test::lokFile(v))) << system;
        EXPECT_EQ(p.EBremse(), brakeLine) << system;
        EXPECT_EQ(p.Fahrstufen(), 12) << system;
    }
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Unbekanntes Antriebssystem: Dampf"});
}

TEST_F(LokParserTest, ReadsTheValuesAtTheirCountedLinesLeniently) {
    LokValues v;
    v.fbv = "D5/D2 ";
    v.fahrschalter = " Zugkraft";
    auto p = parser();
    ASSERT_TRUE(parse(p, test::lokFile(v)));
    // Texts are whole lines, blanks included.
    EXPECT_EQ(p.ZusiDir() + "|" + p.FBV() + "|" + p.Fahrschalter(), "C:\\Zusi|D5/D2 | Zugkraft");
    struct Row {
        const char *raste, *leistung, *fahrstufen, *afb;
        std::tuple<int, int, int, int> read;
    };
    const Row rows[] = {
        // Blanks and tabs are skipped wherever they stand; halves go to the even neighbour.
        {" 1", "\t6 400 kW", "2\t0", "23.5", {1, 6400, 20, 24}},
        {"0.5", "0", " 13.5", "kein Wert", {0, 0, 14, 0}},
        // Out of range is clamped, beyond double too.
        {"1e400", "1e12", "-99999", "-1e400", {INT16_MAX, INT32_MAX, INT16_MIN, INT16_MIN}}};
    for (const Row& row : rows) {
        std::tie(v.raste, v.leistung, v.fahrstufen, v.afb) =
            std::tie(row.raste, row.leistung, row.fahrstufen, row.afb);
        ASSERT_TRUE(parse(p, test::lokFile(v)));
        const std::tuple<int, int, int, int> read{p.Raste(), p.Leistung(), p.Fahrstufen(), p.AFB()};
        EXPECT_EQ(read, row.read) << row.leistung;
    }
}

TEST_F(LokParserTest, OnlyAnOpenableFileWithTheExactVersionLineIsAccepted) {
    auto p = parser();
    for (const char* first :
         {"2.3 ", "2.30", " 2.3", "2.2", "", static_cast<const char*>(nullptr)}) {
        LokValues v;
        v.version = first ? first : "";
        dialogs.messages.clear();
        EXPECT_FALSE(parse(p, first ? test::lokFile(v) : std::string())) << (first ? first : "");
        EXPECT_EQ(dialogs.texts(), std::vector<std::string>{kFormatMessage})
            << (first ? first : "");
    }
    EXPECT_FALSE(p.Parse("Loks\\fehlt.lok"));
    EXPECT_EQ(dialogs.texts().back(),
              "Lok-Datei C:\\Zusi\\Loks\\fehlt.lok kann nicht geöffnet werden!");
    std::filesystem::create_directory(tmp.file("ordner"));
    EXPECT_FALSE(p.Parse("ordner"));
}

TEST_F(LokParserTest, AFileThatEndsEarlyGivesFalseAndKeepsTheEarlierValues) {
    LokValues good;
    good.fahrstufen = "7";
    good.antriebssystem = "ElektrischDrehstrom";
    auto p = parser();
    ASSERT_TRUE(parse(p, test::lokFile(good)));
    LokValues other = good;
    other.fahrstufen = "30";
    const auto lines = test::lokLines(other);
    // ElektrischDrehstrom takes its brake value from line 22 after D, the 49th of the file.
    const size_t needed = 49;
    ASSERT_EQ(lines[needed - 1], " 22 ");
    for (size_t n = 1; n <= lines.size(); ++n) {
        SCOPED_TRACE(n);
        dialogs.messages.clear();
        const bool ok = parse(p, test::lokFile(other, n));
        EXPECT_EQ(ok, n >= needed);
        EXPECT_EQ(p.Fahrstufen(), ok ? 30 : 7);
        EXPECT_EQ(dialogs.texts(), std::vector<std::string>(ok ? 0 : 1, kEarly));
    }
}

TEST_F(LokParserTest, TextsAreReadAsWindows1252AndTheDirectoryFallsBack) {
    FakeRegistry empty;
    std::string seen;
    ZusiLokParser p(empty, dialogs, [&](const std::string& windowsPath) {
        seen = windowsPath;
        return tmp.file("lok.lok");
    });
    LokValues v;
    v.fbv = "F\xFCllsto\xDF";
    tmp.write("lok.lok", test::lokFile(v));
    ASSERT_TRUE(p.Parse("Loks\\a.lok"));
    EXPECT_EQ(seen, "\\programme\\zusi\\Loks\\a.lok");
    EXPECT_EQ(p.FBV(), "Füllstoß");
}

} // namespace
} // namespace kordan
