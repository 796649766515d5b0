#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

namespace kordan {

// One instruction of a scenario: a script of lever movements and button presses that
// kordan-replay (and the virtual controller's player) run through the program.
//   lever I RAW   raw channel I (1-7) to RAW (0-255)
//   press K       button K (1-44) pressed
//   release K     button K released
//   wait MS       let MS milliseconds pass
//   load FILE     open FILE as the profile (relative to the program's directory)
//   mode test     switch to test mode; "mode active" back to active mode
//   unplug        the virtual controller is pulled out; "replug" plugs it in again (the
//                 program sees it at its next look, within 2.1 s)
// Blank lines and text after "#" are ignored.
struct ScenarioStep {
    enum class Kind { Lever, Press, Release, Wait, Load, Mode, Unplug, Replug } kind;
    int a = 0; // lever, button, milliseconds, or 1 for active mode
    int b = 0; // raw value of a lever
    int line = 0;
    std::string file; // of a load
};

struct ScenarioError {
    int line = 0;
    std::string text;
};

std::variant<std::vector<ScenarioStep>, ScenarioError> parseScenario(std::string_view text);

class VirtualController;

// What a scenario acts on: the virtual controller, and the program for loads and modes.
struct ScenarioTarget {
    VirtualController& controller;
    std::function<void(const std::string& file)> load;
    std::function<void(bool active)> mode;
};

// Carries out one step; waits do nothing here.
void applyStep(const ScenarioStep& step, const ScenarioTarget& target);

// Plays a scenario on the virtual controller against a clock the caller supplies, so
// the same script runs in real time in the program and in tests.
class ScenarioPlayer {
public:
    ScenarioPlayer(std::vector<ScenarioStep> steps, ScenarioTarget target)
        : m_steps(std::move(steps)), m_target(std::move(target)) {}
    // Applies every step that is due `elapsedMs` after the start; false once all are done.
    bool run(uint64_t elapsedMs);

private:
    std::vector<ScenarioStep> m_steps;
    ScenarioTarget m_target;
    size_t m_next = 0;
    uint64_t m_due = 0;
};

} // namespace kordan
