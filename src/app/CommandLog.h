#pragma once

#include "send/ZusiSend.h"

#include <cstdint>
#include <functional>
#include <string>

namespace kordan {

class IClock;
class IOutputView;
class ISettings;

// One line of the command log, `elapsedMs` after its start: "12.3 s  28 Pfeife: Down, Taste
// F8, Knopf 12", "... 1000 Regelbereich Fahrschalter: +3, Taste A, Hebel 2 Zone 3", "...
// (verworfen, Zusi nicht gefunden)"; a key that did not reach the simulator and a command
// without a way say so too.
std::string commandLogLine(uint32_t elapsedMs, const ZusiSend::Event& sent);

// The command log under the controller's picture: shown or hidden as the setting
// "Befehlsprotokoll" says, fed with every command the user's buttons and levers give.
class CommandLog {
public:
    CommandLog(ISettings& settings, IClock& clock, IOutputView& view)
        : m_settings(settings), m_clock(clock), m_view(view) {}
    // Start-up: the stored choice, and the sender's commands from now on.
    void start(ZusiSend& sender);
    void toggle(); // the menu entry
    // A line of its own that is no command (what the program learnt of the simulator,
    // something that went wrong on the way): "12.3 s  Führerbremsventil: Stufen in
    // Gegenrichtung". Also handed to the echo, shown or not.
    void note(const std::string& text);
    // Where notes go besides the log: standard error when nobody watches the window.
    void setEcho(std::function<void(const std::string&)> echo) { m_echo = std::move(echo); }

private:
    ISettings& m_settings;
    IClock& m_clock;
    IOutputView& m_view;
    bool m_visible = false;
    uint32_t m_startMs = 0;
    std::function<void(const std::string&)> m_echo;
};

} // namespace kordan
