#include "fakes/FakeRegistry.h"

#include "common/TextFile.h"

#include <cctype>
#include <cstring>

namespace kordan::test {

std::string FakeRegistry::lower(std::string s) {
    for (char& c : s)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

std::string FakeRegistry::normalKey(const std::string& keyPath) {
    std::string k = lower(keyPath);
    while (!k.empty() && k.front() == '\\')
        k.erase(0, 1);
    while (!k.empty() && k.back() == '\\')
        k.pop_back();
    return k;
}

void FakeRegistry::set(const std::string& keyPath, const std::string& valueName,
                       const std::string& value) {
    m_keys[normalKey(keyPath)][lower(valueName)] = value;
}

void FakeRegistry::remove(const std::string& keyPath, const std::string& valueName) {
    auto it = m_keys.find(normalKey(keyPath));
    if (it != m_keys.end())
        it->second.erase(lower(valueName));
}

void FakeRegistry::addKey(const std::string& keyPath) {
    m_keys[normalKey(keyPath)];
}

int32_t FakeRegistry::openKey(const std::string& keyPath, RegistryHandle& handle) {
    ++opens;
    handle = 0;
    if (!m_keys.contains(normalKey(keyPath))) {
        ++failedOpens;
        return RegResult::FileNotFound;
    }
    handle = m_next++;
    m_open[handle] = normalKey(keyPath);
    return RegResult::Success;
}

int32_t FakeRegistry::queryValue(RegistryHandle handle, const std::string& valueName, char* buffer,
                                 uint32_t& size) {
    ++queries;
    auto open = m_open.find(handle);
    if (open == m_open.end())
        return RegResult::InvalidHandle;
    auto key = m_keys.find(open->second);
    if (key == m_keys.end())
        return RegResult::FileNotFound;
    auto value = key->second.find(lower(valueName));
    if (value == key->second.end())
        return RegResult::FileNotFound;
    const std::string bytes = toWindows1252(value->second);
    if (bytes.size() + 1 > size) {
        size = static_cast<uint32_t>(bytes.size() + 1);
        return RegResult::MoreData;
    }
    std::memcpy(buffer, bytes.c_str(), bytes.size() + 1);
    size = static_cast<uint32_t>(bytes.size() + 1);
    return RegResult::Success;
}

void FakeRegistry::closeKey(RegistryHandle handle) {
    if (m_open.erase(handle) > 0)
        ++closes;
}

} // namespace kordan::test
