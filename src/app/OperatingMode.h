#pragma once

#include <functional>
#include <optional>
#include <utility>

namespace kordan {

class IControllerView;
class IDialogs;
class ISettings;
class ModeDisplay;

// Test or active mode: what a switch does to the window and to what is held, which switches
// the menu allows, and the setting "Modus" that keeps the mode for the next start.
class OperatingMode {
public:
    enum class Mode { Test, Active };
    struct Hooks {
        std::function<void()> releaseAll; // nothing is sent in test mode, nor may stay pressed
        std::function<void()> showLevers; // test mode shows the levers at once
        std::function<void()> showAssignments;
        std::function<bool()> keysHeldBack;
    };

    OperatingMode(ISettings& settings, IDialogs& dialogs, IControllerView& view,
                  ModeDisplay& display, Hooks hooks)
        : m_settings(settings), m_dialogs(dialogs), m_view(view), m_display(display),
          m_hooks(std::move(hooks)) {}

    Mode mode() const { return m_mode; }
    bool active() const { return m_mode == Mode::Active; }
    // `store` = false leaves the setting "Modus" as it is (a mode given for this run only).
    void set(Mode m, bool store = true);
    // Start-up: test mode first, the stored mode remembered; then the mode it was left in, or
    // `given` for this run (neither stored). Nothing after the window was closed.
    void startInTest(std::optional<bool> given);
    void resume(bool windowOpen);
    // The menu's "Aktiv": only with a controller marked.
    void chooseActive(bool controllerMarked);
    // The menu's calibration: only in test mode; says why not.
    bool mayCalibrate();
    // Every tick: keys held back (the simulator behind another window) matter when active.
    void showDelivery();

private:
    ISettings& m_settings;
    IDialogs& m_dialogs;
    IControllerView& m_view;
    ModeDisplay& m_display;
    Hooks m_hooks;
    Mode m_mode = Mode::Test;
    std::optional<bool> m_given;
    bool m_storedActive = true;
};

} // namespace kordan
