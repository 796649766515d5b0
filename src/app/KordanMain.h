#pragma once

#include "app/ActionRouter.h"
#include "app/CommandLog.h"
#include "app/ControllerOutputs.h"
#include "app/ControllerSession.h"
#include "app/DeviceList.h"
#include "app/KordanServices.h"
#include "app/ModeDisplay.h"
#include "app/OperatingMode.h"
#include "app/PollDispatcher.h"
#include "app/ReportStep.h"
#include "app/SimulatorLink.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kordan {

class IKordanView;
class LokFollow;
class ProfileSession;
class ZusiSend;

// The main window's behaviour without its widgets: start-up, the polling loop with its 100 ms
// tick, and shutdown. The controllers, the simulator's side, the profile and the locomotive it
// follows, a report's way, the mode and the display each have a piece of their own; the window
// forwards what the user does through actions() and draws what it is told.
class KordanMain {
public:
    using Mode = OperatingMode::Mode;

    KordanMain(KordanServices services, IKordanView& view, StartOptions start = {});
    ~KordanMain();
    KordanMain(const KordanMain&) = delete;
    KordanMain& operator=(const KordanMain&) = delete;

    IWindowActions& actions() { return m_actions; }

    // Loading the window: start-up, then the polling loop until the window is unloaded.
    void Form_Load();
    // The parts of Form_Load and of the loop, for callers that drive it themselves.
    void startUp();
    bool loopPass(); // false once the program is ending
    void PollController();
    void PeriodicTick();
    // Unloading the window (closing it or "&Ende"): the shutdown.
    void Form_Unload();

    // The pieces, once started up (null before).
    ProfileSession* profiles() { return m_profiles.get(); }
    ZusiSend* Sender() { return m_sim ? &m_sim->sender() : nullptr; }
    CommandLog& commandLog() { return m_log; }
    // The connection to the simulator's TCP interface; null when keys are sent.
    Zusi3Connection* zusi3() { return m_sim ? m_sim->zusi3() : nullptr; }
    Mode mode() const { return m_modes.mode(); }

private:
    // Lets go of every key held in the simulator and stops every repetition: before a
    // change under held keys (test mode, another or a lost controller, the end).
    void releaseAll();
    // Releases the long-lived objects once no handler can be using them; false, for the loop.
    bool releaseObjects();
    // With a controller that cannot be waited on: rests until a window event or the next tick
    // that has something to do.
    bool waitForWindow(int32_t pollMs);
    bool resting() const;

    KordanServices m_s;
    IKordanView& m_view;
    StartOptions m_start;
    ControllerSession m_controllers;
    TickSchedule m_ticks;
    ControllerOutputs m_outputs;
    CommandLog m_log;
    ReportStep m_reports;
    ModeDisplay m_display;
    OperatingMode m_modes;
    DeviceList m_devices;

    // Made at start-up; the profile holds keys through the link's sender, so it goes first.
    std::unique_ptr<SimulatorLink> m_sim;
    std::unique_ptr<ProfileSession> m_profiles;
    std::unique_ptr<LokFollow> m_follow;
    ActionRouter m_actions; // after the pieces it reaches

    bool m_running = false;
    bool m_closing = false; // the window is being closed: handlers stop at their next step
    int32_t m_pollInterval = 10;
};

} // namespace kordan
