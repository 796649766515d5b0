#include "common/AtomicFile.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

#include <set>

using namespace kordan;

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

TEST(AtomicFile, WritesThroughALinkKeepsPermissionsAndLeavesNoTemporaryOfItsOwn) {
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
    std::set<std::string> left;
    for (const auto& e : fs::directory_iterator(dir.path()))
        left.insert(e.path().filename().string());
    EXPECT_EQ(left, (std::set<std::string>{"Kalibrierung.dat", "real.dat", "real.dat.kordan-tmpx",
                                           "real.dat.tmp1"}));
}
