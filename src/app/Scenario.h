#pragma once

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
// Blank lines and text after "#" are ignored.
struct ScenarioStep {
    enum class Kind { Lever, Press, Release, Wait } kind;
    int a = 0; // lever, button or milliseconds
    int b = 0; // raw value of a lever
    int line = 0;
};

struct ScenarioError {
    int line = 0;
    std::string text;
};

std::variant<std::vector<ScenarioStep>, ScenarioError> parseScenario(std::string_view text);

} // namespace kordan
