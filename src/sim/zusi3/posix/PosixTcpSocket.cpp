#include "sim/zusi3/posix/PosixTcpSocket.h"

#include <cerrno>
#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kordan {

namespace {

struct Address {
    sockaddr_storage storage{};
    socklen_t length = 0;
};

// The first address of the host, IPv4 preferred (the simulator listens on IPv4).
std::optional<Address> resolve(const std::string& host, uint16_t port, bool numericOnly) {
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV | (numericOnly ? AI_NUMERICHOST : 0);
    addrinfo* list = nullptr;
    if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &list) != 0)
        return std::nullopt;
    const addrinfo* pick = list;
    for (const addrinfo* a = list; a; a = a->ai_next) {
        if (a->ai_family == AF_INET) {
            pick = a;
            break;
        }
    }
    std::optional<Address> result;
    if (pick && pick->ai_addrlen <= sizeof(sockaddr_storage)) {
        result.emplace();
        std::memcpy(&result->storage, pick->ai_addr, pick->ai_addrlen);
        result->length = pick->ai_addrlen;
    }
    freeaddrinfo(list);
    return result;
}

// A name lookup running on its own thread; the socket may be gone before it ends.
struct Lookup {
    std::mutex mutex;
    bool done = false;
    std::optional<Address> address;
};

class PosixTcpSocket : public ITcpSocket {
public:
    ~PosixTcpSocket() override { close(); }

    void connect(const std::string& host, uint16_t port) override {
        close();
        m_state = State::Connecting;
        if (auto numeric = resolve(host, port, true))
            return start(*numeric);
        m_lookup = std::make_shared<Lookup>();
        std::thread([lookup = m_lookup, host, port] {
            auto address = resolve(host, port, false);
            std::lock_guard lock(lookup->mutex);
            lookup->address = address;
            lookup->done = true;
        }).detach();
    }

    State state() override {
        if (m_state != State::Connecting)
            return m_state;
        if (m_fd < 0) {
            std::optional<Address> address;
            {
                std::lock_guard lock(m_lookup->mutex);
                if (!m_lookup->done)
                    return m_state;
                address = m_lookup->address;
            }
            m_lookup.reset();
            if (!address)
                return m_state = State::Failed;
            start(*address);
            if (m_state != State::Connecting)
                return m_state;
        }
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, 0) <= 0)
            return m_state;
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0)
            return m_state = State::Failed;
        return m_state = State::Connected;
    }

    ptrdiff_t send(const uint8_t* data, size_t size) override {
        if (m_state != State::Connected)
            return -1;
        const ssize_t n = ::send(m_fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0)
            return n;
        return wouldBlock() ? 0 : fail();
    }

    ptrdiff_t receive(uint8_t* buffer, size_t size) override {
        if (m_state != State::Connected)
            return -1;
        const ssize_t n = ::recv(m_fd, buffer, size, MSG_DONTWAIT);
        if (n > 0)
            return n;
        if (n < 0 && wouldBlock())
            return 0;
        return fail();
    }

    void close() override {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
        m_lookup.reset();
        m_state = State::Closed;
    }

private:
    static bool wouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }

    ptrdiff_t fail() {
        m_state = State::Failed;
        return -1;
    }

    void start(const Address& address) {
        m_fd = ::socket(address.storage.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (m_fd < 0) {
            m_state = State::Failed;
            return;
        }
        // Inputs are a few bytes each and should not wait to be merged with the next.
        const int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(&address.storage), address.length) !=
                0 &&
            errno != EINPROGRESS)
            m_state = State::Failed;
    }

    int m_fd = -1;
    State m_state = State::Closed;
    std::shared_ptr<Lookup> m_lookup;
};

} // namespace

std::unique_ptr<ITcpSocket> makePosixTcpSocket() {
    return std::make_unique<PosixTcpSocket>();
}

} // namespace kordan
