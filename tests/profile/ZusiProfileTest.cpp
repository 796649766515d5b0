#include "profile/ZusiProfile.h"

#include "common/TextFile.h"

#include "fakes/FakeDialogs.h"
#include "fakes/FakeSimWindow.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kordan;
using namespace kordan::test;
using Calls = std::vector<RecordingSender::Call>;

namespace {

constexpr int P = 28, A = 29, C = 30, D = 31, E = 32, S2 = 33;

const std::string kEmpty =
    crlf({"1.0", "[Buttons]"}) + crlf({"#"}, 44) + "[Axis]\r\n" + crlf({"#"}, 7);

// Horn held on button 1, vigilance on button 2, axis 1 inverted on Fahrschalter.axr.
const std::string kExample = crlf({"1.0", "[Buttons]", "Pfeife", " 28 ", " 0 ", " 0 ", " 1 ", " 0 ",
                                   " 0 ", "SiFa", " 29 "}) +
                             crlf({" 0 "}, 5) + crlf({"#"}, 42) +
                             crlf({"[Axis]", "Fahrschalter.axr", " 1 "}) + crlf({"#"}, 6);

const std::string kAxis = crlf(
    {"1.0", "[Zones]", " 1 ", "Null", " 0 ", " 20 ", " 16 ", " 0 ", " 0 ", " 0 ", " 0 ", " 0 "});

struct ProfileFileTest : ::testing::Test {
    TempDir dir;
    FakeDialogs dialogs;
    ZusiProfile profile{dialogs, dir.path()};
};

} // namespace

TEST(ProfileFileBytes, ParsedOrRefusedWithTheReason) {
    std::string noAxisHeader = kExample;
    noAxisHeader.replace(noAxisHeader.find("[Axis]"), 6, "[Achse]");
    struct Row {
        const char* name;
        std::string bytes;
        std::optional<FileError> error;
    };
    const Row rows[] = {
        {"example", kExample, std::nullopt},
        {"version 1.00", "1.00\r\n" + kEmpty.substr(5), FileError::WrongVersion},
        {"empty", "", FileError::WrongVersion},
        {"header in lower case", crlf({"1.0", "[buttons]"}) + kEmpty.substr(16),
         FileError::BadFormat},
        {"no axis header", noAxisHeader, FileError::BadFormat},
        {"ends in a button", kExample.substr(0, 40), FileError::TooShort},
        {"last axis gone", kExample.substr(0, kExample.size() - 3), FileError::TooShort},
    };
    for (const Row& row : rows)
        EXPECT_EQ(parseProfileFile(row.bytes).error(), row.error) << row.name;
}

TEST(ProfileFileBytes, EveryFieldRoundTripsAndLabelsCannotBreakTheFile) {
    ProfileFile file;
    for (int32_t n = 0; n < int32_t(file.buttons.size()); n += 3)
        file.buttons[size_t(n)] = ProfileFile::Button{
            "Taste " + std::to_string(n) + " Tür öffnen", n, -n, n * 2, n % 2, n % 3, 45 - n};
    file.buttons[1] = ProfileFile::Button{"#", 28, 0, 0, 0, 0, 0}; // not an absent record
    file.buttons[2] = ProfileFile::Button{"a\nb", 29, 0, 0, 0, 0, 0};
    file.axes[2] = ProfileFile::AxisEntry{"a.axr", -7};
    const std::string bytes = profileFileBytes(file);
    EXPECT_NE(bytes.find("Taste 3 T\xFCr \xF6"
                         "ffnen\r\n 3 \r\n-3 \r\n"),
              std::string::npos);
    const auto back = parseProfileFile(bytes);
    ASSERT_TRUE(back.ok());
    EXPECT_EQ(back.contents().buttons[1]->Bezeichnung, "# ");
    EXPECT_EQ(back.contents().buttons[2]->Bezeichnung, "a b");
    EXPECT_EQ(profileFileBytes(back.contents()), bytes); // every field and absent record read back
}

TEST_F(ProfileFileTest, ExampleLoadsAndSavesByteForByte) {
    dir.write("Fahrschalter.axr", kAxis);
    dir.write("bsp.cfr", kExample);
    ASSERT_EQ(profile.load("bsp.cfr"), LoadResult::Loaded);
    ASSERT_EQ(profile.Save().result, SaveResult::Saved); // named: no dialog
    EXPECT_EQ(dir.read("bsp.cfr"), kExample); // every field that was read is written back
}

