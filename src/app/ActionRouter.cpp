#include "app/ActionRouter.h"

#include "app/CommandLog.h"
#include "app/ControllerOutputs.h"
#include "app/ControllerSession.h"
#include "app/DeviceList.h"
#include "app/KordanView.h"
#include "app/LokFollow.h"
#include "app/OperatingMode.h"
#include "app/ProfileSession.h"
#include "app/ReportStep.h"
#include "app/SimulatorLink.h"

namespace kordan {

void ActionRouter::menu(MenuEntry entry) {
    if (!m_p.profiles)
        return; // not started up, or ended
    ProfileSession& profiles = *m_p.profiles;
    switch (entry) {
    case MenuEntry::DateiNeu:
        return profiles.newProfile();
    case MenuEntry::DateiOeffnen:
        return profiles.open();
    case MenuEntry::DateiSpeichern:
        return profiles.save();
    case MenuEntry::DateiSaveAs:
        return profiles.saveAs(m_p.sim->lokName(), m_p.controllers.selected());
    case MenuEntry::DateiBelegung:
        return m_p.windows.printSheet(profiles.profile());
    case MenuEntry::ModusTest:
        return m_p.modes.set(OperatingMode::Mode::Test);
    case MenuEntry::ModusAktiv:
        return m_p.modes.chooseActive(m_p.controllers.selected() >= 0);
    case MenuEntry::ModusKalibrieren:
        if (m_p.modes.mayCalibrate())
            m_p.reports.openWizard();
        return;
    case MenuEntry::AusgabeLautsprecher:
        return m_p.outputs.toggleSpeaker();
    case MenuEntry::Befehlsprotokoll:
        return m_p.log.toggle();
    case MenuEntry::LokEditor:
        return m_p.sim->startEditor();
    case MenuEntry::OptionsClosed:
        if (m_p.sim->chooseAnew())
            m_p.outputs.led().setMode(m_p.modes.active()); // found or not: the next check says
        return;
    }
}

void ActionRouter::ledChosen(int index) {
    m_p.outputs.chooseLed(index);
}

void ActionRouter::loadModeSelected(int mode) {
    if (m_p.follow)
        m_p.follow->choose(mode, m_p.running());
}

void ActionRouter::buttonDoubleClicked(int index) {
    if (m_p.profiles)
        m_p.profiles->editButton(index + 1);
}

void ActionRouter::leverDoubleClicked(int index) {
    if (m_p.profiles)
        m_p.profiles->editLever(index + 1);
}

void ActionRouter::axisSaved() {
    if (m_p.profiles)
        m_p.profiles->reloadAxes();
}

void ActionRouter::deviceClicked(int index) {
    if (m_p.profiles)
        m_p.devices.clicked(index);
}

} // namespace kordan
