#pragma once

#include <string>
#include <vector>

namespace kordan {

class IOutputView;
class IStatusView;
class LedPresenter;
class Zusi3Connection;

// What the window and the controller's display say of the mode and of the way commands take:
// the mode label, whether the simulator was found, and the status bar's line on delivery.
class ModeDisplay {
public:
    // `keyWayNotes` are the command log's lines on the way keys take (the bridge, or X11 and
    // why); they are written again whenever keys become the way.
    ModeDisplay(IStatusView& status, IOutputView& log, LedPresenter& led,
                std::vector<std::string> keyWayNotes)
        : m_status(status), m_log(log), m_led(led), m_keyWayNotes(std::move(keyWayNotes)) {}

    void mode(bool active);
    // In active mode, after each look for the simulator.
    void simulatorFound(bool found);
    // The way commands take now: over `tcp`, or keys that may need the simulator in front.
    void way(const Zusi3Connection* tcp, bool keysNeedActiveWindow);
    // Every tick: whether keys are held back (the simulator behind another window) is shown
    // in the status bar and on the display.
    void delivery(bool heldBack);

private:
    IStatusView& m_status;
    IOutputView& m_log;
    LedPresenter& m_led;
    std::vector<std::string> m_keyWayNotes;
    std::string m_wayNote; // the status bar's line on the way, when nothing is wrong
    bool m_heldBack = false;
};

} // namespace kordan
