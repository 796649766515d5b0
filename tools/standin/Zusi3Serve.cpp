#include "Zusi3Serve.h"

#include "Zusi3Standin.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <string>

namespace standin {

namespace {

volatile std::sig_atomic_t g_stop = 0;
extern "C" void stopServing(int) {
    g_stop = 1;
}

constexpr int kTickMs = 100;
// Keeps what the kernel holds for a client that does not read small beside kMaxUnsent.
constexpr int kSendBuffer = 64 * 1024;

class Fd {
public:
    explicit Fd(int fd = -1) : m_fd(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }
    void reset(int fd = -1) {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = fd;
    }

private:
    int m_fd;
};

using Clock = std::chrono::steady_clock;

// The one client: its socket (non-blocking), when it came and what it has not taken yet.
struct Client {
    Fd fd;
    Clock::time_point since;
    kordan::zusi3::Bytes unsent;
};

// Sends what the socket takes now. False when the connection is broken.
bool flush(Client& c) {
    while (!c.unsent.empty()) {
        const ssize_t n =
            ::send(c.fd.get(), c.unsent.data(), c.unsent.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return errno == EAGAIN || errno == EWOULDBLOCK;
        c.unsent.erase(c.unsent.begin(), c.unsent.begin() + n);
    }
    return true;
}

} // namespace

int serveZusi3(uint16_t port, const DemoLoco& loco, const CabOptions& cabOptions, std::FILE* out,
               int commandFd) {
    std::signal(SIGTERM, stopServing);
    std::signal(SIGINT, stopServing);
    Fd listener(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    const int on = 1;
    ::setsockopt(listener.get(), SOL_SOCKET, SO_REUSEADDR, &on, sizeof on);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t len = sizeof addr;
    if (listener.get() < 0 || ::bind(listener.get(), (sockaddr*)&addr, sizeof addr) != 0 ||
        ::listen(listener.get(), 1) != 0 || ::getsockname(listener.get(), (sockaddr*)&addr, &len)) {
        std::fprintf(stderr, "zusi-standin: cannot listen on port %u\n", unsigned(port));
        return 1;
    }
    auto log = [out](const std::string& line) {
        std::fprintf(out, "%s\n", line.c_str());
        std::fflush(out);
    };
    log("zusi3 " + std::to_string(ntohs(addr.sin_port)));

    Train train(loco);
    Cab cab(cabOptions, loco.afbSteps);
    Zusi3Standin server(train, cab, log);
    Client client;
    auto drop = [&](const char* why) {
        if (why)
            log(std::string("dropped ") + why);
        client.fd.reset();
        client.unsent.clear();
        server.restart();
        // The speed last reported, for a test to compare with what the client showed.
        log("disconnected " + std::to_string(int(train.speedKmh())));
        log(cab.finalLine());
    };
    std::string commands; // what came from commandFd, up to the end of its last full line
    auto command = [&] {
        char buffer[256];
        const ssize_t n = ::read(commandFd, buffer, sizeof buffer);
        if (n <= 0 && !(n < 0 && (errno == EAGAIN || errno == EINTR))) {
            commandFd = -1; // its end: no more commands
            return;
        }
        commands.append(buffer, size_t(std::max<ssize_t>(n, 0)));
        for (size_t end; (end = commands.find('\n')) != std::string::npos;
             commands.erase(0, end + 1)) {
            const std::string line = commands.substr(0, end);
            if (line.rfind("train ", 0) == 0 && line.size() > 6)
                server.takeOver(line.substr(6));
            else if (!line.empty())
                std::fprintf(stderr, "zusi-standin: unknown command \"%s\"\n", line.c_str());
        }
    };
    auto nextTick = Clock::now();
    while (!g_stop) {
        const bool connected = client.fd.get() >= 0;
        pollfd fds[3] = {
            {listener.get(), POLLIN, 0},
            {commandFd, POLLIN, 0}, // a negative descriptor is left out by poll()
            {client.fd.get(), short(POLLIN | (client.unsent.empty() ? 0 : POLLOUT)), 0}};
        // Bounded, so that a signal between the check and the wait costs one tick at most.
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - Clock::now());
        ::poll(fds, connected ? 3 : 2, int(std::clamp<int64_t>(wait.count(), 0, kTickMs)));
        if (fds[1].revents & (POLLIN | POLLHUP | POLLERR))
            command();
        if (fds[0].revents & POLLIN) {
            const int fd =
                ::accept4(listener.get(), nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
            if (fd >= 0 && connected) {
                ::close(fd); // one client at a time, as one cab controller
            } else if (fd >= 0) {
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                ::setsockopt(fd, SOL_SOCKET, SO_SNDBUF, &kSendBuffer, sizeof kSendBuffer);
                client.fd.reset(fd);
                client.since = Clock::now();
                server.restart();
                log("connected");
            }
        }
        bool gone = false;
        if (connected && (fds[2].revents & (POLLIN | POLLHUP | POLLERR))) {
            uint8_t buffer[4096];
            const ssize_t n = ::recv(client.fd.get(), buffer, sizeof buffer, MSG_DONTWAIT);
            if (n == 0 || (n < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR))
                gone = true;
            else if (n > 0 && !server.receive(buffer, size_t(n)))
                gone = true;
        }
        if (Clock::now() >= nextTick) {
            nextTick += std::chrono::milliseconds(kTickMs);
            server.tick(kTickMs / 1000.0);
        }
        kordan::zusi3::Bytes output = server.takeOutput();
        if (client.fd.get() < 0 || gone) {
            if (gone)
                drop(nullptr);
            continue;
        }
        client.unsent.insert(client.unsent.end(), output.begin(), output.end());
        if (!flush(client))
            drop(nullptr);
        else if (client.unsent.size() > kMaxUnsent)
            drop("not reading");
        else if (!server.subscribed() &&
                 Clock::now() - client.since > std::chrono::milliseconds(kHandshakeTimeoutMs))
            drop("no handshake");
    }
    log(cab.finalLine());
    return 0;
}

} // namespace standin
