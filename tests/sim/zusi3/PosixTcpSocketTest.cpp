#include "sim/zusi3/posix/PosixTcpSocket.h"

#include "sim/zusi3/Zusi3Connection.h"
#include "sim/zusi3/Zusi3Hex.h"

#include <gtest/gtest.h>

#include <thread>

#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace kordan {
namespace {

using namespace zusi3;

// The connection against a server on the loopback interface that the test plays by hand.
TEST(PosixTcpSocket, HandshakeAndLossOverLoopback) {
    const int listener = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof a;
    ASSERT_EQ(::bind(listener, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    ASSERT_EQ(::listen(listener, 1), 0);
    ::getsockname(listener, reinterpret_cast<sockaddr*>(&a), &length);

    auto socket = makePosixTcpSocket();
    Zusi3Connection conn(*socket, {"127.0.0.1", ntohs(a.sin_port)}, "1.0.2");
    uint32_t ms = 0;
    conn.poll(++ms);
    const int peer = ::accept(listener, nullptr, nullptr);
    ::close(listener);
    ASSERT_GE(peer, 0);
    // Polls the connection until `done` (bounded); the server reads what has arrived.
    StreamDecoder fromClient;
    auto pollUntil = [&](const std::function<bool()>& done) {
        for (int i = 0; i < 5000 && !done(); ++i) {
            conn.poll(++ms);
            uint8_t buffer[512];
            const ssize_t n = ::recv(peer, buffer, sizeof buffer, MSG_DONTWAIT);
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
    ASSERT_EQ(::send(peer, test::kAckHello.data(), test::kAckHello.size(), 0), 48);
    EXPECT_EQ(serverReads(), standardNeededData());
    ::send(peer, test::kAckNeededData.data(), test::kAckNeededData.size(), 0);
    pollUntil([&] { return conn.connected(); });
    // The server goes away: the loss is noticed.
    bool lost = false;
    conn.ConnectionLost = [&] { lost = true; };
    ::close(peer);
    pollUntil([&] { return lost; });
    EXPECT_TRUE(lost);
}

} // namespace
} // namespace kordan
