#pragma once

#include "send/CommandSender.h"

#include <cstdint>
#include <utility>
#include <vector>

namespace kordan::test {

// Records every delivery in order, as (command code, Befehl) pairs.
class RecordingSender : public ICommandSender {
public:
    using Call = std::pair<int32_t, int32_t>;
    void ZusiSend(int32_t pFunktion, int32_t pBefehl) override {
        calls.emplace_back(pFunktion, pBefehl);
    }
    // The calls since the last take(), which are then forgotten.
    std::vector<Call> take() { return std::exchange(calls, {}); }
    std::vector<Call> calls;
};

} // namespace kordan::test
