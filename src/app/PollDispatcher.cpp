#include "app/PollDispatcher.h"

#include <algorithm>

namespace kordan {

void PollDispatcher::dispatch(const Levers& levers, const Buttons& buttons,
                              const OnButton& onButton, const OnLever& onLever) {
    for (int k = 1; k <= 44; ++k) {
        int pressed = buttons[k - 1] ? 1 : 0;
        if (pressed != m_lastButton[k - 1]) {
            onButton(k, pressed);
            m_lastButton[k - 1] = pressed;
        }
    }
    for (int i = 1; i <= 7; ++i) {
        if (m_lastLever[i - 1] != levers[i - 1]) {
            onLever(i, m_lastLever[i - 1], levers[i - 1]);
            m_lastLever[i - 1] = levers[i - 1];
        }
    }
}

int32_t TickSchedule::untilDue(double now) const {
    const double left = m_mark + 100 - now + 1; // due once past the mark by more than 100
    return left <= 0 ? 0 : left > 100 ? 100 : static_cast<int32_t>(left);
}

bool TickSchedule::due(double now) {
    if (m_mark + 1000 < now)
        m_mark = now;               // after a long stall the missed ticks are dropped
    m_mark = std::min(m_mark, now); // the clock may have wrapped
    return m_mark + 100 < now;
}

int32_t TickSchedule::plainAhead() const {
    // The display's countdown gives Wait while it is 2 or more before the tick.
    return std::max(0, std::min<int32_t>(m_lookCountdown, m_displayCountdown - 1));
}

void TickSchedule::passPlain(double now) {
    for (; plainAhead() > 0 && due(now); ticked()) {
        --m_lookCountdown;
        --m_displayCountdown;
    }
}

bool TickSchedule::lookDue() {
    if (m_lookCountdown != 0) {
        --m_lookCountdown;
        return false;
    }
    m_lookCountdown = 20;
    return true;
}

TickSchedule::Display TickSchedule::displayDue() {
    if (m_displayCountdown == 0) {
        m_displayCountdown = 5;
        return Display::Refresh;
    }
    return --m_displayCountdown == 0 ? Display::Prefetch : Display::Wait;
}

} // namespace kordan
