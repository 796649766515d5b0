#include "app/ModeDisplay.h"

#include "app/Diagnostics.h"
#include "app/KordanView.h"
#include "app/LedPresenter.h"
#include "sim/zusi3/Zusi3Connection.h"

namespace kordan {

// The status bar while keys cannot reach the simulator.
static constexpr const char* kKeysHeldBack =
    "Zusi ist nicht im Vordergrund: Tasten kommen nicht an (Hebelstufen werden nachgeholt)";

void ModeDisplay::mode(bool active) {
    m_led.setMode(active);
    m_status.setModeLabel(active ? "Aktiv" : "Hardware - Test / Konfiguratrion",
                          LabelColour::ButtonText);
}

void ModeDisplay::simulatorFound(bool found) {
    m_led.setSimFound(found);
    m_status.setModeLabel(found ? "Aktiv - mit Zusi verbunden" : "Aktiv - Zusi nicht gefunden",
                          found ? LabelColour::Green : LabelColour::Red);
}

void ModeDisplay::way(const Zusi3Connection* tcp, bool keysNeedActiveWindow) {
    if (tcp) {
        m_wayNote = tcpWayText(tcp->endpoint());
        m_log.appendCommandLog(m_wayNote);
    } else {
        for (const std::string& note : m_keyWayNotes)
            m_log.appendCommandLog(note);
        m_wayNote =
            keysNeedActiveWindow ? "Tasten erreichen Zusi nur, solange es im Vordergrund ist" : "";
    }
    m_heldBack = false;
    m_led.setKeysHeldBack(false);
    m_status.setDeliveryNote(m_wayNote, false);
}

void ModeDisplay::delivery(bool heldBack) {
    if (heldBack == m_heldBack)
        return;
    m_heldBack = heldBack;
    m_led.setKeysHeldBack(heldBack);
    m_status.setDeliveryNote(heldBack ? kKeysHeldBack : m_wayNote, heldBack);
}

} // namespace kordan
