#pragma once

#include "common/TextFile.h"
#include "sim/RegistryBackend.h"

#include <cctype>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace kordan::test {

// An in-memory per-user registry. Values are set in UTF-8 and handed out as Windows-1252,
// as a real backend would; key paths and value names compare case-insensitively.
class FakeRegistry : public IRegistryBackend {
public:
    void set(const std::string& keyPath, const std::string& valueName, const std::string& value) {
        m_values[key(keyPath, valueName)] = value;
    }
    std::optional<std::string> readString(const std::string& keyPath,
                                          const std::string& valueName) override {
        if (unanswered.erase(valueName) > 0) {
            m_missed = true;
            return std::nullopt;
        }
        auto value = m_values.find(key(keyPath, valueName));
        return value == m_values.end() ? std::nullopt : std::optional(toWindows1252(value->second));
    }

    void prefetch(const std::string&, const std::string& valueName) override {
        prefetched.push_back(valueName);
    }
    std::vector<std::string> prefetched;
    bool takeUnanswered() override { return std::exchange(m_missed, false); }
    std::set<std::string> unanswered; // values whose next read gets no answer in time

private:
    static std::string key(const std::string& keyPath, const std::string& valueName) {
        const size_t first = keyPath.find_first_not_of('\\');
        const size_t last = keyPath.find_last_not_of('\\');
        std::string k = first == std::string::npos ? "" : keyPath.substr(first, last - first + 1);
        k += '\n' + valueName;
        for (char& c : k)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return k;
    }
    std::map<std::string, std::string> m_values; // folded "key\value" -> UTF-8 text
    bool m_missed = false;
};

} // namespace kordan::test
