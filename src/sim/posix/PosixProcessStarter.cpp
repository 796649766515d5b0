#include "sim/posix/PosixProcessStarter.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kordan {

namespace {

class PosixProcessStarter : public IProcessStarter {
public:
    bool start(const std::string& program, const std::vector<std::string>& args) override {
        if (program.empty())
            return false;
        std::vector<char*> argv;
        argv.reserve(args.size() + 2);
        argv.push_back(const_cast<char*>(program.c_str()));
        for (const std::string& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);

        posix_spawn_file_actions_t actions;
        posix_spawnattr_t attr;
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
        // The editor must not read from our terminal, nor die with it (Ctrl+C, hang-up),
        // nor inherit a signal mask or ignored signals of this process.
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        sigset_t none, all;
        sigemptyset(&none);
        sigfillset(&all);
        posix_spawnattr_setsigmask(&attr, &none);
        posix_spawnattr_setsigdefault(&attr, &all);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
        flags |= POSIX_SPAWN_SETSID;
#endif
        posix_spawnattr_setflags(&attr, flags);

        pid_t pid = 0;
        const int rc = posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        if (rc != 0)
            return false;

        // A waiting thread per child reaps it when it ends. Unlike ignoring SIGCHLD for
        // the whole process, this leaves other children of the program (and their exit
        // codes) alone, and unlike a double fork it needs no fork in a threaded program.
        std::thread([pid] {
            int status = 0;
            while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
            }
        }).detach();
        return true;
    }
};

} // namespace

std::unique_ptr<IProcessStarter> makePosixProcessStarter() {
    return std::make_unique<PosixProcessStarter>();
}

} // namespace kordan
