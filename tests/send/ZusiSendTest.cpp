#include "send/ZusiSend.h"

#include "fakes/FakeSimWindow.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace kordan {
namespace {

using test::FakeSimWindow;
using Events = std::vector<FakeSimWindow::Event>;
constexpr WindowHandle kZusi = 0x4200001;
constexpr WindowHandle kOther = 0x4200002;

FakeSimWindow::Event down(int32_t key, WindowHandle w = kZusi) {
    return FakeSimWindow::post(w, WM_Const::WM_KEYDOWN, key);
}
FakeSimWindow::Event up(int32_t key, WindowHandle w = kZusi) {
    return FakeSimWindow::post(w, WM_Const::WM_KEYUP, key);
}

KeyTable keysFrom(const std::map<std::string, std::string>& settings) {
    return makeKeyTable([&](std::string_view name) {
        auto it = settings.find(std::string(name));
        return it == settings.end() ? std::string() : it->second;
    });
}

class ZusiSendTest : public ::testing::Test {
protected:
    ZusiSendTest() {
        window.addWindow(kZusi, "Zusi - Testfahrt");
        window.addWindow(kOther, "Texteditor");
    }
    // Fahrschalter auf/ab, Dyn Bremse auf, Bremsventil bremsen, AFB ab, Pfeife.
    KeyTable keys = keysFrom(
        {{"T0", "38"}, {"T1", "40"}, {"T10", "65"}, {"T14", "186"}, {"T19", "98"}, {"T9", "72"}});
    FakeSimWindow window;
    ZusiSend s{window, keys};

