#pragma once

#include <cstdint>
#include <string>

namespace kordan {

// A window of the window system, as the simulator's window is kept; 0 = no window.
using WindowHandle = uint32_t;

// What the delivery of commands needs of the window system. All calls come from the
// user-interface thread; none of them may block for long or throw.
class ISimWindow {
public:
    virtual ~ISimWindow() = default;

    // The window that currently has the user's focus, or 0 when there is none (also when
    // no window system can be reached).
    virtual WindowHandle foregroundWindow() = 0;

    // The window's title as single-byte text (Windows-1252), cut to 255 characters; ""
    // for a window without a title or a handle that names no window.
    virtual std::string windowTitle(WindowHandle window) = 0;

    // Queues a key message to the window: `message` is WM_Const::WM_KEYDOWN (256) or
    // WM_KEYUP (257), `virtualKey` a Windows virtual-key code, the second message
    // parameter is 0. Nothing is waited for and no result is reported; a key the backend
    // cannot express is not sent.
    virtual void postKey(WindowHandle window, uint32_t message, int32_t virtualKey) = 0;

    // Types a keystroke string into whatever window is active at this moment, without
    // waiting for it to be processed. Notation: "^" Ctrl, "+" Shift, "%" Alt for the next
    // key, "{NAME}" a named key ("{F8}", "{ENTER}"), any other character its own key
    // (see Keystrokes.h).
    virtual void typeKeys(const std::string& keys) = 0;

    // True where posted keys reach a window only while it is the active one (sent as
    // hardware key events, as to a window under Wine from outside it).
    virtual bool keysNeedActiveWindow() const { return false; }

    // Key messages posted between these two calls may be held back and handed on together
    // at `endKeys` (the keys of one report in one write), in the order they were posted;
    // whatever else is sent meanwhile still comes after the keys posted before it. See
    // KeyBatch.
    virtual void beginKeys() {}
    virtual void endKeys() {}
};

// Holds the keys posted in its lifetime back until it ends, also by an exception, so none
// is left unsent.
class KeyBatch {
public:
    explicit KeyBatch(ISimWindow& window) : m_window(window) { m_window.beginKeys(); }
    ~KeyBatch() { m_window.endKeys(); }
    KeyBatch(const KeyBatch&) = delete;
    KeyBatch& operator=(const KeyBatch&) = delete;

private:
    ISimWindow& m_window;
};

} // namespace kordan
