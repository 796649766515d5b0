#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace kordan::test {

// Lines joined as a file of the simulator or of this program: CR LF after each line; the
// whole list `times` times over.
inline std::string crlf(const std::vector<std::string_view>& lines, int times = 1) {
    std::string out;
    for (int i = 0; i < times; ++i)
        for (std::string_view l : lines)
            out.append(l).append("\r\n");
    return out;
}

} // namespace kordan::test
