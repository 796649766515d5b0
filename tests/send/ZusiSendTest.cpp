#include "send/ZusiSend.h"

#include "fakes/FakeRegistry.h"
#include "fakes/FakeSimWindow.h"

#include <gtest/gtest.h>

#include <tuple>

namespace kordan {
namespace {

using test::FakeRegistry;
using test::FakeSimWindow;
constexpr uint32_t kDown = WM_Const::WM_KEYDOWN;
constexpr uint32_t kUp = WM_Const::WM_KEYUP;
constexpr WindowHandle kZusi = 0x4200001;
constexpr WindowHandle kOther = 0x4200002;
const char* const kKey = "Software\\Zusi\\Zusi"; // spelt differently from the sender's path

class ZusiSendTest : public ::testing::Test {
protected:
    ZusiSendTest() {
        registry.set(kKey, "T0", "38");   // Fahrschalter auf
        registry.set(kKey, "T1", "40");   // Fahrschalter ab
        registry.set(kKey, "T10", "65");  // Dyn Bremse auf
        registry.set(kKey, "T11", "89");  // Dyn Bremse ab
        registry.set(kKey, "T14", "186"); // Bremsventil Bremsen
        registry.set(kKey, "T13", "222"); // Bremsventil loesen
        registry.set(kKey, "T18", "104"); // AFB auf
        registry.set(kKey, "T19", "98");  // AFB ab
        window.addWindow(kZusi, "Zusi - Testfahrt");
        window.addWindow(kOther, "Texteditor");
    }
    ZusiSend& connectedSender() {
        window.setForeground(kZusi);
        sender = std::make_unique<ZusiSend>(window, registry);
        EXPECT_TRUE(sender->GetConnect());
        window.events.clear();
        return *sender;
    }
    static ICommandSender& se(ZusiSend& s) { return s; }

