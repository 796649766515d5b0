#include "sim/ZusiLokParser.h"

#include "fakes/FakeDialogs.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempDir.h"
#include "sim/LokTestFiles.h"

#include <gtest/gtest.h>

#include <limits>

namespace kordan {
namespace {

using test::FakeDialogs;
using test::FakeRegistry;
using test::LokValues;
using test::TempDir;

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
        auto lines = test::lokLines({});
        lines[0] = first ? first : "";
        std::string bytes;
        for (const auto& l : lines)
            bytes += l + "\r\n";
        dialogs.messages.clear();
        EXPECT_FALSE(parse(p, first ? bytes : std::string())) << (first ? first : "no line");
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
        std::string bytes;
        for (size_t i = 0; i < n; ++i)
            bytes += lines[i] + "\r\n";
        dialogs.messages.clear();
        const bool ok = parse(p, bytes);
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
