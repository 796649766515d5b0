#include "sim/zusi3/socket/NonBlockingTcpSocket.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <netdb.h>
#include <sys/socket.h>
#endif

#include <cstring>
#include <mutex>
#include <string>
#include <thread>

namespace kordan {

struct NonBlockingTcpSocket::Lookup {
    std::mutex mutex;
    bool done = false;
    std::optional<Address> address;
};

// The first address of the host, IPv4 preferred (the simulator listens on IPv4).
std::optional<NonBlockingTcpSocket::Address>
NonBlockingTcpSocket::resolve(const std::string& host, uint16_t port, bool numericOnly) {
    static_assert(sizeof(sockaddr_storage) <= sizeof(Address::storage));
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
    if (pick && pick->ai_addrlen <= sizeof(Address::storage)) {
        result.emplace();
        std::memcpy(result->storage, pick->ai_addr, pick->ai_addrlen);
        result->length = static_cast<int>(pick->ai_addrlen);
        result->family = pick->ai_family;
    }
    freeaddrinfo(list);
    return result;
}

void NonBlockingTcpSocket::connect(const std::string& host, uint16_t port) {
    close();
    m_failure = Failure::None;
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

void NonBlockingTcpSocket::start(const Address& address) {
    m_opened = true;
    if (!open(address))
        failConnect();
}

void NonBlockingTcpSocket::failConnect() {
    m_state = State::Failed;
    if (m_failure == Failure::None)
        m_failure = Failure::Refused;
}

ITcpSocket::State NonBlockingTcpSocket::state() {
    if (m_state != State::Connecting)
        return m_state;
    if (!m_opened) {
        std::optional<Address> address;
        {
            std::lock_guard lock(m_lookup->mutex);
            if (!m_lookup->done)
                return m_state;
            address = m_lookup->address;
        }
        m_lookup.reset();
        if (!address) {
            m_failure = Failure::HostNotFound;
            return m_state = State::Failed;
        }
        start(*address);
        if (m_state != State::Connecting)
            return m_state;
    }
    const std::optional<bool> connected = finished();
    if (!connected)
        return m_state;
    if (!*connected)
        failConnect();
    else
        m_state = State::Connected;
    return m_state;
}

void NonBlockingTcpSocket::close() {
    shut();
    m_opened = false;
    m_lookup.reset();
    m_state = State::Closed;
}

} // namespace kordan
