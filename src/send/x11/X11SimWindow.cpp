#include "send/x11/X11SimWindow.h"

#include "common/TextFile.h"
#include "send/Keystrokes.h"
#include "send/ZusiSendKonstanten.h"
#include "send/x11/X11ErrorTrap.h"
#include "send/x11/X11KeyMap.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/keysym.h>

#include <optional>
#include <set>
#include <vector>

namespace kordan {

namespace {

std::string latin1ToUtf8(std::string_view bytes) {
    std::string out;
    for (char c : bytes)
        appendUtf8(out, static_cast<unsigned char>(c));
    return out;
}

// A key as the keyboard has it: its keycode and whether Shift selects the symbol.
struct PhysicalKey {
    KeyCode code = 0;
    bool shifted = false;
};

class X11SimWindow : public ISimWindow {
public:
    explicit X11SimWindow(const std::string& displayName) {
        m_display = XOpenDisplay(displayName.empty() ? nullptr : displayName.c_str());
        if (!m_display)
            return;
        m_root = DefaultRootWindow(m_display);
        m_netActiveWindow = XInternAtom(m_display, "_NET_ACTIVE_WINDOW", False);
        m_netWmName = XInternAtom(m_display, "_NET_WM_NAME", False);
        m_utf8String = XInternAtom(m_display, "UTF8_STRING", False);
        m_wmState = XInternAtom(m_display, "WM_STATE", False);
        int event = 0, error = 0, major = 0, minor = 0;
        m_xtest = XTestQueryExtension(m_display, &event, &error, &major, &minor) == True;
        ErrorCounter::watch(m_display);
        // A window manager's change of the active window arrives as an event.
        XSelectInput(m_display, m_root, PropertyChangeMask);
    }
    ~X11SimWindow() override {
        if (!m_display)
            return;
        XCloseDisplay(m_display);
        ErrorCounter::forget(m_display);
    }
    X11SimWindow(const X11SimWindow&) = delete;
    X11SimWindow& operator=(const X11SimWindow&) = delete;

    // Keys sent from outside reach a window under Wine only while it is the active one.
    bool keysNeedActiveWindow() const override { return true; }

    // Asked for every command: in steady state (the kept window in front) the answer is the
    // one kept from before, which the window's focus events and the root's property events
    // would have taken back.
    WindowHandle foregroundWindow() override {
        if (!m_display)
            return 0;
        processEvents();
        if (m_foreground)
            return static_cast<WindowHandle>(*m_foreground);
        ErrorTrap trap(m_display);
        if (!m_active)
            m_active = activeWindowProperty();
        Window window = *m_active;
        const bool fromFocus = window == None;
        if (fromFocus) {
            Window focus = None;
            int revert = 0;
            XGetInputFocus(m_display, &focus, &revert);
            if (focus != None && focus != PointerRoot && focus != m_root)
                window = clientOf(topLevelOf(focus));
        }
        if (trap.failed()) {
            forgetAll();
            return 0;
        }
        // Only the watched window tells when the focus leaves it.
        if (fromFocus && window != None && window == m_watched)
            m_foreground = window;
        return static_cast<WindowHandle>(window);
    }

    std::string windowTitle(WindowHandle handle) override {
        if (!m_display || handle == 0)
            return {};
        processEvents();
        watch(handle);
        if (m_title)
            return *m_title;
        ErrorTrap trap(m_display);
        std::optional<std::string> utf8 = netWmName(handle);
        if (!utf8)
            utf8 = wmName(handle);
        if (trap.failed() || !utf8)
            return {};
        std::string title = toWindows1252(*utf8);
        if (title.size() > 255)
            title.resize(255);
        m_title = title; // until the window's property events say otherwise
        return title;
    }

    void postKey(WindowHandle handle, uint32_t message, int32_t virtualKey) override {
        if (!m_display || handle == 0)
            return;
        if (message != WM_Const::WM_KEYDOWN && message != WM_Const::WM_KEYUP)
            return;
        const bool press = message == WM_Const::WM_KEYDOWN;
        processEvents();
        const std::optional<PhysicalKey> key = keyForVirtualKey(virtualKey);
        if (!key)
            return;
        // Wine hands X key events only to its focused window and many programs ignore
        // events sent by another client, so real (XTest) events are used whenever they
        // reach the kept window; otherwise the event is sent to it directly.
        const bool xtest = m_xtest && hasFocus(handle);
        auto send = [&](bool down, unsigned long delayMs) {
            if (xtest)
                XTestFakeKeyEvent(m_display, key->code, down ? True : False, delayMs);
            else
                sendKeyEvent(handle, key->code, down, m_sentState);
        };
        // A further key-down of a held key counts one more step (a regulator's notches, the
        // emergency brake's ten presses). X takes a press without a release in between, or
        // a release and press with the same time stamp, for the keyboard's own auto-repeat,
        // which receivers ignore; so the key is let go first and pressed again a
        // millisecond later.
        unsigned long delayMs = CurrentTime;
        if (press && !m_pressed.insert(key->code).second) {
            send(false, CurrentTime);
            delayMs = 1;
        }
        if (!press)
            m_pressed.erase(key->code);
        send(press, delayMs);
        trackModifier(virtualKey, press);
        if (m_holdingKeys == 0)
            XFlush(m_display);
    }

