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
    EXPECT_TRUE(dlg.messages.empty());
    EXPECT_EQ((std::tuple{k.HystWert(1, 100), k.HystWert(1, 97), k.HystWert(1, 95),
                          k.HystWert(1, 96), k.HystWert(1, 100)}),
              std::tuple(100, 100, 99, 99, 100));
    k.setHysterese(3, 200); // no byte overflow when raw + hysteresis exceeds 255
    EXPECT_EQ((std::tuple{k.HystWert(3, 250), k.HystWert(3, 100)}), std::tuple(250, 250));
    EXPECT_EQ(k.Calculate(4, 128), 126); // round(124 * 255 / 251)
    k.setObere(1, 100);
    EXPECT_EQ(k.Calculate(1, 150), 148) << "new limits wait for Save";
    ASSERT_TRUE(k.Save());
    // Held at 56: round(52 * 255 / 96).
    EXPECT_EQ((std::tuple{k.Calculate(1, 150), k.Calculate(1, 52)}), std::tuple(255, 138));
    k.setUntere(2, 100);
    k.setObere(2, 104); // no working range: a switch at the lower working limit
    k.Save();
    EXPECT_EQ((std::tuple{k.hasNoWorkingRange(2), k.Calculate(2, 0), k.Calculate(2, 104)}),
              std::tuple(true, 0, 255));
    ZusiKalibrierung lost(dlg, dir.file("missing-dir/Kalibrierung.dat"));
    EXPECT_FALSE(lost.Save());
    ASSERT_EQ(dlg.texts().size(), 1u);
    EXPECT_NE(dlg.texts()[0].find("Kalibrierung.dat"), std::string::npos);
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
    EXPECT_EQ(std::tuple(lenient[0], lenient[1]),
              std::tuple(LeverLimits{8, 6, 255}, LeverLimits{3, 0, 200}));
}

TEST(Kalibrierung, RefusedFilesAreReportedAndChangeNothing) {
    const std::string format = "Dateiformat der Kalibierung (Kalibrierung.dat) ist ungültig";
    const std::string version = "Falsche Version der Datei";
    using E = CalibrationError;
    TempDir dir;
    FakeDialogs dlg;
    ZusiKalibrierung k(dlg, dir.file("Kalibrierung.dat"));
    for (const auto& [bytes, error, message] :
         {std::tuple{"1.1" + fileWith("[Kalibrierung]", 7).substr(3), E::WrongVersion, version},
          {"1.1" + std::string(kOwnFileLimit, ' '), E::WrongVersion,
           "Datei zu groß: Kalibrierung.dat (2 MB)"},
          {"", E::WrongVersion, version},
          {fileWith("[Kalibrierung] ", 7), E::BadFormat, format},
          {fileWith("[Kalibrierung]", 6), E::TooShort, format},
          {fileWith("[Kalibrierung]", 7, " 256 "), E::OutOfRange, format},
          {fileWith("[Kalibrierung]", 7, "-1 "), E::OutOfRange, format}}) {
        EXPECT_EQ(std::get<CalibrationError>(parseCalibration(bytes)), error)
            << bytes.substr(0, 60);
        dir.write("Kalibrierung.dat", bytes);
        dlg.messages.clear();
        // Only an explicit Save writes.
        EXPECT_EQ(
            (std::tuple{k.load(), dlg.texts(), dlg.messages.at(0).icon, k.IsConfigured(),
                        k.hysterese(1), dir.read("Kalibrierung.dat")}),
            std::tuple(LoadResult::Rejected, std::vector{message}, MsgIcon::None, false, 4, bytes))
            << bytes;
    }
    EXPECT_TRUE(k.Save()); // the first keeps the refused file, then only writes
    EXPECT_TRUE(k.Save());
    EXPECT_EQ(dlg.texts().back(), "Die Datei Kalibrierung.dat konnte nicht gelesen werden; "
                                  "sie bleibt als Kalibrierung.dat.bak erhalten.");
    EXPECT_EQ(std::tuple(dir.read("Kalibrierung.dat.bak"), dir.read("Kalibrierung.dat"),
                         std::filesystem::exists(dir.file("Kalibrierung.dat.1.bak"))),
              std::tuple(fileWith("[Kalibrierung]", 7, "-1 "), writeCalibration({}), false));
}
