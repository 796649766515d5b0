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

TEST(AtomicFile, WritesThroughALinkKeepsPermissionsAndClearsItsStaleTemporaries) {
    namespace fs = std::filesystem;
    test::TempDir dir;
    dir.write("real.dat", "old");
    fs::permissions(dir.file("real.dat"), fs::perms::owner_read | fs::perms::owner_write);
    fs::create_symlink("real.dat", dir.file("Kalibrierung.dat"));
    // Left by a write that was killed; only the writer's own pattern is removed.
    for (const char* name : {"real.dat.kordan-tmp123", "real.dat.kordan-tmpx", "real.dat.tmp1"})
        dir.write(name, "");
    ASSERT_TRUE(writeFileAtomically(dir.file("Kalibrierung.dat"), "new"));
    EXPECT_TRUE(fs::is_symlink(dir.file("Kalibrierung.dat")));
    EXPECT_EQ(dir.read("real.dat"), "new");
    EXPECT_EQ(fs::status(dir.file("real.dat")).permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_FALSE(fs::exists(dir.file("real.dat.kordan-tmp123")));
    EXPECT_TRUE(fs::exists(dir.file("real.dat.kordan-tmpx")) &&
                fs::exists(dir.file("real.dat.tmp1")));
}
