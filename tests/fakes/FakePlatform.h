#pragma once

#include "common/Clock.h"
#include "common/Settings.h"
#include "sim/ProcessStarter.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

namespace kordan::test {

// The run's settings, with every write recorded.
class FakeSettings : public MemorySettings {
public:
    void set(const std::string& key, const std::string& value) override {
        MemorySettings::set(key, value);
        writes.push_back(key + "=" + value);
    }
    std::vector<std::string> writes;
};

// A millisecond clock that moves only when slept on or set; sleeping advances it.
class FakeClock : public IClock {
public:
    uint32_t milliseconds() override { return now; }
    void sleep(int32_t ms) override {
        sleeps.push_back(ms);
        now += static_cast<uint32_t>(ms);
    }
    uint32_t now = 5000;
    std::vector<int32_t> sleeps;
};

// Runs a scripted action on every processEvents call (the n-th call gets n, from 0).
class FakeEventPump : public IEventPump {
public:
    void processEvents() override {
        int n = calls++;
        if (onEvents)
            onEvents(n);
    }
    bool waitForEvents(int32_t ms) override {
        waits.push_back(ms);
        if (canWait && clock)
            clock->now += static_cast<uint32_t>(ms); // nothing came meanwhile
        return canWait;
    }
    int calls = 0;
    std::function<void(int)> onEvents;
    bool canWait = false;       // true: waits are recorded instead of slept on the clock
    FakeClock* clock = nullptr; // given: a wait lasts its time on it
    std::vector<int32_t> waits;
};

// Records every start instead of starting anything; `result` false plays a missing program.
class RecordingStarter : public IProcessStarter {
public:
    bool start(const std::string& program, const std::vector<std::string>& args) override {
        started.push_back({program, args});
        return result;
    }
    std::optional<int> endedWith() override { return ended; }
    struct Start {
        std::string program;
        std::vector<std::string> args;
    };
    std::vector<Start> started;
    bool result = true;
    std::optional<int> ended; // the exit code the last start is to have ended with
};

} // namespace kordan::test