TEST_F(ProfileFileTest, RefusedOrMissingFilesChangeNothing) {
    dir.write("Fahrschalter.axr", kAxis);
    dir.write("gut.cfr", kExample);
    const struct {
        const char* name;
        std::string bytes;
        std::optional<FileError> error; // nullopt: too large
    } rows[] = {{"version", "1.00\r\n", FileError::WrongVersion},
                {"large", kExample + std::string(kOwnFileLimit, ' '), std::nullopt}};
    for (const auto& row : rows) {
        ASSERT_EQ(profile.load("gut.cfr"), LoadResult::Loaded) << row.name;
        dir.write("schlecht.cfr", row.bytes);
        dialogs.loads.clear();
        EXPECT_EQ(profile.load("schlecht.cfr"), LoadResult::Rejected) << row.name;
        ASSERT_EQ(dialogs.loads.size(), 1u) << row.name;
        EXPECT_EQ(dialogs.loads[0].error, row.error) << row.name;
        // A later Save must not write the old profile over the refused file.
        EXPECT_EQ(profile.Dateiname(), "gut.cfr") << row.name;
        EXPECT_EQ(profile.buttons(1).Bezeichnung, "Pfeife") << row.name;
        dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("schlecht.cfr")));
        EXPECT_EQ(profile.SaveAs().keptCopy, dir.file("schlecht.cfr.bak")) << row.name;
        EXPECT_EQ(dir.read("schlecht.cfr.bak"), row.bytes) << row.name; // kept first
        std::filesystem::remove(dir.file("schlecht.cfr.bak"));
    }
    EXPECT_EQ(profile.load("fehlt.cfr"), LoadResult::NotFound);
    EXPECT_EQ(profile.Dateiname(), dir.file("schlecht.cfr")) << "the last one saved";
}

TEST_F(ProfileFileTest, MissingAxisFileUnassignsOnlyThatAxis) {
    dir.write("da.axr", kAxis);
    dir.write("p.cfr", crlf({"1.0", "[Buttons]"}) + crlf({"#"}, 44) +
                           crlf({"[Axis]", "fehlt.axr", " 1 ", "da.axr", " 1 ", "", " 0 "}) +
                           crlf({"#"}, 4));
    ASSERT_EQ(profile.load("p.cfr"), LoadResult::Loaded);
    EXPECT_EQ(profile.Axis(1).Flip(), 1) << "the missing file's Flip line is still read";
    EXPECT_EQ(profile.Axis(2).Dateiname(), "da.axr");
    EXPECT_EQ(dialogs.loads.size(), 1u) << "one notice, the axis's";
    EXPECT_EQ(dialogs.fileRequests.size(), 0u) << "an empty name (axis 3) opens no dialog";
}

TEST_F(ProfileFileTest, NewProfileSavesAsFiftyFourLinesAndCancelledDialogsChangeNothing) {
    dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("bsp.cfr")));
    ASSERT_EQ(profile.Save().result, SaveResult::Saved);
    EXPECT_EQ(dir.read("bsp.cfr"), kEmpty);
    ASSERT_EQ(profile.load("bsp.cfr"), LoadResult::Loaded);
    // SaveAs always asks; a cancel writes nothing.
    EXPECT_EQ(profile.SaveAs().result, SaveResult::Cancelled);
    EXPECT_EQ(profile.Dateiname(), "bsp.cfr");
    EXPECT_EQ(profile.load(), LoadResult::Cancelled); // a cancelled open changes nothing
    EXPECT_EQ(profile.Dateiname(), "bsp.cfr");
}

namespace {

struct Buttons : ::testing::Test {
    FakeDialogs dialogs;
    ZusiProfile profile{dialogs, "/prog"};
    RecordingSender se;
    ZusiButton& define(int k, int press, int release = 0, int repeat = 0, int hold = 0,
                       int shift = 0, int press2 = 0) {
        return profile.buttons(k) = {"", press, release, repeat, hold, shift, press2, true};
    }
    Calls press(int k, int state = 1) {
        profile.doButton(se, k, state);
        return se.take();
    }
    Calls release(int k) { return press(k, 0); }
    Calls ticks(int n) {
        for (int i = 0; i < n; ++i)
            profile.Timer(se);
        return se.take();
    }
};

} // namespace

