#include "app/KordanMain.h"

#include "app/ExampleProfiles.h"
#include "app/IgnoringErrors.h"
#include "app/KordanView.h"
#include "app/ProfileSession.h"
#include "calibration/ZusiKalibrierung.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/NumberText.h"
#include "common/Settings.h"
#include "profile/ZusiProfile.h"
#include "send/ZusiSend.h"
#include "sim/ZusiLok.h"
#include "sim/ZusiRegistry.h"
#include "sim/zusi3/Zusi3Settings.h"

#include <algorithm>
#include <filesystem>
#include <utility>

namespace kordan {

// Version 1.0.2; the easy mode's option shows only in revision 99.
static constexpr int kRevision = 2;

KordanMain::KordanMain(KordanServices services, IKordanView& view, StartOptions start)
    : m_s(std::move(services)), m_view(view), m_start(std::move(start)),
      m_controllers(m_s.hid, m_s.dialogs), m_outputs(m_controllers, m_s.settings, m_view),
      m_log(m_s.settings, m_s.clock, m_view), m_reports(m_s.calibration, m_view, m_view),
      m_display(m_view, m_view, m_outputs.led(), std::move(m_start.keyWayNotes)),
      m_devices(m_controllers, m_outputs, m_reports, m_view, m_view,
                {[this] { releaseAll(); }, [this] { lokChanged(); }, [this] { return m_running; },
                 [this] { return simValue(); }}) {
    if (m_start.zusi3)
        m_zusi3.offer(m_start.zusi3->socket, m_start.zusi3->forced, m_start.zusi3->clientVersion);
}

KordanMain::~KordanMain() = default;

void KordanMain::Form_Load() {
    startUp();
    while (loopPass()) {
    }
}

void KordanMain::startUp() {
    // 1. The long-lived objects.
    m_sender = std::make_unique<ZusiSend>(m_s.simWindow, zusiKeyTable(m_s.registry));
    m_profiles = std::make_unique<ProfileSession>(
        m_s.dialogs, m_s.events, m_view, m_s.programDir,
        [this](bool on) { m_outputs.missingProfileSign(on); }, *m_sender);
    m_lok = std::make_unique<ZusiLok>(m_s.registry, m_s.dialogs, m_s.processStarter, m_s.programDir,
                                      m_s.mapSimPath);
    m_registry = std::make_unique<ZusiRegistry>(m_s.registry);
    m_registry->schluessel("Software\\zusi\\zusi");
    // 2. Relative file names refer to the program's directory; a start profile is looked
    // for where the program was started first.
    std::error_code ec;
    if (!m_start.profile.empty() && std::filesystem::exists(m_start.profile, ec))
        m_start.profile = std::filesystem::absolute(m_start.profile, ec).string();
    std::filesystem::current_path(m_s.programDir, ec);
    if (const int copied = offerExampleProfiles(m_s.dialogs, m_s.programDir, m_start.examplesDir))
        m_view.showStatusMessage("Beispielprofile übernommen: " + std::to_string(copied) +
                                 " Dateien");
    startZusi3();
    // 3.-4. The load mode in force is always shown, even the easy one this version hides.
    std::string autoLoad = m_s.settings.get("AutoLoad", "2");
    m_view.setEasyOptionVisible(kRevision == 99 || autoLoad == "2");
    m_view.setLokText("<Unbekannt>");
    // 5. Selecting the stored option writes it back; nothing loads yet (not running).
    if (autoLoad == "0" || autoLoad == "1" || autoLoad == "2")
        loadModeSelected(autoLoad[0] - '0');
    else
        m_view.setLoadMode(-1);
    m_log.start(*m_sender);
    showWay();
    // 6.
    m_pollInterval = readInt32(m_s.settings.get("Polling", "10"));
    // The stored mode is read before step 11 stores "Test", or the program could never
    // start in the mode it was left in.
    std::string storedMode = m_s.settings.get("Modus", "Run");
    // 7.-9.
    m_devices.list();
    m_view.setProfilText("");
    m_profiles->setChanged(false);
    m_view.showWindow();
    m_devices.openSingle(); // 10.
    loadStartProfile();
    // 11.-12. A mode given for this run is not stored, not even the passing test mode.
    setMode(Mode::Test, !m_start.activeMode);
    m_running = !m_closing; // a window closed in the messages before stays closed
    m_ticks.start(m_s.clock.milliseconds());
    // 13.-18. Failures of these steps are skipped one by one.
    ignoringErrors([&] { m_view.focusDeviceList(); });
    ignoringErrors([&] { m_outputs.restoreSpeaker(); });
    ignoringErrors([&] { m_outputs.restoreLedChoice(); });
    ignoringErrors([&] { m_s.events.processEvents(); });
    ignoringErrors([&] {
        // Without a controller the wizard would only measure empty fields.
        if (!m_s.calibration.IsConfigured() && !m_controllers.entries().empty())
            m_reports.openWizard();
    });
    ignoringErrors([&] {
        if (!m_running)
            return; // the window was closed while events ran
        const bool active = m_start.activeMode.value_or(storedMode == "Run");
        setMode(active ? Mode::Active : Mode::Test, !m_start.activeMode);
    });
}

void KordanMain::loadStartProfile() {
    if (m_start.profile.empty())
        return;
    // The locomotive the simulator has loaded already is seen now, so that the first tick
    // does not take it for a change that replaces the profile asked for.
    if (m_lok->Timer())
        m_view.setLokText(m_lok->Lok());
    // Over TCP the train arrives only after the handshake; the first one is shown alone.
    m_zusi3.keepFirstTrain();
    m_profiles->openFile(m_start.profile);
}

bool KordanMain::loopPass() {
    if (!m_running)
        return releaseObjects();
    m_s.events.processEvents();
    // Closing the window inside the event processing ends the program here. No handler is
    // running any more, so the objects can go.
    if (!m_running)
        return releaseObjects();
    // No wait outlasts a tick, even for a hand-edited interval: a termination signal or a
    // closed window is seen at the next pass.
    const int32_t wait = std::min<int32_t>(m_pollInterval, 100);
    if (wait > 0 && !m_controllers.wait(wait) && !waitForWindow())
        m_s.clock.sleep(wait);
    // An error inside one poll ends that poll only; unrecorded changes come again.
    surviving(
        "Abfrage", [&] { PollController(); }, [] {});
    surviving(
        "Zusi 3", [&] { pollZusi3(); }, [] {});
    if (!m_running)
        return true; // closed inside a locomotive change's message: the next pass ends
    if (m_ticks.due(m_s.clock.milliseconds())) {
        // Whatever a failed tick left half done, no key may stay down because of it.
        surviving(
            "Takt", [&] { PeriodicTick(); }, [&] { ignoringErrors([&] { releaseAll(); }); });
        m_ticks.ticked();
    }
    return true;
}

bool KordanMain::waitForWindow() {
    // A controller that cannot be waited on (the virtual one, or none) changes only through
    // the window or at the tick, so the loop rests until one of them.
    return m_s.events.waitForEvents(m_ticks.untilDue(m_s.clock.milliseconds()));
}

void KordanMain::PollController() {
    InputReport report{};
    const ControllerSession::Read got = m_controllers.read(report);
    if (got == ControllerSession::Read::Lost)
        m_devices.lost();
    if (got == ControllerSession::Read::Report)
        m_reports.take(report, m_mode == Mode::Active, m_profiles->profile(), m_profiles->held());
}

void KordanMain::PeriodicTick() {
    // Test mode repeats nothing; the emergency brake's release still comes.
    m_profiles->held().tick(m_mode == Mode::Active);
    m_display.delivery(m_mode == Mode::Active && m_sender->keysHeldBack());
    if (m_ticks.lookDue()) {
        m_devices.rescan(); // a message about a controller lets window events run
        if (m_closing)
            return;
        // With the TCP interface the simulator reports its train itself (pollZusi3). A
        // locomotive change may ask, and the window be closed meanwhile.
        if (!m_zusi3 && m_lok->Timer())
            lokChanged();
        if (m_closing)
            return;
        if (m_mode == Mode::Active)
            m_display.simulatorFound(m_sender->GetConnect());
    }
    const TickSchedule::Display display = m_ticks.displayDue();
    // Asked for a tick ahead: through the bridge a registry read is a round trip into Wine.
    if (display == TickSchedule::Display::Prefetch && !m_zusi3)
        if (const std::string name = m_outputs.led().valueName(); !name.empty())
            m_registry->prefetch(name);
    if (display == TickSchedule::Display::Refresh)
        m_outputs.refreshLed(simValue());
    m_lok->EditorTick(); // last: its message lets window events run
}

LedPresenter::ValueReader KordanMain::simValue() {
    if (m_zusi3)
        return m_zusi3.values();
    return [this](const std::string& name) { return m_registry->Value(name); };
}

void KordanMain::releaseAll() {
    if (m_profiles)
        m_profiles->held().releaseAll();
}

void KordanMain::setMode(Mode m, bool store) {
    m_mode = m;
    m_display.mode(m == Mode::Active);
    m_view.setDeviceListEnabled(false);
    if (m == Mode::Test) {
        releaseAll(); // nothing is sent in test mode, so nothing may stay pressed either
        m_view.setDeviceListEnabled(true);
        ignoringErrors([&] { PollController(); });
    } else {
        m_profiles->showAssignments();
    }
    m_display.delivery(m == Mode::Active && m_sender->keysHeldBack());
    if (store)
        m_s.settings.set("Modus", m == Mode::Test ? "Test" : "Run");
}

void KordanMain::menu(MenuEntry entry) {
    if (!m_profiles)
        return; // not started up, or ended
    switch (entry) {
    case MenuEntry::DateiNeu:
        return m_profiles->newProfile();
    case MenuEntry::DateiOeffnen:
        return m_profiles->open();
    case MenuEntry::DateiSpeichern:
        return m_profiles->save();
    case MenuEntry::DateiSaveAs:
        return m_profiles->saveAs(lokName(), m_controllers.selected());
    case MenuEntry::DateiBelegung:
        return m_view.printSheet(m_profiles->profile());
    case MenuEntry::ModusTest:
        return setMode(Mode::Test);
    case MenuEntry::ModusAktiv:
        if (m_controllers.selected() >= 0)
            return setMode(Mode::Active);
        m_s.dialogs.message("Bitte zuerst Gerät markieren!", MsgButtons::Ok, MsgIcon::Exclamation,
                            "Aktivieren nicht möglich");
        return;
    case MenuEntry::ModusKalibrieren:
        if (m_mode == Mode::Test)
            return m_reports.openWizard();
        m_s.dialogs.message("Kalibrierung nur im Test-Modus möglich", MsgButtons::Ok,
                            MsgIcon::Exclamation, "Nicht möglich");
        return;
    case MenuEntry::AusgabeLautsprecher:
        return m_outputs.toggleSpeaker();
    case MenuEntry::Befehlsprotokoll:
        return m_log.toggle();
    case MenuEntry::LokEditor:
        return m_lok->StartEditor();
    case MenuEntry::OptionsClosed:
        return simulatorChosen();
    }
}

void KordanMain::loadModeSelected(int mode) {
    if (!m_profiles || mode < 0 || mode > 2)
        return;
    m_profiles->setLoadMode(mode);
    m_view.setLoadMode(mode);
    m_s.settings.set("AutoLoad", std::to_string(mode));
    if (mode != 0 && m_running)
        lokChanged();
}

void KordanMain::buttonDoubleClicked(int index) {
    if (m_profiles)
        m_profiles->editButton(index + 1);
}

void KordanMain::leverDoubleClicked(int index) {
    if (m_profiles)
        m_profiles->editLever(index + 1);
}

void KordanMain::axisSaved() {
    if (m_profiles)
        m_profiles->reloadAxes();
}

std::string KordanMain::lokName() const {
    return m_zusi3 ? m_zusi3.lok() : m_lok->Lok();
}

void KordanMain::lokChanged() {
    m_view.setLokText(lokName());
    if (m_controllers.selected() >= 0)
        m_profiles->locomotiveChanged(lokName(), m_controllers.selected());
}

void KordanMain::pollZusi3() {
    const auto news = m_zusi3.poll(m_s.clock.milliseconds(), m_profiles->loadMode() == 2);
    if (news != Zusi3Session::TrainNews::None)
        m_view.setLokClass(m_zusi3.lokClass());
    if (news == Zusi3Session::TrainNews::First)
        m_view.setLokText(m_zusi3.lok());
    if (news != Zusi3Session::TrainNews::Changed)
        return;
    // Nothing pressed for the previous train may stay down in the new one.
    ignoringErrors([&] { releaseAll(); });
    lokChanged();
}

void KordanMain::startZusi3() {
    // Nothing held over a lost connection can be let go there; the keys still can.
    m_zusi3.start(
        m_s.settings, *m_sender, [this] { ignoringErrors([&] { releaseAll(); }); },
        [this](const std::string& text) { m_log.note(text); }, m_s.programDir);
}

void KordanMain::simulatorChosen() {
    if ((m_start.zusi3 && m_start.zusi3->forced) || !m_sender)
        return;
    const std::optional<Zusi3Endpoint> chosen = storedZusi3Endpoint(m_s.settings);
    const Zusi3Connection* now = m_zusi3.connection();
    if (now ? chosen == now->endpoint() : !chosen)
        return;
    // Nothing pressed the old way may stay down once the new way takes over.
    ignoringErrors([&] { releaseAll(); });
    m_zusi3.stop(m_sender.get());
    startZusi3();
    m_outputs.led().setMode(m_mode == Mode::Active); // found or not: the next check says
    showWay();
}

void KordanMain::showWay() {
    m_display.way(m_zusi3.connection(), m_s.simWindow.keysNeedActiveWindow());
}

void KordanMain::deviceClicked(int index) {
    if (m_profiles)
        m_devices.clicked(index);
}

void KordanMain::Form_Unload() {
    if (m_closing || !m_sender)
        return; // already unloaded (or never started)
    m_closing = true;
    m_profiles->askAtShutdown();
    // From here on failures are skipped: the program ends whatever happens.
    m_running = false;
    // Nothing may stay pressed in the simulator once the program has gone.
    ignoringErrors([&] { releaseAll(); });
    m_outputs.shutdown();
    ignoringErrors([&] { m_s.events.processEvents(); });
    // The objects stay until the loop sees the end: the window may have been closed inside
    // a handler that still uses them.
}

bool KordanMain::releaseObjects() {
    ignoringErrors([&] { m_profiles.reset(); });
    ignoringErrors([&] { m_zusi3.stop(m_sender.get()); });
    ignoringErrors([&] { m_sender.reset(); });
    ignoringErrors([&] { m_registry.reset(); });
    return false;
}

} // namespace kordan
