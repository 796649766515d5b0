#include "calibration/ZusiKalibrierung.h"

#include "common/TextFile.h"

#include "fakes/FakeDialogs.h"
#include "fakes/TempDir.h"

#include <gtest/gtest.h>

using namespace kordan;
using namespace kordan::test;

namespace {

std::string fileWith(const std::string& header, int levers, const std::string& value = " 4 ") {
    std::string s = "1.0\r\n" + header + "\r\n";
    for (int i = 1; i <= levers; ++i)
        s += "[Hebel" + std::to_string(i) + "]\r\n" + value + "\r\n 0 \r\n 255 \r\n";
    return s;
}

} // namespace

TEST(Kalibrierung, HysteresisScalingAndLimitsApplyAfterSave) {
    TempDir dir;
    FakeDialogs dlg;
    ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
    EXPECT_EQ(k.load(), LoadResult::NotFound);
    EXPECT_TRUE(dlg.loads.empty()); // not calibrated yet is no news
    EXPECT_EQ((std::tuple{k.HystWert(1, 100), k.HystWert(1, 97), k.HystWert(1, 95),
                          k.HystWert(1, 96), k.HystWert(1, 100)}),
              std::tuple(100, 100, 99, 99, 100));
    k.setHysterese(3, 200); // no byte overflow when raw + hysteresis exceeds 255
    EXPECT_EQ((std::tuple{k.HystWert(3, 250), k.HystWert(3, 100)}), std::tuple(250, 250));
    EXPECT_EQ(k.Calculate(4, 128), 126); // round(124 * 255 / 251)
    k.setObere(1, 100);
    EXPECT_EQ(k.Calculate(1, 150), 148) << "new limits wait for Save";
    ASSERT_EQ(k.Save().result, SaveResult::Saved);
    // Held at 56: round(52 * 255 / 96).
    EXPECT_EQ(k.Calculate(1, 150), 255) << "above the upper limit";
    EXPECT_EQ(k.Calculate(1, 52), 138);
    k.setUntere(2, 100);
    k.setObere(2, 104); // no working range: a switch at the lower working limit
    k.Save();
    EXPECT_TRUE(k.hasNoWorkingRange(2));
    EXPECT_EQ(std::tuple(k.Calculate(2, 0), k.Calculate(2, 104)), std::tuple(0, 255));
    ZusiKalibrierung lost(dlg, dir.file("missing-dir/Kalibrierung.dat"));
    const SaveReport failed = lost.Save();
    EXPECT_EQ(failed.result, SaveResult::Failed);
    EXPECT_EQ(failed.path, dir.file("missing-dir/Kalibrierung.dat"));
}

TEST(Kalibrierung, WriterAndParserRoundTripByteExactly) {
    CalibrationValues v{};
    for (int i = 0; i < 7; ++i)
        v[i] = {uint8_t(i + 1), uint8_t(10 * (i + 1)), uint8_t(201 + i)};
    std::string bytes = writeCalibration(v);
    EXPECT_TRUE(bytes.starts_with("1.0\r\n[Kalibrierung]\r\n[Hebel1]\r\n 1 \r\n 10 \r\n 201 \r\n"
                                  "[Hebel2]\r\n 2 \r\n"));
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 30);
    EXPECT_EQ(std::get<CalibrationValues>(parseCalibration(bytes)), v);
    // Value lines are read leniently: fractions round half to even, blanks anywhere.
    auto lenient = std::get<CalibrationValues>(
        parseCalibration("1.0\r\n[Kalibrierung]\r\n[x]\r\n7.5\r\n6.5\r\n2 5 5\r\n"
                         "[x]\r\n\t3\r\nabc\r\n 200x\r\n" +
                         fileWith("", 5).substr(7)));
    EXPECT_EQ(lenient[0], (LeverLimits{8, 6, 255})) << "fractions";
    EXPECT_EQ(lenient[1], (LeverLimits{3, 0, 200})) << "a tab, a word, a trailing word";
}

TEST(Kalibrierung, RefusedFilesAreReportedAndChangeNothing) {
    using E = CalibrationError;
    using F = FileError;
    TempDir dir;
    FakeDialogs dlg;
    ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
    const struct {
        const char* name;
        std::string bytes;
        E parsed;
        std::optional<F> reported; // nullopt: too large
    } rows[] = {
        {"version", "1.1" + fileWith("[Kalibrierung]", 7).substr(3), E::WrongVersion,
         F::WrongVersion},
        {"large", "1.1" + std::string(kOwnFileLimit, ' '), E::WrongVersion, std::nullopt},
        {"header", fileWith("[Kalibrierung] ", 7), E::BadFormat, F::BadFormat},
        {"six levers", fileWith("[Kalibrierung]", 6), E::TooShort, F::TooShort},
        {"256", fileWith("[Kalibrierung]", 7, " 256 "), E::OutOfRange, F::BadFormat},
        {"-1", fileWith("[Kalibrierung]", 7, "-1 "), E::OutOfRange, F::BadFormat},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(std::get<CalibrationError>(parseCalibration(row.bytes)), row.parsed) << row.name;
        dir.write("Kalibrierung.dat", row.bytes);
        dlg.loads.clear();
        EXPECT_EQ(k.load(), LoadResult::Rejected) << row.name;
        ASSERT_EQ(dlg.loads.size(), 1u) << row.name;
        EXPECT_EQ(dlg.loads[0].error, row.reported) << row.name;
        EXPECT_FALSE(k.IsConfigured()) << row.name;
        EXPECT_EQ(k.hysterese(1), 4) << row.name;
        EXPECT_EQ(dir.read("Kalibrierung.dat"), row.bytes) << row.name; // only Save writes
    }
    // The first save keeps the refused file, then it only writes.
    EXPECT_EQ(k.Save().keptCopy, dir.file("Kalibrierung.dat.bak"));
    EXPECT_EQ(k.Save().keptCopy, "");
    EXPECT_EQ(dir.read("Kalibrierung.dat.bak"), fileWith("[Kalibrierung]", 7, "-1 "));
    EXPECT_EQ(dir.read("Kalibrierung.dat"), writeCalibration({}));
}
