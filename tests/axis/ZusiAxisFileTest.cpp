#include "axis/ZusiAxis.h"

#include "common/TextFile.h"
#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::TempDir;

namespace {

std::string lines(std::initializer_list<std::string> ls) {
    std::string out;
    for (auto& l : ls)
        out += l + "\r\n";
    return out;
}

// The throttle of two zones: "Null" 0-20 gives code 16, "Fahren" 21-255 regulates 1000.
const std::string kThrottle =
    lines({"1.0", "[Zones]", " 2 ",  "Null",  " 0 ", " 20 ", " 16 ", " 0 ",    " 0 ",  " 0 ", " 0 ",
           " 0 ", "Fahren",  " 21 ", " 255 ", " 0 ", " 0 ",  " 0 ",  " 1000 ", " 10 ", " 0 "});

struct AxisFile : ::testing::Test {
    TempDir dir;
    FakeDialogs dialogs;
    ZusiAxis axis{dialogs, dir.path()};
};

} // namespace

TEST(AxisFileBytes, ParsedOrRefusedWithTheReason) {
    std::string cr = kThrottle; // bare CR line ends, lenient numbers, lines after the end
    for (size_t p; (p = cr.find("\r\n")) != std::string::npos;)
        cr.replace(p, 2, "\r");
    cr.replace(cr.find(" 2 "), 3, "2.5");
    cr.replace(cr.find(" 16 "), 4, "16abc");
    cr += "Rest\r";
    struct Case {
        std::string bytes;
        std::optional<FileError> error;
        size_t zones;
    } cases[] = {
        {kThrottle, std::nullopt, 2},
        {cr, std::nullopt, 2},
        {lines({"1.0", "[Zones]", " 0 "}), std::nullopt, 0},
        {lines({"1.00", "[Zones]", " 0 "}), FileError::WrongVersion, 0},
        {lines({"1.0 ", "[Zones]", " 0 "}), FileError::WrongVersion, 0},
        {"", FileError::WrongVersion, 0},
        {lines({"1.0", "[zones]", " 0 "}), FileError::BadFormat, 0},
        {lines({"1.0", "[Zones]", " 33 "}), FileError::BadFormat, 0},
        {lines({"1.0", "[Zones]", "-1 "}), FileError::BadFormat, 0},
        {lines({"1.0", "[Zones]"}), FileError::TooShort, 0},
        {kThrottle.substr(0, kThrottle.size() - 5), FileError::TooShort, 0}, // last line gone
    };
    for (const Case& c : cases) {
        const auto file = parseAxisFile(c.bytes);
        EXPECT_EQ(file.error, c.error) << c.bytes;
        EXPECT_EQ(file.contents.size(), c.zones) << c.bytes;
    }
    const auto file = parseAxisFile(cr);
    EXPECT_EQ(file.contents[0].Funktion, 16);
    EXPECT_EQ(file.contents[1].Bezeichnung, "Fahren");
    EXPECT_EQ(file.contents[1].RegelStep, 10);
    EXPECT_EQ(parseAxisFile(lines({"1.00"})).version, "1.00");
}

TEST(AxisFileBytes, EveryFieldRoundTripsWithSignsUmlautsAndLineBreaks) {
    std::vector<ZusiZone> zones(ZusiAxis::MaxZones);
    for (int i = 0; i < ZusiAxis::MaxZones; ++i)
        zones[size_t(i)] = {"Stufe " + std::to_string(i) + " ÄÖÜ ß",
                            i * 8 - 3,
                            -i,
                            i + 1,
                            i % 2,
                            i * 3,
                            1000 + i % 4,
                            -i - 1,
                            45 - i};
    zones[1].Bezeichnung = "zwei\r\nZeilen"; // must not shift the lines behind it
    const std::string bytes = axisFileBytes(zones);
    EXPECT_NE(bytes.find("\r\n-4 \r\n"), std::string::npos);
    EXPECT_NE(bytes.find("Stufe 0 \xC4\xD6\xDC \xDF\r\n"), std::string::npos);
    const auto back = parseAxisFile(bytes);
    ASSERT_FALSE(back.error);
    zones[1].Bezeichnung = "zwei  Zeilen";
    ASSERT_EQ(back.contents.size(), zones.size());
    for (size_t i = 0; i < zones.size(); ++i) {
        const ZusiZone &z = zones[i], &r = back.contents[i];
        EXPECT_EQ(std::tie(r.Bezeichnung, r.Start, r.Ende, r.Funktion, r.Hold, r.Repeat,
                           r.RegelFunktion, r.RegelStep, r.Release),
                  std::tie(z.Bezeichnung, z.Start, z.Ende, z.Funktion, z.Hold, z.Repeat,
                           z.RegelFunktion, z.RegelStep, z.Release));
    }
}

TEST_F(AxisFile, SavesTheDocumentedBytesAskingOnlyWithoutAName) {
    dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("leer.axr")));
    ASSERT_EQ(axis.Save(), SaveResult::Saved);
    EXPECT_EQ(dir.read("leer.axr"), "1.0\r\n[Zones]\r\n 0 \r\n");
    EXPECT_EQ(axis.Dateiname(), dir.file("leer.axr"));
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filter,
              "Achsen-Konfiguration (*.axr)|*.axr|Alle Dateien (*.*)|*.*");
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, dir.path());
    axis.Zone(0) = {"Null", 0, 20, 16, 0, 0, 0, 0, 0};
    axis.Zone(1) = {"Fahren", 21, 255, 0, 0, 0, 1000, 10, 0};
    axis.setZoneCount(2);
    ASSERT_EQ(axis.Save(), SaveResult::Saved);
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dir.read("leer.axr"), kThrottle);
}

