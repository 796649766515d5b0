#include "sim/zusi3/posix/PosixTcpSocket.h"

#include "sim/zusi3/socket/NonBlockingTcpSocket.h"

#include <cerrno>

#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kordan {

namespace {

class PosixTcpSocket : public NonBlockingTcpSocket {
public:
    ~PosixTcpSocket() override { close(); }

    ptrdiff_t send(const uint8_t* data, size_t size) override {
        if (current() != State::Connected)
            return -1;
        const ssize_t n = ::send(m_fd, data, size, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0)
            return n;
        return wouldBlock() ? 0 : fail();
    }

    ptrdiff_t receive(uint8_t* buffer, size_t size) override {
        if (current() != State::Connected)
            return -1;
        const ssize_t n = ::recv(m_fd, buffer, size, MSG_DONTWAIT);
        if (n > 0)
            return n;
        if (n < 0 && wouldBlock())
            return 0;
        return fail();
    }

private:
    static bool wouldBlock() { return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR; }

    bool open(const Address& address) override {
        m_fd = ::socket(address.family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (m_fd < 0)
            return false;
        // Inputs are a few bytes each and should not wait to be merged with the next.
        const int one = 1;
        setsockopt(m_fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        if (::connect(m_fd, reinterpret_cast<const sockaddr*>(address.storage),
                      static_cast<socklen_t>(address.length)) == 0 ||
            errno == EINPROGRESS)
            return true;
        noteFailure(errno);
        return false;
    }

    void noteFailure(int error) {
        if (error != ECONNREFUSED)
            failedWith(Failure::NoAnswer);
    }

    std::optional<bool> finished() override {
        pollfd p{m_fd, POLLOUT, 0};
        if (::poll(&p, 1, 0) <= 0)
            return std::nullopt;
        int error = 0;
        socklen_t length = sizeof error;
        if (getsockopt(m_fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
        if (error != 0)
            noteFailure(error);
        return error == 0;
    }

    void shut() override {
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

    int m_fd = -1;
};

} // namespace

std::unique_ptr<ITcpSocket> makePosixTcpSocket() {
    return std::make_unique<PosixTcpSocket>();
}

} // namespace kordan
