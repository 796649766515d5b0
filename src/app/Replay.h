#pragma once

#include "app/Scenario.h"
#include "sim/zusi3/Zusi3Connection.h"

#include <iosfwd>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace kordan {

class IRegistryBackend;
class KordanMain;
class VirtualController;

// What a scenario acts on in the running program: `controller`, and the program's profile
// and mode.
ScenarioTarget scenarioTarget(KordanMain& main, VirtualController& controller);
// Reads the scenario file `path`; what keeps it from being played goes to `err`.
std::optional<std::vector<ScenarioStep>> readScenario(const std::string& path, std::ostream& err);
// The end of a run without anyone at the window (--quit): what the display showed before the
// shutdown blanked it (`display`), the profile and the mode.
void writeRunSummary(std::ostream& out, const std::string& display, KordanMain& main);

struct ReplayOptions {
    std::string programDir;      // relative names refer to it
    std::string calibrationFile; // a "Kalibrierung.dat" to use; empty = initial values
    int32_t pollMs = 10;         // the polling interval; each pass advances the clock by it
    std::string profile;         // the profile to load
};

// A server of the simulator's TCP interface: the commands that have an input go there, the
// rest are keys as before.
struct ReplayZusi3 {
    ITcpSocket& socket;
    Zusi3Endpoint endpoint;
};

// Runs the main window's active-mode logic on a simulated clock (starting at 0) with a
// virtual controller and a recording simulator window titled "Zusi" in the foreground,
// plays the scenario, and writes one line per operation on the window to `out`:
// "T down VK", "T up VK", "T type KEYS". Messages go to `err` as "message: TEXT". At the
// end the program shuts down as when its window is closed.
// With a server it first waits up to 5 s (real time) for the handshake.
// Returns the exit status: 0 done, 1 the profile did not load, 3 no connection to the server
// (the message says why: "Rechner nicht gefunden", "Verbindung abgelehnt", "keine Antwort").
int runReplay(const ReplayOptions& options, const std::vector<ScenarioStep>& scenario,
              std::unique_ptr<IRegistryBackend> registry, std::ostream& out, std::ostream& err,
              const ReplayZusi3* zusi3 = nullptr);

} // namespace kordan
