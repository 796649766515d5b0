#include "common/win32/Win32Settings.h"

#include "common/win32/WinText.h"

#include <windows.h>

#include <shlobj.h>

#include <algorithm>
#include <string>

namespace kordan {

namespace {

// The per-user location long used for program settings: application, then section.
constexpr const char* kDefaultSettingsKey =
    "Software\\VB and VBA Program Settings\\ZusiKordan\\Settings";

class Win32Settings : public ISettings {
public:
    explicit Win32Settings(std::wstring keyPath) : m_keyPath(std::move(keyPath)) {}

    std::string get(const std::string& key, const std::string& defaultValue) override {
        HKEY hkey = nullptr;
        if (RegOpenKeyExW(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, KEY_QUERY_VALUE, &hkey) !=
            ERROR_SUCCESS)
            return defaultValue;
        const std::wstring name = toWide(key);
        DWORD type = 0;
        DWORD bytes = 0;
        std::string result = defaultValue;
        if (RegQueryValueExW(hkey, name.c_str(), nullptr, &type, nullptr, &bytes) ==
                ERROR_SUCCESS &&
            (type == REG_SZ || type == REG_EXPAND_SZ)) {
            // Room for a terminating NUL the stored value may lack.
            std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
            DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
            if (RegQueryValueExW(hkey, name.c_str(), nullptr, &type,
                                 reinterpret_cast<BYTE*>(text.data()), &size) == ERROR_SUCCESS) {
                // The text ends at its first NUL, wherever the value stored one.
                text.resize(size / sizeof(wchar_t));
                text.resize(std::min(text.size(), text.find(L'\0')));
                result = fromWide(text);
            }
        }
        RegCloseKey(hkey);
        return result;
    }

    void set(const std::string& key, const std::string& value) override {
        HKEY hkey = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, m_keyPath.c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                            nullptr, &hkey, nullptr) != ERROR_SUCCESS)
            return;
        const std::wstring name = toWide(key);
        const std::wstring text = toWide(value);
        RegSetValueExW(hkey, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                       static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(hkey);
    }

private:
    std::wstring m_keyPath;
};

// Creating (and at once deleting) a file is the only reliable test: access rights,
// read-only media and folder redirection all show in it.
bool canCreateFiles(const std::wstring& dir) {
    if (dir.empty())
        return false;
    const std::wstring probe =
        dir + L"\\.kordan-write-test-" + std::to_wstring(GetCurrentProcessId());
    HANDLE file = CreateFileW(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    CloseHandle(file);
    return true;
}

std::wstring executableDirectory() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

std::wstring roamingAppData() {
    PWSTR folder = nullptr;
    std::wstring result;
    if (SHGetKnownFolderPath(FOLDERID_RoamingAppData, 0, nullptr, &folder) == S_OK)
        result = folder;
    CoTaskMemFree(folder);
    if (result.empty()) {
        if (const wchar_t* env = _wgetenv(L"APPDATA"))
            result = env;
    }
    return result;
}

} // namespace

std::unique_ptr<ISettings> makeWin32Settings() {
    return makeWin32Settings(kDefaultSettingsKey);
}

std::unique_ptr<ISettings> makeWin32Settings(const std::string& keyPath) {
    return std::make_unique<Win32Settings>(toWide(keyPath));
}

std::string chooseProgramDirectory(const std::string& exeDir, const std::string& appDataDir) {
    if (canCreateFiles(toWide(exeDir)))
        return exeDir;
    const std::wstring own = toWide(appDataDir) + L"\\ZusiKordan";
    CreateDirectoryW(own.c_str(), nullptr); // fails harmlessly when it exists
    return fromWide(own);
}

std::string win32ProgramDirectory() {
    return chooseProgramDirectory(fromWide(executableDirectory()), fromWide(roamingAppData()));
}

} // namespace kordan
