#include "sim/win32/Win32Registry.h"

#include <windows.h>

#include <map>

namespace kordan {

namespace {

class Win32Registry : public IRegistryBackend {
public:
    ~Win32Registry() override {
        for (auto& [handle, hkey] : m_open)
            RegCloseKey(hkey);
    }

    int32_t openKey(const std::string& keyPath, RegistryHandle& handle) override {
        handle = 0;
        HKEY hkey = nullptr;
        const LONG result =
            RegOpenKeyExA(HKEY_CURRENT_USER, keyPath.c_str(), 0, KEY_QUERY_VALUE, &hkey);
        if (result != ERROR_SUCCESS)
            return static_cast<int32_t>(result);
        // Our own small numbers stand for the keys, so no HKEY is ever cut to 32 bits and
        // a stale number cannot reach a key opened elsewhere in the process.
        handle = ++m_lastHandle == 0 ? ++m_lastHandle : m_lastHandle;
        m_open[handle] = hkey;
        return RegResult::Success;
    }

    int32_t queryValue(RegistryHandle handle, const std::string& valueName, char* buffer,
                       uint32_t& size) override {
        auto open = m_open.find(handle);
        if (open == m_open.end())
            return RegResult::InvalidHandle;
        DWORD type = 0;
        DWORD bytes = size;
        const LONG result = RegQueryValueExA(open->second, valueName.c_str(), nullptr, &type,
                                             reinterpret_cast<BYTE*>(buffer), &bytes);
        if (result != ERROR_SUCCESS)
            return static_cast<int32_t>(result);
        if (type != REG_SZ && type != REG_EXPAND_SZ) {
            if (size == 0)
                return RegResult::MoreData;
            buffer[0] = '\0';
            size = 1;
            return RegResult::Success;
        }
        // A string stored without its NUL comes back without one; it must still fit with
        // it, or the caller would read past the value.
        if (bytes == 0 || buffer[bytes - 1] != '\0') {
            if (bytes >= size)
                return RegResult::MoreData;
            buffer[bytes++] = '\0';
        }
        size = bytes;
        return RegResult::Success;
    }

    void closeKey(RegistryHandle handle) override {
        auto open = m_open.find(handle);
        if (open == m_open.end())
            return;
        RegCloseKey(open->second);
        m_open.erase(open);
    }

private:
    std::map<RegistryHandle, HKEY> m_open;
    RegistryHandle m_lastHandle = 0;
};

} // namespace

std::unique_ptr<IRegistryBackend> makeWin32Registry() {
    return std::make_unique<Win32Registry>();
}

} // namespace kordan
