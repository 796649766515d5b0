#include "profile/ZusiProfile.h"

#include "fakes/FakeDialogs.h"
#include "fakes/RecordingSender.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::RecordingSender;
using kordan::test::TempDir;

namespace {

constexpr const char* kFilter = "Kordan Einstellungen (*.cfr)|*.cfr|Alle Dateien (*.*)|*.*";

std::string lines(std::initializer_list<std::string> ls) {
    std::string out;
    for (auto& l : ls)
        out += l + "\r\n";
    return out;
}

std::string repeated(const std::string& line, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += line + "\r\n";
    return out;
}

const std::string kEmpty =
    lines({"1.0", "[Buttons]"}) + repeated("#", 44) + "[Axis]\r\n" + repeated("#", 7);

// Horn held on button 1, vigilance on button 2, axis 1 inverted on Fahrschalter.axr.
const std::string kExample = lines({"1.0", "[Buttons]", "Pfeife", " 28 ", " 0 ", " 0 ", " 1 ",
                                    " 0 ", " 0 ", "SiFa", " 29 "}) +
                             repeated(" 0 ", 5) + repeated("#", 42) +
                             lines({"[Axis]", "Fahrschalter.axr", " 1 "}) + repeated("#", 6);

const std::string kAxis = lines(
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
    const std::pair<std::string, std::optional<FileError>> cases[] = {
        {kExample, std::nullopt},
        {kEmpty, std::nullopt},
        {"1.00\r\n" + kEmpty.substr(5), FileError::WrongVersion},
        {"1.0 \r\n" + kEmpty.substr(5), FileError::WrongVersion},
        {"", FileError::WrongVersion},
        {lines({"1.0", "[buttons]"}) + kEmpty.substr(16), FileError::BadFormat},
        {noAxisHeader, FileError::BadFormat},
        {kExample.substr(0, 40), FileError::TooShort},                  // ends in a button
        {kExample.substr(0, kExample.size() - 3), FileError::TooShort}, // last axis gone
        {lines({"1.0", "[Buttons]"}) + repeated("#", 44), FileError::TooShort},
    };
    for (const auto& [bytes, error] : cases)
        EXPECT_EQ(parseProfileFile(bytes).error, error) << bytes;
}

TEST(ProfileFileBytes, EveryFieldRoundTripsAndLabelsCannotBreakTheFile) {
    ProfileFile file;
    for (size_t k = 0; k < file.buttons.size(); k += 3) {
        const int32_t n = int32_t(k);
        file.buttons[k] = ProfileFile::Button{
            "Taste " + std::to_string(k) + " Tür öffnen", n, -n, n * 2, n % 2, n % 3, 45 - n};
    }
    file.buttons[1] = ProfileFile::Button{"#", 28, 0, 0, 0, 0, 0}; // not an absent record
    file.buttons[2] = ProfileFile::Button{"a\nb", 29, 0, 0, 0, 0, 0};
    file.axes[2] = ProfileFile::AxisEntry{"a.axr", -7};
    std::string bytes = profileFileBytes(file);
    EXPECT_NE(bytes.find("Taste 3 T\xFCr \xF6"
                         "ffnen\r\n 3 \r\n-3 \r\n"),
              std::string::npos);
    for (size_t p; (p = bytes.find("\r\n")) != std::string::npos;)
        bytes.replace(p, 2, "\r"); // bare CR line ends read the same
    const auto back = parseProfileFile(bytes);
    ASSERT_FALSE(back.error);
    file.buttons[1]->Bezeichnung = "# ";
    file.buttons[2]->Bezeichnung = "a b";
    for (size_t k = 0; k < file.buttons.size(); ++k) {
        const auto &b = file.buttons[k], &r = back.contents.buttons[k];
        ASSERT_EQ(r.has_value(), b.has_value()) << k;
        if (!b)
            continue;
        EXPECT_EQ(
            std::tie(r->Bezeichnung, r->Press, r->Release, r->Repeat, r->Hold, r->Shift, r->press2),
            std::tie(b->Bezeichnung, b->Press, b->Release, b->Repeat, b->Hold, b->Shift,
                     b->press2));
    }
    ASSERT_TRUE(back.contents.axes[2]);
    EXPECT_EQ(back.contents.axes[2]->Dateiname, "a.axr");
    EXPECT_EQ(back.contents.axes[2]->Flip, -7);
}

TEST_F(ProfileFileTest, ExampleLoadsAndSavesByteForByte) {
    dir.write("Fahrschalter.axr", kAxis);
    dir.write("bsp.cfr", kExample);
    ASSERT_EQ(profile.load("bsp.cfr"), LoadResult::Loaded);
    EXPECT_TRUE(dialogs.messages.empty());
    const ZusiButton& horn = profile.buttons(1);
    EXPECT_TRUE(horn.Defined);
    EXPECT_EQ(horn.Bezeichnung, "Pfeife");
    EXPECT_EQ(horn.Hold, 1);
    EXPECT_EQ(profile.buttons(2).Press, 29);
    EXPECT_FALSE(profile.buttons(3).Defined);
    EXPECT_EQ(profile.Axis(1).Flip(), 1);
    EXPECT_EQ(profile.Axis(2).Dateiname(), "");
    ASSERT_TRUE(profile.Save()); // named: no dialog
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_EQ(dir.read("bsp.cfr"), kExample);
    // The loaded axis drives its lever, inverted.
    RecordingSender se;
    profile.Axis(1).NewValue(0, 245, false, se);
    EXPECT_EQ(se.calls, (std::vector<RecordingSender::Call>{{16, 1}, {16, 2}}));
}

TEST_F(ProfileFileTest, RefusedOrMissingFilesChangeNothing) {
    dir.write("Fahrschalter.axr", kAxis);
    dir.write("gut.cfr", kExample);
    for (const auto& [bytes, message] :
         {std::pair<std::string, std::string>{"1.00\r\n", "Falsche Version der Datei"},
          std::pair<std::string, std::string>{kExample.substr(0, 40), "Dateiformat ungültig"}}) {
        ASSERT_EQ(profile.load("gut.cfr"), LoadResult::Loaded);
        dir.write("schlecht.cfr", bytes);
        dialogs.messages.clear();
        EXPECT_EQ(profile.load("schlecht.cfr"), LoadResult::Rejected);
        EXPECT_EQ(dialogs.texts(), std::vector<std::string>{message});
        EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::None);
        // A later Save must not write the old profile over the refused file.
        EXPECT_EQ(profile.Dateiname(), "gut.cfr");
        EXPECT_EQ(profile.buttons(1).Bezeichnung, "Pfeife");
        EXPECT_EQ(profile.Axis(1).Dateiname(), "Fahrschalter.axr");
    }
    dialogs.messages.clear();
    EXPECT_EQ(profile.load("fehlt.cfr"), LoadResult::NotFound); // silently
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(profile.Dateiname(), "gut.cfr");
}

