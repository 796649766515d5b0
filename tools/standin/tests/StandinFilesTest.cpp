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

// A value as the program reads it: through the Wine registry reader, in Windows-1252.
std::optional<std::string> readValue(kordan::IRegistryBackend& reg, const std::string& key,
                                     const std::string& name) {
    return reg.readString(key, name);
}

TEST(StandinRegistry, ProgramReadsBackEveryPublishedValue) {
    kordan::test::TempDir dir;
    RegistryWriter writer(dir.path());
    ASSERT_TRUE(writer.publish(standinValues(-0.04, 12.3456)));
    auto reg = kordan::makeWineRegistry(writer.file());
    for (const auto& s : keySettings())
        EXPECT_EQ(readValue(*reg, "Software\\zusi\\zusi", "T" + std::to_string(s.index)),
                  std::to_string(s.virtualKey));
    EXPECT_EQ(readValue(*reg, "Software\\zusi\\zusi", "km/h"), "0,0");
    EXPECT_EQ(readValue(*reg, "Software\\zusi\\zusi", "km"), "12,346");
    // The program asks for the directory under a lower-case key name.
    EXPECT_EQ(readValue(*reg, "software\\zusi", "ZusiDir"), "C:\\Zusi");
}

TEST(StandinRegistry, EscapedTextsSurviveTheReader) {
    kordan::test::TempDir dir;
    RegistryWriter writer(dir.path());
    // Backslashes, quotes, umlauts, the euro sign (0x80 in Windows-1252) and a character
    // outside it, each followed by hex digits that an escape must not swallow.
    const std::string tricky = "C:\\Fahr\"zeuge\\Bäume1 €ab 中C";
    ASSERT_TRUE(writer.publish({{"Software\\Test \"Ä\"", {{"Wert\\1", tricky}}}}));
    auto reg = kordan::makeWineRegistry(writer.file());
    EXPECT_EQ(readValue(*reg, kordan::toWindows1252("software\\test \"ä\""), "wert\\1"),
              kordan::toWindows1252(tricky));
}

TEST(StandinRegistry, RewritesOnlyWhenAValueChanges) {
    kordan::test::TempDir dir;
    RegistryWriter writer(dir.path());
    ASSERT_TRUE(writer.publish(standinValues(0, 12)));
    fs::remove(writer.file());
    ASSERT_TRUE(writer.publish(standinValues(0, 12)));
    EXPECT_FALSE(fs::exists(writer.file()));
    ASSERT_TRUE(writer.publish(standinValues(0.5, 12)));
    ASSERT_TRUE(fs::exists(writer.file()));
    auto reg = kordan::makeWineRegistry(writer.file());
    EXPECT_EQ(readValue(*reg, "Software\\zusi\\zusi", "km/h"), "0,5");
    // Without the prefix nothing can be published.
    RegistryWriter missing(fs::path(dir.path()) / "no" / "such");
    EXPECT_FALSE(missing.publish(standinValues(0, 0)));
}

TEST(StandinCurrentTrain, WritesTheLocoBelowTheSimulatorsDirectory) {
    kordan::test::TempDir dir;
    const fs::path prefix = dir.path();
    std::string error;
    EXPECT_FALSE(CurrentTrainWriter(prefix).write("Loks\\A.lok", &error)) << "not prepared";
    EXPECT_FALSE(error.empty());
    ASSERT_TRUE(preparePrefix(prefix));
    EXPECT_TRUE(fs::is_symlink(prefix / "dosdevices" / "c:"));
    // Preparing again keeps what is there.
    ASSERT_TRUE(preparePrefix(prefix));

    CurrentTrainWriter writer(prefix);
    ASSERT_TRUE(writer.write("Loks\\Elektrisch\\Bö 1.lok"));
    const auto bytes =
        kordan::readFileBytes((prefix / "drive_c" / "Zusi" / "temp" / "aktuellerzug.txt").string(),
                              kordan::kOwnFileLimit);
    ASSERT_TRUE(bytes);
    EXPECT_EQ(*bytes, "Loks\\Elektrisch\\B\xF6 1.lok\r\n");
}

TEST(StandinCurrentTrain, QuickChangesGetTimesInDifferentSeconds) {
    kordan::test::TempDir dir;
    ASSERT_TRUE(preparePrefix(dir.path()));
    CurrentTrainWriter writer(dir.path());
    using std::chrono::floor;
    using std::chrono::seconds;
    std::vector<fs::file_time_type> times;
    for (const char* lok : {"Loks\\A.lok", "Loks\\B.lok", "Loks\\C.lok"}) {
        ASSERT_TRUE(writer.write(lok));
        times.push_back(floor<seconds>(fs::last_write_time(writer.file())));
    }
    EXPECT_TRUE(times[0] < times[1] && times[1] < times[2]);
}

} // namespace
} // namespace standin
