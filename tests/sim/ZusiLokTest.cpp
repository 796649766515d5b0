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
#include <limits>
#include <memory>

namespace kordan {
namespace {

namespace fs = std::filesystem;
using test::crlf;
using test::FakeDialogs;
using test::FakeRegistry;
using test::LokValues;
using test::RecordingStarter;
using test::TempDir;

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

// The brake files of the tables, for the given steps.
std::string ebFile(const char* regelFunktion, const char* regelStep) {
    return crlf({"1.0", "[Zones]", " 1 ", "E-Bremse automatisch erstellt", " 0 ", " 255 ", " 0 ",
                 " 0 ", " 0 ", regelFunktion, regelStep, " 0 "});
}
std::string afbFile(const char* regelStep) {
    return crlf({"1.0", "[Zones]", " 1 ", "AFB automatisch erstellt", " 0 ", " 255 ", " 0 ", " 0 ",
                 " 0 ", " 1003 ", regelStep, " 0 "});
}
std::string fbvFile(const char* regelStep) {
    return crlf({"1.0", "[Zones]", " 2 ", "F\xFCllen, automatisch erstellt", " 0 ", " 10 ", " 25 ",
                 " 1 ", " 0 ", " 0 ", " 0 ", " 0 "}) +
           crlf({"Bremsen, automatisch erstellt", " 40 ", " 255 ", " 0 ", " 0 ", " 0 ", " 1002 ",
                 regelStep, " 0 "});
}
// The master controller as one regulator zone over the whole travel.
std::string fsFile(const char* regelStep) {
    return crlf({"1.0", "[Zones]", " 1 ", "Fahrschalter, automatisch erzeugt", " 0 ", " 255 ",
                 " 0 ", " 0 ", " 0 ", " 1000 ", regelStep, " 0 "});
}
std::string aufAbFile(const char* aufHold, const char* aufRelease) {
    return crlf({"1.0",           "[Zones]", " 3 ",   "Aufschalten", " 0 ",   " 40 ",
                 " 14 ",          aufHold,   " 0 ",   " 0 ",         " 0 ",   aufRelease,
                 "Fahren/auf/ab", " 100 ",   " 200 ", " 0 ",         " 0 ",   " 0 ",
                 " 1000 ",        "-1 ",     " 0 ",   "Aus (null)",  " 250 ", " 255 ",
                 " 16 ",          " 0 ",     " 0 ",   " 0 ",         " 0 ",   " 14 "});
}

TEST_F(LokTest, LokIsTheFileNameWithoutExtensionAndDirectories) {
    makeLok();
    const std::pair<const char*, const char*> cases[] = {
        {"Loks\\Elektrisch\\BR 101.lok", "BR 101"},
        {"E10", "E10"},
        {"Loks\\E.10\\E10", "E"}, // the last "." counts, even inside a directory
        {"Loks\\Diesel\\V 200.x.lok", "V 200.x"},
        {"/elsewhere/evil.lok", "evil"}, // either separator; the name never leaves the folder
        {"Loks/../..\\x.lok", "x"},
    };
    for (const auto& [path, name] : cases) {
        drive(path);
        EXPECT_EQ(lok->LokPfad(), path);
        EXPECT_EQ(lok->Lok(), std::string(name));
    }
}

TEST_F(LokTest, TheFirstTimerReportsTheLocomotiveAndLaterOnesOnlyNewerOthers) {
    copyDemoLok("Elektrisch/BR 101.lok");
    copyDemoLok("Elektrisch/E 10.lok");
    writeCurrentTrain(crlf({"Loks\\Elektrisch\\BR 101.lok", "Zug 4711"}));
    makeLok();
    EXPECT_EQ(lok->ZusiDir(), "C:\\Programme\\Zusi");
    EXPECT_FALSE(lok->LetzteZeit());
    lok->Timer();
    EXPECT_EQ(changes, std::vector<std::string>{"Loks\\Elektrisch\\BR 101.lok"});
    EXPECT_TRUE(fsFileAtChange); // the files come before the event
    EXPECT_EQ(lok->LetzteZeit(), stamp);
    // Same time: the file is not read again, even though it now names another locomotive.
    writeCurrentTrainKeepingTime(crlf({"Loks\\Elektrisch\\E 10.lok"}));
    lok->Timer();
    EXPECT_EQ(changes.size(), 1u);
    // Newer, same first line: the time is taken, nothing is raised.
    writeCurrentTrain(crlf({"Loks\\Elektrisch\\BR 101.lok", "Zug 4712"}));
    lok->Timer();
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_EQ(lok->LetzteZeit(), stamp);
    // An older time than the one seen counts as no change.
    const auto seen = stamp;
    stamp -= std::chrono::minutes(5);
    writeCurrentTrainKeepingTime(crlf({"Loks\\Elektrisch\\E 10.lok"}));
    lok->Timer();
    EXPECT_EQ(changes.size(), 1u);
    EXPECT_EQ(lok->LetzteZeit(), seen);
    stamp = seen;
    drive("Loks\\Elektrisch\\E 10.lok");
    EXPECT_EQ(changes.back(), "Loks\\Elektrisch\\E 10.lok");
    EXPECT_EQ(lok->Lok(), "E 10");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LokTest, AnEmptyFirstLineOrAMissingFileRaisesNothing) {
    makeLok();
    lok->Timer(); // no current-train file
    EXPECT_FALSE(lok->LetzteZeit());
    writeCurrentTrain(crlf({"", "Loks\\X.lok"}));
    lok->Timer();
    EXPECT_TRUE(changes.empty());
    EXPECT_EQ(lok->LetzteZeit(), stamp);
    EXPECT_TRUE(dialogs.messages.empty());
    // After a locomotive, an empty line is a change, but there is no file to read.
    copyDemoLok("Elektrisch/E 10.lok");
    drive("Loks\\Elektrisch\\E 10.lok");
    drive("");
    EXPECT_EQ(changes, (std::vector<std::string>{"Loks\\Elektrisch\\E 10.lok", ""}));
    EXPECT_EQ(lok->Lok(), "");
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(LokTest, AFileCaughtWhileBeingWrittenIsReadAgainLater) {
    copyDemoLok("Elektrisch/E 10.lok");
    makeLok();
    // The simulator has emptied the file and not yet written the line.
    writeCurrentTrain("");
    lok->Timer();
    EXPECT_TRUE(changes.empty());
    EXPECT_FALSE(lok->LetzteZeit());
    // It finishes within the same tick of the file clock: the change is still seen.
    writeCurrentTrainKeepingTime(crlf({"Loks\\Elektrisch\\E 10.lok"}));
    lok->Timer();
    EXPECT_EQ(changes, std::vector<std::string>{"Loks\\Elektrisch\\E 10.lok"});
    // A file that cannot be read (here: a directory in its place) is not taken as seen.
    fs::remove(currentTrainFile());
    fs::create_directory(currentTrainFile());
    stamp += std::chrono::seconds(1);
    fs::last_write_time(currentTrainFile(), stamp);
    lok->Timer();
    EXPECT_NE(lok->LetzteZeit(), stamp);
    EXPECT_EQ(changes.size(), 1u);
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
        std::string fs, eb, afb, fbv, message;
    };
    const Case cases[] = {
        // "Auf/Ab" without notches: "up" held at the bottom.
        {"Elektrisch/E 10.lok", aufAbFile(" 1 ", " 0 "), ebFile(" 1001 ", " 8 "), afbFile(" 0 "),
         fbvFile(" 3 "), ""},
        // "Auf/Ab" with notches: "down" on leaving the bottom.
        {"Elektrisch/E 40.lok", aufAbFile(" 0 ", " 15 "), ebFile(" 1001 ", " 0 "), afbFile(" 0 "),
         fbvFile(" 3 "), ""},
        {"Elektrisch/BR 101.lok", fsFile("-20 "), ebFile(" 1001 ", " 10 "), afbFile("-23 "),
         fbvFile(" 7 "), ""},
        // The combined lever brakes with the master controller's notches.
        {"Diesel/V 200.lok", fsFile("-15 "), ebFile(" 1000 ", "-6 "), afbFile(" 0 "),
         fbvFile(" 3 "), ""},
        {"Diesel/BR 232.lok", fsFile("-16 "), ebFile(" 1001 ", " 9 "), afbFile("-12 "),
         fbvFile(" 7 "), ""},
        // An unknown master controller keeps the old file and writes the others.
        {"Unbekannt.lok", fsFile("-16 "), ebFile(" 1001 ", " 25 "), afbFile(" 0 "), fbvFile(" 3 "),
         "Unbekannte Fahschalterart Auf/Ab"},
        // The unknown drive system leaves no brake steps.
        {"Extrem.lok", fsFile(" 32768 "), ebFile(" 1001 ", " 0 "), afbFile(" 0 "), fbvFile(" 3 "),
         "Unbekanntes Antriebssystem: Dampf"},
        // A failed parse writes nothing but still reports the change.
        {"Alt.lok", fsFile(" 32768 "), ebFile(" 1001 ", " 0 "), afbFile(" 0 "), fbvFile(" 3 "),
         "Lok-Datei kann nicht gelesen werden, da nicht im Zusi 2.3 Format vorliegend!"},
    };
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
        EXPECT_EQ(axisFile(kAutoEBremseFile), c.eb);
        EXPECT_EQ(axisFile(kAutoAfbFile), c.afb);
        EXPECT_EQ(axisFile(kAutoBremsventilFile), c.fbv);
        EXPECT_EQ(dialogs.texts(), c.message.empty() ? std::vector<std::string>{}
                                                     : std::vector<std::string>{c.message});
        for (const auto& m : dialogs.messages) { // all the generation's messages look alike
            EXPECT_EQ(m.title, kTitle);
            EXPECT_EQ(m.icon, MsgIcon::Exclamation);
            EXPECT_EQ(m.buttons, MsgButtons::Ok);
        }
    }
}

TEST_F(LokTest, AnUnwritableProgramDirectoryIsReportedAndTheWatcherGoesOn) {
    copyDemoLok("Elektrisch/BR 101.lok");
    copyDemoLok("Elektrisch/E 10.lok");
    programDir = tmp.file("fehlt"); // does not exist
    makeLok();
    drive("Loks\\Elektrisch\\BR 101.lok");
    ASSERT_EQ(dialogs.messages.size(), 1u); // one message for all four files
    EXPECT_NE(dialogs.messages[0].text.find("automatisch_FS.axr konnte nicht gespeichert"),
              std::string::npos);
    EXPECT_NE(dialogs.messages[0].text.find("automatisch_FBV.axr konnte nicht gespeichert"),
              std::string::npos);
    EXPECT_EQ(changes.size(), 1u);
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
    starter.result = false; // the editor is missing: nothing else happens
    lok->StartEditor();
    ASSERT_EQ(starter.started.size(), 1u);
    EXPECT_EQ(starter.started[0].program, "C:\\Programme\\Zusi\\ZusiFahrzeugEditor");
    EXPECT_EQ(starter.started[0].args, std::vector<std::string>{"C:\\Programme\\Zusi\\" + hostile});
    EXPECT_EQ(lok->LokPfad(), hostile);
}

TEST(WineProcessStarter, RunsTheWindowsProgramThroughWine) {
    RecordingStarter inner;
    WineProcessStarter wine(inner);
    inner.result = false;
    EXPECT_FALSE(wine.start("C:\\Zusi\\ZusiFahrzeugEditor", {"C:\\Zusi\\Loks\\a; b.lok"}));
    ASSERT_EQ(inner.started.size(), 1u);
    EXPECT_EQ(inner.started[0].program, "wine");
    EXPECT_EQ(inner.started[0].args, (std::vector<std::string>{"C:\\Zusi\\ZusiFahrzeugEditor",
                                                               "C:\\Zusi\\Loks\\a; b.lok"}));
}

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
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Unbekanntes Antriebssystem: Dampf");
}

