#include "StandinFiles.h"
#include "StandinKeys.h"

#include "fakes/TempDir.h"
#include "sim/winereg/WineRegistry.h"

#include <gtest/gtest.h>

namespace standin {
namespace {

namespace fs = std::filesystem;

// Values are read back as the program reads them: through its Wine registry reader, in cp1252.
TEST(StandinRegistry, ProgramReadsBackEveryPublishedValue) {
    kordan::test::TempDir dir;
    RegistryWriter writer(dir.path());
    ASSERT_TRUE(writer.publish(standinValues(-0.04, 12.3456)));
    const auto reg = kordan::makeWineRegistry(writer.file());
    for (const auto& s : keySettings())
        EXPECT_EQ(reg->readString("Software\\zusi\\zusi", "T" + std::to_string(s.index)),
                  std::to_string(s.virtualKey));
    // The program asks for the directory under a lower-case key name.
    EXPECT_EQ(reg->readString("Software\\zusi\\zusi", "km/h"), "0,0");
    EXPECT_EQ(reg->readString("Software\\zusi\\zusi", "km"), "12,346");
    EXPECT_EQ(reg->readString("software\\zusi", "ZusiDir"), "C:\\Zusi");
}

TEST(StandinCurrentTrain, WritesTheLocoBelowTheSimulatorsDirectory) {
    kordan::test::TempDir dir;
    const fs::path prefix = dir.path();
    ASSERT_TRUE(preparePrefix(prefix));
    EXPECT_TRUE(fs::is_symlink(prefix / "dosdevices" / "c:"));
    CurrentTrainWriter writer(prefix);
    ASSERT_TRUE(writer.write("Loks\\Elektrisch\\Bö 1.lok"));
    EXPECT_EQ(dir.read("drive_c/Zusi/temp/aktuellerzug.txt"), "Loks\\Elektrisch\\B\xF6 1.lok\r\n");
}

} // namespace
} // namespace standin
