#include "common/AtomicFile.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

using namespace kordan;

TEST(AtomicFile, ReplacesTheFileAndLeavesNoTemporary) {
    test::TempDir dir;
    dir.write("a.cfr", "old");
    ASSERT_TRUE(writeFileAtomically(dir.file("a.cfr"), "new"));
    EXPECT_EQ(dir.read("a.cfr"), "new");
    int files = 0;
    for (auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++files;
    }
    EXPECT_EQ(files, 1);
}

TEST(AtomicFile, AFailedWriteReportsFailureAndKeepsTheOldFile) {
    test::TempDir dir;
    std::string error;
    EXPECT_FALSE(writeFileAtomically(dir.file("missing/x.axr"), "data", &error));
    EXPECT_FALSE(error.empty());
    // A directory in the way of the target.
    std::filesystem::create_directory(dir.file("d"));
    EXPECT_FALSE(writeFileAtomically(dir.file("d"), "data"));
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("d")));
}
