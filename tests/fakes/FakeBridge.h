#pragma once

#include "sim/bridge/BridgeServer.h"
#include "sim/bridge/ChildProcess.h"

#include "fakes/FakePlatform.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace kordan::test {

// The bridge as a child process: its input goes straight into the bridge's own end of the
// protocol over fake Windows services. `hung` answers nothing, `dead` has ended; waiting
// for output advances the fake clock.
struct FakeBridge : IChildProcess {
    FakeBridge(BridgeServer& server, FakeClock& clock, std::vector<std::string>& input)
        : server(server), clock(clock), input(input) {}
    bool write(std::string_view data) override {
        ++writes;
        for (size_t end; !dead && (end = data.find('\n')) != data.npos;
             data.remove_prefix(end + 1)) {
            input.emplace_back(data.substr(0, end));
            if (!hung)
                output += server.handle(input.back());
        }
        return !dead;
    }
    void giveUp() override { input.emplace_back("(given up)"); }
    bool read(std::string& out, int waitMs) override {
        if (output.empty())
            clock.now += static_cast<uint32_t>(waitMs);
        out += std::exchange(output, "");
        return !dead;
    }
    BridgeServer& server;
    FakeClock& clock;
    std::vector<std::string>& input; // kept by the test beyond the child's end
    std::string output;
    bool hung = false, dead = false;
    int writes = 0;
};

} // namespace kordan::test
