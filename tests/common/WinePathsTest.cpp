#include "common/WinePaths.h"

#include "fakes/TempDir.h"

#include <gtest/gtest.h>

namespace kordan {
namespace {

namespace fs = std::filesystem;

TEST(WinePaths, PrefixFromEnvironmentValues) {
    EXPECT_EQ(winePrefix("/opt/zusi-wine", "/home/lf"), fs::path("/opt/zusi-wine"));
    EXPECT_EQ(winePrefix("", "/home/lf"), fs::path("/home/lf/.wine"));
    EXPECT_EQ(winePrefix(nullptr, "/home/lf"), fs::path("/home/lf/.wine"));
    EXPECT_EQ(winePrefix(nullptr, nullptr), std::nullopt);
}

TEST(WinePaths, DrivePathsMapBelowDosdevices) {
    const fs::path prefix = "/home/lf/.wine";
    EXPECT_EQ(wineDosPath("C:\\Programme\\Zusi", prefix),
              fs::path("/home/lf/.wine/dosdevices/c:/Programme/Zusi"));
    EXPECT_EQ(wineDosPath("d:\\Zusi\\\\Loks\\", prefix),
              fs::path("/home/lf/.wine/dosdevices/d:/Zusi/Loks"));
    EXPECT_EQ(wineDosPath("C:\\", prefix), fs::path("/home/lf/.wine/dosdevices/c:"));
    // The simulator's fallback directory has no drive: it is taken as drive C:.
    EXPECT_EQ(wineDosPath("\\programme\\zusi", prefix),
              fs::path("/home/lf/.wine/dosdevices/c:/programme/zusi"));
    EXPECT_EQ(wineDosPath("Zusi\\Loks", prefix), std::nullopt);
    EXPECT_EQ(wineDosPath("C:Zusi", prefix), std::nullopt);
    EXPECT_EQ(wineDosPath("\\\\server\\share\\Zusi", prefix), std::nullopt);
    EXPECT_EQ(wineDosPath("", prefix), std::nullopt);
    EXPECT_EQ(wineDosPath("1:\\x", prefix), std::nullopt);
}

TEST(WinePaths, ResolvingIgnoresCasePerComponent) {
    test::TempDir dir;
    const fs::path root = dir.path();
    fs::create_directories(root / "drive_c" / "Programme" / "Zusi" / "Loks" / "Elektrisch");
    dir.write("drive_c/Programme/Zusi/Loks/Elektrisch/BR 101.fzg", "2.3");
    fs::create_directory(root / "dosdevices");
    fs::create_directory_symlink("../drive_c", root / "dosdevices" / "c:");

    const auto mapped = wineDosPath("C:\\PROGRAMME\\zusi\\loks\\elektrisch\\br 101.FZG", root);
    ASSERT_TRUE(mapped);
    const fs::path resolved = resolveCaseInsensitive(*mapped);
    EXPECT_EQ(resolved, root / "dosdevices/c:/Programme/Zusi/Loks/Elektrisch/BR 101.fzg");
    EXPECT_TRUE(fs::is_regular_file(resolved));

    // A file that does not exist yet keeps its own spelling below the found directories.
    EXPECT_EQ(resolveCaseInsensitive(root / "DRIVE_C/programme/Neu/Datei.txt"),
              root / "drive_c/Programme/Neu/Datei.txt");
}

TEST(WinePaths, ExactSpellingWinsAndUmlautsFold) {
    test::TempDir dir;
    const fs::path root = dir.path();
    fs::create_directory(root / "zusi");
    fs::create_directory(root / "Zusi");
    fs::create_directory(root / "F\u00fchrerst\u00e4nde");
    EXPECT_EQ(resolveCaseInsensitive(root / "Zusi"), root / "Zusi");
    EXPECT_EQ(resolveCaseInsensitive(root / "zusi"), root / "zusi");
    EXPECT_EQ(resolveCaseInsensitive(root / "ZUSI"), root / "Zusi"); // first in name order
    EXPECT_EQ(resolveCaseInsensitive(root / "F\u00dcHRERST\u00c4NDE"),
              root / "F\u00fchrerst\u00e4nde");
    EXPECT_TRUE(equalsIgnoringCase("\u00d6l", "\u00f6L"));
    EXPECT_FALSE(equalsIgnoringCase("\u00d7", "\u00f7")); // multiplication and division sign
    EXPECT_FALSE(equalsIgnoringCase("Zusi", "Zus"));
}

} // namespace
} // namespace kordan
