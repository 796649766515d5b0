#pragma once

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

} // namespace kordan
