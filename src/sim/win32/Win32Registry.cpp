#include "sim/win32/Win32Registry.h"

#include <windows.h>

namespace kordan {

namespace {

class Win32Registry : public IRegistryBackend {
public:
    std::optional<std::string> readString(const std::string& keyPath,
                                          const std::string& valueName) override {
        HKEY hkey = nullptr;
        if (RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &hkey) !=
            ERROR_SUCCESS)
            return std::nullopt;
        DWORD type = 0;
        DWORD bytes = 0;
        LONG result = RegQueryValueExA(hkey, valueName.c_str(), nullptr, &type, nullptr, &bytes);
        std::string value(bytes, '\0');
        // A value that grows between the two calls fails with ERROR_MORE_DATA: missing.
        if (result == ERROR_SUCCESS && bytes > 0)
            result = RegQueryValueExA(hkey, valueName.c_str(), nullptr, &type,
                                      reinterpret_cast<BYTE*>(value.data()), &bytes);
        RegCloseKey(hkey);
        if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
            return std::nullopt;
        value.resize(bytes);
        return value;
    }
};

} // namespace

std::unique_ptr<IRegistryBackend> makeWin32Registry() {
    return std::make_unique<Win32Registry>();
}

} // namespace kordan
