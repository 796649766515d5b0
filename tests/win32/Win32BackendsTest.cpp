#include "common/win32/Win32Settings.h"
#include "common/win32/WinText.h"
#include "device/win32/PieHidDll.h"
#include "sim/ZusiRegistry.h"
#include "sim/win32/Win32Registry.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>

namespace kordan {
namespace {

namespace fs = std::filesystem;

// True under Wine, where the tests run in a throwaway prefix; on Windows the tests stay
// away from anything a real user keeps.
bool runningUnderWine() {
    HMODULE ntdll = GetModuleHandleW(L"ntdll.dll");
    return ntdll && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

// A fresh key below HKEY_CURRENT_USER, removed again afterwards.
struct RegistryKey {
    explicit RegistryKey(std::string path) : path(std::move(path)) {
        RegCreateKeyExA(HKEY_CURRENT_USER, this->path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &key, nullptr);
    }
    ~RegistryKey() {
        RegCloseKey(key);
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ZusiKordanTest");
    }
    void set(const char* name, const std::string& text, bool withNul = true) {
        RegSetValueExA(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>(text.size() + withNul));
    }
    void set(const char* name, DWORD number) {
        RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), 4);
    }
    std::string path;
    HKEY key = nullptr;
};

// The simulator's values read through the registry reader; the program's settings written and
// read, also as an older program stored them and in the store it used.
TEST(Win32Registry, ZusiValuesAndTheProgramsSettingsComeBackAsStored) {
    // The simulator's own key in Wine's prefix; on Windows one of the test's own.
    const std::string path =
        runningUnderWine() ? "Software\\zusi\\zusi" : "Software\\ZusiKordanTest\\zusi\\zusi";
    RegistryKey key(path);
    key.set("T0", "38");
    key.set("ZusiDir", "C:\\Zusi \xC4nderung"); // Windows-1252 umlaut
    key.set("bare", "40", false); // no NUL stored: still read whole, never past the value
    key.set("full", std::string(256, 'b'), false);
    key.set("dword", 38);
    auto backend = makeWin32Registry();
    ZusiRegistry reader(*backend);
    reader.schluessel("Software\\ZusiKordanTest\\does not exist");
    EXPECT_EQ(reader.Value("T0"), "");
    reader.schluessel(path);
    const std::pair<const char*, std::string> values[] = {{"T0", "38"},
                                                          {"ZusiDir", "C:\\Zusi \xC3\x84nderung"},
                                                          {"bare", "40"},
                                                          {"full", ""},
                                                          {"dword", ""}};
    for (const auto& [name, value] : values)
        EXPECT_EQ(reader.Value(name), value) << name;
    const char* const settingsPath = "Software\\ZusiKordanTest\\Settings";
    RegistryKey stored(settingsPath);
    auto settings = makeWin32Settings(settingsPath);
    settings->set("Polling", "25");
    settings->set("Speaker", "\xC3\xA4"); // UTF-8 in, UTF-8 out
    // A fresh store object reads what the first one wrote: nothing is cached.
    auto again = makeWin32Settings(settingsPath);
    EXPECT_EQ(again->get("Polling", ""), "25");
    EXPECT_EQ(again->get("Speaker", ""), "\xC3\xA4");
    // As an older program stored them: single-byte strings, with or without NUL, or numbers.
    stored.set("Modus", "Lauf");
    stored.set("Led", "1", false);
    stored.set("Polling", 5);
    EXPECT_EQ(settings->get("modus", "Test"), "Lauf");
    EXPECT_EQ(settings->get("Led", "0"), "1");
    EXPECT_EQ(settings->get("Polling", "10"), "10"); // a number is no text: the default
    if (!runningUnderWine())
        return; // the default store is the user's real one: written only in Wine's prefix
    RegistryKey old("Software\\VB and VBA Program Settings\\ZusiKordan\\Settings");
    old.set("Polling", "33");
    EXPECT_EQ(makeWin32Settings()->get("Polling", "10"), "33");
}

// A folder of the test's own in the temporary directory, removed again afterwards.
struct Win32Folder : ::testing::Test {
    Win32Folder() { fs::create_directories(dir); }
    ~Win32Folder() override {
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    const fs::path dir =
        fs::temp_directory_path() / ("kordan-test-" + std::to_string(GetCurrentProcessId()));
};

TEST_F(Win32Folder, ProgramDirectoryIsTheExecutablesUnlessNotWritable) {
    // The executable's own directory is writable here: the test libraries are found in it.
    const std::string exeDir = win32ProgramDirectory(), appData = fromWide(dir.wstring());
    EXPECT_EQ(chooseProgramDirectory(exeDir + "\\no such folder", appData),
              appData + "\\ZusiKordan");
    // Asked again, the existing folder is simply used; the probe leaves nothing behind.
    EXPECT_EQ(chooseProgramDirectory("", appData), appData + "\\ZusiKordan");
    EXPECT_EQ(chooseProgramDirectory(appData, "unused"), appData);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
    EXPECT_TRUE(fs::is_directory(dir / "ZusiKordan"));
}

TEST(PieHidDll, TheFiveCallsReachTheLibraryAndACrowdedBusIsCutToTheTable) {
    auto hid = createWin32PieHid("PieHid.dll"); // found by its bare name beside the program
    DeviceInfoTable info{};
    int32_t count = -1;
    SetEnvironmentVariableA("KORDAN_TEST_DEVICES", "40");
    EXPECT_EQ(hid->EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, kMaxDevices);
    EXPECT_EQ(info[4 * 24 + 3], 124) << "the last row of the table";
    SetEnvironmentVariableA("KORDAN_TEST_DEVICES", nullptr);
    ASSERT_EQ(hid->EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 2);
    EXPECT_EQ((std::array{info[0], info[1], info[2], info[3], info[4], info[7]}),
              (std::array<int32_t, 6>{kKordanProductId, 1, kKordanUsagePage, 100, 0xD1, 101}));

    InputReport report{};
    EXPECT_NE(hid->ReadData(100, report), 0); // not set up yet
    hid->SetupInterface(100);
    const OutputReport speaker{0, 133, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(hid->WriteData(100, speaker), 0);
    ASSERT_EQ(hid->ReadData(100, report), 0); // begins with what the library was given
    EXPECT_TRUE(std::equal(speaker.begin(), speaker.end(), report.begin()));
    EXPECT_EQ(report.back(), static_cast<uint8_t>(100 + report.size() - 1)); // cut, no overrun
    hid->CloseInterface(100);
    EXPECT_NE(hid->ReadData(100, report), 0); // the library closed it
}

TEST(PieHidDll, AMissingLibraryGivesNothingAndNoCrash) {
    const std::string path = win32ProgramDirectory() + "\\NoSuchPieHid.dll";
    EXPECT_EQ(loadPieHidDll(path), nullptr);
    auto hid = createWin32PieHid(path);
    ASSERT_NE(hid, nullptr);
    DeviceInfoTable info{};
    int32_t count = 3;
    InputReport report{};
    EXPECT_EQ(hid->EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 0);
    EXPECT_NE(hid->ReadData(1, report), 0);
}

} // namespace
} // namespace kordan
