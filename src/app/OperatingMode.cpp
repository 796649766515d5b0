#include "app/OperatingMode.h"

#include "app/KordanView.h"
#include "app/ModeDisplay.h"
#include "common/Dialogs.h"
#include "common/Settings.h"

namespace kordan {

void OperatingMode::set(Mode m, bool store) {
    m_mode = m;
    m_display.mode(active());
    m_view.setDeviceListEnabled(false);
    if (m == Mode::Test) {
        m_hooks.releaseAll();
        m_view.setDeviceListEnabled(true);
        m_hooks.showLevers();
    } else {
        m_hooks.showAssignments();
    }
    showDelivery();
    if (store)
        m_settings.set("Modus", m == Mode::Test ? "Test" : "Run");
}

void OperatingMode::startInTest(std::optional<bool> given) {
    // Read before test mode is stored, or the program could never start in the mode it was
    // left in.
    m_storedActive = m_settings.get("Modus", "Run") == "Run";
    m_given = given;
    set(Mode::Test, !given);
}

void OperatingMode::resume(bool windowOpen) {
    if (windowOpen)
        set(m_given.value_or(m_storedActive) ? Mode::Active : Mode::Test, !m_given);
}

void OperatingMode::chooseActive(bool controllerMarked) {
    if (controllerMarked)
        return set(Mode::Active);
    m_dialogs.message("Bitte zuerst Gerät markieren!", MsgButtons::Ok, MsgIcon::Exclamation,
                      "Aktivieren nicht möglich");
}

bool OperatingMode::mayCalibrate() {
    if (m_mode == Mode::Test)
        return true;
    m_dialogs.message("Kalibrierung nur im Test-Modus möglich", MsgButtons::Ok,
                      MsgIcon::Exclamation, "Nicht möglich");
    return false;
}

void OperatingMode::showDelivery() {
    m_display.delivery(active() && m_hooks.keysHeldBack());
}

} // namespace kordan