    // The keys of one report leave in one write to the X server, at the end.
    void beginKeys() override { ++m_holdingKeys; }
    void endKeys() override {
        if (m_holdingKeys > 0 && --m_holdingKeys == 0 && m_display)
            XFlush(m_display);
    }

    void typeKeys(const std::string& keys) override {
        if (!m_display)
            return;
        processEvents();
        Window target = None;
        if (!m_xtest) {
            int revert = 0;
            XGetInputFocus(m_display, &target, &revert);
            if (target == None || target == PointerRoot)
                return;
        }
        for (const KeyStroke& stroke : parseKeystrokes(keys)) {
            const std::optional<PhysicalKey> key = stroke.virtualKey != 0
                                                       ? keyForVirtualKey(stroke.virtualKey)
                                                       : keyForCharacter(stroke.character);
            if (!key)
                continue;
            std::vector<std::pair<KeyCode, unsigned>> modifiers;
            auto addModifier = [&](KeySym sym, unsigned mask) {
                if (KeyCode code = XKeysymToKeycode(m_display, sym))
                    modifiers.emplace_back(code, mask);
            };
            if (stroke.ctrl)
                addModifier(XK_Control_L, ControlMask);
            if (stroke.shift || key->shifted)
                addModifier(XK_Shift_L, ShiftMask);
            if (stroke.alt)
                addModifier(XK_Alt_L, Mod1Mask);

            // Real modifier presses around the key; each event reports the modifiers
            // held before it, as the server's own events do.
            unsigned state = 0;
            for (const auto& [code, mask] : modifiers) {
                fakeKey(target, code, true, state);
                state |= mask;
            }
            fakeKey(target, key->code, true, state);
            fakeKey(target, key->code, false, state);
            for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) {
                fakeKey(target, it->first, false, state);
                state &= ~it->second;
            }
        }
        XFlush(m_display);
    }

private:
    // Reads the events that have arrived, without a round trip: keyboard mapping changes
    // (on every connection), the root's active window and the watched window's focus, title
    // and end. Each takes back the answers it touches; an error takes back all of them.
    void processEvents() {
        // XPending would write out the keys held back; this only reads what has come.
        const int mode = m_holdingKeys > 0 ? QueuedAfterReading : QueuedAfterFlush;
        while (XEventsQueued(m_display, mode) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            const Window window = event.xany.window;
            switch (event.type) {
            case MappingNotify:
                XRefreshKeyboardMapping(&event.xmapping);
                m_keymap.clear();
                break;
            case PropertyNotify:
                if (window == m_root && event.xproperty.atom == m_netActiveWindow) {
                    m_active.reset();
                    m_foreground.reset();
                }
                if (window == m_watched &&
                    (event.xproperty.atom == m_netWmName || event.xproperty.atom == XA_WM_NAME))
                    m_title.reset();
                break;
            case FocusIn:
            case FocusOut:
                if (window == m_watched)
                    forgetFocus();
                break;
            case DestroyNotify:
            case ReparentNotify:
                if (window == m_watched)
                    forgetAll();
                break;
            default:
                break;
            }
        }
        const unsigned long errors = ErrorCounter::errors(m_display);
        if (errors != m_errors) {
            m_errors = errors;
            forgetAll();
        }
    }

    void forgetFocus() {
        m_focus.reset();
        m_foreground.reset();
    }
    void forgetAll() {
        forgetFocus();
        m_active.reset();
        m_title.reset();
        m_walk = {};
    }

    // The window whose focus and title are kept between calls: the one keys go to. Its
    // events are asked for before its state is read, so no change goes unseen.
    void watch(Window window) {
        if (window == m_watched)
            return;
        if (m_watched != None)
            XSelectInput(m_display, m_watched, NoEventMask);
        XSelectInput(m_display, window, FocusChangeMask | PropertyChangeMask | StructureNotifyMask);
        m_watched = window;
        forgetFocus();
        m_title.reset();
    }

