#include "sim/posix/Priority.h"

#include <algorithm>
#include <cerrno>
#include <sys/resource.h>
#if defined(__linux__)
#include <linux/sched.h>
#include <linux/sched/types.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace kordan {

namespace {

constexpr int kRaisedNice = -10;

// The calling thread's nice value, or 0 where it cannot be read.
int ownNice() {
    errno = 0;
    const int nice = getpriority(PRIO_PROCESS, 0);
    return errno == 0 ? nice : 0;
}

} // namespace

bool raiseOwnPriority() {
    if (ownNice() <= kRaisedNice || setpriority(PRIO_PROCESS, 0, kRaisedNice) == 0)
        return true;
    // Without the right to any value, the user's limit may still allow some way below 0.
    rlimit limit{};
    if (getrlimit(RLIMIT_NICE, &limit) != 0)
        return false;
    const int lowest = 20 - int(std::min<rlim_t>(limit.rlim_cur, 40));
    return lowest < std::min(0, ownNice()) && setpriority(PRIO_PROCESS, 0, lowest) == 0;
}

NormalPriorityScope::NormalPriorityScope() : m_before(ownNice()) {
    m_lowered = m_before < 0 && setpriority(PRIO_PROCESS, 0, 0) == 0;
}

NormalPriorityScope::~NormalPriorityScope() {
    if (m_lowered)
        setpriority(PRIO_PROCESS, 0, m_before);
}

void shareRaisedPriority(pid_t child) {
    const int nice = ownNice();
    if (nice >= 0)
        return;
#if defined(__linux__)
    // Reset on fork: the child's own children start at nice 0.
    sched_attr attr{};
    attr.size = sizeof attr;
    attr.sched_policy = SCHED_NORMAL;
    attr.sched_flags = SCHED_FLAG_RESET_ON_FORK;
    attr.sched_nice = nice;
    syscall(SYS_sched_setattr, child, &attr, 0);
#else
    setpriority(PRIO_PROCESS, id_t(child), nice); // its children inherit it there
#endif
}

} // namespace kordan
