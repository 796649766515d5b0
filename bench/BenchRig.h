#pragma once
// The main window's logic, put together as the program does, over a controller library and
// a simulator window of the benchmark's choice. The remaining services are the tests' quiet
// stand-ins (no files of the user, no window system, no message boxes); the clock is the
// real one, so the loop waits and ticks in real time.
#include "app/KordanMain.h"
#include "app/NullViews.h"
#include "app/ProfileSession.h"
#include "calibration/ZusiKalibrierung.h"
#include "common/Clock.h"
#include "fakes/FakeDialogs.h"
#include "fakes/FakePlatform.h"
#include "fakes/FakeRegistry.h"
#include "send/SimWindow.h"

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace kordan::bench {

// Nanoseconds on the monotonic clock, comparable across threads and processes.
int64_t nowNs();

// What the program's event loop does for a watched controller (IPieHid::watchWith): its wait
// for window events (here: none) watches the device's node as well.
class Wakeup {
public:
    IPieHid::FdWatch watcher();
    void wait(int32_t ms);

private:
    struct Watched {
        int fd;
        std::function<bool()> ready;
        bool on = true;
    };
    std::vector<std::shared_ptr<Watched>> m_watched;
};

// With a wake-up the loop rests in it, as in the window system's wait; without one it
// cannot wait there and sleeps.
class RealClock : public IClock, public IEventPump {
public:
    uint32_t milliseconds() override;
    void sleep(int32_t ms) override;
    void processEvents() override {}
    bool waitForEvents(int32_t ms) override {
        if (wakeup)
            wakeup->wait(ms);
        return wakeup != nullptr;
    }
    Wakeup* wakeup = nullptr;
};

// The simulator's window "Zusi 2" in front; keys are counted and go nowhere.
class QuietSimWindow : public ISimWindow {
public:
    WindowHandle foregroundWindow() override { return 1; }
    std::string windowTitle(WindowHandle) override { return "Zusi 2"; }
    void postKey(WindowHandle, uint32_t, int32_t) override { ++posted; }
    void typeKeys(const std::string&) override {}
    int64_t posted = 0;
};

// Button 1 holds the whistle (key "H") as long as it is pressed.
constexpr int kWhistleButton = 1;
constexpr int32_t kWhistleKey = 72;

class Rig {
public:
    // Starts the logic up in active mode with `pollingMs` as the "Polling" setting and the
    // one controller `hid` lists opened; `start` may offer it a TCP connection, `wakeup`
    // lets the loop rest until a report (see Wakeup).
    Rig(IPieHid& hid, ISimWindow& window, int pollingMs, StartOptions start = {},
        Wakeup* wakeup = nullptr);
    ~Rig();
    KordanMain& main() { return *m_main; }
    ZusiProfile& profile() { return m_main->profiles()->profile(); }
    ZusiKalibrierung& calibration() { return m_calibration; }
    // Every button and all 7 levers of 32 zones each assigned, as a well-filled profile is.
    void fillProfile();
    void whistleOnButton1();

private:
    std::string m_dir;
    RealClock m_clock;
    test::FakeSettings m_settings;
    test::FakeDialogs m_dialogs;
    NullView m_view;
    test::FakeRegistry m_registry;
    test::RecordingStarter m_starter;
    ZusiKalibrierung m_calibration{m_dialogs};
    std::unique_ptr<KordanMain> m_main;
};

} // namespace kordan::bench
