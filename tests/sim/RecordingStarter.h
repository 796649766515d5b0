#pragma once

#include "sim/ProcessStarter.h"

#include <string>
#include <vector>

namespace kordan::test {

// Records every start instead of starting anything; `succeed` false plays a missing
// program.
class RecordingStarter : public IProcessStarter {
public:
    struct Start {
        std::string program;
        std::vector<std::string> args;
    };

    bool start(const std::string& program, const std::vector<std::string>& args) override {
        starts.push_back({program, args});
        return succeed;
    }

    std::vector<Start> starts;
    bool succeed = true;
};

} // namespace kordan::test
