#include "sim/zusi3/win32/Win32TcpSocket.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace kordan {

namespace {

struct Address {
    sockaddr_storage storage{};
    int length = 0;
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
        result->length = static_cast<int>(pick->ai_addrlen);
    }
    freeaddrinfo(list);
    return result;
}

struct Lookup {
    std::mutex mutex;
    bool done = false;
    std::optional<Address> address;
};

class Win32TcpSocket : public ITcpSocket {
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
        if (m_socket == INVALID_SOCKET) {
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
        // A refused connect shows in the exception set, a finished one in the write set.
        fd_set writable, failed;
        FD_ZERO(&writable);
        FD_ZERO(&failed);
        FD_SET(m_socket, &writable);
        FD_SET(m_socket, &failed);
        timeval none{0, 0};
        if (select(0, nullptr, &writable, &failed, &none) <= 0)
            return m_state;
        if (FD_ISSET(m_socket, &failed))
            return m_state = State::Failed;
        return m_state = State::Connected;
    }

    ptrdiff_t send(const uint8_t* data, size_t size) override {
        if (m_state != State::Connected)
            return -1;
        const int n = ::send(m_socket, reinterpret_cast<const char*>(data), clampSize(size), 0);
        if (n >= 0)
            return n;
        return WSAGetLastError() == WSAEWOULDBLOCK ? 0 : fail();
    }

    ptrdiff_t receive(uint8_t* buffer, size_t size) override {
        if (m_state != State::Connected)
            return -1;
        const int n = ::recv(m_socket, reinterpret_cast<char*>(buffer), clampSize(size), 0);
        if (n > 0)
            return n;
        if (n < 0 && WSAGetLastError() == WSAEWOULDBLOCK)
            return 0;
        return fail();
    }

    void close() override {
        if (m_socket != INVALID_SOCKET)
            closesocket(m_socket);
        m_socket = INVALID_SOCKET;
        m_lookup.reset();
        m_state = State::Closed;
    }

private:
    static int clampSize(size_t size) { return size > 0x7FFFFFFF ? 0x7FFFFFFF : int(size); }

    ptrdiff_t fail() {
        m_state = State::Failed;
        return -1;
    }

    void start(const Address& address) {
        m_socket = ::socket(address.storage.ss_family, SOCK_STREAM, IPPROTO_TCP);
        u_long nonBlocking = 1;
        if (m_socket == INVALID_SOCKET || ioctlsocket(m_socket, FIONBIO, &nonBlocking) != 0) {
            m_state = State::Failed;
            return;
        }
        // Inputs are a few bytes each and should not wait to be merged with the next.
        const BOOL one = TRUE;
        setsockopt(m_socket, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one),
                   sizeof one);
        if (::connect(m_socket, reinterpret_cast<const sockaddr*>(&address.storage),
                      address.length) != 0 &&
            WSAGetLastError() != WSAEWOULDBLOCK)
            m_state = State::Failed;
    }

    bool m_started = false;
    SOCKET m_socket = INVALID_SOCKET;
    State m_state = State::Closed;
    std::shared_ptr<Lookup> m_lookup;
};

} // namespace

std::unique_ptr<ITcpSocket> makeWin32TcpSocket() {
    return std::make_unique<Win32TcpSocket>();
}

} // namespace kordan
