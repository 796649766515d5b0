#include "axis/ZusiAxis.h"

#include "common/TextFile.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FileLines.h"
#include "fakes/RecordingSender.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>

using namespace kordan;
using kordan::test::crlf;
using kordan::test::FakeDialogs;
using kordan::test::RecordingSender;
using kordan::test::TempDir;
using Calls = std::vector<RecordingSender::Call>;

namespace {

// The throttle of two zones: "Null" 0-20 gives code 16, "Fahren" 21-255 regulates 1000.
const std::string kThrottle =
    crlf({"1.0", "[Zones]", " 2 ",  "Null",  " 0 ", " 20 ", " 16 ", " 0 ",    " 0 ",  " 0 ", " 0 ",
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
        {crlf({"1.0", "[Zones]", " 0 "}), std::nullopt, 0},
        {crlf({"1.00", "[Zones]", " 0 "}), FileError::WrongVersion, 0},
        {crlf({"1.0 ", "[Zones]", " 0 "}), FileError::WrongVersion, 0},
        {"", FileError::WrongVersion, 0},
        {crlf({"1.0", "[zones]", " 0 "}), FileError::BadFormat, 0},
        {crlf({"1.0", "[Zones]", " 33 "}), FileError::BadFormat, 0},
        {crlf({"1.0", "[Zones]", "-1 "}), FileError::BadFormat, 0},
        {crlf({"1.0", "[Zones]"}), FileError::TooShort, 0},
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
    EXPECT_EQ(parseAxisFile(crlf({"1.00"})).version, "1.00");
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

TEST_F(AxisFile, LoadOverwritesFieldsButKeepsRecords) {
    ZusiZone* first = &axis.Zone(0);
    axis.Zone(2).Bezeichnung = "alt";
    std::filesystem::create_directories(dir.file("Achsen"));
    dir.write("Achsen/Lok.axr", kThrottle);
    // The test runs elsewhere; only the program's directory finds the file.
    ASSERT_EQ(axis.load("Achsen\\Lok.axr"), LoadResult::Loaded);
    EXPECT_EQ(axis.Dateiname(), "Achsen\\Lok.axr"); // kept as stored
    EXPECT_EQ(axis.Bezeichnung(), "Lok.axr");
    EXPECT_EQ(axis.ZoneCount(), 2);
    EXPECT_EQ(&axis.Zone(0), first);
    EXPECT_EQ(axis.Zone(0).Funktion, 16);
    EXPECT_EQ(axis.Zone(2).Bezeichnung, "alt");
}

TEST_F(AxisFile, RefusedFileIsReportedAndNoZoneOfThePreviousFileActs) {
    for (auto [bytes, message] :
         {std::pair{crlf({"1.00"}), "Falsche Version der Datei"},
          std::pair{crlf({"1.0", "[Zones]"}), "Dateiformat ungültig"},
          std::pair{kThrottle + std::string(kOwnFileLimit, ' '), "Dateiformat ungültig"}}) {
        dir.write("t.axr", kThrottle);
        ASSERT_EQ(axis.load("t.axr"), LoadResult::Loaded);
        dir.write("bad.axr", bytes);
        dialogs.messages.clear();
        EXPECT_EQ(axis.load("bad.axr"), LoadResult::Rejected);
        EXPECT_EQ(dialogs.texts(), std::vector<std::string>{message});
        EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::None);
        EXPECT_EQ(axis.Dateiname(), "bad.axr");
        EXPECT_EQ(axis.ZoneCount(), 0);
        EXPECT_EQ(axis.Zone(1).RegelFunktion, 1000);
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

namespace {

constexpr int F = 16, R = 22, G = 28, H = 29, K = 1000;

// Zone A = 0-99 (Funktion F, Release R), B = 100-199 (G), C = 200-255 (H).
class AxisEngine : public ::testing::Test {
protected:
    AxisEngine() : axis(dialogs, "/prog") {
        axis.setDateiname("Test.axr");
        zone(0, 0, 99, F).Release = R;
        zone(1, 100, 199, G);
        zone(2, 200, 255, H);
        axis.setZoneCount(3);
    }
    ZusiZone& zone(int i, int start, int ende, int funktion) {
        ZusiZone& z = axis.Zone(i);
        z.Start = start;
        z.Ende = ende;
        z.Funktion = funktion;
        return z;
    }
    Calls move(int from, int to, bool pov = false) {
        axis.NewValue(from, to, pov, se);
        return se.take();
    }
    Calls ticks(int n) {
        for (int i = 0; i < n; ++i)
            axis.Timer(se);
        return se.take();
    }
    FakeDialogs dialogs;
    RecordingSender se;
    ZusiAxis axis;
};

} // namespace

TEST_F(AxisEngine, EveryKindOfMovementInZoneOrderFlippedAndHeld) {
    EXPECT_EQ(move(50, 60), Calls{});                          // Innerhalb
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {G, 1}, {G, 2}})); // Austritt A, Eintritt B
    EXPECT_EQ(move(150, 50), (Calls{{F, 1}, {F, 2}}));         // Eintritt A, Austritt B
    EXPECT_EQ(move(50, 230), (Calls{{R, 3}, {G, 1}, {G, 2}, {H, 1}, {H, 2}}));
    EXPECT_EQ(move(230, 50, true), (Calls{{F, 1}, {F, 2}})); // passing over suppressed
    EXPECT_EQ(move(230, 50), (Calls{{F, 1}, {F, 2}, {G, 1}, {G, 2}}));
    EXPECT_EQ(move(99, 100), (Calls{{R, 3}, {G, 1}, {G, 2}})); // bounds count as inside
    EXPECT_EQ(move(100, 99), (Calls{{F, 1}, {F, 2}}));
    axis.setFlip(1);                    // mirrors both values
    EXPECT_EQ(move(205, 195), Calls{}); // 50 -> 60
    EXPECT_EQ(move(205, 105), (Calls{{R, 3}, {G, 1}, {G, 2}}));
    axis.setFlip(2); // only 1 inverts
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {G, 1}, {G, 2}}));
    axis.setFlip(0);
    axis.Zone(0).Hold = 1; // keeps the key down until exit
    EXPECT_EQ(move(150, 50), (Calls{{F, 1}}));
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {F, 2}, {G, 1}, {G, 2}}));
    // Any other non-zero Hold also held the key, so it must also let it up.
    axis.Zone(0).Hold = 2;
    EXPECT_EQ(move(150, 50), (Calls{{F, 1}}));
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {F, 2}, {G, 1}, {G, 2}}));
}

