#pragma once

#include <map>
#include <string>

namespace kordan {

// The per-user settings store of application "ZusiKordan", section "Settings". Values are
// texts; every write is stored at once.
class ISettings {
public:
    virtual ~ISettings() = default;
    virtual std::string get(const std::string& key, const std::string& defaultValue) = 0;
    virtual void set(const std::string& key, const std::string& value) = 0;
};

// Settings kept for one run only, where nothing may be stored (replays, pictures, tests).
class MemorySettings : public ISettings {
public:
    std::string get(const std::string& key, const std::string& defaultValue) override {
        auto it = values.find(key);
        return it == values.end() ? defaultValue : it->second;
    }
    void set(const std::string& key, const std::string& value) override { values[key] = value; }
    std::map<std::string, std::string> values;
};

} // namespace kordan
