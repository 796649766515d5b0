#include "axis/ZusiAxis.h"

#include "common/TextFile.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeSimWindow.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <functional>

using namespace kordan;
using namespace kordan::test;
using Calls = std::vector<RecordingSender::Call>;

namespace {

// The throttle of two zones: "Null" 0-20 gives code 16, "Fahren" 21-255 regulates 1000.
const std::string kThrottle =
    crlf({"1.0", "[Zones]", " 2 ",  "Null",  " 0 ", " 20 ", " 16 ", " 0 ",    " 0 ",  " 0 ", " 0 ",
          " 0 ", "Fahren",  " 21 ", " 255 ", " 0 ", " 0 ",  " 0 ",  " 1000 ", " 10 ", " 0 "});

struct AxisFile : ::testing::Test {
    AxisFile() {
        std::filesystem::create_directories(dir.file("Achsen"));
        dir.write("Achsen/Lok.axr", kThrottle);
    }
    TempDir dir;
    FakeDialogs dialogs;
    ZusiAxis axis{dialogs, dir.path()};
};

} // namespace

TEST(AxisFileBytes, ParsedOrRefusedWithTheReason) {
    std::string lenient = kThrottle; // lenient numbers, lines after the end
    lenient.replace(lenient.find(" 2 "), 3, "2.5");
    lenient.replace(lenient.find(" 16 "), 4, "16abc");
    lenient += "Rest\r\n";
    struct Row {
        const char* name;
        std::string bytes;
        std::optional<FileError> error;
    };
    const Row rows[] = {
        {"no zones", crlf({"1.0", "[Zones]", " 0 "}), std::nullopt},
        {"version 1.00", crlf({"1.00", "[Zones]", " 0 "}), FileError::WrongVersion},
        {"empty", "", FileError::WrongVersion},
        {"header in lower case", crlf({"1.0", "[zones]", " 0 "}), FileError::BadFormat},
        {"33 zones", crlf({"1.0", "[Zones]", " 33 "}), FileError::BadFormat},
        {"-1 zones", crlf({"1.0", "[Zones]", "-1 "}), FileError::BadFormat},
        {"no count", crlf({"1.0", "[Zones]"}), FileError::TooShort},
        {"last line gone", kThrottle.substr(0, kThrottle.size() - 5), FileError::TooShort},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parseAxisFile(row.bytes).error(), row.error) << row.name;
    EXPECT_EQ(parseAxisFile(crlf({"1.00"})).version(), "1.00"); // kept for a refused file
    EXPECT_EQ(axisFileBytes(parseAxisFile(lenient).contents()), kThrottle);
}

TEST(AxisFileBytes, EveryFieldRoundTripsWithSignsUmlautsAndLineBreaks) {
    std::vector<ZusiZone> zones(ZusiAxis::MaxZones);
    for (int i = 0; i < ZusiAxis::MaxZones; ++i) {
        const std::string name = "Stufe " + std::to_string(i) + " ÄÖÜ ß";
        zones[size_t(i)] = {name, i * 8 - 3, -i, i + 1, i % 2, i * 3, 1000 + i % 4, -i - 1, 45 - i};
    }
    zones[1].Bezeichnung = "zwei\r\nZeilen"; // must not shift the lines behind it
    const std::string bytes = axisFileBytes(zones);
    EXPECT_NE(bytes.find("\r\n-4 \r\n"), std::string::npos);
    EXPECT_NE(bytes.find("Stufe 0 \xC4\xD6\xDC \xDF\r\n"), std::string::npos);
    const auto back = parseAxisFile(bytes);
    EXPECT_EQ(back.contents()[1].Bezeichnung, "zwei  Zeilen");
    EXPECT_EQ(axisFileBytes(back.contents()), bytes); // every field of every zone read back
}

TEST_F(AxisFile, SavesTheDocumentedBytesAskingOnlyWithoutAName) {
    dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("leer.axr")));
    ASSERT_EQ(axis.Save().result, SaveResult::Saved);
    EXPECT_EQ(dir.read("leer.axr"), "1.0\r\n[Zones]\r\n 0 \r\n");
    EXPECT_EQ(dialogs.fileRequests.at(0).initialDir, dir.path());
    ASSERT_EQ(axis.Save().result, SaveResult::Saved);
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
}

