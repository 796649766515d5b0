#include "common/win32/Win32Settings.h"
#include "common/win32/WinText.h"

#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace kordan {
namespace {

const char* const kTestKey = "Software\\ZusiKordanTest\\Settings";

class Win32SettingsTest : public ::testing::Test {
protected:
    ~Win32SettingsTest() override { RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ZusiKordanTest"); }
};

TEST_F(Win32SettingsTest, TheFiveKeysRoundTrip) {
    auto settings = makeWin32Settings(kTestKey);
    const std::pair<const char*, const char*> values[] = {
        {"AutoLoad", "1"}, {"Polling", "25"}, {"Speaker", "0"}, {"Led", "2"}, {"Modus", "Test"}};
    for (auto [key, value] : values) {
        EXPECT_EQ(settings->get(key, "default"), "default") << key;
        settings->set(key, value);
    }
    // A fresh store object reads what the first one wrote: nothing is cached.
    auto again = makeWin32Settings(kTestKey);
    for (auto [key, value] : values)
        EXPECT_EQ(again->get(key, "default"), value) << key;
    again->set("Modus", "Run");
    EXPECT_EQ(settings->get("Modus", "Test"), "Run");
    settings->set("Polling", "");
    EXPECT_EQ(settings->get("Polling", "10"), "");
}

TEST_F(Win32SettingsTest, ValuesStoredByOthersAndNonTextValues) {
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, kTestKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    // As an older program stored them: single-byte strings.
    RegSetValueExA(key, "Modus", 0, REG_SZ, reinterpret_cast<const BYTE*>("Run"), 4);
    RegSetValueExA(key, "Led", 0, REG_SZ, reinterpret_cast<const BYTE*>("1"), 1); // no NUL
    const DWORD number = 5;
    RegSetValueExA(key, "Polling", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number),
                   sizeof number);
    RegCloseKey(key);
    auto settings = makeWin32Settings(kTestKey);
    EXPECT_EQ(settings->get("modus", "Test"), "Run");
    EXPECT_EQ(settings->get("Led", "0"), "1");
    EXPECT_EQ(settings->get("Polling", "10"), "10");
    settings->set("Speaker", "\xC3\xA4"); // UTF-8 in, UTF-8 out
    EXPECT_EQ(settings->get("Speaker", ""), "\xC3\xA4");
}

TEST_F(Win32SettingsTest, DefaultStoreIsTheLongUsedLocation) {
    if (!test::runningUnderWine())
        GTEST_SKIP() << "writes the user's real settings; run only in Wine's throwaway prefix";
    makeWin32Settings()->set("Polling", "33");
    char buffer[16] = {};
    DWORD size = sizeof buffer;
    ASSERT_EQ(RegGetValueA(HKEY_CURRENT_USER,
                           "Software\\VB and VBA Program Settings\\ZusiKordan\\Settings", "Polling",
                           RRF_RT_REG_SZ, nullptr, buffer, &size),
              ERROR_SUCCESS);
    EXPECT_STREQ(buffer, "33");
    EXPECT_EQ(makeWin32Settings()->get("Polling", "10"), "33");
}

TEST(Win32ProgramDirectory, ExecutableDirectoryUnlessNotWritable) {
    const std::string exeDir = test::testProgramDirectory();
    EXPECT_EQ(win32ProgramDirectory(), exeDir);

    const std::filesystem::path appData =
        std::filesystem::temp_directory_path() /
        ("kordan-appdata-" + std::to_string(GetCurrentProcessId()));
    std::filesystem::create_directories(appData);
    const std::string appDataText = fromWide(appData.wstring());
    const std::string chosen = chooseProgramDirectory(exeDir + "\\no such folder", appDataText);
    EXPECT_EQ(chosen, appDataText + "\\ZusiKordan");
    EXPECT_TRUE(std::filesystem::is_directory(appData / "ZusiKordan"));
    // Asked again, the existing folder is simply used.
    EXPECT_EQ(chooseProgramDirectory("", appDataText), appDataText + "\\ZusiKordan");
    // The probe leaves nothing behind.
    EXPECT_EQ(chooseProgramDirectory(appDataText, "unused"), appDataText);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(appData),
                            std::filesystem::directory_iterator()),
              1);
    std::filesystem::remove_all(appData);
}

} // namespace
} // namespace kordan
