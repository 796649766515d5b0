#pragma once

#include "device/PieHid.h"

#include <functional>
#include <optional>
#include <string>

namespace kordan {

// What the controller's three-digit display shows: blank outside the active mode, dashes
// while the simulator is known to be missing or keys cannot reach it, otherwise the chosen value
// (nothing, the speed or the kilometre position). A value is written only when its text has
// changed; the signs forget the last texts so the value is written again after them.
class LedPresenter {
public:
    // Reads one of the simulator's values ("km/h", "km") as text.
    using ValueReader = std::function<std::string(const std::string& name)>;

    // Entering a mode: the connection is unknown again until the next check.
    void setMode(bool active) {
        m_active = active;
        m_simMissing = false;
    }
    void setSimFound(bool found) { m_simMissing = !found; }
    // Keys cannot reach the simulator just now (its window is behind another one): dashes,
    // as while it is missing.
    void setKeysHeldBack(bool heldBack) { m_heldBack = heldBack; }
    void setChoice(int led) { m_choice = led; } // 0 nothing, 1 speed, 2 km, -1 none chosen
    // The simulator's value the next refresh reads ("km/h", "km"), "" for none.
    std::string valueName() const {
        return !m_active || m_simMissing || m_heldBack ? ""
               : m_choice == 1                         ? "km/h"
               : m_choice == 2                         ? "km"
                                                       : "";
    }

    // The report for the current state; nullopt when the display is to stay as it is.
    std::optional<OutputReport> refresh(const ValueReader& read);
    OutputReport blank();
    OutputReport dashes();
    OutputReport missingProfile(); // "no profile" while its message is open
    // The display lost what it showed (a controller plugged in again): write it anew.
    void forgetShown() {
        m_lastSpeedText.clear();
        m_lastKmText.clear();
    }

private:
    OutputReport sign(uint8_t right, uint8_t middle, uint8_t left);

    bool m_active = false;
    bool m_simMissing = false;
    bool m_heldBack = false;
    int m_choice = -1;
    std::string m_lastSpeedText;
    std::string m_lastKmText;
};

} // namespace kordan
