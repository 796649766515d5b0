#include "app/KordanMain.h"

#include "app/ExampleProfiles.h"
#include "app/IgnoringErrors.h"
#include "app/KordanView.h"
#include "app/LokFollow.h"
#include "app/ProfileSession.h"
#include "calibration/ZusiKalibrierung.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "common/NumberText.h"
#include "common/Settings.h"
#include "profile/ZusiProfile.h"
#include "send/ZusiSend.h"

#include <algorithm>
#include <utility>

namespace kordan {

KordanMain::KordanMain(KordanServices services, IKordanView& view, StartOptions start)
    : m_s(std::move(services)), m_view(view), m_start(std::move(start)),
      m_controllers(m_s.hid, m_s.dialogs), m_outputs(m_controllers, m_s.settings, m_view),
      m_log(m_s.settings, m_s.clock, m_view), m_reports(m_s.calibration, m_view, m_view),
      m_display(m_view, m_view, m_outputs.led(), std::move(m_start.keyWayNotes)),
      m_modes(m_s.settings, m_s.dialogs, m_view, m_display,
              {[this] { releaseAll(); }, [this] { ignoringErrors([&] { PollController(); }); },
               [this] { m_profiles->showAssignments(); },
               [this] { return m_sim->sender().keysHeldBack(); }}),
      m_devices(m_controllers, m_outputs, m_reports, m_view, m_view,
                {[this] { releaseAll(); }, [this] { m_follow->lokChanged(); },
                 [this] { return m_running; }, [this] { return m_sim->values(); }}),
      m_actions({m_sim, m_profiles, m_follow, m_modes, m_outputs, m_log, m_reports, m_devices,
                 m_controllers, m_view, [this] { return m_running; }, [this] { Form_Unload(); }}) {}

KordanMain::~KordanMain() = default;

void KordanMain::Form_Load() {
    startUp();
    while (loopPass()) {
    }
}

void KordanMain::startUp() {
    // 1. Relative file names refer to the program's directory; a start profile is looked
    // for where the program was started first.
    if (const int copied =
            enterProgramDir(m_s.dialogs, m_s.programDir, m_start.examplesDir, m_start.profile))
        m_view.showStatusMessage("Beispielprofile übernommen: " + std::to_string(copied) +
                                 " Dateien");
    // 2. Where keys and the locomotive come from (the way shown, the command log started),
    // and the profile.
    m_sim = std::make_unique<SimulatorLink>(m_s, m_start.zusi3, m_log, m_view, m_display,
                                            [this] { releaseAll(); });
    m_profiles = std::make_unique<ProfileSession>(
        m_s.dialogs, m_s.events, m_view, m_s.programDir,
        [this](bool on) { m_outputs.missingProfileSign(on); }, m_sim->sender());
    m_follow =
        std::make_unique<LokFollow>(m_s.settings, m_view, *m_profiles, *m_sim, m_controllers);
    // 3.-5. Selecting the stored load mode writes it back; nothing loads yet (not running).
    m_follow->restore();
    // 6.
    m_pollInterval = readInt32(m_s.settings.get("Polling", "10"));
    // 7.-9.
    m_devices.list();
    m_view.setProfilText("");
    m_profiles->setChanged(false);
    m_view.showWindow();
    m_devices.openSingle(); // 10.
    m_follow->openStartProfile(m_start.profile);
    // 11.-12. A mode given for this run is not stored, not even the passing test mode.
    m_modes.startInTest(m_start.activeMode);
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
    ignoringErrors([&] { m_modes.resume(m_running); }); // unless closed while events ran
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
    if (wait > 0 && !m_controllers.wait(wait) && !waitForWindow(wait))
        m_s.clock.sleep(wait);
    // An error inside one poll ends that poll only; unrecorded changes come again.
    surviving(
        "Abfrage", [&] { PollController(); }, [] {});
    surviving(
        "Zusi 3",
        [&] {
            if (m_sim->poll(m_s.clock.milliseconds(), m_profiles->loadMode() == 2))
                m_follow->lokChanged();
        },
        [] {});
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

bool KordanMain::waitForWindow(int32_t pollMs) {
    // A controller whose reads are not waited for here (the virtual one, none, or one whose
    // device node this wait watches) changes only through the window, at the tick or with
    // a report that ends the wait, so the loop rests until one of them. Over TCP
    // no longer than `pollMs`: what the simulator reports (a lever's notch the lever control
    // waits for) is read by the pass.
    // Resting, the ticks without a duty are passed over: a few wake-ups a second, not ten.
    const int32_t untilTick =
        m_ticks.untilDue(m_s.clock.milliseconds()) + (resting() ? 100 * m_ticks.plainAhead() : 0);
    const bool woken =
        m_s.events.waitForEvents(m_sim && m_sim->zusi3() ? std::min(pollMs, untilTick) : untilTick);
    if (resting()) // still: a window event may have started something that counts ticks
        m_ticks.passPlain(m_s.clock.milliseconds());
    return woken;
}

bool KordanMain::resting() const {
    return m_profiles->held().resting() && !m_sim->editorWatched();
}

void KordanMain::PollController() {
    InputReport report{};
    const ControllerSession::Read got = m_controllers.read(report);
    if (got == ControllerSession::Read::Lost)
        m_devices.lost();
    if (got == ControllerSession::Read::Report) {
        const KeyBatch batch(m_s.simWindow); // the report's keys leave in one write
        m_reports.take(report, m_modes.active(), m_profiles->profile(), m_profiles->held());
    }
}

void KordanMain::PeriodicTick() {
    // Test mode repeats nothing; the emergency brake's release still comes.
    m_profiles->held().tick(m_modes.active());
    m_modes.showDelivery();
    if (m_ticks.lookDue()) {
        m_devices.rescan(); // a message about a controller lets window events run
        if (m_closing)
            return;
        // A locomotive change may ask, and the window be closed meanwhile.
        if (m_sim->look())
            m_follow->lokChanged();
        if (m_closing)
            return;
        if (m_modes.active())
            m_display.simulatorFound(m_sim->sender().GetConnect());
    }
    const TickSchedule::Display display = m_ticks.displayDue();
    if (display == TickSchedule::Display::Prefetch)
        m_sim->prefetch(m_outputs.led().valueName());
    if (display == TickSchedule::Display::Refresh)
        m_outputs.refreshLed(m_sim->values());
    m_sim->editorTick(); // last
}

void KordanMain::releaseAll() {
    if (m_profiles)
        m_profiles->held().releaseAll();
}

void KordanMain::Form_Unload() {
    if (m_closing || !m_sim)
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
    ignoringErrors([&] { m_follow.reset(); });
    ignoringErrors([&] { m_profiles.reset(); });
    ignoringErrors([&] { m_sim.reset(); });
    return false;
}

} // namespace kordan
