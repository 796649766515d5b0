#pragma once

#include "sim/zusi3/TcpSocket.h"

#include <memory>
#include <optional>

namespace kordan {

// What the socket backends share: the name lookup on a thread of its own (a host name may
// take seconds to resolve; a numeric address is used at once) and the connection's state.
// A backend opens, watches and shuts its platform's socket.
class NonBlockingTcpSocket : public ITcpSocket {
public:
    void connect(const std::string& host, uint16_t port) final;
    State state() final;
    void close() final;
    Failure failure() const final { return m_failure; }

protected:
    // A resolved address, as the platform's sockaddr_storage holds it.
    struct Address {
        alignas(16) unsigned char storage[128] = {};
        int length = 0;
        int family = 0;
    };
    // Opens a socket and starts connecting it to `address`; false when that failed at once.
    virtual bool open(const Address& address) = 0;
    // The opened socket's connect: nullopt while under way, then whether it succeeded.
    virtual std::optional<bool> finished() = 0;
    // Closes the socket, if one is open. Backends call close() in their destructor.
    virtual void shut() = 0;

    State current() const { return m_state; }
    // Called by a backend whose connect failed for another reason than a refusal.
    void failedWith(Failure failure) { m_failure = failure; }
    ptrdiff_t fail() {
        m_state = State::Failed;
        return -1;
    }

private:
    struct Lookup;
    static std::optional<Address> resolve(const std::string& host, uint16_t port, bool numericOnly);
    void start(const Address& address);
    void failConnect();

    State m_state = State::Closed;
    Failure m_failure = Failure::None;
    bool m_opened = false;
    std::shared_ptr<Lookup> m_lookup; // shared with its thread: the socket may go first
};

} // namespace kordan
