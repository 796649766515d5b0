#include "send/win32/Win32SimWindow.h"
#include "send/ZusiSend.h"

#include "WinTestSupport.h"

#include <gtest/gtest.h>

#include <cstdio>

namespace kordan {
namespace {

using test::ReceivedKey;
using test::RecordingWindow;

// Where Wine does not hand the foreground to the test's window, the window is still
// found by its real handle and title; only the foreground query is answered here.
class ForegroundOverride : public ISimWindow {
public:
    ForegroundOverride(ISimWindow& real, WindowHandle foreground)
        : m_real(real), m_foreground(foreground) {}
    WindowHandle foregroundWindow() override { return m_foreground; }
    std::string windowTitle(WindowHandle window) override { return m_real.windowTitle(window); }
    void postKey(WindowHandle window, uint32_t message, int32_t virtualKey) override {
        m_real.postKey(window, message, virtualKey);
    }
    void typeKeys(const std::string& keys) override { m_real.typeKeys(keys); }

private:
    ISimWindow& m_real;
    WindowHandle m_foreground;
};

WindowHandle handleOf(HWND hwnd) {
    return static_cast<WindowHandle>(reinterpret_cast<uintptr_t>(hwnd));
}

ReceivedKey down(WPARAM vk) {
    return {WM_KEYDOWN, vk, 0};
}
ReceivedKey up(WPARAM vk) {
    return {WM_KEYUP, vk, 0};
}

class Win32SimWindowTest : public ::testing::Test {
protected:
    // The sender, looking at `window` as the foreground window.
    std::unique_ptr<ZusiSend> senderFacing(RecordingWindow& window) {
        if (window.bringToFront()) {
            return std::make_unique<ZusiSend>(*real, keys);
        }
        std::printf("note: Wine gave the test window no foreground; only the foreground "
                    "query is stood in for\n");
        override = std::make_unique<ForegroundOverride>(*real, handleOf(window.hwnd()));
        return std::make_unique<ZusiSend>(*override, keys);
    }
    // Fahrschalter ab.
    KeyTable keys =
        makeKeyTable([](std::string_view name) { return std::string(name == "T1" ? "40" : ""); });
    std::unique_ptr<ISimWindow> real = makeWin32SimWindow();
    std::unique_ptr<ForegroundOverride> override;
};

TEST_F(Win32SimWindowTest, ZusiWindowReceivesExactlyThePostedKeyMessages) {
    RecordingWindow zusi("Zusi 3 - Testfahrt");
    auto sender = senderFacing(zusi);
    ASSERT_TRUE(sender->GetConnect());
    EXPECT_EQ(sender->zusiWnd(), handleOf(zusi.hwnd()));
    sender->send(1000, -2);  // Fahrschalter ab, two steps
    sender->send(2, DownUp); // Pause: fixed key F2
    zusi.pumpUntil(5, 5000);
    EXPECT_EQ(zusi.keys,
              (std::vector<ReceivedKey>{down(40), down(40), up(40), down(113), up(113)}));
}

TEST_F(Win32SimWindowTest, TitlesAreCutAt255AndGoneWindowsHaveNone) {
    const std::string longTitle = "Zusi " + std::string(300, 'x');
    WindowHandle gone = 0;
    {
        RecordingWindow window(longTitle.c_str());
        gone = handleOf(window.hwnd());
        EXPECT_EQ(real->windowTitle(gone), longTitle.substr(0, 255));
    }
    EXPECT_EQ(real->windowTitle(gone), "");
    EXPECT_EQ(real->windowTitle(0), "");
}

TEST_F(Win32SimWindowTest, OnlyKeyMessagesArePosted) {
    RecordingWindow zusi("Zusi");
    real->postKey(handleOf(zusi.hwnd()), WM_CHAR, 'a');
    real->postKey(handleOf(zusi.hwnd()), WM_KEYUP, 0); // a missing key setting posts 0
    zusi.pumpUntil(2, 300);
    EXPECT_EQ(zusi.keys, (std::vector<ReceivedKey>{up(0)}));
}

// Standard scan codes of a PC keyboard; the same on German and US layouts for these keys.
constexpr uint16_t kScanCtrl = 0x1D;
constexpr uint16_t kScanShift = 0x2A;
constexpr uint16_t kScanM = 0x32;
constexpr uint16_t kScanF8 = 0x42;
constexpr uint16_t kScanUp = 0x48;

// The events of keys pressed in order and let go in the reverse order.
std::vector<KeyboardEvent> pressed(std::vector<KeyboardEvent> downs) {
    std::vector<KeyboardEvent> events = downs;
    for (auto it = downs.rbegin(); it != downs.rend(); ++it)
        events.push_back({it->virtualKey, it->scanCode, it->flags | KEYEVENTF_KEYUP});
    return events;
}

TEST(Win32Keystrokes, ModifiersGoDownFirstAndComeOffInReverseWithScanCodes) {
    // The cursor keys are extended keys, or the number pad's arrows would arrive.
    const std::pair<const char*, std::vector<KeyboardEvent>> cases[] = {
        {"^m", {{VK_CONTROL, kScanCtrl, 0}, {'M', kScanM, 0}}},
        {"^{F8}", {{VK_CONTROL, kScanCtrl, 0}, {VK_F8, kScanF8, 0}}},
        {"^+{UP}",
         {{VK_CONTROL, kScanCtrl, 0},
          {VK_SHIFT, kScanShift, 0},
          {VK_UP, kScanUp, KEYEVENTF_EXTENDEDKEY}}},
        {"M", {{VK_SHIFT, kScanShift, 0}, {'M', kScanM, 0}}}, // an upper-case letter adds Shift
        {"", {}}};
    for (const auto& [keys, downs] : cases)
        EXPECT_EQ(keyboardEventsFor(keys), pressed(downs)) << keys;
    // A character of no keyboard layout (an emoji) goes as its two UTF-16 halves.
    const KeyboardEvent high{0, 0xD83D, KEYEVENTF_UNICODE}, low{0, 0xDE82, KEYEVENTF_UNICODE};
    const auto up = [](KeyboardEvent e) { return e.flags |= KEYEVENTF_KEYUP, e; };
    EXPECT_EQ(keyboardEventsFor("\xF0\x9F\x9A\x82"), (std::vector{high, up(high), low, up(low)}));
}

TEST_F(Win32SimWindowTest, CtrlMArrivesThroughSendInputInTheActiveWindow) {
    RecordingWindow zusi("Zusi");
    if (!zusi.bringToFront())
        GTEST_SKIP() << "the test window could not get the foreground, so typed keys "
                        "have nowhere defined to go";
    auto sender = std::make_unique<ZusiSend>(*real, keys);
    sender->send(11, Up); // types nothing
    sender->send(11, Down);
    zusi.pumpUntil(4, 5000);
    ASSERT_EQ(zusi.keys.size(), 4u);
    EXPECT_EQ((zusi.keys[1].lParam >> 16) & 0xFF, kScanM);
    for (auto& key : zusi.keys)
        key.lParam = 0; // the rest of it is the system's
    EXPECT_EQ(zusi.keys, (std::vector{down(VK_CONTROL), down('M'), up('M'), up(VK_CONTROL)}));
}

} // namespace
} // namespace kordan
