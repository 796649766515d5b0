#include "sim/zusi3/win32/Win32TcpSocket.h"

#include "sim/zusi3/socket/NonBlockingTcpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

namespace kordan {

namespace {

class Win32TcpSocket : public NonBlockingTcpSocket {
public:
    Win32TcpSocket() {
        WSADATA data;
        m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    ~Win32TcpSocket() override {
        close();
        if (m_started)
            WSACleanup();
    }

    ptrdiff_t send(const uint8_t* data, size_t size) override {
        if (current() != State::Connected)
            return -1;
        const int n = ::send(m_socket, reinterpret_cast<const char*>(data), clampSize(size), 0);
        if (n >= 0)
            return n;
        return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : fail();
    }

    ptrdiff_t receive(uint8_t* buffer, size_t size) override {
        if (current() != State::Connected)
            return -1;
        const int n = ::recv(m_socket, reinterpret_cast<char*>(buffer), clampSize(size), 0);
        if (n > 0)
            return n;
        if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK)
            return 0;
        return fail();
    }

private:
    static int clampSize(size_t size) { return size > 0x7FFFFFFF ? 0x7FFFFFFF : int(size); }

    bool open(const Address& address) override {
        m_socket = ::socket(address.family, SOCK_STREAM, IPPROTO_TCP);
        u_long nonBlocking = 1;
        if (m_socket == INVALID_SOCKET || ioctlsocket(m_socket, FIONBIO, &nonBlocking) != 0)
            return false;
        // Inputs are a few bytes each and should not wait to be merged with the next.
        const BOOL one = TRUE;
        setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one),
                   sizeof one);
        return ::connect(m_socket, reinterpret_cast<const sockaddr*>(address.storage),
                         address.length) == 0 ||
               WSAGetLastError() == WSAEWOULDBLOCK;
    }

    std::optional<bool> finished() override {
        // A refused connect shows in the exception set, a finished one in the write set.
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(m_socket, &writable);
        FD_SET(m_socket, &failed);
        timeval none{0, 0};
        if (select(0, nullptr, &writable, &failed, &none) <= 0)
            return std::nullopt;
        return !FD_ISSET(m_socket, &failed);
    }

    void shut() override {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }

    bool m_started = false;
    SOCKET m_socket = INVALID_SOCKET;
};

} // namespace

std::unique_ptr<ITcpSocket> makeWin32TcpSocket() {
    return std::make_unique<Win32TcpSocket>();
}

} // namespace kordan
