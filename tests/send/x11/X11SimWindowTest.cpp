#include "send/x11/X11SimWindow.h"

#include "send/ZusiSend.h"
#include "send/x11/X11KeyMap.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/keysym.h>

#include <chrono>
#include <csignal>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace kordan {
namespace {

using namespace std::chrono_literals;

// An Xvfb server of this test process on a display number the server picks itself; it
// does not reset between tests (a reset refuses connections for a moment).
struct Xvfb {
    Xvfb() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        if ((m_pid = fork()) == 0) {
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24",
                   "-nolisten", "tcp", "-noreset", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes its display number once it accepts connections.
        std::string number;
        for (char c = 0; m_pid > 0 && read(fds[0], &c, 1) == 1 && c != '\n';)
            number += c;
        close(fds[0]);
        if (!number.empty())
            name = ":" + number;
    }
    ~Xvfb() {
        if (m_pid > 0 && kill(m_pid, SIGTERM) == 0)
            waitpid(m_pid, nullptr, 0);
    }
    pid_t m_pid = -1;
    std::string name;
};

struct Key {
    int type; // KeyPress or KeyRelease
    KeySym sym;
    bool ctrl, sent; // sent: came through XSendEvent
    bool operator==(const Key&) const = default;
};
using Keys = std::vector<Key>;

class X11SimWindowTest : public ::testing::Test {
protected:
    static Key press(KeySym k, bool ctrl = 0, bool sent = 0) { return {KeyPress, k, ctrl, sent}; }
    static Key release(KeySym k, bool c = 0, bool sent = 0) { return {KeyRelease, k, c, sent}; }
    static void SetUpTestSuite() { s_xvfb = new Xvfb; }
    static void TearDownTestSuite() { delete std::exchange(s_xvfb, nullptr); }
    void SetUp() override {
        if (s_xvfb->name.empty())
            GTEST_SKIP() << "Xvfb could not be started; the X11 backend is not tested";
        m_display = XOpenDisplay(s_xvfb->name.c_str());
        ASSERT_NE(m_display, nullptr);
    }
    void TearDown() override {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Window makeWindow(const std::string& utf8Title, Window parent = None) {
        const Window w = XCreateSimpleWindow(
            m_display, parent ? parent : DefaultRootWindow(m_display), 10, 10, 200, 100, 0, 0, 0);
        XSelectInput(m_display, w, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
        if (!parent) {
            XChangeProperty(m_display, w, XInternAtom(m_display, "_NET_WM_NAME", False),
                            XInternAtom(m_display, "UTF8_STRING", False), 8, PropModeReplace,
                            reinterpret_cast<const unsigned char*>(utf8Title.data()),
                            static_cast<int>(utf8Title.size()));
        }
        XMapWindow(m_display, w);
        XEvent event;
        do
            XNextEvent(m_display, &event);
        while (event.type != MapNotify || event.xmap.window != w);
        return w;
    }
    void focus(Window w) {
        XSetInputFocus(m_display, w, RevertToParent, CurrentTime);
        XSync(m_display, False);
    }
    // The key events of `w` that arrive within a short while; stops early at `expected`.
    std::vector<Key> keysOf(Window w, size_t expected, std::chrono::milliseconds wait = 3s) {
        std::vector<Key> keys;
        const auto deadline = std::chrono::steady_clock::now() + wait;
        while (std::chrono::steady_clock::now() < deadline && keys.size() < expected) {
            while (XPending(m_display) > 0) {
                XEvent event;
                XNextEvent(m_display, &event);
                if ((event.type == KeyPress || event.type == KeyRelease) && event.xkey.window == w)
                    keys.push_back({event.type, XLookupKeysym(&event.xkey, 0),
                                    (event.xkey.state & ControlMask) != 0,
                                    event.xkey.send_event != 0});
            }
            pollfd p{ConnectionNumber(m_display), POLLIN, 0};
            poll(&p, 1, 20);
        }
        return keys;
    }
    std::unique_ptr<ISimWindow> backend() { return makeX11SimWindow(s_xvfb->name); }
    static Xvfb* s_xvfb;
    Display* m_display = nullptr;
};

Xvfb* X11SimWindowTest::s_xvfb = nullptr;

TEST_F(X11SimWindowTest, FocusedOrActiveWindowIsForegroundWithItsTitle) {
    auto x11 = backend();
    EXPECT_EQ(x11->foregroundWindow(), 0u); // the server starts without focus
    const Window zusi = makeWindow("Zusi 3 \u2013 Testfahrt");
    focus(makeWindow("", zusi)); // a child's focus counts for its top-level window
    EXPECT_EQ(x11->foregroundWindow(), zusi);
    EXPECT_EQ(x11->windowTitle(zusi), "Zusi 3 \x96 Testfahrt"); // Windows-1252 en dash
    // A window that is gone: handles that name no window give "" and do not end the program.
    const Window old =
        XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 5, 5, 0, 0, 0);
    XSync(m_display, False);
    XDestroyWindow(m_display, old);
    XSync(m_display, False);
    x11->postKey(old, WM_Const::WM_KEYDOWN, 0x41);
    EXPECT_EQ(x11->windowTitle(old), "");
    EXPECT_EQ(x11->windowTitle(0), "");
    // The active window of a window manager wins over the focus.
    const Window other = makeWindow("Zusi B");
    const Atom active = XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False);
    XChangeProperty(m_display, DefaultRootWindow(m_display), active, XA_WINDOW, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&other), 1);
    XSync(m_display, False);
    EXPECT_EQ(x11->foregroundWindow(), other);
    XDeleteProperty(m_display, DefaultRootWindow(m_display), active);
    XSync(m_display, False);
    EXPECT_EQ(x11->foregroundWindow(), zusi);
}

