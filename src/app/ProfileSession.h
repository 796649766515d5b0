#pragma once

#include "profile/HeldKeys.h"

#include <functional>
#include <memory>
#include <string>

namespace kordan {

class IDialogs;
class IEventPump;
class IKordanView;
struct SaveReport;
class ZusiProfile;
class ZusiSend;

// The profile in use and whether it has unsaved changes: the file menu's open, save and
// save-as, loading a profile by name, the questions before changes would be lost, and the
// assignments shown as the fields' tool tips. Whatever the profile holds in the simulator is
// let go before a file replaces it or one of its axes.
class ProfileSession {
public:
    // `missingSign(true)` shows the "no profile" sign on the display while its message is
    // open, `missingSign(false)` blanks it again.
    ProfileSession(IDialogs& dialogs, IEventPump& events, IKordanView& view,
                   const std::string& programDir, std::function<void(bool)> missingSign,
                   ZusiSend& sender);
    ~ProfileSession();
    ProfileSession(const ProfileSession&) = delete;
    ProfileSession& operator=(const ProfileSession&) = delete;

    ZusiProfile& profile() { return *m_profil; }
    HeldKeys& held() { return *m_held; }
    bool changed() const { return m_changed; }
    // The window is told of every change of the flag.
    void setChanged(bool changed);

    // Asked before another profile replaces this one: "Aktuelles Profil wurde geändert,
    // Speichern?". False when the current one is to stay (cancelled, or its save failed).
    bool mayReplace();
    // The load mode: 0 by hand, 1 the locomotive's own profile, 2 "automatisch.cfr".
    void setLoadMode(int mode) { m_loadMode = mode; }
    int loadMode() const { return m_loadMode; }
    // "<Lok>_<controller number>.cfr": the automatic mode's profile of locomotive `lok` on
    // controller `controller` (0-based).
    static std::string lokProfileName(const std::string& lok, int controller);
    // A new locomotive, controller or load mode: the locomotive's profile (automatic mode)
    // or "automatisch.cfr" (easy mode) replaces the current profile; by hand only the question.
    void locomotiveChanged(const std::string& lok, int controller);
    // Loads a profile from the program's directory; a missing one is reported.
    bool loadByName(const std::string& name);
    void open();
    // "Datei → Neu": an empty profile replaces this one, after the same question as open().
    void newProfile();
    // Opens `name` as "&Oeffnen..." does once a file is chosen; a missing file is reported.
    void openFile(const std::string& name);
    void save();
    // In the automatic mode with a controller chosen, saves under the locomotive's profile
    // name; otherwise asks for a name.
    void saveAs(const std::string& lok, int controller);
    // At the program's end there is no Cancel: it ends either way. From then on the
    // questions and messages of a handler still running are left out.
    void askAtShutdown();
    void showAssignments();
    // Button 1-44's dialog; only a changed assignment counts as a change.
    void editButton(int button);
    // Lever 1-7's action dialog: 1 choose a file, 2 remove it, 3 edit it in the axis editor,
    // 4 flip the direction; anything else nothing. Even a cancelled choice counts as a change.
    void editLever(int lever);
    // The axis editor has saved: the assigned files are read again.
    void reloadAxes();

private:
    void loaded();
    // "Aenderungen speichern?" before the profile is replaced; false when cancelled.
    bool askToSave();
    // After a save: the user is told what became of it, and the status bar names the file
    // when it was written. True when it was.
    bool saved(const SaveReport& report);

    IDialogs& m_dialogs;
    IEventPump& m_events;
    IKordanView& m_view;
    std::function<void(bool)> m_missingSign;
    std::unique_ptr<ZusiProfile> m_profil;
    std::unique_ptr<HeldKeys> m_held;
    bool m_changed = false;
    bool m_closing = false;
    int m_loadMode = -1;
};

} // namespace kordan