TEST_F(LokParserTest, ReadsTheValuesAtTheirCountedLinesLeniently) {
    LokValues v;
    v.fbv = "D5/D2 ";
    v.raste = " 1";
    v.leistung = "\t6 400 kW";
    v.fahrschalter = " Zugkraft";
    v.fahrstufen = "2\t0";
    v.afb = "23.5";
    auto p = parser();
    ASSERT_TRUE(parse(p, test::lokFile(v)));
    EXPECT_EQ(p.ZusiDir(), "C:\\Zusi");
    EXPECT_EQ(p.FBV(), "D5/D2 "); // whole lines, blanks included
    EXPECT_EQ(p.Fahrschalter(), " Zugkraft");
    EXPECT_EQ(p.Raste(), 1);
    EXPECT_EQ(p.Leistung(), 6400); // blanks and tabs are skipped wherever they stand
    EXPECT_EQ(p.Fahrstufen(), 20);
    EXPECT_EQ(p.AFB(), 24); // halves go to the even neighbour
    v.fahrstufen = " 13.5";
    v.raste = "0.5";
    v.afb = "kein Wert";
    ASSERT_TRUE(parse(p, test::lokFile(v)));
    EXPECT_EQ(p.Fahrstufen(), 14);
    EXPECT_EQ(p.Raste(), 0);
    EXPECT_EQ(p.AFB(), 0);
    // Out of range is clamped.
    v.leistung = "1e12";
    v.fahrstufen = "-99999";
    v.raste = "1e400"; // beyond double: infinity
    v.afb = "-1e400";
    ASSERT_TRUE(parse(p, test::lokFile(v)));
    EXPECT_EQ(p.Leistung(), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(p.Fahrstufen(), std::numeric_limits<int16_t>::min());
    EXPECT_EQ(p.Raste(), std::numeric_limits<int16_t>::max());
    EXPECT_EQ(p.AFB(), std::numeric_limits<int16_t>::min());
}

TEST_F(LokParserTest, OnlyTheExactVersionLineIsAccepted) {
    auto p = parser();
    for (const char* first :
         {"2.3 ", "2.30", " 2.3", "2.2", "", static_cast<const char*>(nullptr)}) {
        LokValues v;
        v.version = first ? first : "";
        dialogs.messages.clear();
        EXPECT_FALSE(parse(p, first ? test::lokFile(v) : std::string())) << (first ? first : "");
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text, kFormatMessage);
    }
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
        if (ok) {
            EXPECT_EQ(p.Fahrstufen(), 30);
            continue;
        }
        EXPECT_EQ(p.Fahrstufen(), 7);
        ASSERT_EQ(dialogs.messages.size(), 1u);
        EXPECT_EQ(dialogs.messages[0].text,
                  "Lok-Datei C:\\Zusi\\lok.lok endet vorzeitig und kann nicht gelesen werden!");
    }
}