TEST_F(ProfileFileTest, MissingAxisFileUnassignsOnlyThatAxis) {
    dir.write("da.axr", kAxis);
    profile.Axis(1).setDateiname("alt.axr");
    dir.write("p.cfr", lines({"1.0", "[Buttons]"}) + repeated("#", 44) +
                           lines({"[Axis]", "fehlt.axr", " 1 ", "da.axr", " 1 ", "", " 0 "}) +
                           repeated("#", 4));
    ASSERT_EQ(profile.load("p.cfr"), LoadResult::Loaded);
    EXPECT_EQ(
        dialogs.texts(),
        std::vector<std::string>{
            "Achsenkonfiguratrion nicht gefunden, entsprechende Achsenzuordnung wird gelöscht"});
    EXPECT_EQ(profile.Axis(1).Dateiname(), "");
    EXPECT_EQ(profile.Axis(1).Flip(), 1); // its Flip line was still read
    EXPECT_EQ(profile.Axis(2).Dateiname(), "da.axr");
    EXPECT_EQ(profile.Axis(3).Dateiname(), ""); // an empty name: no dialog mid-load
    EXPECT_TRUE(dialogs.fileRequests.empty());
    RecordingSender se;
    profile.Axis(1).NewValue(255, 0, false, se);
    EXPECT_TRUE(se.calls.empty());
}

