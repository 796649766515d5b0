#include "axis/ZusiAxis.h"

#include "common/Messages.h"
#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::TempDir;

namespace {

constexpr const char* kFilter = "Achsen-Konfiguration (*.axr)|*.axr|Alle Dateien (*.*)|*.*";
constexpr const char* kNotFound =
    "Achsenkonfiguratrion nicht gefunden, entsprechende Achsenzuordnung wird gelöscht";

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

TEST_F(AxisFile, WritesTheDocumentedBytes) {
    dialogs.fileChoices.push_back(FakeDialogs::chosen(dir.file("leer.axr")));
    ASSERT_TRUE(axis.Save());
    EXPECT_EQ(dir.read("leer.axr"), "1.0\r\n[Zones]\r\n 0 \r\n");
    EXPECT_EQ(axis.Dateiname(), dir.file("leer.axr"));
    ASSERT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_TRUE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filter, kFilter);
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, dir.path());

    ZusiZone& a = axis.Zone(0);
    a.Bezeichnung = "Null";
    a.Ende = 20;
    a.Funktion = 16;
    ZusiZone& b = axis.Zone(1);
    b.Bezeichnung = "Fahren";
    b.Start = 21;
    b.Ende = 255;
    b.RegelFunktion = 1000;
    b.RegelStep = 10;
    axis.setZoneCount(2);
    ASSERT_TRUE(axis.Save()); // has a name now: no dialog
    EXPECT_EQ(dialogs.fileRequests.size(), 1u);
    EXPECT_EQ(dir.read("leer.axr"), kThrottle);
}

TEST_F(AxisFile, RoundTripsEveryFieldWithSignsAndUmlauts) {
    for (int i = 0; i < ZusiAxis::MaxZones; ++i) {
        ZusiZone& z = axis.Zone(i);
        z.Bezeichnung = "Stufe " + std::to_string(i) + " Bremsgriff ÄÖÜ ß";
        z.Start = i * 8 - 3;
        z.Ende = -i;
        z.Funktion = i + 1;
        z.Hold = i % 2;
        z.Repeat = i * 3;
        z.RegelFunktion = 1000 + i % 4;
        z.RegelStep = -i - 1;
        z.Release = 45 - i;
    }
    axis.setZoneCount(ZusiAxis::MaxZones);
    axis.setDateiname("voll.axr"); // relative: lands in the program's directory
    ASSERT_TRUE(axis.Save());
    const std::string bytes = dir.read("voll.axr");
    EXPECT_NE(bytes.find("\r\n-4 \r\n"), std::string::npos);
    EXPECT_NE(bytes.find("Stufe 0 Bremsgriff \xC4\xD6\xDC \xDF\r\n"), std::string::npos);

    ZusiAxis back(dialogs, dir.path());
    ASSERT_TRUE(back.load("voll.axr"));
    ASSERT_EQ(back.ZoneCount(), ZusiAxis::MaxZones);
    for (int i = 0; i < ZusiAxis::MaxZones; ++i) {
        const ZusiZone &z = axis.Zone(i), &r = back.Zone(i);
        EXPECT_EQ(r.Bezeichnung, z.Bezeichnung);
        EXPECT_EQ(std::tie(r.Start, r.Ende, r.Funktion, r.Hold, r.Repeat, r.RegelFunktion,
                           r.RegelStep, r.Release),
                  std::tie(z.Start, z.Ende, z.Funktion, z.Hold, z.Repeat, z.RegelFunktion,
                           z.RegelStep, z.Release));
    }
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(AxisFile, ReadsLenientNumbersAndBareCarriageReturns) {
    std::string cr = kThrottle;
    for (size_t p; (p = cr.find("\r\n")) != std::string::npos;)
        cr.replace(p, 2, "\r");
    // Lenient numbers in the count and in the fields; lines after the last block ignored.
    cr.replace(cr.find(" 2 "), 3, "2.5");
    cr.replace(cr.find(" 20 "), 4, "20abc");
    cr.replace(cr.find(" 16 "), 4, "");
    cr += "Rest\r";
    dir.write("cr.axr", cr);
    ASSERT_TRUE(axis.load("cr.axr"));
    EXPECT_EQ(axis.ZoneCount(), 2);
    EXPECT_EQ(axis.FileVersion(), "1.0");
    EXPECT_EQ(axis.Zone(0).Ende, 20);
    EXPECT_EQ(axis.Zone(0).Funktion, 0);
    EXPECT_EQ(axis.Zone(1).Bezeichnung, "Fahren");
    EXPECT_EQ(axis.Zone(1).RegelStep, 10);
}

TEST_F(AxisFile, LoadOverwritesFieldsButKeepsRecordsAndTimers) {
    ZusiZone* first = &axis.Zone(0);
    axis.Zone(0).Timer = 7;
    axis.Zone(2).Bezeichnung = "alt";
    dir.write("t.axr", kThrottle);
    ASSERT_TRUE(axis.load("t.axr"));
    EXPECT_EQ(&axis.Zone(0), first);
    EXPECT_EQ(axis.Zone(0).Timer, 7);
    EXPECT_EQ(axis.Zone(0).Funktion, 16);
    EXPECT_EQ(axis.Zone(2).Bezeichnung, "alt");
    dir.write("null.axr", lines({"1.0", "[Zones]", " 0 "}));
    ASSERT_TRUE(axis.load("null.axr"));
    EXPECT_EQ(axis.ZoneCount(), 0);
}

TEST_F(AxisFile, RejectsBadFilesWithTheirMessages) {
    struct Case {
        std::string bytes, message;
    } cases[] = {
        {lines({"1.00", "[Zones]", " 0 "}), "Falsche Version der Datei"},
        {lines({"1.0 ", "[Zones]", " 0 "}), "Falsche Version der Datei"},
        {"", "Falsche Version der Datei"},
        {lines({"1.0", "[zones]", " 0 "}), "Dateiformat ungültig"},
        {lines({"1.0", "[Zones]"}), "Dateiformat ungültig"},
        {lines({"1.0", "[Zones]", " 33 "}), "Dateiformat ungültig"},
        {lines({"1.0", "[Zones]", "-1 "}), "Dateiformat ungültig"},
        {kThrottle.substr(0, kThrottle.size() - 5), "Dateiformat ungültig"}, // last line gone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        dir.write("t.axr", kThrottle);
        ASSERT_TRUE(axis.load("t.axr"));
        axis.Zone(1).Timer = 3;
        dir.write("bad.axr", c.bytes);
        dialogs.messages.clear();
        EXPECT_FALSE(axis.load("bad.axr"));
        EXPECT_EQ(dialogs.texts(), std::vector<std::string>{c.message});
        EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::None);
        // The reference stays, but no zone of the previous file acts under its name.
        EXPECT_EQ(axis.Dateiname(), "bad.axr");
        EXPECT_EQ(axis.ZoneCount(), 0);
        EXPECT_EQ(axis.Zone(1).RegelFunktion, 1000);
        EXPECT_EQ(axis.Zone(1).Timer, 3);
    }
}

