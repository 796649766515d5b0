#include "axis/ZusiZone.h"

#include "common/NumberText.h"

#include <algorithm>
#include <limits>

namespace kordan {

int64_t ZusiZone::notchPosition(int32_t v) const {
    // 64-bit arithmetic: hand-edited files can hold bounds and step counts whose products
    // or differences do not fit 32 bits.
    const int64_t s = Start, e = Ende, n = RegelStep;
    // Outside the zone: the end it lies beyond, whichever way the notches count.
    if (v < s)
        return std::max<int64_t>(-n, 0);
    if (v > e)
        return std::max<int64_t>(n, 0);
    const int64_t from = n > 0 ? s : e;
    return roundHalfEven(double((v - from) * n) / double(e - s));
}

int32_t ZusiZone::CalculateRegler(int32_t oldVal, int32_t newVal) const {
    // A zone without width has no notch scale; it must never divide by zero.
    if (RegelFunktion == 0 || Ende == Start)
        return 0;
    const int64_t diff = notchPosition(newVal) - notchPosition(oldVal);
    return int32_t(std::clamp<int64_t>(diff, std::numeric_limits<int32_t>::min(),
                                       std::numeric_limits<int32_t>::max()));
}

int32_t ZusiZone::RegelPosition(int32_t v) const {
    if (Ende == Start)
        return 0;
    return int32_t(std::clamp<int64_t>(notchPosition(v), 0, std::numeric_limits<int32_t>::max()));
}

} // namespace kordan
