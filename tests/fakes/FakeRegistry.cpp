#include "fakes/FakeRegistry.h"

#include "common/TextFile.h"

#include <cctype>

namespace kordan::test {

std::string FakeRegistry::key(const std::string& keyPath, const std::string& valueName) {
    std::string k = keyPath;
    while (!k.empty() && k.front() == '\\')
        k.erase(0, 1);
    while (!k.empty() && k.back() == '\\')
        k.pop_back();
    k += '\n' + valueName;
    for (char& c : k)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return k;
}

std::optional<std::string> FakeRegistry::readString(const std::string& keyPath,
                                                    const std::string& valueName) {
    auto value = m_values.find(key(keyPath, valueName));
    if (value == m_values.end())
        return std::nullopt;
    return toWindows1252(value->second);
}

} // namespace kordan::test
