// The platform's socket (POSIX, or Winsock in the Windows tests) against a loopback server.
#include "sim/zusi3/Zusi3Connection.h"
#include "sim/zusi3/Zusi3Hex.h"

#include <gtest/gtest.h>

#include <thread>
#include <type_traits>

#ifdef _WIN32
#include "sim/zusi3/win32/Win32TcpSocket.h"
#include <winsock2.h>
#include <ws2tcpip.h>
#define makeTcpSocket makeWin32TcpSocket
#define closeSocket closesocket
#else
#include "sim/zusi3/posix/PosixTcpSocket.h"
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#define makeTcpSocket makePosixTcpSocket
#define closeSocket ::close
#endif

namespace kordan {
namespace {

using namespace zusi3;

// The connection against a server on the loopback interface that the test plays by hand.
TEST(TcpSocket, HandshakeAndLossOverLoopback) {
    auto socket = makeTcpSocket(); // first: it starts Winsock
    const auto listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &length);

    Zusi3Connection conn(*socket, {"127.0.0.1", ntohs(a.sin_port)}, "1.0.2");
    uint32_t ms = 0;
    conn.poll(++ms);
    const auto peer = ::accept(listener, nullptr, nullptr);
    closeSocket(listener);
    ASSERT_NE(peer, std::remove_const_t<decltype(peer)>(-1));
    // Polls the connection until `done` (bounded); the server reads what has arrived.
    StreamDecoder fromClient;
    auto pollUntil = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 5000 && !done(); ++i) {
            conn.poll(++ms);
            uint8_t buffer[512];
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(peer, &readable);
            timeval none{0, 0};
            const ssize_t n = ::select(int(peer) + 1, &readable, nullptr, nullptr, &none) > 0
                                  ? ::recv(peer, reinterpret_cast<char*>(buffer), sizeof buffer, 0)
                                  : 0;
            if (n > 0)
                fromClient.feed(buffer, static_cast<size_t>(n));
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    };
    std::optional<Node> got;
    auto serverReads = [&] {
        pollUntil([&] { return (got = fromClient.next()).has_value(); });
        return got;
    };
    EXPECT_EQ(serverReads(), helloMessage(kClientName, "1.0.2"));
    auto peerSends = [&](const Bytes& b) {
        return ::send(peer, reinterpret_cast<const char*>(b.data()), int(b.size()), 0);
    };
    ASSERT_EQ(peerSends(test::kAckHello), 48);
    EXPECT_EQ(serverReads(), standardNeededData());
    peerSends(test::kAckNeededData);
    pollUntil([&] { return conn.connected(); });
    // The server goes away: the loss is noticed.
    bool lost = false;
    conn.ConnectionLost = [&] { lost = true; };
    closeSocket(peer);
    pollUntil([&] { return lost; });
    EXPECT_TRUE(lost);
}

// Why no connection came about, for a name looked up on a thread of its own.
TEST(TcpSocket, HostNotFoundAndRefusedByName) {
    auto socket = makeTcpSocket();
    const auto closed = ::socket(AF_INET, SOCK_STREAM, 0); // bound, never listening
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    ASSERT_EQ(::bind(closed, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ::getsockname(closed, reinterpret_cast<sockaddr*>(&a), &length);
    const struct {
        const char* host;
        ITcpSocket::Failure failure;
    } rows[] = {{"localhost", ITcpSocket::Failure::Refused},
                {"kordan.invalid", ITcpSocket::Failure::HostNotFound}};
    for (const auto& row : rows) {
        socket->connect(row.host, ntohs(a.sin_port));
        for (int i = 0; i < 30000 && socket->state() == ITcpSocket::State::Connecting; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_EQ(socket->state(), ITcpSocket::State::Failed) << row.host;
        EXPECT_EQ(socket->failure(), row.failure) << row.host;
    }
    closeSocket(closed);
}

} // namespace
} // namespace kordan
