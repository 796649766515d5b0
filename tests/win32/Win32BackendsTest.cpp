#include "axis/StoredFiles.h"
#include "common/win32/Win32Settings.h"
#include "device/win32/PieHidDll.h"
#include "sim/ZusiRegistry.h"
#include "sim/win32/Win32ProcessStarter.h"
#include "sim/win32/Win32Registry.h"

#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

namespace kordan {
namespace {

namespace fs = std::filesystem;
using test::testProgramDirectory;

// In Wine's throwaway prefix the simulator's own key is used; on Windows a key of the
// test's own, so a real installation's settings are never touched.
std::string registryTestKey() {
    return test::runningUnderWine() ? "Software\\zusi\\zusi"
                                    : "Software\\ZusiKordanTest\\zusi\\zusi";
}
const char* const kSettingsKey = "Software\\ZusiKordanTest\\Settings";

// A fresh key below HKEY_CURRENT_USER, removed again afterwards.
class RegistryKey {
public:
    explicit RegistryKey(std::string path) : m_path(std::move(path)) {
        RegCreateKeyExA(HKEY_CURRENT_USER, m_path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                        &m_key, nullptr);
    }
    ~RegistryKey() {
        RegCloseKey(m_key);
        RegDeleteTreeA(HKEY_CURRENT_USER, m_path.c_str());
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\ZusiKordanTest");
    }
    void set(const char* name, DWORD type, const void* data, DWORD size) {
        RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data), size);
    }
    void set(const char* name, const std::string& text) {
        set(name, REG_SZ, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }

private:
    std::string m_path;
    HKEY m_key = nullptr;
};

TEST(Win32Registry, ValuesWrittenWithRegSetValueComeBackThroughZusiRegistry) {
    RegistryKey key(registryTestKey());
    key.set("T0", "38");
    key.set("ZusiDir", "C:\\Programme\\Zusi \xC4nderung"); // Windows-1252 umlaut
    // Stored without the terminating NUL: still read whole, never past the value.
    key.set("bare", REG_SZ, "40", 2);
    key.set("full", REG_SZ, std::string(256, 'b').c_str(), 256);
    const DWORD number = 38;
    key.set("dword", REG_DWORD, &number, sizeof number);
    auto backend = makeWin32Registry();
    ZusiRegistry reader(*backend);
    reader.schluessel("Software\\ZusiKordanTest\\does not exist");
    EXPECT_EQ(reader.Value("T0"), "");
    reader.schluessel(registryTestKey());
    const std::pair<const char*, std::string> values[] = {
        {"T0", "38"},
        {"t0", "38"}, // names compare without case
        {"ZusiDir", "C:\\Programme\\Zusi \xC3\x84nderung"},
        {"bare", "40"},
        {"full", ""},
        {"dword", ""}};
    for (const auto& [name, value] : values)
        EXPECT_EQ(reader.Value(name), value) << name;
    key.set("T0", "40"); // a change is seen at the next read: there is no file in between
    EXPECT_EQ(reader.Value("T0"), "40");
}

TEST(Win32Settings, TheFiveKeysRoundTripAndValuesStoredByOthersAreRead) {
    RegistryKey key(kSettingsKey);
    auto settings = makeWin32Settings(kSettingsKey);
    const std::pair<const char*, const char*> values[] = {
        {"AutoLoad", "1"}, {"Polling", "25"}, {"Speaker", "0"}, {"Led", "2"}, {"Modus", "Test"}};
    for (auto [name, value] : values)
        settings->set(name, value);
    // A fresh store object reads what the first one wrote: nothing is cached.
    auto again = makeWin32Settings(kSettingsKey);
    for (auto [name, value] : values)
        EXPECT_EQ(again->get(name, "default"), value) << name;
    settings->set("Speaker", "\xC3\xA4"); // UTF-8 in, UTF-8 out
    EXPECT_EQ(settings->get("Speaker", ""), "\xC3\xA4");
    // As an older program stored them: single-byte strings, with or without NUL.
    key.set("Modus", "Lauf");
    key.set("Led", REG_SZ, "1", 1);
    const DWORD number = 5;
    key.set("Polling", REG_DWORD, &number, sizeof number);
    EXPECT_EQ(settings->get("modus", "Test") + settings->get("Led", "0") +
                  settings->get("Polling", "10"),
              "Lauf110");
}

TEST(Win32Settings, DefaultStoreIsTheLongUsedLocation) {
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

// A folder of the test's own in the temporary directory, removed again afterwards.
class Win32Folder : public ::testing::Test {
protected:
    Win32Folder() { fs::create_directories(dir); }
    ~Win32Folder() override {
        SetEnvironmentVariableW(L"KORDAN_ARGDUMP", nullptr);
        std::error_code ec;
        fs::remove_all(dir, ec);
    }
    const fs::path dir =
        fs::temp_directory_path() / ("kordan-test-" + std::to_string(GetCurrentProcessId()));
};

TEST_F(Win32Folder, ProgramDirectoryIsTheExecutablesUnlessNotWritable) {
    const std::string exeDir = testProgramDirectory();
    EXPECT_EQ(win32ProgramDirectory(), exeDir);
    const std::string appData = fromWide(dir.wstring());
    EXPECT_EQ(chooseProgramDirectory(exeDir + "\\no such folder", appData),
              appData + "\\ZusiKordan");
    EXPECT_TRUE(fs::is_directory(dir / "ZusiKordan"));
    // Asked again, the existing folder is simply used; the probe leaves nothing behind.
    EXPECT_EQ(chooseProgramDirectory("", appData), appData + "\\ZusiKordan");
    EXPECT_EQ(chooseProgramDirectory(appData, "unused"), appData);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir), fs::directory_iterator()), 1);
}