    void connect() {
        window.setForeground(kZusi);
        ASSERT_TRUE(s.GetConnect());
        window.events.clear();
    }
};

TEST(KeyTable, SettingsAreReadAsTheSimulatorWritesThem) {
    const KeyTable table = keysFrom({{"T17", " 1 2 "},  // blanks inside a number are skipped
                                     {"T2", "\t4\t8x"}, // so are tabs; reading stops at "x"
                                     {"T12", "72.5"},   // halves go to the even neighbour
                                     {"T20", "73.5"},
                                     {"T21", "F5"}}); // no number at all
    EXPECT_EQ(table[10], 12);
    EXPECT_EQ(table[16], 48);
    EXPECT_EQ(table[19], 72);
    EXPECT_EQ(table[22], 74);
    EXPECT_EQ(table[23], 0);
    EXPECT_EQ(table[28], 0);   // missing
    EXPECT_EQ(table[2], 113);  // fixed keys need no setting
    EXPECT_EQ(table[11], 255); // nor do the typed commands
}

TEST_F(ZusiSendTest, KeyMessagesFollowTheBefehl) {
    connect();
    s.send(2, DownUp);
    s.send(14, Down);
    s.send(14, Up);
    for (int32_t b : {0, 4, -1, 1000})
        s.send(14, b);
    // Code 0 and the text-less code 5 are key messages like the rest.
    s.send(5, Down);
    s.send(0, Up);
    // Keystroke commands are typed on Down and DownUp only.
    s.send(11, Up);
    s.send(11, 0);
    s.send(11, Down);
    s.send(1, DownUp);
    EXPECT_EQ(window.events, (Events{down(113), up(113), down(38), up(38), down(117), up(0),
                                     FakeSimWindow::type("^m"), FakeSimWindow::type("^{F8}")}));
}

TEST_F(ZusiSendTest, ConnectsOnlyToATitleBeginningWithZusiAndKeepsIt) {
    window.addWindow(kOther, "zusi - kleingeschrieben");
    window.setForeground(kOther);
    s.send(2, DownUp);
    s.send(11, Down);
    s.send(37, Down);
    EXPECT_TRUE(window.events.empty());
    EXPECT_FALSE(s.GetConnect());
    window.addWindow(kOther, "Zus");
    EXPECT_FALSE(s.GetConnect());
    window.setForeground(0);
    EXPECT_FALSE(s.GetConnect());

    // Found at the first command while it is in the foreground; a long title is cut but
    // still recognised. Then kept without asking for the foreground again.
    window.addWindow(kZusi, "Zusi" + std::string(400, 'x'));
    window.setForeground(kZusi);
    s.send(2, Down);
    const int queries = window.foregroundQueries;
    window.setForeground(kOther);
    s.send(3, Down);
    EXPECT_TRUE(s.GetConnect());
    EXPECT_EQ(window.foregroundQueries, queries);
    EXPECT_EQ(window.events, (Events{down(113), down(114)}));
}

TEST_F(ZusiSendTest, ClosedOrRetitledWindowIsDroppedAndTheForegroundExaminedAgain) {
    connect();
    window.closeWindow(kZusi);
    window.setForeground(kOther);
    EXPECT_FALSE(s.GetConnect());
    s.send(2, Down);
    EXPECT_TRUE(window.events.empty());

    constexpr WindowHandle kNewZusi = 0x4200007;
    window.addWindow(kNewZusi, "Zusi 3");
    window.setForeground(kNewZusi);
    s.send(2, Down);
    EXPECT_EQ(window.events, Events{down(113, kNewZusi)});
    window.addWindow(kNewZusi, "Fahrplan");
    EXPECT_FALSE(s.GetConnect());
}

TEST_F(ZusiSendTest, RegulatorCountsExpandIntoPressesAndOneRelease) {
    connect();
    s.send(1000, -3);
    s.send(1001, 0);
    s.send(1001, 1);
    s.send(1003, -1);
    EXPECT_EQ(window.events,
              (Events{down(40), down(40), down(40), up(40), down(65), up(65), down(98), up(98)}));
    // The count is cut to 16 bits.
    for (int32_t count : {40000, INT32_MIN}) {
        window.events.clear();
        s.send(1000, count);
        ASSERT_EQ(window.events.size(), 32768u);
        EXPECT_EQ(window.events.back(), up(count > 0 ? 38 : 40));
    }
}

TEST_F(ZusiSendTest, EmergencyBrakeTenPressesAndReleaseOnTheSixthTick) {
    connect();
    s.send(37, Down);
    EXPECT_EQ(window.events, Events(10, down(186)));
    for (int tick = 1; tick <= 5; ++tick)
        s.Timer();
    EXPECT_EQ(window.events.size(), 10u);
    s.Timer();
    EXPECT_EQ(window.events.back(), up(186));
    for (int tick = 0; tick < 10; ++tick)
        s.Timer();
    EXPECT_EQ(window.events.size(), 11u);

    window.events.clear();
    for (int32_t b : {int32_t(Up), int32_t(DownUp), 0})
        s.send(37, b);
    for (int tick = 0; tick < 10; ++tick)
        s.Timer();
    EXPECT_TRUE(window.events.empty());

    // A new emergency brake restarts the release count.
    s.send(37, Down);
    for (int tick = 0; tick < 4; ++tick)
        s.Timer();
    s.send(37, Down);
    for (int tick = 0; tick < 5; ++tick)
        s.Timer();
    EXPECT_EQ(window.events.size(), 20u);
    s.Timer();
    EXPECT_EQ(window.events.back(), up(186));
}

TEST_F(ZusiSendTest, CodesWithoutMeaningAreRejectedWithoutEffect) {
    window.setForeground(kZusi);
    for (int32_t code : {-1, 46, 999, 1004, INT32_MAX, INT32_MIN})
        s.send(code, DownUp);
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(window.foregroundQueries, 0); // not even the window was looked for
}

TEST_F(ZusiSendTest, ObserverSeesEveryDeliveryAndItsOutcome) {
    using Outcome = ZusiSend::Outcome;
    using T = std::tuple<int32_t, int32_t, Outcome, bool>;
    std::vector<T> seen;
    s.setObserver([&](int32_t f, int32_t b, Outcome o, bool internal) {
        seen.emplace_back(f, b, o, internal);
    });
    s.send(2, Down); // nothing in the foreground
    s.send(77, Down);
    window.setForeground(kZusi);
    s.send(1000, 2);
    EXPECT_EQ(seen, (std::vector<T>{{2, Down, Outcome::Dropped, false},
                                    {77, Down, Outcome::Rejected, false},
                                    {1000, 2, Outcome::Delivered, false},
                                    {14, Down, Outcome::Delivered, true},
                                    {14, Down, Outcome::Delivered, true},
                                    {14, Up, Outcome::Delivered, true}}));
}

TEST_F(ZusiSendTest, HeldKeysAreReleasedByTheirHolderOnceAndTheirLateKeyUpIsNotSentAgain) {
    using Kind = KeySource::Kind;
    connect();
    {
        SourceScope button(s, {Kind::Button, 1});
        s.send(28, Down);   // held horn
        s.send(14, DownUp); // a tap: not held
        s.send(1000, 3);    // regulator steps end with their own up
    }
    {
        SourceScope axis(s, {Kind::Axis, 2});
        s.send(21, Down); // AFB ab
        s.send(37, Down); // the brake's key belongs to the brake
    }
    EXPECT_EQ(s.source(), KeySource{});
    window.events.clear();
    s.releaseKeys([](const KeySource& k) { return k.kind == Kind::Axis; });
    s.send(21, Up); // the axis lets go late: its key is up already
    s.releaseKeys([](const KeySource& k) { return k == KeySource{Kind::Button, 1}; });
    for (int i = 0; i < 6; ++i)
        s.Timer(); // the brake's release comes on its tick
    s.send(21, DownUp);
    EXPECT_EQ(window.events, (Events{up(98), up(72), up(186), down(98), up(98)}));
    s.send(37, Down);
    s.send(28, Down);
    window.events.clear();
    s.releaseHeldKeys();
    s.releaseHeldKeys();
    for (int i = 0; i < 6; ++i)
        s.Timer(); // the emergency brake's delayed release is cancelled
    EXPECT_EQ(window.events, (Events{up(72), up(186)}));
}

} // namespace
} // namespace kordan
