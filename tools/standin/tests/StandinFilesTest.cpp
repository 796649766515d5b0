#include "StandinFiles.h"
#include "StandinKeys.h"

#include "common/TextFile.h"
#include "fakes/TempDir.h"
#include "sim/winereg/WineRegistry.h"

#include <gtest/gtest.h>

#include <chrono>

namespace standin {
namespace {

namespace fs = std::filesystem;

// Values are read back as the program reads them: through the Wine registry reader, in
// Windows-1252.
TEST(StandinRegistry, ProgramReadsBackEveryPublishedValueAndOnlyChangesRewrite) {
    kordan::test::TempDir dir;
    RegistryWriter writer(dir.path());
    ASSERT_TRUE(writer.publish(standinValues(-0.04, 12.3456)));
    auto reg = kordan::makeWineRegistry(writer.file());
    for (const auto& s : keySettings())
        EXPECT_EQ(reg->readString("Software\\zusi\\zusi", "T" + std::to_string(s.index)),
                  std::to_string(s.virtualKey));
    // The program asks for the directory under a lower-case key name.
    EXPECT_EQ(std::tuple(reg->readString("Software\\zusi\\zusi", "km/h"),
                         reg->readString("Software\\zusi\\zusi", "km"),
                         reg->readString("software\\zusi", "ZusiDir")),
              std::tuple("0,0", "12,346", "C:\\Zusi"));

    fs::remove(writer.file());
    ASSERT_TRUE(writer.publish(standinValues(-0.04, 12.3456)));
    EXPECT_FALSE(fs::exists(writer.file()));
    ASSERT_TRUE(writer.publish(standinValues(0.5, 12)));
    EXPECT_EQ(kordan::makeWineRegistry(writer.file())->readString("Software\\zusi\\zusi", "km/h"),
              "0,5");
    // Without the prefix nothing can be published.
    EXPECT_FALSE(RegistryWriter(fs::path(dir.path()) / "no" / "such").publish(standinValues(0, 0)));
}

TEST(StandinRegistry, EscapedTextsSurviveTheReader) {
    kordan::test::TempDir dir;
    RegistryWriter writer(dir.path());
    // Backslashes, quotes, umlauts, the euro sign (0x80 in Windows-1252) and a character
    // outside it, each followed by hex digits that an escape must not swallow.
    const std::string tricky = "C:\\Fahr\"zeuge\\Bäume1 €ab 中C";
    ASSERT_TRUE(writer.publish({{"Software\\Test \"Ä\"", {{"Wert\\1", tricky}}}}));
    EXPECT_EQ(kordan::makeWineRegistry(writer.file())
                  ->readString(kordan::toWindows1252("software\\test \"ä\""), "wert\\1"),
              kordan::toWindows1252(tricky));
}

TEST(StandinCurrentTrain, WritesTheLocoBelowTheSimulatorsDirectoryInDifferentSeconds) {
    kordan::test::TempDir dir;
    const fs::path prefix = dir.path();
    std::string error;
    EXPECT_FALSE(CurrentTrainWriter(prefix).write("Loks\\A.lok", &error)) << "not prepared";
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(preparePrefix(prefix));
    EXPECT_TRUE(fs::is_symlink(prefix / "dosdevices" / "c:"));
    ASSERT_TRUE(preparePrefix(prefix)); // again: keeps what is there

    CurrentTrainWriter writer(prefix);
    ASSERT_TRUE(writer.write("Loks\\Elektrisch\\Bö 1.lok"));
    EXPECT_EQ(
        kordan::readFileBytes((prefix / "drive_c" / "Zusi" / "temp" / "aktuellerzug.txt").string(),
                              kordan::kOwnFileLimit),
        "Loks\\Elektrisch\\B\xF6 1.lok\r\n");
    // Quick changes get times in different seconds, so that a watcher sees each.
    std::vector<fs::file_time_type> times;
    for (const char* lok : {"Loks\\A.lok", "Loks\\B.lok", "Loks\\C.lok"}) {
        ASSERT_TRUE(writer.write(lok));
        times.push_back(
            std::chrono::floor<std::chrono::seconds>(fs::last_write_time(writer.file())));
    }
    EXPECT_TRUE(times[0] < times[1] && times[1] < times[2]);
}

} // namespace
} // namespace standin
