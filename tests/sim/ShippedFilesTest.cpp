#include "axis/ZusiAxis.h"
#include "common/TextFile.h"
#include "profile/ZusiProfile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace kordan {
namespace {

namespace fs = std::filesystem;

// Every profile and axis file the project ships. Its locomotives are read by the stand-in's
// demo data test, the test locomotives by the locomotive tests.
std::vector<std::string> shippedFiles() {
    const fs::path root = KORDAN_SOURCE_DIR;
    std::vector<std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(root / "demo/kordan"))
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
        ASSERT_TRUE(file.ok());
        EXPECT_FALSE(file.contents().empty());
        EXPECT_EQ(axisFileBytes(file.contents()), *bytes);
    } else if (kind == ".cfr") {
        const auto file = parseProfileFile(*bytes);
        ASSERT_TRUE(file.ok());
        EXPECT_EQ(profileFileBytes(file.contents()), *bytes);
        // Each axis file it names lies beside it or is generated for the locomotive.
        for (const auto& axis : file.contents().axes)
            if (axis && !axis->Dateiname.starts_with("automatisch_")) {
                EXPECT_TRUE(fs::exists(path.parent_path() / axis->Dateiname)) << axis->Dateiname;
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
