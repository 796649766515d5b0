#pragma once

#include <exception>

namespace kordan {

// Runs one step of a region whose failures are skipped step by step.
template <typename F> void ignoringErrors(F&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

} // namespace kordan