TEST_F(Win32Folder, ArgumentsWithBlanksQuotesAndUmlautsArriveWholeAndAMissingProgramFails) {
    // Backslashes count only before a quote; a trailing one must not eat the closing quote.
    // The program copied into a folder with a blank in its name and started without its
    // ".exe", as the vehicle editor is. It writes its arguments to the file named here.
    const fs::path folder = dir / "Zusi Ordner", dump = dir / "args.txt";
    fs::create_directories(folder);
    fs::copy_file(toWide(testProgramDirectory() + "\\kordan_win32_argdump.exe"),
                  folder / "ZusiFahrzeugEditor.exe");
    SetEnvironmentVariableW(L"KORDAN_ARGDUMP", dump.wstring().c_str());
    const std::vector<std::string> args = {fromWide(folder.wstring()) + "\\Loks\\BR 101.lok",
                                           "say \"hi\\\"", "C:\\trailing\\", "", "\xC3\x84nderung"};
    auto starter = makeWin32ProcessStarter();
    ASSERT_TRUE(starter->start(fromWide((folder / "ZusiFahrzeugEditor").wstring()), args));
    for (int i = 0; i < 500 && !fs::exists(dump); ++i)
        Sleep(20);
    std::ifstream in(dump, std::ios::binary);
    std::vector<std::string> received;
    for (std::string line; std::getline(in, line);)
        received.push_back(line);
    EXPECT_EQ(received, args);
    EXPECT_FALSE(starter->start(fromWide((dir / "nowhere" / "ZusiFahrzeugEditor").wstring()), {}));
}

// The directory given with "/", the dialog's answer with "\" and in another case.
TEST(Win32StoredPath, AFileChosenInsideTheProgramsDirectoryIsStoredRelative) {
    for (auto [chosen, stored] : {std::pair{"C:\\Kordan\\Achsen\\Lok.axr", "Achsen\\Lok.axr"},
                                  {"c:\\kordan\\Lok.axr", "Lok.axr"},
                                  {"C:\\KordanX\\Lok.axr", "C:\\KordanX\\Lok.axr"}})
        EXPECT_EQ(storedPath("C:/Kordan", chosen), stored) << chosen;
}

std::string libraryPath(const char* name) {
    return testProgramDirectory() + "\\" + name;
}

// Reaches into the stand-in library for what it was given.
template <typename Fn> Fn testCall(const char* name) {
    HMODULE module = GetModuleHandleA("PieHid.dll");
    FARPROC call = module ? GetProcAddress(module, name) : nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void (*)()>(call));
}

TEST(PieHidDll, TheFiveCallsReachTheLibraryAndACrowdedBusIsCutToTheTable) {
    auto hid = loadPieHidDll(libraryPath("PieHid.dll"));
    ASSERT_NE(hid, nullptr);
    auto setCount = testCall<void(__stdcall*)(int32_t)>("TestSetDeviceCount");
    auto lastWrite = testCall<int32_t(__stdcall*)(uint8_t*)>("TestLastWrite");
    auto lastClosed = testCall<int32_t(__stdcall*)()>("TestLastClosed");
    ASSERT_TRUE(setCount && lastWrite && lastClosed);
    DeviceInfoTable info{};
    int32_t count = -1;
    setCount(40);
    EXPECT_EQ(hid->EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, kMaxDevices);
    EXPECT_EQ(info[4 * 24 + 3], 124); // the last device that fits, and no overrun
    setCount(2);
    ASSERT_EQ(hid->EnumeratePIE(kVendorId, info, count), 0);
    ASSERT_EQ(count, 2);
    EXPECT_EQ((std::array{info[0], info[1], info[2], info[3], info[4], info[7]}),
              (std::array<int32_t, 6>{kKordanProductId, 1, kKordanUsagePage, 100, 0xD1, 101}));

    InputReport report{};
    EXPECT_NE(hid->ReadData(100, report), 0); // not set up yet
    EXPECT_EQ(report, InputReport{});
    hid->SetupInterface(100);
    ASSERT_EQ(hid->ReadData(100, report), 0);
    EXPECT_EQ(report.back(), static_cast<uint8_t>(100 + report.size() - 1)); // cut, no overrun
    const OutputReport speaker{0, 133, 0, 0, 0, 0, 0, 1};
    EXPECT_EQ(hid->WriteData(100, speaker), 0);
    std::array<uint8_t, 8> seen{};
    EXPECT_EQ(lastWrite(seen.data()), 100);
    EXPECT_EQ(seen, speaker);
    hid->CloseInterface(100);
    EXPECT_EQ(lastClosed(), 100);
    EXPECT_NE(hid->ReadData(100, report), 0);

    // Found by its bare name beside the program.
    ASSERT_EQ(createWin32PieHid("PieHid.dll")->EnumeratePIE(kVendorId, info, count), 0);
    EXPECT_EQ(count, 2);
}

TEST(PieHidDll, MissingLibraryOrCallGivesNothingAndNoCrash) {
    for (const char* name : {"NoSuchPieHid.dll", "PieHidNoClose.dll"}) {
        EXPECT_EQ(loadPieHidDll(libraryPath(name)), nullptr) << name;
        auto hid = createWin32PieHid(libraryPath(name));
        ASSERT_NE(hid, nullptr) << name;
        DeviceInfoTable info{};
        info.fill(7);
        int32_t count = 3;
        InputReport report{};
        EXPECT_EQ(hid->EnumeratePIE(kVendorId, info, count), 0) << name;
        EXPECT_EQ(count + (hid->ReadData(1, report) != 0), 1) << name;
    }
}

} // namespace
} // namespace kordan
