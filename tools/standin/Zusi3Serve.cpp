#include "Zusi3Serve.h"

#include "Zusi3Standin.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <memory>
#include <optional>

namespace standin {

namespace {

volatile std::sig_atomic_t g_stop = 0;
extern "C" void stopServing(int) {
    g_stop = 1;
}

constexpr int kTickMs = 100;

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

// Writes all of `bytes`; the stand-in's messages are small, so waiting here is harmless.
bool writeAll(int fd, const kordan::zusi3::Bytes& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

} // namespace

int serveZusi3(uint16_t port, const DemoLoco& loco, std::FILE* out) {
    std::signal(SIGTERM, stopServing);
    std::signal(SIGINT, stopServing);
    Fd listener(::socket(AF_INET, SOCK_STREAM, 0));
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
    Fd client;
    std::optional<Zusi3Standin> server;
    using Clock = std::chrono::steady_clock;
    auto nextTick = Clock::now();
    while (!g_stop) {
        pollfd fds[2] = {{listener.get(), POLLIN, 0}, {client.get(), POLLIN, 0}};
        const auto wait =
            std::chrono::duration_cast<std::chrono::milliseconds>(nextTick - Clock::now());
        ::poll(fds, client.get() >= 0 ? 2 : 1, int(std::max<int64_t>(0, wait.count())));
        bool drop = false;
        if (fds[0].revents & POLLIN) {
            const int fd = ::accept(listener.get(), nullptr, nullptr);
            if (fd >= 0 && client.get() >= 0) {
                ::close(fd); // one client at a time, as one cab controller
            } else if (fd >= 0) {
                ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
                client.reset(fd);
                server.emplace(train, log);
                log("connected");
            }
        }
        if (client.get() >= 0 && (fds[1].revents & (POLLIN | POLLHUP | POLLERR))) {
            uint8_t buffer[4096];
            const ssize_t n = ::recv(client.get(), buffer, sizeof buffer, 0);
            drop = n <= 0 || !server->receive(buffer, size_t(n));
        }
        if (Clock::now() >= nextTick) {
            nextTick += std::chrono::milliseconds(kTickMs);
            if (server)
                server->tick(kTickMs / 1000.0);
            else
                train.advance(kTickMs / 1000.0);
        }
        if (server && !drop)
            drop = !writeAll(client.get(), server->takeOutput());
        if (drop && client.get() >= 0) {
            client.reset();
            server.reset();
            // The speed last reported, for a test to compare with what the client showed.
            log("disconnected " + std::to_string(int(train.speedKmh())));
        }
    }
    return 0;
}

} // namespace standin