TEST_F(X11SimWindowTest, SenderFindsTheSimulatorAndItReceivesKeysAndKeystrokes) {
    const Window zusi = makeWindow("Zusi 3 \u2013 Testfahrt");
    focus(zusi);
    auto x11 = backend();
    ZusiSend sender(*x11, makeKeyTable([](std::string_view) { return std::string(); }));
    const uint32_t D = WM_Const::WM_KEYDOWN, U = WM_Const::WM_KEYUP;
    sender.send(2, DownUp); // Pause: F2
    x11->postKey(zusi, D, 0xFF);
    x11->postKey(zusi, 0x102, 'A'); // WM_CHAR is not a key message of ours
    EXPECT_EQ(keysOf(zusi, 2), (Keys{press(XK_F2), release(XK_F2)}));
    // Keystroke commands press Control for real.
    sender.send(11, Down);  // "^m"
    sender.send(1, DownUp); // "^{F8}"
    EXPECT_EQ(keysOf(zusi, 8),
              (Keys{press(XK_Control_L), press(XK_m, true), release(XK_m, true),
                    release(XK_Control_L, true), press(XK_Control_L), press(XK_F8, true),
                    release(XK_F8, true), release(XK_Control_L, true)}));
    // Kept without focus, the window gets sent events; a Ctrl key posted as a message holds
    // Ctrl for the events after it.
    focus(makeWindow("Editor"));
    sender.send(3, DownUp); // Autopilot: F3
    for (auto [message, key] : {std::pair{D, 0x11}, {D, 'D'}, {U, 0x11}, {U, 'D'}})
        x11->postKey(zusi, message, key);
    EXPECT_EQ(keysOf(zusi, 7), // waits for stragglers
              (Keys{press(XK_F3, false, true), release(XK_F3, false, true),
                    press(XK_Control_L, false, true), press(XK_d, true, true),
                    release(XK_Control_L, true, true), release(XK_d, false, true)}));
    // The keys of one report leave together when it ends; none is left behind.
    {
        const KeyBatch report(*x11);
        sender.send(2, DownUp);
        sender.send(3, DownUp);
    }
    EXPECT_EQ(keysOf(zusi, 4), (Keys{press(XK_F2, false, true), release(XK_F2, false, true),
                                     press(XK_F3, false, true), release(XK_F3, false, true)}));
}

TEST(X11KeyMap, VirtualKeysToKeysyms) {
    // German layout keys (from 0xBA): the first keysym is the one of that layout.
    const std::pair<int32_t, unsigned long> first[] = {
        {'A', XK_a},           {'Z', XK_z},       {'7', XK_7},           {0x70, XK_F1},
        {0x87, XK_F24},        {0x6B, XK_KP_Add}, {0x0D, XK_Return},     {0xA3, XK_Control_R},
        {0xBA, XK_udiaeresis}, {0xDB, XK_ssharp}, {0xBF, XK_numbersign}, {0xE2, XK_less}};
    for (auto [vk, sym] : first)
        EXPECT_EQ(keysymsForVirtualKey(vk).at(0), sym) << vk;
    EXPECT_EQ(keysymsForVirtualKey(0x2D), std::vector<unsigned long>{XK_Insert}); // one only
    for (int32_t vk : {0, 0x07, 0x88, 0xFF, -1, 65536})
        EXPECT_TRUE(keysymsForVirtualKey(vk).empty()) << vk;
}

} // namespace
} // namespace kordan