TEST_F(AxisEngine, RepeatWhileRestingAndWithHold) {
    axis.Zone(0).Repeat = 5;
    EXPECT_EQ(move(150, 50), (Calls{{F, 1}, {F, 2}}));
    EXPECT_EQ(ticks(5), Calls{});
    EXPECT_EQ(ticks(1), (Calls{{F, 1}, {F, 2}})); // 6th tick
    EXPECT_EQ(ticks(4), Calls{});
    EXPECT_EQ(ticks(1), (Calls{{F, 1}, {F, 2}})); // then every 5th
    EXPECT_EQ(move(50, 60), Calls{});             // moving inside leaves the countdown
    EXPECT_EQ(ticks(5), (Calls{{F, 1}, {F, 2}}));
    move(50, 150);
    EXPECT_EQ(ticks(20), Calls{});
    axis.Zone(0).Repeat = 2; // with Hold only the Down repeats
    axis.Zone(0).Hold = 1;
    move(150, 50);
    EXPECT_EQ(ticks(5), (Calls{{F, 1}, {F, 1}}));
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {F, 2}, {G, 1}, {G, 2}}));
    // Passing over a repeating zone does not arm its countdown.
    axis.Zone(1).Repeat = 2;
    EXPECT_EQ(move(230, 50), (Calls{{F, 1}, {G, 1}, {G, 2}}));
    EXPECT_EQ(ticks(3), (Calls{{F, 1}}));
}

