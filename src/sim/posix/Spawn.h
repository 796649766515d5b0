#pragma once

#include <csignal>
#include <spawn.h>
#include <string>
#include <vector>

namespace kordan {

// The argument vector posix_spawn takes: the program, its arguments, a null. It points into
// `program` and `args`, which must outlive it.
inline std::vector<char*> spawnArguments(const std::string& program,
                                         const std::vector<std::string>& args) {
    std::vector<char*> argv;
    argv.reserve(args.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    return argv;
}

// A child inherits neither this program's signal mask nor its ignored signals: the flags
// POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF go with this.
inline void spawnWithDefaultSignals(posix_spawnattr_t& attr) {
    sigset_t none, all;
    sigemptyset(&none);
    sigfillset(&all);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &all);
}

} // namespace kordan