    FakeRegistry registry;
    FakeSimWindow window;
    std::unique_ptr<ZusiSend> sender;
};

TEST_F(ZusiSendTest, KeyTableFromFixedCodesAndSettings) {
    registry.set(kKey, "t17", " 1 2 ");  // blanks inside a number are skipped
    registry.set(kKey, "T2", "\t4\t8x"); // so are tabs; reading stops at "x"
    registry.set(kKey, "T12", "72.5");   // halves go to the even neighbour
    registry.set(kKey, "T20", "73.5");
    registry.set(kKey, "T21", "F5"); // no number at all
    ZusiSend s(window, registry);
    EXPECT_EQ(s.keyCode(0), 0);
    for (int32_t code : {1, 11, 12, 13})
        EXPECT_EQ(s.keyCode(code), 255) << code;
    const std::pair<int32_t, int32_t> fixed[] = {{2, 113}, {3, 114}, {4, 115}, {5, 117},
                                                 {6, 118}, {7, 123}, {8, 120}, {9, 122}};
    for (auto [code, key] : fixed)
        EXPECT_EQ(s.keyCode(code), key) << code;
    // From the settings; "T9" (code 28) and "T34" (45) are missing, 37 has none.
    const std::pair<int32_t, int32_t> read[] = {{10, 12}, {14, 38}, {16, 48},  {19, 72},
                                                {22, 74}, {23, 0},  {24, 186}, {25, 222},
                                                {28, 0},  {37, 0},  {45, 0}};
    for (auto [code, key] : read)
        EXPECT_EQ(s.keyCode(code), key) << code;
    // The reader's key is released once the table is read.
    EXPECT_EQ(registry.openKeys(), 0);
    EXPECT_EQ(registry.opens, 1);
}

TEST_F(ZusiSendTest, SettingsAreReadFromTheRightNames) {
    // Each setting its own number, so a mix-up of two names shows.
    const std::pair<int32_t, const char*> map[] = {
        {14, "T0"},  {15, "T1"},  {16, "T2"},  {17, "T10"}, {18, "T11"}, {19, "T12"}, {20, "T18"},
        {21, "T19"}, {22, "T20"}, {23, "T21"}, {24, "T14"}, {25, "T13"}, {26, "T23"}, {27, "T22"},
        {10, "T17"}, {28, "T9"},  {29, "T7"},  {30, "T4"},  {31, "T5"},  {32, "T6"},  {33, "T3"},
        {34, "T25"}, {35, "T8"},  {36, "T24"}, {38, "T27"}, {39, "T28"}, {40, "T29"}, {41, "T30"},
        {42, "T31"}, {43, "T32"}, {44, "T33"}, {45, "T34"}};
    for (auto [code, name] : map)
        registry.set(kKey, name, std::to_string(1000 + code));
    ZusiSend s(window, registry);
    for (auto [code, name] : map)
        EXPECT_EQ(s.keyCode(code), 1000 + code) << name;
    EXPECT_EQ(s.keyCode(37), 0);
}

TEST_F(ZusiSendTest, WithoutTheSimulatorsKeyEverySettingIsZero) {
    FakeRegistry empty;
    ZusiSend s(window, empty);
    EXPECT_EQ(s.keyCode(14), 0);
    EXPECT_EQ(s.keyCode(2), 113);
    window.setForeground(kZusi);
    s.send(14, DownUp);
    EXPECT_EQ(window.events, (std::vector{FakeSimWindow::post(kZusi, kDown, 0),
                                          FakeSimWindow::post(kZusi, kUp, 0)}));
}

TEST_F(ZusiSendTest, KeyMessagesFollowTheBefehl) {
    ZusiSend& s = connectedSender();
    se(s).ZusiSend(2, DownUp);
    EXPECT_EQ(window.events, (std::vector{FakeSimWindow::post(kZusi, kDown, 113),
                                          FakeSimWindow::post(kZusi, kUp, 113)}));
    window.events.clear();
    se(s).ZusiSend(14, Down);
    EXPECT_EQ(window.events, std::vector{FakeSimWindow::post(kZusi, kDown, 38)});
    se(s).ZusiSend(14, Up);
    EXPECT_EQ(window.events, (std::vector{FakeSimWindow::post(kZusi, kDown, 38),
                                          FakeSimWindow::post(kZusi, kUp, 38)}));
    window.events.clear();
    for (int32_t b : {0, 4, -1, 1000})
        se(s).ZusiSend(14, b);
    EXPECT_TRUE(window.events.empty());
    // Code 0 and the text-less code 5 are key messages like the rest.
    se(s).ZusiSend(5, Down);
    se(s).ZusiSend(0, Up);
    EXPECT_EQ(window.events, (std::vector{FakeSimWindow::post(kZusi, kDown, 117),
                                          FakeSimWindow::post(kZusi, kUp, 0)}));
}

TEST_F(ZusiSendTest, WhileConnectedMessagesGoToTheKeptWindowWithoutAskingAgain) {
    ZusiSend& s = connectedSender();
    const int queries = window.foregroundQueries;
    window.setForeground(kOther);
    s.send(3, Down);
    EXPECT_EQ(window.events, std::vector{FakeSimWindow::post(kZusi, kDown, 114)});
    EXPECT_EQ(s.zusiWnd(), kZusi);
    EXPECT_TRUE(s.GetConnect());
    EXPECT_EQ(window.foregroundQueries, queries);
}

TEST_F(ZusiSendTest, RegulatorCountsExpandIntoPressesAndOneRelease) {
    ZusiSend& s = connectedSender();
    s.send(1000, -3);
    std::vector<FakeSimWindow::Event> expected(3, FakeSimWindow::post(kZusi, kDown, 40));
    expected.push_back(FakeSimWindow::post(kZusi, kUp, 40));
    EXPECT_EQ(window.events, expected);

    window.events.clear();
    s.send(1002, 2);
    expected.assign(2, FakeSimWindow::post(kZusi, kDown, 186));
    expected.push_back(FakeSimWindow::post(kZusi, kUp, 186));
    EXPECT_EQ(window.events, expected);

    window.events.clear();
    s.send(1001, 0);
    EXPECT_TRUE(window.events.empty());
    s.send(1001, 1);
    s.send(1003, -1);
    EXPECT_EQ(window.events, (std::vector{
                                 FakeSimWindow::post(kZusi, kDown, 65),
                                 FakeSimWindow::post(kZusi, kUp, 65),
                                 FakeSimWindow::post(kZusi, kDown, 98),
                                 FakeSimWindow::post(kZusi, kUp, 98),
                             }));
}

TEST_F(ZusiSendTest, RegulatorCountIsClampedToSixteenBits) {
    ZusiSend& s = connectedSender();
    s.send(1000, 40000);
    ASSERT_EQ(window.events.size(), 32768u);
    EXPECT_EQ(window.events[32766], FakeSimWindow::post(kZusi, kDown, 38));
    EXPECT_EQ(window.events.back(), FakeSimWindow::post(kZusi, kUp, 38));
    window.events.clear();
    s.send(1000, INT32_MIN);
    ASSERT_EQ(window.events.size(), 32768u);
    EXPECT_EQ(window.events.back(), FakeSimWindow::post(kZusi, kUp, 40));
}

TEST_F(ZusiSendTest, EmergencyBrakeTenPressesAndReleaseOnTheSixthTick) {
    ZusiSend& s = connectedSender();
    s.send(37, Down);
    EXPECT_EQ(window.events,
              std::vector<FakeSimWindow::Event>(10, FakeSimWindow::post(kZusi, kDown, 186)));
    for (int tick = 1; tick <= 5; ++tick) {
        s.Timer();
        EXPECT_EQ(window.events.size(), 10u) << tick;
    }
    s.Timer();
    ASSERT_EQ(window.events.size(), 11u);
    EXPECT_EQ(window.events.back(), FakeSimWindow::post(kZusi, kUp, 186));
    for (int tick = 0; tick < 10; ++tick)
        s.Timer();
    EXPECT_EQ(window.events.size(), 11u);

    window.events.clear();
    s.send(37, Up);
    s.send(37, DownUp);
    s.send(37, 0);
    for (int tick = 0; tick < 10; ++tick)
        s.Timer();
    EXPECT_TRUE(window.events.empty());

    // A new emergency brake restarts the release count.
    s.send(37, Down);
    for (int tick = 0; tick < 4; ++tick)
        s.Timer();
    s.send(37, Down);
    EXPECT_EQ(s.brakeReleaseCount(), 6);
    for (int tick = 0; tick < 5; ++tick)
        s.Timer();
    EXPECT_EQ(window.events.size(), 20u);
    s.Timer();
    ASSERT_EQ(window.events.size(), 21u);
    EXPECT_EQ(window.events.back(), FakeSimWindow::post(kZusi, kUp, 186));
}

TEST_F(ZusiSendTest, KeystrokeCommandsOnlyOnDownAndDownUp) {
    ZusiSend& s = connectedSender();
    s.send(11, Up);
    s.send(11, 0);
    EXPECT_TRUE(window.events.empty());
    s.send(11, Down);
    s.send(1, DownUp);
    s.send(12, Down);
    s.send(13, Down);
    EXPECT_EQ(window.events, (std::vector{FakeSimWindow::type("^m"), FakeSimWindow::type("^{F8}"),
                                          FakeSimWindow::type("^f"), FakeSimWindow::type("^d")}));
}

TEST_F(ZusiSendTest, ConnectsOnlyToATitleBeginningWithZusi) {
    window.addWindow(kOther, "zusi - kleingeschrieben");
    window.setForeground(kOther);
    ZusiSend s(window, registry);
    s.send(2, DownUp);
    s.send(11, Down);
    s.send(37, Down);
    EXPECT_TRUE(window.events.empty());
    EXPECT_FALSE(s.connected());
    EXPECT_FALSE(s.GetConnect());

    window.addWindow(kOther, "Zus");
    EXPECT_FALSE(s.GetConnect());
    window.setForeground(0);
    EXPECT_FALSE(s.GetConnect());
    EXPECT_EQ(s.zusiWnd(), 0u);

    // Found at the first command issued while the simulator is in the foreground; a long
    // title is cut but still recognised.
    window.addWindow(kZusi, "Zusi" + std::string(400, 'x'));
    window.setForeground(kZusi);
    s.send(2, Down);
    EXPECT_TRUE(s.connected());
    EXPECT_EQ(window.events, std::vector{FakeSimWindow::post(kZusi, kDown, 113)});
}

TEST_F(ZusiSendTest, ClosedOrRetitledWindowIsDroppedAndTheForegroundExaminedAgain) {
    ZusiSend& s = connectedSender();
    window.closeWindow(kZusi);
    window.setForeground(kOther);
    EXPECT_FALSE(s.GetConnect());
    EXPECT_FALSE(s.connected());
    s.send(2, Down);
    EXPECT_TRUE(window.events.empty());

    constexpr WindowHandle kNewZusi = 0x4200007;
    window.addWindow(kNewZusi, "Zusi 3");
    window.setForeground(kNewZusi);
    const int queries = window.foregroundQueries;
    s.send(2, Down);
    EXPECT_EQ(window.foregroundQueries, queries + 1);
    EXPECT_EQ(window.events, std::vector{FakeSimWindow::post(kNewZusi, kDown, 113)});

    window.addWindow(kNewZusi, "Fahrplan");
    EXPECT_FALSE(s.GetConnect());
}

TEST_F(ZusiSendTest, CodesWithoutMeaningAreRejectedWithoutEffect) {
    window.setForeground(kZusi);
    ZusiSend s(window, registry);
    for (int32_t code : {-1, 46, 999, 1004, INT32_MAX, INT32_MIN})
        s.send(code, DownUp);
    EXPECT_TRUE(window.events.empty());
    EXPECT_EQ(window.foregroundQueries, 0); // not even the window was looked for
    EXPECT_FALSE(s.connected());
}

TEST_F(ZusiSendTest, ObserverSeesEveryDeliveryAndItsOutcome) {
    using Outcome = ZusiSend::Outcome;
    std::vector<std::tuple<int32_t, int32_t, Outcome, bool>> seen;
    ZusiSend s(window, registry);
    s.setObserver([&](int32_t f, int32_t b, Outcome o, bool internal) {
        seen.emplace_back(f, b, o, internal);
    });
    s.send(2, Down); // nothing in the foreground
    s.send(77, Down);
    window.setForeground(kZusi);
    s.send(1000, 2);
    using T = std::tuple<int32_t, int32_t, Outcome, bool>;
    EXPECT_EQ(seen, (std::vector<T>{
                        {2, Down, Outcome::Dropped, false},
                        {77, Down, Outcome::Rejected, false},
                        {1000, 2, Outcome::Delivered, false},
                        {14, Down, Outcome::Delivered, true},
                        {14, Down, Outcome::Delivered, true},
                        {14, Up, Outcome::Delivered, true},
                    }));
}

} // namespace
} // namespace kordan