TEST_F(AxisFile, MissingFileUnassignsTheAxis) {
    axis.setDateiname("alt.axr");
    EXPECT_FALSE(axis.load("fehlt.axr"));
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text, kNotFound);
    EXPECT_EQ(dialogs.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(axis.Dateiname(), "");
}

TEST_F(AxisFile, StoredNamesAreResolvedAgainstTheProgramDirectory) {
    std::filesystem::create_directories(dir.file("Achsen"));
    dir.write("Achsen/Lok.axr", kThrottle);
    // The test runs elsewhere; only the program's directory finds the file.
    ASSERT_NE(std::filesystem::current_path(), std::filesystem::path(dir.path()));
    ASSERT_TRUE(axis.load("Achsen\\Lok.axr"));
    EXPECT_EQ(axis.Dateiname(), "Achsen\\Lok.axr"); // kept as stored
    EXPECT_EQ(axis.Bezeichnung(), "Lok.axr");
    EXPECT_EQ(axis.ZoneCount(), 2);
}

TEST_F(AxisFile, DialogChoicesBelowTheProgramDirectoryBecomeRelative) {
    std::filesystem::create_directories(dir.file("Achsen"));
    dir.write("Achsen/Lok.axr", kThrottle);
    const std::string full = dir.file("Achsen/Lok.axr");
    dialogs.fileChoices.push_back(FakeDialogs::chosen(full));
    ASSERT_TRUE(axis.load());
    EXPECT_EQ(axis.Dateiname(), "Achsen/Lok.axr");
    EXPECT_EQ(axis.Bezeichnung(), "Lok.axr");
    EXPECT_FALSE(dialogs.fileRequests[0].save);
    EXPECT_EQ(dialogs.fileRequests[0].filter, kFilter);
    EXPECT_EQ(dialogs.fileRequests[0].initialDir, dir.path());

    // The comparison is exact: a program directory spelled in another case, or one that
    // is only a prefix of the directory's name, leaves the full path.
    std::string upper = dir.path();
    for (char& c : upper)
        c = char(std::toupper(static_cast<unsigned char>(c)));
    for (const std::string& programDir : {upper, dir.path().substr(0, dir.path().size() - 2)}) {
        ZusiAxis other(dialogs, programDir);
        dialogs.fileChoices.push_back(FakeDialogs::chosen(full));
        ASSERT_TRUE(other.load());
        EXPECT_EQ(other.Dateiname(), full);
    }
}

TEST_F(AxisFile, CancelledAndFailedDialogs) {
    axis.setDateiname("alt.axr");
    EXPECT_FALSE(axis.load());
    EXPECT_FALSE(axis.SaveAs());
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_EQ(axis.Dateiname(), "alt.axr");
    EXPECT_EQ(dialogs.fileRequests.at(1).offeredName, "alt.axr");
    EXPECT_FALSE(std::filesystem::exists(dir.file("alt.axr")));

    dialogs.fileChoices.push_back({FileChoice::Result::Failed, {}, 32755, "Fehler"});
    EXPECT_FALSE(axis.SaveAs());
    EXPECT_EQ(dialogs.texts(), std::vector<std::string>{"Laufzeitfehler: 32755 Fehler"});
}

TEST_F(AxisFile, FailedSaveReportsAndKeepsTheName) {
    axis.setDateiname("alt.axr");
    const std::string target = dir.file("fehlt/neu.axr");
    dialogs.fileChoices.push_back(FakeDialogs::chosen(target));
    EXPECT_FALSE(axis.SaveAs());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].text.rfind(saveFailedMessage(target, ""), 0), 0u);
    EXPECT_EQ(axis.Dateiname(), "alt.axr");
}

TEST_F(AxisFile, LabelLineBreaksCannotShiftTheFile) {
    axis.Zone(0).Bezeichnung = "zwei\r\nZeilen";
    axis.Zone(0).Funktion = 16;
    axis.setZoneCount(1);
    axis.setDateiname("z.axr");
    ASSERT_TRUE(axis.Save());
    ZusiAxis back(dialogs, dir.path());
    ASSERT_TRUE(back.load("z.axr"));
    EXPECT_EQ(back.Zone(0).Bezeichnung, "zwei  Zeilen");
    EXPECT_EQ(back.Zone(0).Funktion, 16);
}