TEST_F(LokParserTest, AFileThatCannotBeOpenedGivesFalseWithAMessage) {
    auto p = parser();
    EXPECT_FALSE(p.Parse("Loks\\fehlt.lok"));
    tmp.write("ordner", "");
    std::filesystem::remove(tmp.file("ordner"));
    std::filesystem::create_directory(tmp.file("ordner"));
    EXPECT_FALSE(p.Parse("ordner"));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Lok-Datei C:\\Zusi\\Loks\\fehlt.lok kann nicht geöffnet werden!");
}

TEST_F(LokParserTest, TextsAreReadAsWindows1252AndTheDirectoryFallsBack) {
    FakeRegistry empty;
    std::string seen;
    ZusiLokParser p(empty, dialogs, [&](const std::string& windowsPath) {
        seen = windowsPath;
        return tmp.file("lok.lok");
    });
    EXPECT_EQ(p.ZusiDir(), "\\programme\\zusi");
    LokValues v;
    v.fbv = "F\xFCllsto\xDF";
    tmp.write("lok.lok", test::lokFile(v));
    ASSERT_TRUE(p.Parse("Loks\\a.lok"));
    EXPECT_EQ(seen, "\\programme\\zusi\\Loks\\a.lok");
    EXPECT_EQ(p.FBV(), "Füllstoß");
}

} // namespace
} // namespace kordan
