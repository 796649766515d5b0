#include "sim/posix/PosixChildProcess.h"

#include "sim/posix/Priority.h"
#include "sim/posix/Spawn.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace kordan {

namespace {

// How long a full input pipe may hold up a write, and how long the program gets to end by
// itself once its input is closed.
constexpr int kWriteWaitMs = 20;
constexpr int kEndGraceMs = 1000;

// Writing to a pipe whose reader has gone raises SIGPIPE, which would end this program.
// It is held back during the write and taken from the pending signals afterwards.
class SigpipeHeld {
public:
    SigpipeHeld() {
        sigemptyset(&m_pipe);
        sigaddset(&m_pipe, SIGPIPE);
        sigset_t pending;
        sigpending(&pending);
        m_wasPending = sigismember(&pending, SIGPIPE) == 1;
        pthread_sigmask(SIG_BLOCK, &m_pipe, &m_saved);
    }
    ~SigpipeHeld() {
        if (!m_wasPending) {
            const timespec zero{};
            while (sigtimedwait(&m_pipe, nullptr, &zero) < 0 && errno == EINTR) {
            }
        }
        pthread_sigmask(SIG_SETMASK, &m_saved, nullptr);
    }

private:
    sigset_t m_pipe, m_saved;
    bool m_wasPending = false;
};

class PosixChild : public IChildProcess {
public:
    PosixChild(pid_t pid, int input, int output) : m_pid(pid), m_in(input), m_out(output) {}

    ~PosixChild() override {
        close(m_in);
        // One that stopped taking its input gets no grace: it would only hold things up.
        for (int waited = 0; !m_broken && !ended() && waited < kEndGraceMs; waited += 10)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        if (!ended()) {
            kill(m_pid, SIGKILL);
            while (waitpid(m_pid, nullptr, 0) < 0 && errno == EINTR) {
            }
        }
        close(m_out);
    }

    void giveUp() override { m_broken = true; }

    bool write(std::string_view data) override {
        if (m_broken || ended())
            return false;
        SigpipeHeld held;
        while (!data.empty()) {
            const ssize_t n = ::write(m_in, data.data(), data.size());
            if (n > 0) {
                data.remove_prefix(static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            pollfd p{m_in, POLLOUT, 0};
            if (n < 0 && errno == EAGAIN && poll(&p, 1, kWriteWaitMs) > 0 && !(p.revents & POLLERR))
                continue;
            m_broken = true;
            return false;
        }
        return true;
    }

    bool read(std::string& out, int waitMs) override {
        pollfd p{m_out, POLLIN, 0};
        if (poll(&p, 1, waitMs) < 0 && errno != EINTR)
            return false;
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::read(m_out, buffer, sizeof buffer);
            if (n > 0) {
                out.append(buffer, static_cast<size_t>(n));
                continue;
            }
            if (n < 0 && errno == EINTR)
                continue;
            if (n == 0) // its output ended: it is going, whether or not it is gone yet
                m_broken = true;
            // Wine's server may inherit the pipe and keep it open after the program ended,
            // so the end of the output alone does not tell.
            return n < 0 && errno == EAGAIN && !ended();
        }
    }

private:
    bool ended() {
        if (m_reaped)
            return true;
        pid_t r;
        while ((r = waitpid(m_pid, nullptr, WNOHANG)) < 0 && errno == EINTR) {
        }
        m_reaped = r == m_pid || r < 0;
        return m_reaped;
    }

    pid_t m_pid;
    int m_in, m_out;
    bool m_reaped = false;
    bool m_broken = false; // a write failed or the output ended
};

} // namespace

std::unique_ptr<IChildProcess> startPosixChild(const std::string& program,
                                               const std::vector<std::string>& args) {
    int in[2], out[2];
    if (pipe2(in, O_CLOEXEC) != 0)
        return nullptr;
    if (pipe2(out, O_CLOEXEC) != 0) {
        close(in[0]);
        close(in[1]);
        return nullptr;
    }
    std::vector<char*> argv = spawnArguments(program, args);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    posix_spawn_file_actions_init(&actions);
    posix_spawnattr_init(&attr);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    spawnWithDefaultSignals(attr);
    posix_spawnattr_setpgroup(&attr, 0);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF |
                                        POSIX_SPAWN_SETPGROUP);
    pid_t pid = 0;
    int rc = 0;
    {
        // Born at normal priority and raised after: whatever it starts before that (Wine's
        // server) is never left raised.
        const NormalPriorityScope normal;
        rc = posix_spawnp(&pid, program.c_str(), &actions, &attr, argv.data(), environ);
    }
    if (rc == 0)
        shareRaisedPriority(pid);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attr);
    close(in[0]);
    close(out[1]);
    if (rc != 0) {
        close(in[1]);
        close(out[0]);
        return nullptr;
    }
    fcntl(in[1], F_SETFL, fcntl(in[1], F_GETFL) | O_NONBLOCK);
    fcntl(out[0], F_SETFL, fcntl(out[0], F_GETFL) | O_NONBLOCK);
    return std::make_unique<PosixChild>(pid, in[1], out[0]);
}

} // namespace kordan
