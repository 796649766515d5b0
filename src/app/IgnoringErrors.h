#pragma once

#include <exception>
#include <iostream>

namespace kordan {

// Runs one step of a region whose failures are skipped step by step.
template <typename F> void ignoringErrors(F&& step) {
    try {
        step();
    } catch (const std::exception&) {
    }
}

// A failure that was caught and survived, on the error stream: the program has no log of its
// own, and a failure must not pass unseen.
inline void logFailure(const char* where, const std::exception& e) {
    std::cerr << "kordan: Fehler in " << where << ": " << e.what() << '\n';
}

// Runs a step whose failure is logged and survived; `afterFailure` cleans up behind it.
template <typename F, typename A> void surviving(const char* where, F&& step, A&& afterFailure) {
    try {
        step();
    } catch (const std::exception& e) {
        logFailure(where, e);
        afterFailure();
    }
}

} // namespace kordan
