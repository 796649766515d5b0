// The main window's logic on the controllers' side: the device list, a controller that is
// lost or comes back, and each report read and passed on.
#include "app/KordanMain.h"

#include "app/IgnoringErrors.h"
#include "app/KordanView.h"
#include "app/ProfileSession.h"
#include "axis/ZusiAxis.h"
#include "calibration/ZusiKalibrierung.h"
#include "device/Reports.h"
#include "profile/ZusiProfile.h"

namespace kordan {

void KordanMain::showDeviceList() {
    std::vector<std::string> entries = m_controllers.entries();
    if (entries == m_shownDevices)
        return;
    m_shownDevices = entries;
    m_view.setDeviceList(entries);
    m_view.setSelectedDevice(m_controllers.selected());
}

void KordanMain::rescanControllers() {
    ControllerSession::Rescan r = m_controllers.rescan();
    if (r.lost)
        controllerLost();
    if (r.returned)
        controllerReturned();
    showDeviceList();
    // As at start-up with a single controller; a selection the user made is never changed.
    if (r.onlyOne) {
        m_view.setSelectedDevice(0);
        deviceClicked(0);
    }
}

void KordanMain::controllerLost() {
    // Nothing the lost controller pressed may stay down in the simulator.
    ignoringErrors([&] { releaseAll(); });
    m_dispatcher.forgetButtons();
    m_haveReport = false;
    m_view.setConnectionStatus("Kordan getrennt");
    showDeviceList();
}

void KordanMain::controllerReturned() {
    m_view.setConnectionStatus("");
    m_outputs.rewrite(m_running, simValue());
}

void KordanMain::deviceClicked(int index) {
    // The highlight shows the controller in use, also when the choice came to nothing.
    if (!m_controllers.select(index, m_running, [this] { releaseAll(); }))
        return m_view.setSelectedDevice(m_controllers.selected());
    m_haveReport = false; // the last report was the other controller's
    // A click on a controller that is away waits for it like a loss does.
    const bool lost = m_controllers.link() == ControllerSession::Link::Lost;
    m_view.setConnectionStatus(lost ? "Kordan getrennt" : "");
    showDeviceList();
    ignoringErrors([&] { m_outputs.restoreSpeaker(); });
    ignoringErrors([&] {
        if (m_running)
            Lok_LokChange(); // the profile for this controller
    });
}

void KordanMain::PollController() {
    ControllerSession::Read got = m_controllers.read(m_report);
    if (got == ControllerSession::Read::Lost)
        controllerLost();
    if (got != ControllerSession::Read::Report)
        return;
    m_haveReport = true;
    PollDispatcher::Levers levers{};
    for (int i = 1; i <= 7; ++i)
        levers[i - 1] = m_s.calibration.Calculate(i, leverRaw(m_report, i));
    const PollDispatcher::Buttons buttons = pressedButtons(m_report);
    ZusiProfile& profile = m_profiles->profile();
    std::array<int, 7> positions{};
    for (int i = 1; i <= 7; ++i)
        positions[i - 1] = profile.Axis(i).Flip() == 1 ? 255 - levers[i - 1] : levers[i - 1];
    m_view.showLeverPositions(positions);
    // The lever fields follow the levers in active mode too: that is when zones are tried.
    for (int i = 0; i < 7; ++i)
        m_view.setLeverText(i, std::to_string(levers[i]));
    if (m_mode == Mode::Test) {
        if (m_view.calibrationWizardVisible())
            m_view.passToCalibrationWizard(rawLevers(m_report));
        for (int k = 0; k < 44; ++k)
            m_view.setButtonLit(k, buttons[k]);
        return;
    }
    HeldKeys& held = m_profiles->held();
    m_dispatcher.dispatch(
        levers, buttons, [&](int k, int pressed) { held.button(k, pressed); },
        [&](int i, int from, int to) { held.lever(i, from, to); });
}

} // namespace kordan