TEST_F(ProfileFileTest, LoadKeepsRecordsUndefinedFieldsAndRunningStateAndNormalisesShift) {
    ZusiButton* first = &profile.buttons(1);
    ZusiButton& b = profile.buttons(3);
    b = {"alt", 7, 0, 2, 0, 1, 0, true, 5};
    RecordingSender se;
    profile.doButton(se, 3, 1); // a shift button held across the load
    b.Timer = 5;
    // Shift -1 on button 1 and 2 on button 2, as a hand-edited file may hold them.
    const std::string shift =
        lines({"1.0", "[Buttons]", "Pfeife", " 28 ", " 0 ", " 0 ", " 1 ", "-1 ", " 0 ", "SiFa",
               " 29 ", " 0 ", " 0 ", " 0 ", " 2 ", " 0 "}) +
        repeated("#", 42) + "[Axis]\r\n" + repeated("#", 7);
    dir.write("bsp.cfr", shift);
    ASSERT_EQ(profile.load("bsp.cfr"), LoadResult::Loaded);
    EXPECT_EQ(&profile.buttons(1), first);
    EXPECT_FALSE(b.Defined);
    EXPECT_EQ(b.Bezeichnung, "alt"); // an undefined entry keeps the other fields
    EXPECT_EQ(b.Timer, 5);
    EXPECT_TRUE(profile.ShiftActive());
    // The button dialog knows only 0 and 1.
    EXPECT_EQ(profile.buttons(1).Shift, 1);
    EXPECT_EQ(profile.buttons(2).Shift, 1);
}

TEST_F(ProfileFileTest, NewProfileSavesAsFiftyFourLinesAndTheDialogsOfferWhatTheyShould) {
    dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("bsp.cfr")));
    ASSERT_TRUE(profile.Save());
    EXPECT_EQ(dir.read("bsp.cfr"), kEmpty);
    EXPECT_EQ(profile.Dateiname(), dir.file("bsp.cfr"));
    EXPECT_EQ(profile.Bezeichnung(), "bsp.cfr");
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filter, kFilter);
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, dir.path());
    dialogs.fileRequests.clear();
    ASSERT_EQ(profile.load("bsp.cfr"), LoadResult::Loaded);
    // SaveAs always asks, offering the current name; a cancel writes nothing.
    EXPECT_FALSE(profile.SaveAs());
    EXPECT_EQ(dialogs.fileRequests.at(0).offeredName, "bsp.cfr");
    EXPECT_EQ(profile.Dateiname(), "bsp.cfr");
    // SaveAuto offers the caller's name.
    dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("Lok_Pult.cfr")));
    ASSERT_TRUE(profile.SaveAuto("Lok_Pult.cfr"));
    EXPECT_EQ(dialogs.fileRequests.at(1).offeredName, "Lok_Pult.cfr");
    EXPECT_EQ(profile.Dateiname(), dir.file("Lok_Pult.cfr"));
    EXPECT_TRUE(dialogs.messages.empty());
    dialogs.fileChoices.push_back({FileChoice::Result::Failed, {}, 75, "Pfad nicht gefunden"});
    EXPECT_FALSE(profile.SaveAs());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Laufzeitfehler: 75 Pfad nicht gefunden"});
    const std::string target = dir.file("fehlt/p.cfr");
    dialogs.fileChoices.push_back(FakeDialogs::chosen(target));
    EXPECT_FALSE(profile.SaveAs());
    EXPECT_EQ(dialogs.messages.back().text.rfind("Die Datei " + target + " konnte nicht", 0), 0u);
    EXPECT_EQ(profile.Dateiname(), dir.file("Lok_Pult.cfr"));
    // The open dialog: same filter, program directory; a cancel changes nothing.
    EXPECT_EQ(profile.load(), LoadResult::Cancelled);
    EXPECT_FALSE(dialogs.fileRequests.back().save);
    EXPECT_EQ(dialogs.fileRequests.back().filter, kFilter);
    EXPECT_EQ(dialogs.fileRequests.back().initialDir, dir.path());
}
