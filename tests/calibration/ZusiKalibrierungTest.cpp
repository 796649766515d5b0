#include "calibration/ZusiKalibrierung.h"

#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

using namespace kordan;
using kordan::test::FakeDialogs;
using kordan::test::TempDir;

namespace {

std::string fileWith(const std::string& version, const std::string& header, int levers,
                     const std::string& value = " 4 ") {
    std::string s = version + "\r\n" + header + "\r\n";
    for (int i = 1; i <= levers; ++i)
        s += "[Hebel" + std::to_string(i) + "]\r\n" + value + "\r\n 0 \r\n 255 \r\n";
    return s;
}

class Kalibrierung : public ::testing::Test {
protected:
    TempDir dir;
    FakeDialogs dlg;
};

} // namespace

TEST_F(Kalibrierung, HysteresisHoldsFallingValues) {
    ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
    std::vector<int> got;
    for (int raw : {100, 97, 95, 96, 100})
        got.push_back(k.HystWert(1, uint8_t(raw)));
    EXPECT_EQ(got, (std::vector<int>{100, 100, 99, 99, 100}));
    EXPECT_EQ(k.HystWert(2, 0), 0);
    EXPECT_EQ(k.HystWert(2, 1), 1);
    // No byte overflow when raw + hysteresis exceeds 255.
    k.setHysterese(3, 200);
    EXPECT_EQ(k.HystWert(3, 250), 250);
    EXPECT_EQ(k.HystWert(3, 100), 250);
}

TEST_F(Kalibrierung, ScalesIntoTheWorkingRange) {
    ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
    EXPECT_FALSE(k.IsConfigured());
    EXPECT_TRUE(dlg.messages.empty());   // a missing file is silent
    EXPECT_EQ(k.Calculate(1, 128), 126); // round(124 * 255 / 251)
    for (int raw = 0; raw <= 4; ++raw) {
        ZusiKalibrierung fresh(dlg, dir.file("other.dat"));
        EXPECT_EQ(fresh.Calculate(2, uint8_t(raw)), 0);
    }
    EXPECT_EQ(k.Calculate(2, 255), 255);
    // Every raw value of every path lands in 0-255 (the result type is a byte, so check
    // the ends of the range are reached and the scaling is monotonic when rising).
    int last = -1;
    for (int raw = 0; raw <= 255; ++raw) {
        int v = k.Calculate(4, uint8_t(raw));
        EXPECT_GE(v, last);
        last = v;
    }
    EXPECT_EQ(last, 255);
}

TEST_F(Kalibrierung, NewLimitsApplyOnlyAfterSave) {
    ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
    k.setObere(1, 100);
    EXPECT_EQ(k.Calculate(1, 150), 148); // round(146 * 255 / 251)
    ASSERT_TRUE(k.Save());
    EXPECT_EQ(k.Calculate(1, 150), 255);
    // Falling to 52 leaves the filter as 52 + 4: round((56 - 4) * 255 / 96) = 138.
    EXPECT_EQ(k.Calculate(1, 52), 138);
}

TEST_F(Kalibrierung, LeverWithoutWorkingRangeStillGivesAByte) {
    ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
    k.setUntere(1, 90);
    k.setObere(1, 130);
    k.setHysterese(1, 50); // Minimum 140 > Maximum 130
    k.setUntere(2, 100);
    k.setObere(2, 104); // Spanne 0
    k.Save();
    EXPECT_TRUE(k.hasNoWorkingRange(1));
    EXPECT_TRUE(k.hasNoWorkingRange(2));
    EXPECT_FALSE(k.hasNoWorkingRange(3));
    EXPECT_EQ(k.Calculate(2, 0), 0);
    EXPECT_EQ(k.Calculate(2, 104), 255);
    EXPECT_EQ(k.Calculate(1, 10), 0);
    EXPECT_EQ(k.Calculate(1, 200), 255);
}

TEST_F(Kalibrierung, IndexOutsideOneToSevenThrows) {
    ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
    EXPECT_THROW(k.Calculate(0, 1), std::out_of_range);
    EXPECT_THROW(k.Calculate(8, 1), std::out_of_range);
    EXPECT_THROW(k.setUntere(8, 1), std::out_of_range);
    EXPECT_EQ(k.maxHebel(), 7);
}

