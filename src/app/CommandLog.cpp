#include "app/CommandLog.h"

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

} // namespace kordan
