#include "sim/zusi3/Zusi3Connection.h"

#include "fakes/FakeSimWindow.h"
#include "fakes/FakeSocket.h"
#include "send/ZusiSend.h"
#include "sim/zusi3/Zusi3Delivery.h"
#include "sim/zusi3/Zusi3Hex.h"

#include <gtest/gtest.h>

#include <deque>

namespace kordan {
namespace {

using namespace zusi3;
using test::FakeSocket;
using test::hex;
using test::inputsSent;

// DATA_OPERATION: a lever "AFB" with AFB functions (0x0B) at notch 2 of 0-8, centre 0 (the 8
// in four bytes, an Integer).
const Bytes kAfbReport =
    hex("00000000 0200 00000000 0B00 00000000 0200 05000000 0100 414642"
        "00000000 0200 04000000 0100 0B00 FFFFFFFF 04000000 0300 0200"
        "04000000 0400 0000 06000000 0500 08000000 FFFFFFFF FFFFFFFF FFFFFFFF");

class Zusi3ConnectionTest : public ::testing::Test {
protected:
    Zusi3ConnectionTest() {
        conn.ConnectionLost = [this] { ++lost; };
        conn.TrainTakenOver = [this] { taken.push_back(conn.trainFile()); };
    }
    FakeSocket socket;
    Zusi3Connection conn{socket, Zusi3Endpoint{"zusi-pc", 1437}, "1.0.2"};
    uint32_t now = 0xFFFFF000u; // wraps during the tests
    int lost = 0;
    std::vector<std::string> taken;
};

TEST_F(Zusi3ConnectionTest, HandshakeWaitsForRoomToSendAndForTheAcknowledgements) {
    socket.room = 0;  // a full send buffer takes nothing: the connection waits for room
    conn.poll(now);   // connects
    conn.poll(now);   // the HELLO finds no room
    socket.room = 10; // the HELLO leaves in pieces too
    for (int i = 0; i < 11; ++i)
        conn.poll(now);
    EXPECT_EQ(decode(socket.sent), helloMessage("Kordan f\u00fcr Zusi", "1.0.2"));
    socket.sent.clear();
    socket.room = SIZE_MAX;
    socket.chunks.push_back(test::kAckHello);
    conn.poll(now);
    EXPECT_EQ(socket.sent, test::kNeededData);
    EXPECT_EQ(conn.zusiVersion(), "3.5.12.0");
}

TEST_F(Zusi3ConnectionTest, RefusalsAndSilenceEndTheConnectionAndRetryAfterFiveSeconds) {
    const Bytes refusedHello = hex("00000000 0100 00000000 0200 03000000 0300 01 FFFFFFFF"
                                   "FFFFFFFF");
    const std::vector<std::deque<Bytes>> peers = {{refusedHello}, {hex("FFFFFFFF")}, {}};
    int expectedLost = 0;
    for (const auto& replies : peers) {
        conn.poll(now);
        socket.chunks = replies;
        conn.poll(now);
        // The silent peer is dropped when the handshake has taken 5 s.
        const uint32_t wait = replies.empty() ? Zusi3Connection::kHandshakeTimeoutMs : 0;
        if (wait) {
            conn.poll(now + wait - 1);
            EXPECT_EQ(lost, expectedLost);
        }
        conn.poll(now + wait);
        EXPECT_EQ(lost, ++expectedLost);
        EXPECT_EQ(socket.current, ITcpSocket::State::Closed);
        // What the user is told: the peer refused, or gave no answer in time.
        EXPECT_EQ(conn.failure(),
                  wait ? ITcpSocket::Failure::NoAnswer : ITcpSocket::Failure::Refused);
        now += wait;
        const size_t connects = socket.connects.size();
        conn.poll(now + 4999);
        EXPECT_EQ(socket.connects.size(), connects);
        now += 5000;
    }
    // A refused TCP connect is retried the same way but was never a connection to lose.
    socket.next = ITcpSocket::State::Failed;
    conn.poll(now);
    conn.poll(now);
    conn.poll(now + 5000);
    EXPECT_EQ(lost, expectedLost);
    EXPECT_EQ(socket.connects.size(), 5u);
    // The socket's own reason is the one the user is told.
    socket.failed = ITcpSocket::Failure::HostNotFound;
    conn.poll(now + 10000);
    conn.poll(now + 10000);
    EXPECT_EQ(conn.failure(), ITcpSocket::Failure::HostNotFound);
}

TEST_F(Zusi3ConnectionTest, DataIsKeptAndForgottenWithTheConnection) {
    conn.poll(now);
    socket.chunks = {test::kAckHello, test::kAckNeededData};
    conn.poll(now);
    ASSERT_TRUE(conn.connected());
    // Backwards at 10 m/s at km 12.5; main breaker on; Sifa lamp on; two vehicles, the first with
    // its class; the AFB lever; the train file; "newly taken over" in a later message.
    socket.chunks = {
        hex("00000000 0200 00000000 0A00 06000000 0100 000020C1 06000000 6100 00004841"
            "06000000 1300 0000803F 00000000 6400 03000000 0200 01 FFFFFFFF 00000000 8E00"
            "00000000 0100 07000000 0100 4C2E667A67 05000000 0600 313031 FFFFFFFF"
            "00000000 0100 07000000 0100 572E667A67 FFFFFFFF FFFFFFFF"
            "FFFFFFFF FFFFFFFF"),
        kAfbReport,
        hex("00000000 0200 00000000 0C00 18000000 0100 5A75656765 5C 52423131 5C 4D FC"
            "6E6368656E 2E74726E 06000000 0200 31323334 FFFFFFFF FFFFFFFF")};
    conn.poll(now);
    EXPECT_NEAR(conn.speedKmh(), 36.0, 1e-4);
    EXPECT_NEAR(conn.kilometre(), 12.5, 1e-6);
    EXPECT_EQ(conn.sifaLamp(), 1);
    EXPECT_EQ(conn.breakerOn(), std::optional<bool>(true));
    EXPECT_EQ(conn.vehicles(),
              (std::optional<std::vector<Vehicle>>{{{"L.fzg", "101"}, {"W.fzg", ""}}}));
    const Lever* afb = conn.levers().find(LeverRole::Afb);
    ASSERT_TRUE(afb);
    EXPECT_EQ(afb->name, "AFB");
    EXPECT_EQ(afb->current, 2);
    EXPECT_EQ(afb->highest, 8);
    EXPECT_EQ(conn.trainFile() + "|" + conn.trainNumber(), "Zuege\\RB11\\M\u00fcnchen.trn|1234");
    EXPECT_TRUE(taken.empty());
    socket.chunks = {hex("00000000 0200 00000000 0C00 03000000 0500 01 FFFFFFFF FFFFFFFF")};
    conn.poll(now);
    EXPECT_EQ(taken, std::vector<std::string>{"Zuege\\RB11\\M\u00fcnchen.trn"});
    EXPECT_TRUE(conn.levers().levers().empty()); // another train, its levers still unknown

    socket.peerClosed = true;
    conn.poll(now);
    EXPECT_EQ(lost, 1);
    EXPECT_EQ(conn.speedKmh(), 0);
    EXPECT_FALSE(conn.send(inputMessage({0x10, 0, 1, 0})));
}

// What a button, an axis or a held key sends over TCP is the routes' and the sender's tests,
// the levers' steps and emergency brake against a real cab the lever control's.
TEST_F(Zusi3ConnectionTest, DeliveryGivesARemoteSimulatorNoKeysAndFallsBackWhereLeversAreUnknown) {
    test::FakeSimWindow window;
    window.addWindow(7, "Zusi");
    window.setForeground(7);
    ZusiSend sender(window, KeyTable{});
    Zusi3Delivery delivery(conn);
    sender.setChannel(&delivery);
    std::vector<ZusiSend::Outcome> outcomes;
    sender.setObserver([&](const ZusiSend::Event& e) { outcomes.push_back(e.outcome); });
    conn.ConnectionLost = [&] { sender.releaseHeldKeys(); };
    conn.poll(now);
    // The power controller reported at notch 0 of 0-10, neutral at 2.
    socket.chunks = {test::kAckHello, test::kAckNeededData,
                     hex("00000000 0200 00000000 0B00 00000000 0200 00000000 0200 04000000 0100"
                         "0100 FFFFFFFF 04000000 0300 0000 04000000 0400 0200 04000000 0500 0A00"
                         "FFFFFFFF FFFFFFFF FFFFFFFF")};
    conn.poll(now);
    ASSERT_TRUE(sender.GetConnect());
    socket.sent.clear();
    using V = std::vector<std::string>;
    sender.send(7, Down); // Info-Fenster: a key, but Zusi runs elsewhere
    EXPECT_EQ(outcomes.back(), ZusiSend::Outcome::NotAvailable);
    EXPECT_TRUE(inputsSent(socket).empty());
    EXPECT_TRUE(window.events.empty()); // no key reaches a simulator on another computer
    EXPECT_EQ(sender.keyText(28, Down), "Eingabe \u00fcber TCP");
    // The emergency brake with no brake valve reported: notch 0 set and stepped towards; all
    // of it let go before its sixth tick.
    V brake(27, "4 0 5 0");
    brake.front() = "4 0 7 0";
    brake.push_back("4 0 6 0");
    sender.send(37, Down);
    for (int i = 0; i < 5; ++i)
        sender.Timer();
    // One write, one INPUT message: the simulator takes several inputs in one.
    conn.poll(now);
    EXPECT_EQ(decode(socket.sent)->child(kInput)->children.size(), brake.size());
    EXPECT_EQ(inputsSent(socket), brake);
    sender.releaseHeldKeys();
    sender.Timer();
    conn.poll(now);
    EXPECT_TRUE(inputsSent(socket).empty());
    // The power controller's zone onto its traction notches above the neutral one (zone notch
    // 4 of 10 onto notches 3-10); the AFB, its range unknown, stepped.
    sender.ZusiRegler(1000, 3, 4, 10);
    sender.ZusiRegler(1003, 1, 1, 1);
    conn.poll(now);
    EXPECT_EQ(inputsSent(socket), (V{"1 0 7 5", "3 0 3 0", "3 0 4 0"}));
    // Once the AFB is reported (notch 2 of 0-8, centre 0), its zone notch is set.
    socket.chunks = {kAfbReport};
    conn.poll(now);
    sender.ZusiRegler(1003, 1, 5, 8);
    conn.poll(now);
    EXPECT_EQ(inputsSent(socket), V{"3 0 7 5"});
    // A brake's zone is stepped, not set: its lever's way is learnt report by report.
    sender.ZusiRegler(1001, -1, 1, 5);
    conn.poll(now);
    EXPECT_EQ(inputsSent(socket), (V{"2 0 5 0", "2 0 6 0"}));
    // A lost connection lets go of what it can and drops inputs until the next handshake.
    sender.send(29, Down);
    socket.peerClosed = true;
    conn.poll(now);
    sender.send(29, Up);
    EXPECT_EQ(inputsSent(socket), (V{"16 0 1 0"}));
    EXPECT_EQ(outcomes.back(), ZusiSend::Outcome::Dropped);
    EXPECT_FALSE(sender.GetConnect());
}

TEST(Zusi3Endpoint, HostAndPort) {
    EXPECT_EQ(parseZusi3Endpoint("192.168.1.5"), (Zusi3Endpoint{"192.168.1.5", 1436}));
    EXPECT_EQ(parseZusi3Endpoint("zusi:1"), (Zusi3Endpoint{"zusi", 1}));
    EXPECT_EQ(parseZusi3Endpoint("zusi:65535"), (Zusi3Endpoint{"zusi", 65535}));
    for (const char* bad :
         {"", ":1436", "zusi:", "zusi:0", "zusi:65536", "zusi:12a", "zusi:99999999999"})
        EXPECT_FALSE(parseZusi3Endpoint(bad)) << bad;
    EXPECT_EQ(trainFileBaseName("a.b/c.d\\.hidden"), ".hidden");
}

} // namespace
} // namespace kordan
