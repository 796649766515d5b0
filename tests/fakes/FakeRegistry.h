#pragma once

#include "sim/RegistryBackend.h"

#include <map>
#include <string>

namespace kordan::test {

// An in-memory per-user registry. Values are set in UTF-8 and handed out as Windows-1252,
// as a real backend would; key paths and value names compare case-insensitively.
class FakeRegistry : public IRegistryBackend {
public:
    void set(const std::string& keyPath, const std::string& valueName, const std::string& value) {
        m_values[key(keyPath, valueName)] = value;
    }
    void remove(const std::string& keyPath, const std::string& valueName) {
        m_values.erase(key(keyPath, valueName));
    }
    std::optional<std::string> readString(const std::string& keyPath,
                                          const std::string& valueName) override;

private:
    static std::string key(const std::string& keyPath, const std::string& valueName);

    std::map<std::string, std::string> m_values; // folded "key\value" -> UTF-8 text
};

} // namespace kordan::test
