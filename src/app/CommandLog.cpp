#include "app/CommandLog.h"

#include "app/KordanView.h"
#include "common/Clock.h"
#include "common/Settings.h"
#include "send/ZusiSend.h"

namespace kordan {

std::string commandLogLine(uint32_t elapsedMs, int32_t code, int32_t befehl, bool dropped) {
    std::string when =
        std::to_string(elapsedMs / 1000) + "." + std::to_string(elapsedMs / 100 % 10);
    std::string how;
    if (code >= 1000 && code <= 1003)
        how = (befehl > 0 ? "+" : "") + std::to_string(befehl);
    else
        how = befehl == 1   ? "Down"
              : befehl == 2 ? "Up"
              : befehl == 3 ? "DownUp"
                            : std::to_string(befehl);
    std::string text = ZusiSend::Befehlstext(code);
    std::string line =
        when + " s  " + std::to_string(code) + (text.empty() ? "" : " " + text) + ": " + how;
    if (dropped)
        line += " (verworfen, Zusi nicht gefunden)";
    return line;
}

void CommandLog::start(ZusiSend& sender) {
    m_startMs = m_clock.milliseconds();
    m_visible = m_settings.get("Befehlsprotokoll", "0") == "1";
    m_view.setCommandLogVisible(m_visible);
    sender.setObserver(
        [this](int32_t code, int32_t befehl, ZusiSend::Outcome outcome, bool internal) {
            // The sender's own expansions (brake presses, regulator steps) would drown the
            // commands the user gave.
            if (!m_visible || internal || outcome == ZusiSend::Outcome::Rejected)
                return;
            m_view.appendCommandLog(commandLogLine(m_clock.milliseconds() - m_startMs, code, befehl,
                                                   outcome == ZusiSend::Outcome::Dropped));
        });
}

void CommandLog::toggle() {
    m_visible = !m_visible;
    m_settings.set("Befehlsprotokoll", m_visible ? "1" : "0");
    m_view.setCommandLogVisible(m_visible);
}

} // namespace kordan
