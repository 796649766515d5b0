#include "profile/ZusiProfile.h"

#include "common/Messages.h"
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

struct ProfileFile : ::testing::Test {
    TempDir dir;
    FakeDialogs dialogs;
    ZusiProfile profile{dialogs, dir.path()};
};

} // namespace

TEST_F(ProfileFile, NewProfileSavesAsFiftyFourLines) {
    EXPECT_EQ(profile.Dateiname(), "");
    dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("neu.cfr")));
    ASSERT_TRUE(profile.Save());
    EXPECT_EQ(dir.read("neu.cfr"), kEmpty);
    EXPECT_EQ(profile.Dateiname(), dir.file("neu.cfr"));
    EXPECT_EQ(profile.Bezeichnung(), "neu.cfr");
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filter, kFilter);
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, dir.path());
}

TEST_F(ProfileFile, ExampleLoadsAndSavesByteForByte) {
    dir.write("Fahrschalter.axr", kAxis);
    dir.write("bsp.cfr", kExample);
    ASSERT_TRUE(profile.load("bsp.cfr"));
    EXPECT_TRUE(dialogs.messages.empty());
    const ZusiButton& horn = profile.buttons(1);
    EXPECT_TRUE(horn.Defined);
    EXPECT_EQ(horn.Bezeichnung, "Pfeife");
    EXPECT_EQ(horn.Press, 28);
    EXPECT_EQ(horn.Hold, 1);
    EXPECT_EQ(profile.buttons(2).Press, 29);
    EXPECT_FALSE(profile.buttons(3).Defined);
    EXPECT_EQ(profile.Axis(1).Dateiname(), "Fahrschalter.axr");
    EXPECT_EQ(profile.Axis(1).Flip(), 1);
    EXPECT_EQ(profile.Axis(1).ZoneCount(), 1);
    EXPECT_EQ(profile.Axis(2).Dateiname(), "");

    ASSERT_TRUE(profile.Save()); // named: no dialog
    EXPECT_TRUE(dialogs.fileRequests.empty());
    EXPECT_EQ(dir.read("bsp.cfr"), kExample);

    // The loaded axis drives its lever, inverted.
    RecordingSender se;
    profile.Axis(1).NewValue(0, 245, false, se);
    EXPECT_EQ(se.calls, (std::vector<RecordingSender::Call>{{16, 1}, {16, 2}}));
}

TEST_F(ProfileFile, RoundTripsEveryFieldWithSignsUmlautsAndCarriageReturns) {
    dir.write("a.axr", kAxis);
    for (int k = 1; k <= ZusiProfile::MaxButtons; k += 3) {
        ZusiButton& b = profile.buttons(k);
        b = {"Taste " + std::to_string(k) + " Tür öffnen",
             k,
             -k,
             k * 2,
             k % 2,
             k % 3 == 1,
             45 - k,
             true,
             0};
    }
    profile.Axis(3).setDateiname("a.axr");
    profile.Axis(3).setFlip(-7);
    dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("voll.cfr")));
    ASSERT_TRUE(profile.SaveAs());
    std::string bytes = dir.read("voll.cfr");
    EXPECT_NE(bytes.find("Taste 1 T\xFCr \xF6"
                         "ffnen\r\n 1 \r\n-1 \r\n"),
              std::string::npos);

    for (size_t p; (p = bytes.find("\r\n")) != std::string::npos;)
        bytes.replace(p, 2, "\r"); // bare CR line ends read the same
    dir.write("cr.cfr", bytes);
    ZusiProfile back(dialogs, dir.path());
    ASSERT_TRUE(back.load("cr.cfr"));
    for (int k = 1; k <= ZusiProfile::MaxButtons; ++k) {
        const ZusiButton &b = profile.buttons(k), &r = back.buttons(k);
        ASSERT_EQ(r.Defined, b.Defined) << k;
        if (!b.Defined)
            continue;
        EXPECT_EQ(r.Bezeichnung, b.Bezeichnung);
        EXPECT_EQ(std::tie(r.Press, r.Release, r.Repeat, r.Hold, r.Shift, r.press2),
                  std::tie(b.Press, b.Release, b.Repeat, b.Hold, b.Shift, b.press2));
    }
    EXPECT_EQ(back.Axis(3).Dateiname(), "a.axr");
    EXPECT_EQ(back.Axis(3).Flip(), -7);
    EXPECT_EQ(back.Axis(3).ZoneCount(), 1);
}

