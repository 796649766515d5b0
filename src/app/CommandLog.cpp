#include "app/CommandLog.h"

#include "app/KordanView.h"
#include "common/Clock.h"
#include "common/Settings.h"
#include "send/ZusiSend.h"

namespace kordan {

namespace {
std::string elapsedText(uint32_t ms) {
    return std::to_string(ms / 1000) + "." + std::to_string(ms / 100 % 10);
}
} // namespace

std::string commandLogLine(uint32_t elapsedMs, const ZusiSend::Event& e) {
    const std::string when = elapsedText(elapsedMs);
    std::string how;
    if (e.pFunktion >= 1000 && e.pFunktion <= 1003)
        how = (e.pBefehl > 0 ? "+" : "") + std::to_string(e.pBefehl);
    else
        how = e.pBefehl == 1   ? "Down"
              : e.pBefehl == 2 ? "Up"
              : e.pBefehl == 3 ? "DownUp"
                               : std::to_string(e.pBefehl);
    std::string line = when + " s  " + std::to_string(e.pFunktion) +
                       (e.text.empty() ? "" : " " + e.text) + ": " + how;
    if (!e.key.empty())
        line += ", " + e.key;
    const int index = e.holder.index;
    if (e.holder.kind == KeyHolder::Kind::Button)
        line += ", Knopf " + std::to_string(index);
    else if (e.holder.kind == KeyHolder::Kind::Axis)
        line += ", Hebel " + std::to_string(index) +
                (e.holder.zone > 0 ? " Zone " + std::to_string(e.holder.zone) : "");
    if (e.outcome == ZusiSend::Outcome::Dropped)
        line += " (verworfen, Zusi nicht gefunden)";
    else if (e.outcome == ZusiSend::Outcome::NotActive)
        line += " (nicht zugestellt, Zusi nicht im Vordergrund)";
    else if (e.outcome == ZusiSend::Outcome::NotAvailable)
        line += " (nicht verfügbar)";
    return line;
}

void CommandLog::start(ZusiSend& sender) {
    m_startMs = m_clock.milliseconds();
    m_visible = m_settings.get("Befehlsprotokoll", "0") == "1";
    m_view.setCommandLogVisible(m_visible);
    sender.setObserver([this](const ZusiSend::Event& sent) {
        // The sender's own expansions (brake presses, regulator steps) would drown the
        // commands the user gave.
        if (!m_visible || sent.internal || sent.outcome == ZusiSend::Outcome::Rejected)
            return;
        m_view.appendCommandLog(commandLogLine(m_clock.milliseconds() - m_startMs, sent));
    });
}

void CommandLog::note(const std::string& text) {
    const std::string line = elapsedText(m_clock.milliseconds() - m_startMs) + " s  " + text;
    if (m_visible)
        m_view.appendCommandLog(line);
    if (m_echo)
        m_echo(line);
}

void CommandLog::toggle() {
    m_visible = !m_visible;
    m_settings.set("Befehlsprotokoll", m_visible ? "1" : "0");
    m_view.setCommandLogVisible(m_visible);
}

} // namespace kordan
