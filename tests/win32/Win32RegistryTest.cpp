#include "sim/win32/Win32Registry.h"
#include "sim/ZusiRegistry.h"

#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <string>

namespace kordan {
namespace {

// In Wine's throwaway prefix the simulator's own key is used; on Windows a key of the
// test's own, so a real installation's settings are never touched.
std::string testKey() {
    return test::runningUnderWine() ? "Software\\zusi\\zusi"
                                    : "Software\\ZusiKordanTest\\zusi\\zusi";
}

class Win32RegistryTest : public ::testing::Test {
protected:
    Win32RegistryTest() {
        RegCreateKeyExA(HKEY_CURRENT_USER, testKey().c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &m_key, nullptr);
    }
    ~Win32RegistryTest() override {
        RegCloseKey(m_key);
        RegDeleteTreeA(HKEY_CURRENT_USER, testKey().c_str());
    }

    void setString(const char* name, const std::string& value) {
        RegSetValueExA(m_key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                       static_cast<DWORD>(value.size() + 1));
    }
    void setRaw(const char* name, DWORD type, const void* data, DWORD size) {
        RegSetValueExA(m_key, name, 0, type, static_cast<const BYTE*>(data), size);
    }

    std::unique_ptr<IRegistryBackend> backend = makeWin32Registry();
    HKEY m_key = nullptr;
};

TEST_F(Win32RegistryTest, ValuesWrittenWithRegSetValueComeBackThroughZusiRegistry) {
    setString("T0", "38");
    setString("ZusiDir", "C:\\Programme\\Zusi \xC4nderung"); // Windows-1252 umlaut
    setString("255", std::string(255, 'a'));
    setString("256", std::string(256, 'a'));
    // Stored without the terminating NUL: still read whole, never past the value.
    setRaw("bare", REG_SZ, "40", 2);
    setRaw("full", REG_SZ, std::string(256, 'b').c_str(), 256);
    const DWORD number = 38;
    setRaw("dword", REG_DWORD, &number, sizeof number);
    ZusiRegistry reader(*backend);
    reader.schluessel("Software\\ZusiKordanTest\\does not exist");
    EXPECT_EQ(reader.Value("T0"), "");
    reader.schluessel(testKey());
    const std::pair<const char*, std::string> values[] = {
        {"T0", "38"},
        {"t0", "38"}, // names compare without case
        {"ZusiDir", "C:\\Programme\\Zusi \xC3\x84nderung"},
        {"T99", ""},
        {"255", std::string(255, 'a')},
        {"256", ""},
        {"bare", "40"},
        {"full", ""},
        {"dword", ""}};
    for (const auto& [name, value] : values)
        EXPECT_EQ(reader.Value(name), value) << name;
    // A change is seen at the next read: there is no file in between.
    setString("T0", "40");
    EXPECT_EQ(reader.Value("T0"), "40");
}

} // namespace
} // namespace kordan
