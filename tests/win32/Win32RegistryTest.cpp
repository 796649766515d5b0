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
    setString("km/h", "87,5");
    setString("ZusiDir", "C:\\Programme\\Zusi \xC4nderung"); // Windows-1252 umlaut
    ZusiRegistry reader(*backend);
    reader.schluessel(testKey());
    EXPECT_EQ(reader.Value("T0"), "38");
    EXPECT_EQ(reader.Value("t0"), "38"); // names compare without case
    EXPECT_EQ(reader.Value("km/h"), "87,5");
    EXPECT_EQ(reader.Value("ZusiDir"), "C:\\Programme\\Zusi \xC3\x84nderung");
    // Missing value: "", and the key still serves the next value.
    EXPECT_EQ(reader.Value("T99"), "");
    EXPECT_EQ(reader.Value("T0"), "38");
    // A change is seen at the next read: there is no file in between.
    setString("T0", "40");
    EXPECT_EQ(reader.Value("T0"), "40");
}

TEST_F(Win32RegistryTest, TooLongValuesStringsWithoutTheirNulAndOtherTypes) {
    setString("255", std::string(255, 'a'));
    setString("256", std::string(256, 'a'));
    // Stored without the terminating NUL: still read whole, never past the value.
    setRaw("bare", REG_SZ, "40", 2);
    setRaw("full", REG_SZ, std::string(256, 'b').c_str(), 256);
    const DWORD number = 38;
    setRaw("dword", REG_DWORD, &number, sizeof number);
    ZusiRegistry reader(*backend);
    reader.schluessel(testKey());
    EXPECT_EQ(reader.Value("255"), std::string(255, 'a'));
    EXPECT_EQ(reader.Value("256"), "");
    EXPECT_EQ(reader.Value("bare"), "40");
    EXPECT_EQ(reader.Value("full"), "");
    EXPECT_EQ(reader.Value("dword"), "");
}

TEST_F(Win32RegistryTest, MissingKeyAndStaleHandles) {
    ZusiRegistry reader(*backend);
    reader.schluessel("Software\\ZusiKordanTest\\does not exist");
    EXPECT_EQ(reader.Value("T0"), "");
    // Switching the path makes the next read use the new key.
    setString("T0", "38");
    reader.schluessel(testKey());
    EXPECT_EQ(reader.Value("T0"), "38");

    RegistryHandle handle = 0;
    ASSERT_EQ(backend->openKey(testKey(), handle), RegResult::Success);
    ASSERT_NE(handle, 0u);
    backend->closeKey(handle);
    char buffer[256];
    uint32_t size = sizeof buffer;
    EXPECT_EQ(backend->queryValue(handle, "T0", buffer, size), RegResult::InvalidHandle);
    backend->closeKey(handle); // twice: ignored
    EXPECT_EQ(backend->openKey("Software\\ZusiKordanTest\\does not exist", handle),
              RegResult::FileNotFound);
    EXPECT_EQ(handle, 0u);
}

} // namespace
} // namespace kordan