TEST_F(ProfileFile, ReadsNumbersLeniently) {
    const std::pair<std::string, int> cases[] = {{" 5 ", 5}, {"5", 5},   {"5abc", 5},  {"", 0},
                                                 {"2.5", 2}, {"3.5", 4}, {"-3.5", -4}, {"   7", 7}};
    for (const auto& [text, value] : cases) {
        dir.write("n.cfr",
                  lines({"1.0", "[Buttons]", "X", text, " 0 ", " 0 ", " 0 ", " 0 ", " 0 "}) +
                      repeated("#", 43) + "[Axis]\r\n" + repeated("#", 7));
        ASSERT_TRUE(profile.load("n.cfr"));
        EXPECT_EQ(profile.buttons(1).Press, value) << text;
    }
}

TEST_F(ProfileFile, ShiftValuesAreNormalisedOnLoad) {
    for (const auto& [text, value] :
         {std::pair<std::string, int>{"-1 ", 1}, {" 2 ", 1}, {" 0 ", 0}, {" 1 ", 1}}) {
        dir.write("s.cfr",
                  lines({"1.0", "[Buttons]", "S", " 1 ", " 0 ", " 0 ", " 0 ", text, " 0 "}) +
                      repeated("#", 43) + "[Axis]\r\n" + repeated("#", 7));
        ASSERT_TRUE(profile.load("s.cfr"));
        EXPECT_EQ(profile.buttons(1).Shift, value) << text;
    }
}

TEST_F(ProfileFile, RejectedFilesChangeNothing) {
    dir.write("Fahrschalter.axr", kAxis);
    dir.write("gut.cfr", kExample);
    std::string noAxisHeader = kExample;
    noAxisHeader.replace(noAxisHeader.find("[Axis]"), 6, "[Achse]");
    const std::pair<std::string, std::string> cases[] = {
        {"1.00\r\n" + kEmpty.substr(5), "Falsche Version der Datei"},
        {"1.0 \r\n" + kEmpty.substr(5), "Falsche Version der Datei"},
        {"", "Falsche Version der Datei"},
        {lines({"1.0", "[buttons]"}) + kEmpty.substr(16), "Dateiformat ungültig"},
        {noAxisHeader, "Dateiformat ungültig"},
        {kExample.substr(0, 40), "Dateiformat ungültig"},                  // ends in a button
        {kExample.substr(0, kExample.size() - 3), "Dateiformat ungültig"}, // last axis gone
        {lines({"1.0", "[Buttons]"}) + repeated("#", 44), "Dateiformat ungültig"},
    };
    for (const auto& [bytes, message] : cases) {
        SCOPED_TRACE(bytes);
        ZusiProfile p(dialogs, dir.path());
        ASSERT_TRUE(p.load("gut.cfr"));
        dir.write("schlecht.cfr", bytes);
        dialogs.messages.clear();
        EXPECT_FALSE(p.load("schlecht.cfr"));
        EXPECT_EQ(dialogs.texts(), std::vector<std::string>{message});
        EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::None);
        // A later Save must not write the old profile over the rejected file.
        EXPECT_EQ(p.Dateiname(), "gut.cfr");
        EXPECT_EQ(p.buttons(1).Bezeichnung, "Pfeife");
        EXPECT_TRUE(p.buttons(2).Defined);
        EXPECT_EQ(p.Axis(1).Dateiname(), "Fahrschalter.axr");
        EXPECT_EQ(p.Axis(1).Flip(), 1);
    }
    dialogs.messages.clear();
    EXPECT_FALSE(profile.load("fehlt.cfr")); // silently
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(profile.Dateiname(), "");
}

TEST_F(ProfileFile, MissingAxisFileUnassignsOnlyThatAxis) {
    dir.write("da.axr", kAxis);
    profile.Axis(1).setDateiname("alt.axr");
    profile.Axis(1).setZoneCount(0);
    dir.write("p.cfr", lines({"1.0", "[Buttons]"}) + repeated("#", 44) +
                           lines({"[Axis]", "fehlt.axr", " 1 ", "da.axr", " 1 ", "", " 0 "}) +
                           repeated("#", 4));
    ASSERT_TRUE(profile.load("p.cfr"));
    EXPECT_EQ(
        dialogs.texts(),
        std::vector<std::string>{
            "Achsenkonfiguratrion nicht gefunden, entsprechende Achsenzuordnung wird gelöscht"});
    EXPECT_EQ(profile.Axis(1).Dateiname(), "");
    EXPECT_EQ(profile.Axis(1).Flip(), 1); // its Flip line was still read
    EXPECT_EQ(profile.Axis(2).Dateiname(), "da.axr");
    EXPECT_EQ(profile.Axis(2).Flip(), 1);
    EXPECT_EQ(profile.Axis(3).Dateiname(), ""); // an empty name: no dialog mid-load
    EXPECT_TRUE(dialogs.fileRequests.empty());
    RecordingSender se;
    profile.Axis(1).NewValue(255, 0, false, se);
    EXPECT_TRUE(se.calls.empty());
}

