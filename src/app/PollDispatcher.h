#pragma once

#include <array>
#include <cstdint>
#include <functional>

namespace kordan {

// Turns the controller's state into changes for the active mode: buttons before levers, each
// in ascending order. A change counts as passed on only once its call has returned, so one
// whose call throws comes again with the next state. The remembered state starts all zero,
// so the first active poll passes on every pressed button and every lever off 0.
class PollDispatcher {
public:
    using Levers = std::array<uint8_t, 7>; // lever 1-7 after calibration
    using Buttons = std::array<bool, 44>;  // button 1-44 pressed
    using OnButton = std::function<void(int button, int pressed)>;
    using OnLever = std::function<void(int lever, int from, int to)>;

    void dispatch(const Levers& levers, const Buttons& buttons, const OnButton& onButton,
                  const OnLever& onLever);
    // Every key was let go without the buttons being released (the controller was lost):
    // a button still held when reports come again is passed on as pressed anew, one let
    // go meanwhile passes nothing. Levers keep their values, or their zones would replay.
    void forgetButtons() { m_lastButton.fill(0); }

private:
    std::array<int32_t, 44> m_lastButton{};
    std::array<int32_t, 7> m_lastLever{};
};

// The loop's 100 ms tick on a millisecond clock that may wrap: a tick is due once the clock
// is more than 100 ms past the mark. A stall of over a second drops the missed ticks, a
// shorter one is caught up one tick per pass. The mark moves on only once the tick has run.
// Within the ticks, the slower duties count down, each due on the first tick.
class TickSchedule {
public:
    void start(double now) { m_mark = now; }
    bool due(double now);
    // Milliseconds from `now` until the next tick is due (0 when it is due).
    int32_t untilDue(double now) const;
    void ticked() { m_mark += 100; }

    // Every 21st tick (2.1 s): the look at the controllers and the locomotive.
    bool lookDue();
    // Every 6th tick the display is refreshed; its value is asked for on the tick before.
    enum class Display { Wait, Prefetch, Refresh };
    Display displayDue();

    // While nothing repeats or counts ticks, a tick with neither duty above need not run:
    // the loop may rest over the `plainAhead()` such ticks that come next, and passes those
    // gone by unrun, on the ticks' beat, so the next busy tick comes when it always would.
    int32_t plainAhead() const;
    void passPlain(double now);

private:
    double m_mark = 0;
    int16_t m_lookCountdown = 0;
    int16_t m_displayCountdown = 0;
};

} // namespace kordan