TEST_F(AxisFile, LoadOverwritesFieldsButKeepsRecordsAndTimers) {
    ZusiZone* first = &axis.Zone(0);
    axis.Zone(0).Timer = 7;
    axis.Zone(2).Bezeichnung = "alt";
    std::filesystem::create_directories(dir.file("Achsen"));
    dir.write("Achsen/Lok.axr", kThrottle);
    // The test runs elsewhere; only the program's directory finds the file.
    ASSERT_EQ(axis.load("Achsen\\Lok.axr"), LoadResult::Loaded);
    EXPECT_EQ(axis.Dateiname(), "Achsen\\Lok.axr"); // kept as stored
    EXPECT_EQ(axis.Bezeichnung(), "Lok.axr");
    EXPECT_EQ(axis.ZoneCount(), 2);
    EXPECT_EQ(&axis.Zone(0), first);
    EXPECT_EQ(axis.Zone(0).Timer, 7);
    EXPECT_EQ(axis.Zone(0).Funktion, 16);
    EXPECT_EQ(axis.Zone(2).Bezeichnung, "alt");
}

TEST_F(AxisFile, RefusedFileIsReportedAndNoZoneOfThePreviousFileActs) {
    for (auto [bytes, message] :
         {std::pair{lines({"1.00"}), "Falsche Version der Datei"},
          std::pair{lines({"1.0", "[Zones]"}), "Dateiformat ungültig"},
          std::pair{kThrottle + std::string(kOwnFileLimit, ' '), "Dateiformat ungültig"}}) {
        dir.write("t.axr", kThrottle);
        ASSERT_EQ(axis.load("t.axr"), LoadResult::Loaded);
        axis.Zone(1).Timer = 3;
        dir.write("bad.axr", bytes);
        dialogs.messages.clear();
        EXPECT_EQ(axis.load("bad.axr"), LoadResult::Rejected);
        EXPECT_EQ(dialogs.texts(), std::vector<std::string>{message});
        EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::None);
        EXPECT_EQ(axis.Dateiname(), "bad.axr");
        EXPECT_EQ(axis.ZoneCount(), 0);
        EXPECT_EQ(axis.Zone(1).RegelFunktion, 1000);
        EXPECT_EQ(axis.Zone(1).Timer, 3);
        // Saving over the refused file keeps it first, under a name no earlier copy has.
        dir.write("bad.axr.bak", "older copy");
        EXPECT_EQ(axis.Save(), SaveResult::Saved);
        EXPECT_EQ(dir.read("bad.axr.1.bak"), bytes);
        EXPECT_EQ(dialogs.texts().back(), "Die Datei bad.axr konnte nicht gelesen werden; sie "
                                          "bleibt als bad.axr.1.bak erhalten.");
        std::filesystem::remove(dir.file("bad.axr.1.bak"));
    }
}

TEST_F(AxisFile, MissingFileUnassignsTheAxis) {
    axis.setDateiname("alt.axr");
    EXPECT_EQ(axis.load("fehlt.axr"), LoadResult::NotFound);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text,
              "Achsenkonfiguratrion nicht gefunden, entsprechende Achsenzuordnung wird gelöscht");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(axis.Dateiname(), "");
}

TEST_F(AxisFile, DialogChoicesBelowTheProgramDirectoryBecomeRelative) {
    std::filesystem::create_directories(dir.file("Achsen"));
    dir.write("Achsen/Lok.axr", kThrottle);
    const std::string full = dir.file("Achsen/Lok.axr");
    dialogs.fileChoices.push_back(FakeDialogs::chosen(full));
    ASSERT_EQ(axis.load(), LoadResult::Loaded);
    EXPECT_EQ(axis.Dateiname(), "Achsen/Lok.axr");
    EXPECT_FALSE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, dir.path());
    // The comparison is exact: a program directory spelled in another case, or one that
    // is only a prefix of the directory's name, leaves the full path.
    std::string upper = dir.path();
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& programDir : {upper, dir.path().substr(0, dir.path().size() - 2)}) {
        ZusiAxis other(dialogs, programDir);
        dialogs.fileChoices.push_back(FakeDialogs::chosen(full));
        ASSERT_EQ(other.load(), LoadResult::Loaded);
        EXPECT_EQ(other.Dateiname(), full);
    }
}

TEST_F(AxisFile, CancelledFailedAndUnwritableChoicesKeepTheName) {
    axis.setDateiname("alt.axr");
    EXPECT_EQ(axis.load(), LoadResult::Cancelled);
    EXPECT_EQ(axis.SaveAs(), SaveResult::Cancelled);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(dialogs.fileRequests.at(1).offeredName, "alt.axr");
    EXPECT_FALSE(std::filesystem::exists(dir.file("alt.axr")));
    dialogs.fileChoices.push_back({FileChoice::Result::Failed, {}, 32755, "Fehler"});
    EXPECT_EQ(axis.SaveAs(), SaveResult::Cancelled);
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Laufzeitfehler: 32755 Fehler"});
    const std::string target = dir.file("fehlt/neu.axr");
    dialogs.fileChoices.push_back(FakeDialogs::chosen(target));
    EXPECT_EQ(axis.SaveAs(), SaveResult::Failed);
    EXPECT_EQ(dialogs.messages.back().text.rfind("Die Datei " + target + " konnte nicht", 0), 0u);
    EXPECT_EQ(axis.Dateiname(), "alt.axr");
}
