#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace kordan {

// A TCP client connection that never waits: the polling loop drives it, and no call may hold
// the loop up. One object serves one connection at a time; close() makes it ready for the
// next connect(). Called from the loop's thread only.
class ITcpSocket {
public:
    enum class State {
        Closed,     // before connect() and after close()
        Connecting, // connect() is under way (name lookup, TCP handshake)
        Connected,
        Failed // refused, unreachable, reset or closed by the peer: close() and try again
    };

    // Why the last connect() ended in Failed before it was connected, where the platform
    // tells.
    enum class Failure {
        None,
        HostNotFound, // the name has no address
        Refused,      // the host refused the connection (nothing listens on the port)
        NoAnswer,     // no answer from the host (timed out, unreachable)
    };

    virtual ~ITcpSocket() = default;
    // Starts connecting to a host name or numeric address; the outcome shows in state().
    virtual void connect(const std::string& host, uint16_t port) = 0;
    virtual State state() = 0;
    // Writes as much as the connection takes at once: the number of bytes written (0 when it
    // is full for now), or -1 when it has failed.
    virtual ptrdiff_t send(const uint8_t* data, size_t size) = 0;
    // Reads what has arrived: the number of bytes (0 when nothing is waiting), or -1 when the
    // peer has closed the connection or it has failed.
    virtual ptrdiff_t receive(uint8_t* buffer, size_t size) = 0;
    virtual void close() = 0;
    virtual Failure failure() const { return Failure::None; }
};

// What the user is told about a failed connection; "" for none.
inline const char* failureText(ITcpSocket::Failure failure) {
    switch (failure) {
    case ITcpSocket::Failure::HostNotFound:
        return "Rechner nicht gefunden";
    case ITcpSocket::Failure::Refused:
        return "Verbindung abgelehnt";
    case ITcpSocket::Failure::NoAnswer:
        return "keine Antwort";
    case ITcpSocket::Failure::None:
        break;
    }
    return "";
}

} // namespace kordan
