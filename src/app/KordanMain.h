#pragma once

#include "app/CommandLog.h"
#include "app/ControllerOutputs.h"
#include "app/ControllerSession.h"
#include "app/DeviceList.h"
#include "app/KordanServices.h"
#include "app/LedPresenter.h"
#include "app/ModeDisplay.h"
#include "app/PollDispatcher.h"
#include "app/ReportStep.h"
#include "app/WindowActions.h"
#include "app/Zusi3Session.h"

#include <cstdint>
#include <memory>
#include <string>

namespace kordan {

class IKordanView;
class ProfileSession;
class ZusiLok;
class ZusiRegistry;
class ZusiSend;

// The main window's behaviour without its widgets: start-up, operating modes, the polling
// loop with its 100 ms tick, and shutdown. The controllers, the profile, a report's way, the
// display and the mode's texts each have a piece of their own; the window forwards what the
// user does through actions() and draws what it is told.
class KordanMain : private IWindowActions {
public:
    enum class Mode { Test, Active };

    KordanMain(KordanServices services, IKordanView& view, StartOptions start = {});
    ~KordanMain() override;
    KordanMain(const KordanMain&) = delete;
    KordanMain& operator=(const KordanMain&) = delete;

    IWindowActions& actions() { return *this; }

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
    ZusiSend* Sender() { return m_sender.get(); }
    CommandLog& commandLog() { return m_log; }
    // The connection to the simulator's TCP interface; null when keys are sent.
    Zusi3Connection* zusi3() { return m_zusi3.connection(); }
    Mode mode() const { return m_mode; }

private:
    // IWindowActions
    void menu(MenuEntry entry) override;
    void ledChosen(int index) override { m_outputs.chooseLed(index); }
    void deviceClicked(int index) override;
    void loadModeSelected(int mode) override;
    void buttonDoubleClicked(int index) override;
    void leverDoubleClicked(int index) override;
    void axisSaved() override;
    void closing() override { Form_Unload(); }

    // `store` = false leaves the setting "Modus" as it is (a mode given for this run only).
    void setMode(Mode m, bool store = true);
    void modeAktiv();
    // The locomotive has changed: its profile replaces the current one as the load mode says.
    void lokChanged();
    // The locomotive's name: the watcher's, or with the TCP interface the train file's.
    std::string lokName() const;
    // Lets go of every key held in the simulator and stops every repetition: before a
    // change under held keys (test mode, another or a lost controller, the end).
    void releaseAll();
    // Releases the long-lived objects once no handler can be using them; false, for the loop.
    bool releaseObjects();
    LedPresenter::ValueReader simValue(); // "km/h" and "km" for the display
    // Reads and writes what has arrived; a train taken over counts as a locomotive change.
    void pollZusi3();
    // With a controller that cannot be waited on: rests until a window event or the next tick.
    bool waitForWindow();
    void loadStartProfile();
    // Connects to the simulator's TCP interface when it is chosen; then no easy mode.
    void startZusi3();
    // A simulator chosen anew in the options takes over at once, keys and inputs held the
    // old way let go first. The command line's choice holds for the run.
    void simulatorChosen();
    void showWay();

    KordanServices m_s;
    IKordanView& m_view;
    StartOptions m_start;
    ControllerSession m_controllers;
    TickSchedule m_ticks;
    ControllerOutputs m_outputs;
    CommandLog m_log;
    ReportStep m_reports;
    ModeDisplay m_display;
    DeviceList m_devices;

    std::unique_ptr<ZusiSend> m_sender;
    std::unique_ptr<ProfileSession> m_profiles;
    std::unique_ptr<ZusiRegistry> m_registry;
    std::unique_ptr<ZusiLok> m_lok;
    Zusi3Session m_zusi3;

    bool m_running = false;
    bool m_closing = false; // the window is being closed: handlers stop at their next step
    Mode m_mode = Mode::Test;
    int32_t m_pollInterval = 10;
};

} // namespace kordan
