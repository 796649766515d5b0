#pragma once

#include "sim/RegistryBackend.h"

#include <map>
#include <string>

namespace kordan::test {

// An in-memory per-user registry. Keys and values are set in UTF-8 and handed out as
// Windows-1252, as a real backend would; key paths and value names compare
// case-insensitively. Counts opens and closes so tests can see that keys are released.
class FakeRegistry : public IRegistryBackend {
public:
    void set(const std::string& keyPath, const std::string& valueName, const std::string& value);
    void remove(const std::string& keyPath, const std::string& valueName);
    // A key that exists without values.
    void addKey(const std::string& keyPath);

    int32_t openKey(const std::string& keyPath, RegistryHandle& handle) override;
    int32_t queryValue(RegistryHandle handle, const std::string& valueName, char* buffer,
                       uint32_t& size) override;
    void closeKey(RegistryHandle handle) override;

    int opens = 0;
    int failedOpens = 0;
    int closes = 0;
    int queries = 0;
    int openKeys() const { return static_cast<int>(m_open.size()); }

private:
    static std::string normalKey(const std::string& keyPath);
    static std::string lower(std::string s);

    std::map<std::string, std::map<std::string, std::string>> m_keys;
    std::map<RegistryHandle, std::string> m_open;
    RegistryHandle m_next = 0x100;
};

} // namespace kordan::test
