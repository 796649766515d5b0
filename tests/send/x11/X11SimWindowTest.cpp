#include "send/x11/X11SimWindow.h"

#include "send/ZusiSend.h"
#include "send/x11/X11KeyMap.h"

// GoogleTest first: Xlib defines macros (None, Bool) that clash with its names.
#include <gtest/gtest.h>

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <poll.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

namespace kordan {
namespace {

using namespace std::chrono_literals;

// An Xvfb server of this test process on a display number the server picks itself.
class Xvfb {
public:
    Xvfb() {
        int fds[2];
        if (pipe(fds) != 0)
            return;
        if ((m_pid = fork()) == 0) {
            const std::string fd = std::to_string(fds[1]);
            execlp("Xvfb", "Xvfb", "-displayfd", fd.c_str(), "-screen", "0", "640x480x24",
                   "-nolisten", "tcp", static_cast<char*>(nullptr));
            _exit(127);
        }
        close(fds[1]);
        // The server writes its display number once it accepts connections.
        std::string number;
        const auto deadline = std::chrono::steady_clock::now() + 20s;
        for (char c = 0; m_pid > 0 && std::chrono::steady_clock::now() < deadline;) {
            pollfd p{fds[0], POLLIN, 0};
            if (poll(&p, 1, 100) <= 0)
                continue;
            if (read(fds[0], &c, 1) != 1 || c == '\n')
                break;
            number += c;
        }
        close(fds[0]);
        if (!number.empty())
            m_name = ":" + number;
    }
    ~Xvfb() {
        if (m_pid > 0 && kill(m_pid, SIGTERM) == 0)
            waitpid(m_pid, nullptr, 0);
    }
    const std::string& name() const { return m_name; }

private:
    pid_t m_pid = -1;
    std::string m_name;
};

struct Key {
    int type; // KeyPress or KeyRelease
    KeySym sym;
    bool ctrl;
    bool sent; // came through XSendEvent
    bool operator==(const Key&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Key& k) {
    return os << (k.type == KeyPress ? "press " : "release ") << XKeysymToString(k.sym)
              << (k.ctrl ? " +ctrl" : "") << (k.sent ? " (sent)" : "");
}

Key press(KeySym sym, bool ctrl = false, bool sent = false) {
    return {KeyPress, sym, ctrl, sent};
}
Key release(KeySym sym, bool ctrl = false, bool sent = false) {
    return {KeyRelease, sym, ctrl, sent};
}

class X11SimWindowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { s_xvfb = new Xvfb; }
    static void TearDownTestSuite() { delete std::exchange(s_xvfb, nullptr); }
    void SetUp() override {
        if (s_xvfb->name().empty())
            GTEST_SKIP() << "Xvfb could not be started; the X11 backend is not tested";
        m_display = XOpenDisplay(s_xvfb->name().c_str());
        ASSERT_NE(m_display, nullptr);
    }
    void TearDown() override {
        if (m_display)
            XCloseDisplay(m_display);
    }
    Window makeWindow(const std::string& utf8Title, Window parent = None) {
        const Window root = DefaultRootWindow(m_display);
        const Window w =
            XCreateSimpleWindow(m_display, parent ? parent : root, 10, 10, 200, 100, 0, 0, 0);
        XSelectInput(m_display, w, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
        if (!parent) {
            XStoreName(m_display, w, "Name aus WM_NAME");
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
    // Nothing more may arrive: waits a moment for stragglers.
    std::vector<Key> lateKeysOf(Window w) { return keysOf(w, SIZE_MAX, 300ms); }
    std::unique_ptr<ISimWindow> backend() { return makeX11SimWindow(s_xvfb->name()); }
    static Xvfb* s_xvfb;
    Display* m_display = nullptr;
    // Fahrschalter auf: cursor up.
    KeyTable m_keys =
        makeKeyTable([](std::string_view name) { return std::string(name == "T0" ? "38" : ""); });
};

Xvfb* X11SimWindowTest::s_xvfb = nullptr;

TEST_F(X11SimWindowTest, FocusedOrActiveWindowIsForegroundWithItsTitle) {
    auto x11 = backend();
    EXPECT_EQ(x11->foregroundWindow(), 0u); // the server starts without focus
    const Window zusi = makeWindow("Zusi 3 \u2013 Testfahrt");
    focus(zusi);
    EXPECT_EQ(x11->foregroundWindow(), zusi);
    EXPECT_EQ(x11->windowTitle(zusi), "Zusi 3 \x96 Testfahrt"); // Windows-1252 en dash
    // Focus on a child window counts for its top-level window.
    const Window child = makeWindow("", zusi);
    focus(child);
    EXPECT_EQ(x11->foregroundWindow(), zusi);
    // A title only in WM_NAME (Latin-1), and one longer than 255 characters.
    const Window old =
        XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 5, 5, 0, 0, 0);
    XStoreName(m_display, old, ("Zusi \xe4" + std::string(300, 'x')).c_str());
    XSync(m_display, False);
    EXPECT_EQ(x11->windowTitle(old), "Zusi \xe4" + std::string(249, 'x'));
    // Handles that name no window give "" and do not end the program.
    XDestroyWindow(m_display, old);
    XSync(m_display, False);
    EXPECT_EQ(x11->windowTitle(old) + x11->windowTitle(0), "");
    x11->postKey(old, WM_Const::WM_KEYDOWN, 0x41);
    EXPECT_EQ(x11->windowTitle(zusi), "Zusi 3 \x96 Testfahrt");

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
    ZusiSend sender(*x11, m_keys);
    EXPECT_TRUE(sender.GetConnect());
    EXPECT_EQ(sender.zusiWnd(), zusi);
    sender.send(2, DownUp); // Pause: F2
    sender.send(14, Down);  // T0 = 38: cursor up
    sender.send(14, Up);
    x11->postKey(zusi, WM_Const::WM_KEYDOWN, 0xFF);
    x11->postKey(zusi, 0x102, 'A'); // WM_CHAR is not a key message of ours
    x11->typeKeys("{NOSUCHKEY}");
    EXPECT_EQ(keysOf(zusi, 4),
              (std::vector{press(XK_F2), release(XK_F2), press(XK_Up), release(XK_Up)}));
    EXPECT_TRUE(lateKeysOf(zusi).empty());
    // Keystroke commands press Control for real.
    sender.send(11, Down);  // "^m"
    sender.send(11, Up);    // nothing
    sender.send(1, DownUp); // "^{F8}"
    EXPECT_EQ(keysOf(zusi, 8),
              (std::vector{press(XK_Control_L), press(XK_m, true), release(XK_m, true),
                           release(XK_Control_L, true), press(XK_Control_L), press(XK_F8, true),
                           release(XK_F8, true), release(XK_Control_L, true)}));
    EXPECT_TRUE(lateKeysOf(zusi).empty());
    // Kept without focus, the window gets sent events.
    const Window editor = makeWindow("Editor");
    focus(editor);
    sender.send(3, DownUp); // Autopilot: F3
    EXPECT_EQ(keysOf(zusi, 2),
              (std::vector{press(XK_F3, false, true), release(XK_F3, false, true)}));
    // A Ctrl key posted as a message holds Ctrl for the events after it.
    x11->postKey(zusi, WM_Const::WM_KEYDOWN, 0x11);
    x11->postKey(zusi, WM_Const::WM_KEYDOWN, 'D');
    x11->postKey(zusi, WM_Const::WM_KEYUP, 0x11);
    x11->postKey(zusi, WM_Const::WM_KEYUP, 'D');
    EXPECT_EQ(keysOf(zusi, 4),
              (std::vector{press(XK_Control_L, false, true), press(XK_d, true, true),
                           release(XK_Control_L, true, true), release(XK_d, false, true)}));
    EXPECT_TRUE(lateKeysOf(editor).empty());
}

TEST(X11SimWindowWithoutDisplay, NothingIsFoundAndNothingCrashes) {
    const char* old = std::getenv("DISPLAY");
    const std::string saved = old ? old : "";
    unsetenv("DISPLAY");
    auto x11 = makeX11SimWindow();
    if (old)
        setenv("DISPLAY", saved.c_str(), 1);
    EXPECT_EQ(x11->foregroundWindow(), 0u);
    EXPECT_EQ(x11->windowTitle(0x400001), "");
    x11->postKey(0x400001, WM_Const::WM_KEYDOWN, 0x71);
    x11->typeKeys("^{F8}");
    EXPECT_FALSE(ZusiSend(*x11, KeyTable{}).GetConnect());
}

TEST(X11KeyMap, VirtualKeysToKeysyms) {
    using V = std::vector<unsigned long>;
    const std::pair<int32_t, unsigned long> single[] = {
        {'A', XK_a},       {'Z', XK_z},       {'7', XK_7},         {0x70, XK_F1},
        {0x87, XK_F24},    {0x65, XK_KP_5},   {0x6B, XK_KP_Add},   {0x22, XK_Next},
        {0x2D, XK_Insert}, {0x0D, XK_Return}, {0xA3, XK_Control_R}};
    for (auto [vk, sym] : single)
        EXPECT_EQ(keysymsForVirtualKey(vk), V{sym}) << vk;
    // German layout keys: the first keysym is the one of that layout.
    const std::pair<int32_t, unsigned long> first[] = {{0xBA, XK_udiaeresis}, {0xC0, XK_odiaeresis},
                                                       {0xDE, XK_adiaeresis}, {0xDB, XK_ssharp},
                                                       {0xBF, XK_numbersign}, {0xE2, XK_less}};
    for (auto [vk, sym] : first)
        EXPECT_EQ(keysymsForVirtualKey(vk).front(), sym) << vk;
    for (int32_t vk : {0, 0x07, 0x88, 0xFF, 255, -1, 65536})
        EXPECT_TRUE(keysymsForVirtualKey(vk).empty()) << vk;
}

} // namespace
} // namespace kordan