TEST_F(Kalibrierung, FileRoundTripAndLayout) {
    { ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat")); } // untouched: the defaults
    EXPECT_TRUE(
        dir.read("Kalibrierung.dat")
            .starts_with(
                "1.0\r\n[Kalibrierung]\r\n[Hebel1]\r\n 4 \r\n 0 \r\n 255 \r\n[Hebel2]\r\n"));
    {
        ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
        for (int i = 1; i <= 7; ++i) {
            k.setHysterese(i, uint8_t(i));
            k.setUntere(i, uint8_t(10 * i));
            k.setObere(i, uint8_t(200 + i));
        }
    } // the destructor saves
    std::string bytes = dir.read("Kalibrierung.dat");
    EXPECT_TRUE(bytes.starts_with("1.0\r\n[Kalibrierung]\r\n[Hebel1]\r\n 1 \r\n 10 \r\n 201 \r\n"));
    int lines = 0;
    for (char c : bytes)
        lines += c == '\n';
    EXPECT_EQ(lines, 30);
    ZusiKalibrierung again(dlg, dir.file("Kalibrierung.dat"));
    EXPECT_TRUE(again.IsConfigured());
    for (int i = 1; i <= 7; ++i) {
        EXPECT_EQ(again.hysterese(i), i);
        EXPECT_EQ(again.Untere(i), 10 * i);
        EXPECT_EQ(again.Obere(i), 200 + i);
    }
    EXPECT_TRUE(dlg.messages.empty());
}

TEST_F(Kalibrierung, RejectedFilesKeepInitialValuesAndAreReplacedAtTheEnd) {
    dir.write("Kalibrierung.dat", fileWith("1.1", "[Kalibrierung]", 7, " 9 "));
    {
        ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
        EXPECT_EQ(dlg.texts(), std::vector<std::string>{"Falsche Version der Datei"});
        EXPECT_EQ(dlg.messages[0].icon, MsgIcon::None);
        EXPECT_FALSE(k.IsConfigured());
        EXPECT_EQ(k.hysterese(1), 4);
    }
    EXPECT_EQ(dir.read("Kalibrierung.dat").substr(0, 5), "1.0\r\n");

    const std::string format = "Dateiformat der Kalibierung (Kalibrierung.dat) ist ungültig";
    for (std::string bad :
         {fileWith("1.0", "[Kalibrierung] ", 7), fileWith("1.0", "[Kalibrierung]", 6),
          fileWith("1.0", "[Kalibrierung]", 7, " 256 "),
          fileWith("1.0", "[Kalibrierung]", 7, "-1 ")}) {
        FakeDialogs d;
        dir.write("bad.dat", bad);
        ZusiKalibrierung k(d, dir.file("bad.dat"));
        EXPECT_EQ(d.texts(), std::vector<std::string>{format});
        EXPECT_FALSE(k.IsConfigured());
        EXPECT_EQ(k.hysterese(1), 4);
        EXPECT_EQ(k.Obere(7), 255);
    }
}

TEST_F(Kalibrierung, ValueLinesReadLeniently) {
    std::string s = "1.0\r\n[Kalibrierung]\r\n";
    const char* values[7][3] = {{"7.5", "6.5", "2 5 5"}, {"\t3", "abc", " 200x"}, {"4", "0", "255"},
                                {"4", "0", "255"},       {"4", "0", "255"},       {"4", "0", "255"},
                                {"4", "0", "255"}};
    for (int i = 0; i < 7; ++i)
        s += "[x]\r\n" + std::string(values[i][0]) + "\r\n" + values[i][1] + "\r\n" + values[i][2] +
             "\r\n";
    dir.write("Kalibrierung.dat", s);
    ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
    ASSERT_TRUE(k.IsConfigured());
    EXPECT_EQ(k.hysterese(1), 8);
    EXPECT_EQ(k.Untere(1), 6);
    EXPECT_EQ(k.Obere(1), 255);
    EXPECT_EQ(k.hysterese(2), 3);
    EXPECT_EQ(k.Untere(2), 0);
    EXPECT_EQ(k.Obere(2), 200);
}

TEST_F(Kalibrierung, FailedSaveIsReportedNotHidden) {
    ZusiKalibrierung k(dlg, dir.file("missing-dir/Kalibrierung.dat"));
    EXPECT_FALSE(k.Save());
    ASSERT_EQ(dlg.messages.size(), 1u);
    EXPECT_NE(dlg.messages[0].text.find("Kalibrierung.dat"), std::string::npos);
}