TEST_F(AxisFile, LoadKeepsTheNameAsStoredAndAMissingFileUnassigns) {
    // The test runs elsewhere; only the program's directory finds the file.
    ASSERT_EQ(axis.load("Achsen\\Lok.axr"), LoadResult::Loaded);
    EXPECT_EQ(axis.Dateiname(), "Achsen\\Lok.axr"); // kept as stored
    EXPECT_EQ(axis.Bezeichnung(), "Lok.axr");
    EXPECT_EQ(axis.load("fehlt.axr"), LoadResult::NotFound);
    ASSERT_EQ(dialogs.loads.size(), 1u);
    EXPECT_EQ(dialogs.loads[0].path, dir.file("fehlt.axr"));
    EXPECT_EQ(axis.Dateiname(), "");
}

TEST_F(AxisFile, RefusedFileIsReportedAndNoZoneOfThePreviousFileActs) {
    // nullopt: too large
    for (auto [bytes, error] :
         {std::pair{crlf({"1.00"}), std::optional(FileError::WrongVersion)},
          std::pair{kThrottle + std::string(kOwnFileLimit, ' '), std::optional<FileError>()}}) {
        SCOPED_TRACE(std::to_string(bytes.size()) + " bytes");
        ASSERT_EQ(axis.load("Achsen/Lok.axr"), LoadResult::Loaded);
        dir.write("bad.axr", bytes);
        dialogs.loads.clear();
        EXPECT_EQ(axis.load("bad.axr"), LoadResult::Rejected);
        ASSERT_EQ(dialogs.loads.size(), 1u);
        EXPECT_EQ(dialogs.loads[0].error, error);
        EXPECT_EQ(axis.Dateiname(), "bad.axr");
        EXPECT_EQ(axis.ZoneCount(), 0);
        // Saving over the refused file keeps it first, under a name no earlier copy has.
        dir.write("bad.axr.bak", "older copy");
        const SaveReport saved = axis.Save();
        EXPECT_EQ(saved.result, SaveResult::Saved);
        EXPECT_EQ(saved.keptCopy, dir.file("bad.axr.1.bak"));
        EXPECT_EQ(dir.read("bad.axr.1.bak"), bytes);
        std::filesystem::remove(dir.file("bad.axr.1.bak"));
    }
}

TEST_F(AxisFile, DialogChoicesBelowTheProgramDirectoryBecomeRelative) {
    const std::string full = dir.file("Achsen/Lok.axr");
    dialogs.fileChoices.push_back(FakeDialogs::chosen(full));
    ASSERT_EQ(axis.load(), LoadResult::Loaded);
    EXPECT_EQ(axis.Dateiname(), "Achsen/Lok.axr");
    // A program directory that is only a prefix of the directory's name leaves the full path.
    ZusiAxis other(dialogs, dir.path().substr(0, dir.path().size() - 2));
    dialogs.fileChoices.push_back(FakeDialogs::chosen(full));
    ASSERT_EQ(other.load(), LoadResult::Loaded);
    EXPECT_EQ(other.Dateiname(), full);
}

