#include "send/MissedSteps.h"

#include <algorithm>

namespace kordan {

namespace {
// A regulator command's count is a 16-bit quantity (see ZusiSend).
constexpr int64_t kMaxSteps = 32767;
} // namespace

void MissedSteps::add(int lever, int32_t regulator, int32_t steps) {
    if (steps != 0)
        m_steps[{lever, regulator}] += steps;
}

void MissedSteps::replay(
    const std::function<void(int lever, int32_t regulator, int32_t steps)>& send) {
    // Taken first: a step that again cannot be delivered is kept anew by the sender.
    const auto steps = std::exchange(m_steps, {});
    for (const auto& [key, count] : steps)
        if (count != 0)
            send(key.first, key.second, int32_t(std::clamp(count, -kMaxSteps, kMaxSteps)));
}

} // namespace kordan
