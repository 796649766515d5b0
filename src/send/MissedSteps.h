#pragma once

#include <cstdint>
#include <functional>
#include <map>
#include <utility>

namespace kordan {

// Regulator steps a lever gave while they could not reach the simulator (its window was
// behind another one, and the window system delivers keys only to the active window). They
// are summed per lever and regulator, so that once the simulator is in front again one
// stepping brings its control to the notch the driver set; a lever moved up and back
// meanwhile makes up nothing. Button presses are never kept: a horn or a door pressed late
// is not what the driver wanted.
class MissedSteps {
public:
    // `lever` 1-7, `regulator` 1000-1003, `steps` the signed count that did not arrive.
    void add(int lever, int32_t regulator, int32_t steps);
    bool empty() const { return m_steps.empty(); }
    // Hands every count that is not 0 to `send`, by lever and then regulator, and forgets
    // them all; a count is at most what one regulator command may carry.
    void replay(const std::function<void(int lever, int32_t regulator, int32_t steps)>& send);

private:
    std::map<std::pair<int, int32_t>, int64_t> m_steps;
};

} // namespace kordan
