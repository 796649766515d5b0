#include "sim/posix/PosixProcessStarter.h"

#include "sim/posix/Priority.h"
#include "sim/posix/Spawn.h"

#include <atomic>
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
        std::vector<char*> argv = spawnArguments(program, args);

        posix_spawn_file_actions_t actions;
        posix_spawnattr_t attr;
        posix_spawn_file_actions_init(&actions);
        posix_spawnattr_init(&attr);
        // The editor must not read from our terminal, nor die with it (Ctrl+C, hang-up),
        // nor inherit a signal mask or ignored signals of this process.
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
        spawnWithDefaultSignals(attr);
        short flags = POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#ifdef POSIX_SPAWN_SETSID
        flags |= POSIX_SPAWN_SETSID;
#endif
        posix_spawnattr_setflags(&attr, flags);

        pid_t pid = 0;
        int rc = 0;
        {
            const NormalPriorityScope normal;
            rc = posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
        }
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
        if (rc != 0)
            return false;

        // A waiting thread per child reaps it when it ends. Unlike ignoring SIGCHLD for
        // the whole process, this leaves other children of the program (and their exit
        // codes) alone, and unlike a double fork it needs no fork in a threaded program.
        // The thread shares the outcome with this object, which may go before the child.
        auto ended = std::make_shared<std::atomic<int>>(kRunning);
        m_last = ended;
        std::thread([pid, ended] {
            int status = 0;
            pid_t got = 0;
            while ((got = waitpid(pid, &status, 0)) < 0 && errno == EINTR) {
            }
            if (got != pid)
                return; // someone else reaped it: the outcome stays unknown
            // As a shell reports it: a signal is 128 plus its number.
            ended->store(WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status));
        }).detach();
        return true;
    }

    std::optional<int> endedWith() override {
        const int code = m_last ? m_last->load() : kRunning;
        if (code == kRunning)
            return std::nullopt;
        return code;
    }

private:
    static constexpr int kRunning = -1; // exit codes are 0-255, signals 129 and up
    std::shared_ptr<std::atomic<int>> m_last;
};

} // namespace

std::unique_ptr<IProcessStarter> makePosixProcessStarter() {
    return std::make_unique<PosixProcessStarter>();
}

} // namespace kordan