namespace {

constexpr int F = 16, R = 22, G = 28, H = 29, K = 1000;

// Zone A = 0-99 (Funktion F, Release R), B = 100-199 (G), C = 200-255 (H).
class AxisEngine : public ::testing::Test {
protected:
    AxisEngine() : axis(dialogs, "/prog") {
        axis.setDateiname("Test.axr");
        axis.Zone(0) = {"", 0, 99, F, 0, 0, 0, 0, R};
        axis.Zone(1) = {"", 100, 199, G, 0, 0, 0, 0, 0};
        axis.Zone(2) = {"", 200, 255, H, 0, 0, 0, 0, 0};
        axis.setZoneCount(3);
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

TEST_F(AxisEngine, EveryKindOfMovementInZoneOrderAndFlipped) {
    EXPECT_EQ(move(150, 50), (Calls{{F, 1}, {F, 2}})); // Eintritt A, Austritt B
    EXPECT_EQ(move(50, 230), (Calls{{R, 3}, {G, 1}, {G, 2}, {H, 1}, {H, 2}}));
    EXPECT_EQ(move(230, 50, true), (Calls{{F, 1}, {F, 2}})); // passing over suppressed
    EXPECT_EQ(move(230, 50), (Calls{{F, 1}, {F, 2}, {G, 1}, {G, 2}}));
    EXPECT_EQ(move(99, 100), (Calls{{R, 3}, {G, 1}, {G, 2}})); // bounds count as inside
    axis.setFlip(1);                                           // mirrors both values
    EXPECT_EQ(move(205, 105), (Calls{{R, 3}, {G, 1}, {G, 2}}));
    EXPECT_EQ(move(150, 156), (Calls{{F, 1}, {F, 2}}));         // exactly: 156 mirrored is 99
    EXPECT_EQ(move(156, 150), (Calls{{R, 3}, {G, 1}, {G, 2}})); // and from 99 back out
    axis.setFlip(2);                                            // only 1 inverts
    EXPECT_EQ(move(50, 150), (Calls{{R, 3}, {G, 1}, {G, 2}}));
}

TEST_F(AxisEngine, AHeldZoneLetsUpOnlyTheKeyItPressed) {
    struct Row {
        const char* name;
        std::function<void()> before; // the lever at 50 in zone A afterwards
        Calls leaving;
    };
    const Row rows[] = {
        {"entered", [this] { move(150, 50); }, {{R, 3}, {F, 2}, {G, 1}, {G, 2}}},
        {"found resting in it (a load under the lever)", [] {}, {{R, 3}, {G, 1}, {G, 2}}},
        {"entered, then its key let go",
         [this] {
             move(150, 50);
             axis.stopRepeats();
         },
         {{R, 3}, {G, 1}, {G, 2}}},
    };
    axis.Zone(0).Hold = 2; // any non-zero Hold keeps the key down until exit
    for (const Row& row : rows) {
        row.before();
        se.take();
        EXPECT_EQ(move(50, 150), row.leaving) << row.name;
    }
}

TEST_F(AxisEngine, RepeatWhileRestingAndWithHold) {
    axis.Zone(0).Repeat = 5;
    EXPECT_EQ(move(150, 50), (Calls{{F, 1}, {F, 2}}));
    EXPECT_EQ(ticks(5), Calls{});
    EXPECT_EQ(ticks(1), (Calls{{F, 1}, {F, 2}})); // 6th tick
    EXPECT_EQ(se.zones.back(), 1) << "a repetition is its zone's";
    EXPECT_EQ(ticks(5), (Calls{{F, 1}, {F, 2}})); // then every 5th
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
    ZusiZone& z = axis.Zone(0) = {"", 0, 255, 0, 0, 0, K, 10, 0};
    EXPECT_EQ(move(0, 128), (Calls{{K, 5}}));
    EXPECT_EQ(move(128, 130), (Calls{{K, 0}})); // a count of 0 is the sender's to drop
    z = {"", 100, 200, F, 0, 0, K, 4, 0};       // both: key on entry, then its notches
    EXPECT_EQ(move(50, 150), (Calls{{F, 1}, {F, 2}, {K, 2}}));
    z = {"", 150, 100, G, 0, 0, 0, 0, R}; // Ende below Start: only passed over
    EXPECT_EQ(move(160, 90), (Calls{{G, 1}, {G, 2}}));
    EXPECT_EQ(move(120, 130), Calls{});
}

TEST_F(AxisEngine, InactiveAxesSendNothing) {
    axis.Zone(0).Repeat = 1;
    move(150, 50);
    axis.setDateiname(""); // unassigned: no movement, no repeat
    EXPECT_EQ(move(0, 255), Calls{});
    EXPECT_EQ(ticks(2), Calls{});
    axis.setDateiname("Test.axr");
    axis.setZoneCount(0);
    EXPECT_EQ(move(0, 255), Calls{});
}

TEST(ZusiZone, NotchesOfAMovement) {
    // start, ende, step, from, to, notches. Halves round to even: 1.5, 2.5.
    const int32_t cases[][6] = {{0, 20, 5, 0, 6, 2},
                                {0, 20, 5, 0, 10, 2},
                                {0, 20, 5, 6, 10, 0},
                                {100, 200, 4, 50, 150, 2}, // only the part inside counts
                                {100, 200, 4, 250, 50, -4},
                                {100, 200, -4, 50, 150, -2},
                                {0, 255, 0, 0, 255, 0}, // no steps, no width: no division
                                {100, 100, 4, 100, 100, 0},
                                {0, 255, INT_MAX, 0, 255, INT_MAX}, // extremes do not overflow
                                {INT_MIN, INT_MAX, 10, INT_MIN, INT_MAX, 10},
                                {0, 255, INT_MIN, 0, 255, INT_MIN}};
    for (const auto& [start, ende, step, from, to, notches] : cases) {
        ZusiZone z{"", start, ende, 0, 0, 0, 1000, step};
        EXPECT_EQ(z.CalculateRegler(from, to), notches) << start << "/" << step << ": " << from;
        z.RegelFunktion = 0;
        EXPECT_EQ(z.CalculateRegler(from, to), 0) << start << "/" << step << ": " << from;
    }
    // The notch a lever stands on: 12 of 0-20 in five steps is the third.
    EXPECT_EQ((ZusiZone{"", 0, 20, 0, 0, 0, 1000, 5}.RegelPosition(12)), 3);
}
