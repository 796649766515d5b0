#include "app/ProfileSession.h"

#include "app/KordanView.h"
#include "axis/ZusiAxis.h"
#include "common/Clock.h"
#include "common/Dialogs.h"
#include "profile/ZusiProfile.h"

#include <tuple>

namespace kordan {

ProfileSession::ProfileSession(IDialogs& dialogs, IEventPump& events, IKordanView& view,
                               const std::string& programDir, std::function<void(bool)> missingSign,
                               ZusiSend& sender)
    : m_dialogs(dialogs), m_events(events), m_view(view), m_missingSign(std::move(missingSign)),
      m_profil(std::make_unique<ZusiProfile>(dialogs, programDir)),
      m_held(std::make_unique<HeldKeys>(sender, *m_profil)) {}

ProfileSession::~ProfileSession() = default;

void ProfileSession::setChanged(bool changed) {
    if (changed != m_changed)
        m_view.setProfileModified(changed);
    m_changed = changed;
}

bool ProfileSession::saved(const SaveReport& report) {
    m_dialogs.tell(report);
    const bool ok = report.result == SaveResult::Saved;
    if (ok)
        m_view.showStatusMessage("Profil gespeichert: " + m_profil->Dateiname());
    return ok;
}

void ProfileSession::loaded() {
    m_view.setProfilText(m_profil->Bezeichnung());
    showAssignments();
    setChanged(false);
}

bool ProfileSession::mayReplace() {
    if (!m_changed)
        return true;
    // The simulator usually has the focus now; the question must be seen.
    m_view.bringToFront();
    m_events.processEvents();
    if (m_closing)
        return false; // the window was closed meanwhile; the shutdown asked already
    switch (m_dialogs.message("Aktuelles Profil wurde geändert, Speichern?",
                              MsgButtons::YesNoCancel, MsgIcon::Question)) {
    case MsgAnswer::Yes:
        if (!saved(m_profil->Save()))
            return false;
        setChanged(false);
        return true;
    case MsgAnswer::No:
        setChanged(false);
        return true;
    default:
        return false;
    }
}

bool ProfileSession::loadByName(const std::string& name) {
    m_held->releaseProfile();
    if (m_profil->load(name) == LoadResult::Loaded) {
        loaded();
        return true;
    }
    m_view.bringToFront();
    m_events.processEvents();
    if (m_closing)
        return false;
    m_missingSign(true);
    m_dialogs.message("Konfiguration " + name + " nicht gefunden.", MsgButtons::Ok,
                      MsgIcon::Information);
    m_missingSign(false);
    return false;
}

bool ProfileSession::askToSave() {
    if (!m_changed)
        return true;
    MsgAnswer a = m_dialogs.message("Aenderungen speichern?", MsgButtons::YesNoCancel);
    if (a == MsgAnswer::Yes)
        save();
    return a != MsgAnswer::Cancel;
}

void ProfileSession::open() {
    if (!askToSave())
        return;
    m_held->releaseProfile();
    if (m_profil->load() == LoadResult::Loaded)
        loaded();
}

void ProfileSession::newProfile() {
    if (!askToSave())
        return;
    m_held->releaseProfile();
    m_profil->Neu();
    loaded();
}

void ProfileSession::openFile(const std::string& name) {
    m_held->releaseProfile();
    LoadResult result = m_profil->load(name);
    if (result == LoadResult::Loaded)
        loaded();
    else if (result == LoadResult::NotFound)
        m_dialogs.message("Konfiguration " + name + " nicht gefunden.", MsgButtons::Ok,
                          MsgIcon::Information);
}

void ProfileSession::save() {
    saved(m_profil->Save());
    m_view.setProfilText(m_profil->Bezeichnung());
    setChanged(false);
}

std::string ProfileSession::lokProfileName(const std::string& lok, int controller) {
    return lok + "_" + std::to_string(controller + 1) + ".cfr";
}

void ProfileSession::saveAs(const std::string& lok, int controller) {
    saved(m_loadMode == 1 && controller >= 0 ? m_profil->SaveAuto(lokProfileName(lok, controller))
                                             : m_profil->SaveAs());
    m_view.setProfilText(m_profil->Bezeichnung());
    setChanged(false);
}

void ProfileSession::locomotiveChanged(const std::string& lok, int controller) {
    // The question and the messages let window events run: closing the window there ends
    // this handler.
    const bool proceed = mayReplace();
    if (m_closing)
        return;
    if (proceed && m_loadMode == 1)
        loadByName(lokProfileName(lok, controller));
    if (m_loadMode == 2 && !m_closing)
        loadByName("automatisch.cfr");
}

void ProfileSession::askAtShutdown() {
    m_closing = true;
    if (!m_changed)
        return;
    if (m_dialogs.message("Aenderungen speichern?", MsgButtons::YesNo, MsgIcon::Question) ==
        MsgAnswer::Yes) {
        m_dialogs.tell(m_profil->Save());
        if (!m_profil->Dateiname().empty())
            m_view.setProfilText(m_profil->Bezeichnung());
    }
}

void ProfileSession::showAssignments() {
    for (int k = 1; k <= 44; ++k) {
        const auto& b = m_profil->buttons(k);
        m_view.setButtonToolTip(k - 1, b.Defined ? b.Bezeichnung : "Nicht definiert");
        m_view.setButtonAssigned(k - 1, b.Defined);
    }
    for (int i = 1; i <= 7; ++i) {
        const auto& a = m_profil->Axis(i);
        std::string name = a.Bezeichnung();
        m_view.setLeverToolTip(i - 1, name.empty()    ? "Nicht zugeordnet"
                                      : a.Flip() == 0 ? "+" + name
                                                      : "-" + name);
    }
}

namespace {

// What a button's record stores; its repeat countdown is no part of the assignment.
auto assignment(const ZusiButton& b) {
    return std::tuple(b.Bezeichnung, b.Press, b.Release, b.Repeat, b.Hold, b.Shift, b.press2,
                      b.Defined);
}

} // namespace

void ProfileSession::editButton(int button) {
    if (button < 1 || button > 44)
        return;
    m_held->releaseButton(button); // its assignment may change under it
    ZusiButton& record = m_profil->buttons(button);
    const auto before = assignment(record);
    m_view.openButtonDialog(record, static_cast<int16_t>(button));
    // Abbrechen and Escape leave the button as it was: nothing to save then.
    if (assignment(m_profil->buttons(button)) != before)
        setChanged(true);
    showAssignments();
}

void ProfileSession::editLever(int lever) {
    if (lever < 1 || lever > 7)
        return;
    int32_t aktion = 0;
    m_view.openLeverActionDialog(static_cast<int16_t>(lever), aktion);
    ZusiAxis& axis = m_profil->Axis(lever);
    if (aktion == 3)
        m_view.openAxisEditor(lever, axis.Dateiname());
    if (aktion == 1 || aktion == 2 || aktion == 4)
        m_held->releaseAxis(lever);
    if (aktion == 1) {
        axis.load();
        showAssignments();
    } else if (aktion == 2) {
        axis.setDateiname({});
    } else if (aktion == 4) {
        axis.setFlip(axis.Flip() == 0 ? 1 : 0);
    }
    showAssignments();
    setChanged(true);
}

void ProfileSession::reloadAxes() {
    for (int i = 1; i <= 7; ++i) {
        ZusiAxis& axis = m_profil->Axis(i);
        if (axis.Dateiname().empty())
            continue;
        m_held->releaseAxis(i);
        axis.load(axis.Dateiname());
    }
    showAssignments();
}

} // namespace kordan