TEST_F(AxisEngine, RegulatorZonesAndAReversedZoneThatIsOnlyPassedOver) {
    axis.setZoneCount(1);
    ZusiZone& z = zone(0, 0, 255, 0);
    z.Release = 0;
    z.RegelFunktion = K;
    z.RegelStep = 10;
    EXPECT_EQ(move(0, 128), (Calls{{K, 5}}));
    EXPECT_EQ(move(128, 130), (Calls{{K, 0}})); // a count of 0 is the sender's to drop
    zone(0, 100, 200, 0).RegelStep = 4;
    EXPECT_EQ(move(50, 250), (Calls{{K, 4}}));
    EXPECT_EQ(move(250, 150), (Calls{{K, -2}}));
    // A zone with both: key on entry, then its notches.
    z.Funktion = F;
    EXPECT_EQ(move(50, 150), (Calls{{F, 1}, {F, 2}, {K, 2}}));
    axis.setFlip(1);
    EXPECT_EQ(move(105, 155), (Calls{{K, -2}})); // 150 -> 100 after the flip
    axis.setFlip(0);
    z = {"", 150, 100, G, 0, 0, 0, 0, R}; // Ende below Start: only passed over
    EXPECT_EQ(move(160, 90), (Calls{{G, 1}, {G, 2}}));
    EXPECT_EQ(move(100, 150), (Calls{{G, 1}, {G, 2}}));
    EXPECT_EQ(move(120, 130), Calls{});
    EXPECT_EQ(move(10, 90), Calls{});
}

TEST_F(AxisEngine, InactiveAxesSendNothing) {
    axis.setZoneCount(0);
    EXPECT_EQ(move(0, 255), Calls{});
    axis.setZoneCount(3);
    axis.setDateiname("");
    EXPECT_EQ(move(0, 255), Calls{});
    // Nothing repeats on an unassigned axis.
    axis.setDateiname("Test.axr");
    axis.Zone(0).Repeat = 1;
    move(150, 50);
    axis.setDateiname("");
    EXPECT_EQ(ticks(2), Calls{});
}

TEST_F(AxisEngine, RecordsAreFixedAndCountIsClamped) {
    ZusiZone* first = &axis.Zone(0);
    axis.Neu();
    EXPECT_EQ(axis.ZoneCount(), 0);
    EXPECT_EQ(axis.Dateiname(), "");
    EXPECT_EQ(&axis.Zone(0), first);
    EXPECT_EQ(axis.Zone(0).Funktion, F); // kept, just not in use
    EXPECT_THROW(axis.Zone(32), std::out_of_range);
    EXPECT_THROW(axis.Zone(-1), std::out_of_range);
    axis.setZoneCount(40);
    EXPECT_EQ(axis.ZoneCount(), ZusiAxis::MaxZones);
    axis.setZoneCount(-3);
    EXPECT_EQ(axis.ZoneCount(), 0);
}

TEST(ZusiZone, NotchesOfAMovement) {
    struct Case {
        int32_t start, ende, step, from, to, notches;
    } cases[] = {// Halves round to the even neighbour: 0.98, 1.5, 2.5, 0.5.
                 {0, 255, 10, 0, 25, 1},
                 {0, 255, 10, 0, 128, 5},
                 {0, 255, 10, 128, 0, -5},
                 {0, 255, 10, 25, 128, 4},
                 {0, 20, 5, 0, 6, 2},
                 {0, 20, 5, 0, 10, 2},
                 {0, 20, 5, 0, 2, 0},
                 {0, 20, 5, 6, 10, 0},
                 // Only the part inside the zone counts, for both signs of the step.
                 {100, 200, 4, 50, 150, 2},
                 {100, 200, 4, 250, 50, -4},
                 {100, 200, 4, 10, 90, 0},
                 {100, 200, 4, 210, 255, 0},
                 {100, 200, -4, 50, 150, -2},
                 {100, 200, -4, 150, 250, -2},
                 {100, 200, -4, 250, 50, 4},
                 {100, 200, -4, 10, 90, 0},
                 // No steps or no width: no notches and no division by zero.
                 {0, 255, 0, 0, 255, 0},
                 {100, 100, 4, 100, 100, 0},
                 {100, 100, 4, 0, 255, 0},
                 {100, 100, 4, 100, 0, 0},
                 // Hand-edited extremes do not overflow.
                 {0, 255, INT_MAX, 0, 255, INT_MAX},
                 {0, 255, INT_MIN + 1, 0, 255, INT_MIN + 1},
                 {INT_MIN, INT_MAX, 10, INT_MIN, INT_MAX, 10},
                 {0, 255, INT_MIN, 0, 255, INT_MIN}};
    for (const Case& c : cases) {
        ZusiZone z{"", c.start, c.ende, 0, 0, 0, 1000, c.step};
        EXPECT_EQ(z.CalculateRegler(c.from, c.to), c.notches)
            << c.start << "-" << c.ende << "/" << c.step << ": " << c.from << "->" << c.to;
        z.RegelFunktion = 0;
        EXPECT_EQ(z.CalculateRegler(c.from, c.to), 0);
    }
}
