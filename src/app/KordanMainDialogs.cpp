// The configuration windows' hand-overs of the main window's logic: the button and lever
// dialogs opened by double clicks and the axis editor's file.
#include "app/KordanMain.h"

#include "app/KordanView.h"
#include "app/ProfileSession.h"
#include "axis/ZusiAxis.h"
#include "profile/ZusiProfile.h"

#include <tuple>

namespace kordan {

namespace {

// What a button's record stores; its repeat countdown is no part of the assignment.
auto assignment(const ZusiButton& b) {
    return std::tuple(b.Bezeichnung, b.Press, b.Release, b.Repeat, b.Hold, b.Shift, b.press2,
                      b.Defined);
}

} // namespace

void KordanMain::buttonDoubleClicked(int index) {
    if (index < 0 || index >= 44)
        return;
    m_profiles->held().releaseButton(index + 1); // its assignment may change under it
    const auto before = assignment(m_profiles->profile().buttons(index + 1));
    m_view.openButtonDialog(static_cast<int16_t>(index + 1));
    // Abbrechen and Escape leave the button as it was: nothing to save then.
    if (assignment(m_profiles->profile().buttons(index + 1)) != before)
        m_profiles->setChanged(true);
    m_profiles->showAssignments();
}

void KordanMain::leverDoubleClicked(int index) {
    if (index < 0 || index >= 7)
        return;
    int32_t aktion = 0;
    m_view.openLeverActionDialog(static_cast<int16_t>(index + 1), aktion);
    if (aktion == 3) {
        m_pendingAxisFile = m_profiles->profile().Axis(index + 1).Dateiname();
        m_view.openAxisEditor(index + 1);
    }
    m_profiles->leverAction(index + 1, aktion);
}

std::string KordanMain::AxisFile() {
    std::string file = std::move(m_pendingAxisFile);
    m_pendingAxisFile.clear();
    return file;
}

void KordanMain::AxisReload() {
    if (m_profiles)
        m_profiles->reloadAxes();
}

} // namespace kordan