TEST_F(Buttons, PressReleaseAndHoldOfKnownButtonsInStatesZeroAndOne) {
    define(5, P, 0, 1).Defined = false;
    EXPECT_EQ(press(5), Calls{}); // undefined: nothing, no countdown
    EXPECT_EQ(ticks(3), Calls{});
    define(1, P);
    EXPECT_EQ(press(1), (Calls{{P, 1}, {P, 2}}));
    EXPECT_EQ(release(1), Calls{});
    // Hold 2, as a hand-edited file may hold it: the key went down without Up, so the release
    // lets it up.
    ZusiButton& held = define(2, P, E, 0, 2);
    EXPECT_EQ(press(2), (Calls{{P, 1}}));
    EXPECT_EQ(release(2), (Calls{{P, 2}, {E, 1}, {E, 2}}));
    held.Press = 0; // Hold sends the Up even without a Press code
    EXPECT_EQ(release(2), (Calls{{0, 2}, {E, 1}, {E, 2}}));
    define(44, A);
    EXPECT_EQ(press(44), (Calls{{A, 1}, {A, 2}}));
    EXPECT_EQ(press(0), Calls{});
    EXPECT_EQ(release(45), Calls{});
}

TEST_F(Buttons, AutoRepeatTiming) {
    define(3, P, 0, 3);
    EXPECT_EQ(press(3), (Calls{{P, 1}, {P, 2}}));
    EXPECT_EQ(ticks(4), (Calls{{P, 1}, {P, 2}})); // 4th tick
    EXPECT_EQ(ticks(3), (Calls{{P, 1}, {P, 2}})); // then every 3rd
    EXPECT_EQ(release(3), Calls{});
    EXPECT_EQ(ticks(10), Calls{});
    define(4, A, 0, 1, 1);
    press(4);
    EXPECT_EQ(ticks(3), (Calls{{A, 1}, {A, 1}})); // a held key repeats its Down only
    EXPECT_EQ(release(4), (Calls{{A, 2}}));
    define(6, 0, 0, 2); // Press 0: the press is silent, the repetition is not
    EXPECT_EQ(press(6), Calls{});
    EXPECT_EQ(ticks(3), (Calls{{0, 1}, {0, 2}}));
    release(6);
    define(7, P, 0, -3); // hand-edited: never fires, never overflows
    press(7);
    EXPECT_EQ(ticks(10), Calls{});
}

TEST_F(Buttons, ShiftLayer) {
    ZusiButton& s = define(1, A, 0, 0, 0, 1);
    ZusiButton& x = define(2, D, E, 1, 0, 0, C);
    define(3, P); // no press2
    EXPECT_EQ(press(1), (Calls{{A, 1}, {A, 2}}));
    EXPECT_EQ(press(2), (Calls{{C, 1}, {C, 2}}));
    EXPECT_EQ(ticks(3), Calls{}); // no auto-repeat in the layer
    EXPECT_EQ(press(3), Calls{});
    x.Hold = 1;
    EXPECT_EQ(release(2), (Calls{{D, 2}, {E, 1}, {E, 2}}));
    s.Release = S2;
    EXPECT_EQ(release(1), (Calls{{S2, 1}, {S2, 2}}));
    x.Hold = 0;
    EXPECT_EQ(press(2), (Calls{{D, 1}, {D, 2}}));
    release(2);
    // Two shift buttons: the second is in the layer too; releasing either ends it.
    define(2, D, 0, 0, 0, 1, C);
    define(3, P, 0, 0, 0, 0, E);
    press(1);
    EXPECT_EQ(press(2), (Calls{{C, 1}, {C, 2}}));
    release(2);
    EXPECT_EQ(press(3), (Calls{{P, 1}, {P, 2}}));
    release(3);
    release(1);
    // -1 would skip the release steps; held key and Release must still happen.
    define(1, A, E, 0, 1, -1);
    EXPECT_EQ(press(1), (Calls{{A, 1}}));
    EXPECT_TRUE(profile.ShiftActive());
    EXPECT_EQ(release(1), (Calls{{A, 2}, {E, 1}, {E, 2}}));
    EXPECT_FALSE(profile.ShiftActive());
    press(1); // a new profile starts outside the layer
    profile.Neu();
    EXPECT_FALSE(profile.ShiftActive());
}
