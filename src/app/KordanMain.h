#pragma once

#include "app/CommandLog.h"
#include "app/ControllerOutputs.h"
#include "app/ControllerSession.h"
#include "app/LedPresenter.h"
#include "app/PollDispatcher.h"
#include "app/Zusi3Session.h"
#include "device/PieHid.h"
#include "sim/SimPaths.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kordan {

class IClock;
class IDialogs;
class IEventPump;
class IKordanView;
class IRegistryBackend;
class ISettings;
class ISimWindow;
class ITcpSocket;
class IProcessStarter;
class ProfileSession;
class ZusiKalibrierung;
class ZusiLok;
class ZusiProfile;
class ZusiRegistry;
class ZusiSend;

// The platform services the main window works with; all outlive it.
struct KordanServices {
    IPieHid& hid;
    ISettings& settings;
    IClock& clock;
    IEventPump& events;
    IDialogs& dialogs;
    ISimWindow& simWindow;           // the window system, where the simulator's window is found
    IRegistryBackend& registry;      // the per-user registry the simulator keeps its values in
    IProcessStarter& processStarter; // starts the simulator's vehicle editor
    // Turns the simulator's Windows paths into openable ones (identity on Windows, the Wine
    // prefix on Linux); a mapper that gives "" for everything keeps the watcher idle.
    PathMapper mapSimPath;
    // The program's directory: start-up makes it current, relative names refer to it.
    std::string programDir;
    // The levers' calibration, loaded and saved by whoever made it.
    ZusiKalibrierung& calibration;
};

// What the command line asks of this run only; nothing of it is stored.
struct StartOptions {
    // Loaded at start whatever the load mode; a relative name that does not exist in the
    // directory the program was started from is looked for in the program's directory.
    std::string profile;
    std::optional<bool> activeMode; // the start mode instead of the stored one
};

// The main window's behaviour without its widgets: start-up, operating modes, the polling
// loop with its 100 ms tick, and shutdown. The controllers, the profile, the poll's changes
// and the display each have a piece of their own; the Qt window forwards menus, clicks and
// closing here and draws what it is told.
class KordanMain {
public:
    enum class Mode { Test, Active };

    KordanMain(KordanServices services, IKordanView& view, StartOptions start = {});
    ~KordanMain();
    KordanMain(const KordanMain&) = delete;
    KordanMain& operator=(const KordanMain&) = delete;

    // Before start-up: the simulator's TCP interface is used over `socket` when `forced`
    // names a server (the command line's choice for this run) or the settings choose it;
    // `clientVersion` is told to the simulator.
    void offerZusi3(ITcpSocket& socket, std::optional<Zusi3Endpoint> forced,
                    std::string clientVersion) {
        m_zusi3Forced = forced.has_value();
        m_zusi3.offer(socket, std::move(forced), std::move(clientVersion));
    }
    // Before start-up: where the example profiles that come with the program are ("" for
    // none); a first start in an empty program directory offers to copy them.
    void offerExamples(std::string dir) { m_examplesDir = std::move(dir); }
    // Before start-up: the command log's lines on the way keys take (the bridge, or X11 and
    // why); they are written again whenever keys become the way.
    void setKeyWayNotes(std::vector<std::string> notes) { m_keyWayNotes = std::move(notes); }
    // The options dialog has closed: a simulator chosen anew there takes over at once, keys
    // and inputs held the old way let go first. The command line's choice holds for the run.
    void simulatorChosen();
    // The connection to the simulator's TCP interface; null when keys are sent.
    Zusi3Connection* zusi3() { return m_zusi3.connection(); }

    // Loading the window: start-up, then the polling loop until the window is unloaded.
    void Form_Load();
    // The parts of Form_Load, for callers that drive the loop themselves.
    void startUp();
    void runLoop();
    // One pass of the loop; false once the program is ending.
    bool loopPass();

    // Unloading the window (closing it or "&Ende"): the shutdown.
    void Form_Unload();

    // Window events.
    void deviceClicked(int index);
    void mnuModusTest();
    void mnuModusAktiv();
    void mnuModusKalibrieren();
    void mnuAusgabeLautsprecher();
    void mnuAusgabeLed(int index);
    void loadModeSelected(int mode);
    void mnuDateiSaveAs();
    void mnuLokEditor();
    void mnuBefehlsprotokoll();
    void buttonDoubleClicked(int index);
    void leverDoubleClicked(int index);

    // The locomotive has changed: its profile replaces the current one as the load mode says.
    void Lok_LokChange();
    // The axis editor's hand-over: the pending file, once.
    std::string AxisFile();
    void AxisReload();

    // Lets go of every key held in the simulator and stops every repetition: before a
    // change under held keys (test mode, another or a lost controller, the end).
    void releaseAll();

    // `store` = false leaves the setting "Modus" as it is (a mode given for this run only).
    void SetMode(Mode m, bool store = true);
    void PollController();
    void PeriodicTick();

    // The pieces, once started up (null before).
    ProfileSession* profiles() { return m_profiles.get(); }
    ZusiProfile* Profil();
    ZusiSend* Sender() { return m_sender.get(); }
    CommandLog& commandLog() { return m_log; }
    Mode mode() const { return m_mode; }

private:
    // The controllers were looked at again (every 2.1 s) or the open one failed a read.
    void rescanControllers();
    void controllerLost();
    void controllerReturned();
    void showDeviceList();
    void showCalibrationWizard();
    // Releases the long-lived objects once no handler can be using them; false, for the loop.
    bool releaseObjects();
    // The simulator's values ("km/h", "km") for the display.
    LedPresenter::ValueReader simValue();
    // "<Lok>_<controller number>.cfr", the automatic mode's profile name.
    std::string profileNameForLok() const;
    // The locomotive's name: the watcher's, or with the TCP interface the train file's.
    std::string lokName() const;
    // Reads and writes what has arrived; a train taken over counts as a locomotive change.
    void pollZusi3();
    bool waitForWindow();

    // The start profile replaces whatever the start-up loaded.
    void loadStartProfile();
    // Connects to the simulator's TCP interface when it is chosen; then no easy mode.
    void startZusi3();
    // The status bar and the command log name the way commands take now.
    void showWay();
    // Every tick: whether keys are held back (the simulator behind another window) is shown
    // in the status bar and on the display, and the notches missed meanwhile made up.
    void watchDelivery();

    KordanServices m_s;
    IKordanView& m_view;
    StartOptions m_start;
    ControllerSession m_controllers;
    std::vector<std::string> m_shownDevices;
    PollDispatcher m_dispatcher;
    TickSchedule m_ticks;
    ControllerOutputs m_outputs;
    CommandLog m_log;

    std::unique_ptr<ZusiSend> m_sender;
    std::unique_ptr<ProfileSession> m_profiles;
    std::unique_ptr<ZusiRegistry> m_registry;
    std::unique_ptr<ZusiLok> m_lok;
    Zusi3Session m_zusi3;

    bool m_running = false;
    bool m_closing = false; // the window is being closed: handlers stop at their next step
    Mode m_mode = Mode::Test;
    int32_t m_pollInterval = 10;

    InputReport m_report{};
    bool m_haveReport = false; // m_report holds the open controller's last report
    int16_t m_watchCountdown = 0;
    int16_t m_ledCountdown = 0;
    std::string m_pendingAxisFile;
    std::string m_examplesDir;
    std::vector<std::string> m_keyWayNotes;
    std::string m_wayNote;      // the status bar's line on the way, when nothing is wrong
    bool m_zusi3Forced = false; // the command line named the server
    bool m_heldBack = false;
};

} // namespace kordan