TEST_F(ProfileFile, LoadKeepsRecordsUndefinedFieldsAndRunningState) {
    ZusiButton* first = &profile.buttons(1);
    ZusiButton& b = profile.buttons(3);
    b = {"alt", 7, 0, 2, 0, 1, 0, true, 5};
    RecordingSender se;
    profile.doButton(se, 3, 1); // a shift button held across the load
    b.Timer = 5;
    dir.write("bsp.cfr", kExample);
    dir.write("Fahrschalter.axr", kAxis);
    ASSERT_TRUE(profile.load("bsp.cfr"));
    EXPECT_EQ(&profile.buttons(1), first);
    EXPECT_FALSE(b.Defined);
    EXPECT_EQ(b.Bezeichnung, "alt"); // an undefined entry keeps the other fields
    EXPECT_EQ(b.Timer, 5);
    EXPECT_TRUE(profile.ShiftActive());
}

TEST_F(ProfileFile, RelativeAndBackslashNames) {
    std::filesystem::create_directories(dir.file("Profile"));
    dir.write("Profile/Lok.cfr", kEmpty);
    ASSERT_TRUE(profile.load("Profile\\Lok.cfr"));
    EXPECT_EQ(profile.Dateiname(), "Profile\\Lok.cfr");
    EXPECT_EQ(profile.Bezeichnung(), "Lok.cfr");
    profile.buttons(1).Defined = true;
    ASSERT_TRUE(profile.Save()); // written where it was read, not in the current directory
    EXPECT_NE(dir.read("Profile/Lok.cfr"), kEmpty);
}

TEST_F(ProfileFile, SaveDialogs) {
    dir.write("bsp.cfr", kEmpty);
    ASSERT_TRUE(profile.load("bsp.cfr"));
    // SaveAs always asks, offering the current name; a cancel writes nothing.
    EXPECT_FALSE(profile.SaveAs());
    EXPECT_EQ(dialogs.fileRequests.at(0).offeredName, "bsp.cfr");
    EXPECT_EQ(profile.Dateiname(), "bsp.cfr");
    // SaveAuto offers the caller's name.
    dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("Lok_Pult.cfr")));
    ASSERT_TRUE(profile.SaveAuto("Lok_Pult.cfr"));
    EXPECT_EQ(dialogs.fileRequests.at(1).offeredName, "Lok_Pult.cfr");
    EXPECT_EQ(profile.Dateiname(), dir.file("Lok_Pult.cfr"));
    EXPECT_EQ(dir.read("Lok_Pult.cfr"), kEmpty);
    EXPECT_TRUE(dialogs.messages.empty());

    dialogs.fileChoices.push_back({FileChoice::Result::Failed, {}, 75, "Pfad nicht gefunden"});
    EXPECT_FALSE(profile.SaveAs());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, "Laufzeitfehler: 75 Pfad nicht gefunden");
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::None);

    // The open dialog: same filter, program directory; a cancel changes nothing.
    EXPECT_FALSE(profile.load());
    EXPECT_FALSE(dialogs.fileRequests.back().save);
    EXPECT_EQ(dialogs.fileRequests.back().filter, kFilter);
    EXPECT_EQ(dialogs.fileRequests.back().initialDir, dir.path());
}

TEST_F(ProfileFile, FailedWriteIsReportedNeverSuccess) {
    const std::string target = dir.file("fehlt/p.cfr");
    dialogs.fileChoices.push_back(FakeDialogs::chosen(target));
    EXPECT_FALSE(profile.Save());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind(saveFailedMessage(target, ""), 0), 0u);
    EXPECT_EQ(profile.Dateiname(), "");
}

TEST_F(ProfileFile, LabelsThatWouldBreakTheFileAreWrittenSafely) {
    ZusiButton& hash = profile.buttons(1);
    hash = {"#", 28, 0, 0, 0, 0, 0, true, 0};
    ZusiButton& two = profile.buttons(2);
    two = {"a\nb", 29, 0, 0, 0, 0, 0, true, 0};
    dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("l.cfr")));
    ASSERT_TRUE(profile.Save());
    ZusiProfile back(dialogs, dir.path());
    ASSERT_TRUE(back.load("l.cfr"));
    EXPECT_TRUE(back.buttons(1).Defined);
    EXPECT_EQ(back.buttons(1).Press, 28);
    EXPECT_EQ(back.buttons(2).Bezeichnung, "a b");
    EXPECT_EQ(back.buttons(2).Press, 29);
}
