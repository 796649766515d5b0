#pragma once

#include "common/Clock.h"
#include "common/Settings.h"

#include <functional>
#include <memory>

class QSettings;

namespace kordan {

// Settings of application "ZusiKordan", section "Settings", in an INI file in the user's
// configuration directory (or in `iniPath` when given).
class QtSettings : public ISettings {
public:
    explicit QtSettings(const std::string& iniPath = {});
    ~QtSettings() override;
    std::string get(const std::string& key, const std::string& defaultValue) override;
    void set(const std::string& key, const std::string& value) override;

private:
    std::unique_ptr<QSettings> m_settings;
};

// The system's millisecond clock as a wrapping 32-bit count, a plain sleep, and Qt's event
// processing for the polling loop, which can also wait for the next window event.
class QtClock : public IClock, public IEventPump {
public:
    uint32_t milliseconds() override;
    void sleep(int32_t ms) override;
    void processEvents() override;
    bool waitForEvents(int32_t ms) override;
    // The event loop watches `fd` (IPieHid::FdWatch): a report ends its wait at once.
    static std::shared_ptr<void> watch(int fd, std::function<bool()> ready);
};

} // namespace kordan
