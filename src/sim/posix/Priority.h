#pragma once

#include <sys/types.h>

namespace kordan {

// The program asks for a raised scheduling priority (nice -10, or as far below 0 as the
// user's limits allow): on a machine the simulator keeps busy, a report's keys then get a
// core when the report comes, not after another process's time slice. Called before any
// thread is started, so that they all share it. False where the system grants none.
bool raiseOwnPriority();

// Starting a program: for the scope, the calling thread runs at normal priority, so that the
// program it starts (the simulator, its editor) does not inherit a raised one.
class NormalPriorityScope {
public:
    NormalPriorityScope();
    ~NormalPriorityScope();
    NormalPriorityScope(const NormalPriorityScope&) = delete;
    NormalPriorityScope& operator=(const NormalPriorityScope&) = delete;

private:
    int m_before = 0;
    bool m_lowered = false;
};

// The bridge carries the keys on, so it shares the calling thread's raised priority; what it
// starts in turn (the simulator, Wine's server) begins at normal priority all the same.
void shareRaisedPriority(pid_t child);

} // namespace kordan