    Window activeWindowProperty() {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        Window window = None;
        if (XGetWindowProperty(m_display, m_root, m_netActiveWindow, 0, 1, False, XA_WINDOW, &type,
                               &format, &count, &after, &data) == Success &&
            data && type == XA_WINDOW && format == 32 && count == 1)
            window = static_cast<Window>(reinterpret_cast<unsigned long*>(data)[0]);
        if (data)
            XFree(data);
        return window;
    }

    Window parentOf(Window window) {
        Window root = None, parent = None;
        Window* children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(m_display, window, &root, &parent, &children, &count))
            return None;
        if (children)
            XFree(children);
        return parent;
    }

    // The child of the root window that contains `window`. The last answer is kept: the
    // focus mostly stays on one window, and windows seldom move to another parent.
    Window topLevelOf(Window window) {
        if (window != m_walk.from) {
            m_walk.from = window;
            m_walk.topLevel = walkUp(window);
        }
        return m_walk.topLevel;
    }
    Window walkUp(Window window) {
        for (int depth = 0; depth < 64 && window != None; ++depth) {
            const Window parent = parentOf(window);
            if (parent == None || parent == m_root)
                return window;
            window = parent;
        }
        return None;
    }

    bool hasWmState(Window window) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        XGetWindowProperty(m_display, window, m_wmState, 0, 0, False, AnyPropertyType, &type,
                           &format, &count, &after, &data);
        if (data)
            XFree(data);
        return type != None;
    }

    // A window manager puts the program's window into a frame of its own; the program's
    // window is the one below that carries WM_STATE. Without a manager it is the frame.
    Window clientOf(Window topLevel) {
        if (topLevel == None || hasWmState(topLevel))
            return topLevel;
        std::vector<Window> pending{topLevel};
        for (size_t i = 0; i < pending.size() && i < 4096; ++i) {
            Window root = None, parent = None;
            Window* children = nullptr;
            unsigned count = 0;
            if (!XQueryTree(m_display, pending[i], &root, &parent, &children, &count))
                continue;
            for (unsigned c = 0; c < count; ++c) {
                if (hasWmState(children[c])) {
                    const Window found = children[c];
                    XFree(children);
                    return found;
                }
                pending.push_back(children[c]);
            }
            if (children)
                XFree(children);
        }
        return topLevel;
    }

    std::optional<std::string> netWmName(Window window) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        std::optional<std::string> title;
        if (XGetWindowProperty(m_display, window, m_netWmName, 0, 1024, False, m_utf8String, &type,
                               &format, &count, &after, &data) == Success &&
            data && type == m_utf8String && format == 8)
            title.emplace(reinterpret_cast<const char*>(data), count);
        if (data)
            XFree(data);
        return title;
    }

    std::optional<std::string> wmName(Window window) {
        XTextProperty property{};
        if (!XGetWMName(m_display, window, &property) || !property.value)
            return std::nullopt;
        std::optional<std::string> title;
        const std::string_view bytes(reinterpret_cast<const char*>(property.value),
                                     property.nitems);
        if (property.encoding == XA_STRING) {
            title = latin1ToUtf8(bytes);
        } else if (property.encoding == m_utf8String) {
            title.emplace(bytes);
        } else {
            char** list = nullptr;
            int count = 0;
            if (Xutf8TextPropertyToTextList(m_display, &property, &list, &count) >= Success &&
                list && count > 0)
                title.emplace(list[0]);
            else
                title = latin1ToUtf8(bytes);
            if (list)
                XFreeStringList(list);
        }
        XFree(property.value);
        return title;
    }

    bool hasFocus(Window window) {
        watch(window);
        if (!m_focus) {
            ErrorTrap trap(m_display);
            const bool focused = focusWithin(window);
            if (trap.failed())
                return false;
            m_focus = focused;
        }
        return *m_focus;
    }

    bool focusWithin(Window window) {
        Window focus = None;
        int revert = 0;
        XGetInputFocus(m_display, &focus, &revert);
        for (int depth = 0; depth < 64 && focus != None && focus != PointerRoot; ++depth) {
            if (focus == window)
                return true;
            if (focus == m_root)
                return false;
            focus = parentOf(focus);
        }
        return false;
    }

    // keycode -> its symbols, read once and again after a mapping change.
    const std::vector<std::vector<KeySym>>& keymap() {
        if (m_keymap.empty()) {
            XDisplayKeycodes(m_display, &m_minKeycode, &m_maxKeycode);
            int perCode = 0;
            KeySym* syms = XGetKeyboardMapping(m_display, static_cast<KeyCode>(m_minKeycode),
                                               m_maxKeycode - m_minKeycode + 1, &perCode);
            m_keymap.resize(static_cast<size_t>(m_maxKeycode - m_minKeycode + 1));
            if (syms) {
                for (size_t k = 0; k < m_keymap.size(); ++k)
                    m_keymap[k].assign(syms + k * static_cast<size_t>(perCode),
                                       syms + (k + 1) * static_cast<size_t>(perCode));
                XFree(syms);
            }
        }
        return m_keymap;
    }

    // The key that yields `sym`: unshifted if any key has it so, else shifted.
    std::optional<PhysicalKey> keyForKeysym(KeySym sym) {
        const auto& map = keymap();
        for (int level = 0; level < 2; ++level)
            for (size_t k = 0; k < map.size(); ++k)
                if (map[k].size() > static_cast<size_t>(level) &&
                    map[k][static_cast<size_t>(level)] == sym)
                    return PhysicalKey{static_cast<KeyCode>(m_minKeycode + static_cast<int>(k)),
                                       level == 1};
        return std::nullopt;
    }

    // A virtual key stands for the key itself, never for Shift: a symbol found only on
    // the shifted level (KP_0 beside KP_Insert) is sent as that key without Shift.
    std::optional<PhysicalKey> keyForVirtualKey(int32_t virtualKey) {
        for (KeySym sym : keysymsForVirtualKey(virtualKey))
            if (auto key = keyForKeysym(sym))
                return PhysicalKey{key->code, false};
        return std::nullopt;
    }

    std::optional<PhysicalKey> keyForCharacter(char32_t ch) {
        if (ch < 0x20)
            return std::nullopt;
        const KeySym sym = ch <= 0xFF ? static_cast<KeySym>(ch) : 0x01000000 | ch;
        return keyForKeysym(sym);
    }

    void fakeKey(Window target, KeyCode code, bool press, unsigned state) {
        if (m_xtest)
            XTestFakeKeyEvent(m_display, code, press ? True : False, CurrentTime);
        else
            sendKeyEvent(target, code, press, state);
    }

    void sendKeyEvent(Window window, KeyCode code, bool press, unsigned state) {
        XEvent event{};
        XKeyEvent& key = event.xkey;
        key.type = press ? KeyPress : KeyRelease;
        key.display = m_display;
        key.window = window;
        key.root = m_root;
        key.subwindow = None;
        key.time = CurrentTime;
        key.x = key.y = key.x_root = key.y_root = 1;
        key.state = state;
        key.keycode = code;
        key.same_screen = True;
        XSendEvent(m_display, window, False, press ? KeyPressMask : KeyReleaseMask, &event);
    }

    // Modifier keys posted as key messages hold their modifier for the events sent
    // directly afterwards, as a real key press would.
    void trackModifier(int32_t virtualKey, bool press) {
        unsigned mask = 0;
        switch (virtualKey) {
        case 0x10:
        case 0xA0:
        case 0xA1:
            mask = ShiftMask;
            break;
        case 0x11:
        case 0xA2:
        case 0xA3:
            mask = ControlMask;
            break;
        case 0x12:
        case 0xA4:
        case 0xA5:
            mask = Mod1Mask;
            break;
        default:
            return;
        }
        if (press)
            m_sentState |= mask;
        else
            m_sentState &= ~mask;
    }

    Display* m_display = nullptr;
    Window m_root = None;
    Atom m_netActiveWindow = None;
    Atom m_netWmName = None;
    Atom m_utf8String = None;
    Atom m_wmState = None;
    bool m_xtest = false;
    unsigned m_sentState = 0;
    std::set<KeyCode> m_pressed; // keys this program holds down
    int m_holdingKeys = 0;       // inside beginKeys / endKeys: no flush per key
    int m_minKeycode = 8;
    int m_maxKeycode = 255;
    std::vector<std::vector<KeySym>> m_keymap;
    // Answers kept until an event or an error takes them back.
    unsigned long m_errors = 0;
    Window m_watched = None;
    std::optional<Window> m_active;     // the root's _NET_ACTIVE_WINDOW, None without one
    std::optional<Window> m_foreground; // the watched window, while it has the focus
    std::optional<bool> m_focus;        // whether the focus is within the watched window
    std::optional<std::string> m_title; // the watched window's title
    struct {
        Window from = None, topLevel = None;
    } m_walk;
};

} // namespace

std::unique_ptr<ISimWindow> makeX11SimWindow(const std::string& displayName) {
    return std::make_unique<X11SimWindow>(displayName);
}

} // namespace kordan
