#include "axis/ZusiAxis.h"
#include "common/TextFile.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakeRegistry.h"
#include "fakes/TempDir.h"
#include "profile/ZusiProfile.h"
#include "sim/AutomaticAxes.h"
#include "sim/ZusiLokParser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace kordan {
namespace {

namespace fs = std::filesystem;

// Every profile, axis file and locomotive the project ships or tests with.
std::vector<std::string> shippedFiles() {
    const fs::path root = KORDAN_SOURCE_DIR;
    std::vector<std::string> files;
    for (const char* dir : {"demo/kordan", "demo/zusi/Loks", "tests/data/loks"})
        for (const auto& entry : fs::recursive_directory_iterator(root / dir))
            if (entry.is_regular_file())
                files.push_back(fs::relative(entry.path(), root).generic_string());
    std::sort(files.begin(), files.end());
    return files;
}

class ShippedFile : public ::testing::TestWithParam<std::string> {};

TEST_P(ShippedFile, ReadsAndWritesBackTheSameBytes) {
    const fs::path path = fs::path(KORDAN_SOURCE_DIR) / GetParam();
    const auto bytes = readFileBytes(path.string(), kOwnFileLimit);
    ASSERT_TRUE(bytes);
    const std::string kind = path.extension().string();
    if (kind == ".axr") {
        const auto file = parseAxisFile(*bytes);
        ASSERT_FALSE(file.error);
        EXPECT_FALSE(file.contents.empty());
        EXPECT_EQ(axisFileBytes(file.contents), *bytes);
    } else if (kind == ".cfr") {
        const auto file = parseProfileFile(*bytes);
        ASSERT_FALSE(file.error);
        EXPECT_EQ(profileFileBytes(file.contents), *bytes);
        // Each axis file it names lies beside it or is generated for the locomotive.
        for (const auto& axis : file.contents.axes)
            if (axis && !axis->Dateiname.starts_with("automatisch_")) {
                EXPECT_TRUE(fs::exists(path.parent_path() / axis->Dateiname)) << axis->Dateiname;
            }
    } else if (kind == ".lok") {
        test::FakeRegistry registry;
        test::FakeDialogs dialogs;
        ZusiLokParser parser(registry, dialogs, [&](const std::string&) { return path.string(); });
        ASSERT_TRUE(parser.Parse("lok"));
        EXPECT_GT(parser.Fahrstufen(), 0);
        EXPECT_GT(parser.Leistung(), 0);
        // Only a steam locomotive's drive system is unknown to the generation.
        EXPECT_EQ(dialogs.messages.size(), parser.Antriebssystem() == "Dampf" ? 1u : 0u);
        test::TempDir dir;
        generateAutomaticAxes(parser, dir.path(), dialogs);
        for (const char* name : {kAutoEBremseFile, kAutoAfbFile, kAutoBremsventilFile}) {
            const auto generated = readFileBytes(dir.file(name), kOwnFileLimit);
            ASSERT_TRUE(generated) << name;
            EXPECT_FALSE(parseAxisFile(*generated).error) << name;
        }
    } else {
        ADD_FAILURE() << "a shipped file of no known kind";
    }
}

INSTANTIATE_TEST_SUITE_P(Project, ShippedFile, ::testing::ValuesIn(shippedFiles()),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!std::isalnum(static_cast<unsigned char>(c)))
                                     c = '_';
                             return name;
                         });

} // namespace
} // namespace kordan
