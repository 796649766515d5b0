#include "app/LokFollow.h"

#include "app/ControllerSession.h"
#include "app/KordanView.h"
#include "app/ProfileSession.h"
#include "app/SimulatorLink.h"
#include "common/Settings.h"

#include <string>

namespace kordan {

// Version 1.0.2, revision 2: the easy mode's option shows only in revision 99.
static constexpr bool kEasyOptionShown = false;

void LokFollow::restore() {
    // The load mode in force is always shown, even the easy one this version hides.
    const std::string stored = m_settings.get("AutoLoad", "2");
    m_status.setEasyOptionVisible(kEasyOptionShown || stored == "2");
    m_status.setLokText("<Unbekannt>");
    if (stored == "0" || stored == "1" || stored == "2")
        choose(stored[0] - '0', false);
    else
        m_status.setLoadMode(-1);
}

void LokFollow::choose(int mode, bool running) {
    if (mode < 0 || mode > 2)
        return;
    m_profiles.setLoadMode(mode);
    m_status.setLoadMode(mode);
    m_settings.set("AutoLoad", std::to_string(mode));
    if (mode != 0 && running)
        lokChanged();
}

void LokFollow::openStartProfile(const std::string& path) {
    if (path.empty())
        return;
    // The locomotive the simulator has loaded already is seen now, so that the first tick
    // does not take it for a change that replaces the profile asked for.
    m_sim.keepCurrentLok();
    m_profiles.openFile(path);
}

void LokFollow::lokChanged() {
    m_status.setLokText(m_sim.lokName());
    if (m_controllers.selected() >= 0)
        m_profiles.locomotiveChanged(m_sim.lokName(), m_controllers.selected());
}

} // namespace kordan
