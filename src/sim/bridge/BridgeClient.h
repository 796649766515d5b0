#pragma once

#include "sim/bridge/ChildProcess.h"

#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace kordan {

class IClock;

// The program's end of the line protocol with kordan-bridge.exe (see BridgeProtocol.h).
// Requests wait a few milliseconds for their answer and are then given up, so a hung or
// dead bridge never holds up the polling loop; a late answer is dropped when it comes. A
// bridge that has died is started again at the next call, with a line for the command log:
// at once when it had worked (greeted) and the last such quick replacement lies `restartMs`
// back, else at most once in `restartMs`. Lines that make no sense are counted and
// ignored. One that answers nothing, not even late, to `hungAfter` requests in a row (an
// ask made while an earlier one is unanswered counts too) is ended as hung and started again
// like a dead one. Used on the user-interface thread.
class BridgeClient {
public:
    struct Timing {
        int answerMs = 10;          // how long a request waits for its answer
        int greetingMs = 20000;     // how long the first start waits (a fresh prefix boots)
        uint32_t restartMs = 10000; // the least time between two starts, but see above
        int hungAfter = 20;         // requests in a row without a word back: given up as hung
    };
    // `log` receives the restart lines (German, for the command log).
    BridgeClient(ChildStarter starter, IClock& clock, std::function<void(const std::string&)> log,
                 Timing timing);
    BridgeClient(const BridgeClient&) = delete;
    BridgeClient& operator=(const BridgeClient&) = delete;
    // Asks the bridge to end after what it was given, and ends it.
    ~BridgeClient();

    // The first start: true when the bridge greeted within `greetingMs`.
    bool start();

    // Sends a request (its number is put in front) and returns the answer's fields after
    // the number; nullopt when none came in time or the bridge is not running. `waitMs`
    // other than 0 replaces the usual wait, for requests that take time inside Wine.
    std::optional<std::vector<std::string>> request(std::vector<std::string> fields,
                                                    int waitMs = 0);
    // Sends a request without waiting for its answer: `onAnswer` gets the answer's fields
    // after the number when it comes in during a later call, or is dropped when none comes.
    using AnswerHandler = std::function<void(const std::vector<std::string>& answer)>;
    void ask(std::vector<std::string> fields, AnswerHandler onAnswer);
    // Sends a request that has no answer, such as typed keys.
    void post(std::vector<std::string> fields);
    // Sends a key message (`message` WM_KEYDOWN or WM_KEYUP) to `window`. A bridge that dies
    // or hangs may not have carried it out: for each key that no later answer vouches for
    // (the bridge works through its lines in order), the next bridge sends, before anything
    // else, its key-down if one is among them and then its key-up if that came last, so a
    // key let go meanwhile comes up, never without its down, and a held one is down. Where
    // the window is gone by then, that is told in the command log.
    void postKey(uint32_t window, uint32_t message, int32_t key);
    // Between these, key messages are held back and go out together at `endKeys`, in one
    // write: one "keys" request to a bridge that knows it, else their lines. Any other call
    // sends them first, so the bridge still gets everything in the order it was asked.
    void beginKeys() { ++m_holdingKeys; }
    void endKeys();
    // Takes in what the bridge has written meanwhile (early ends), without waiting.
    void poll();
    // The number of the request sent last.
    unsigned lastRequest() const { return m_lastId; }
    // Called with the request number and exit code when a program the bridge started
    // ended early.
    void setExitHandler(std::function<void(unsigned request, int code)> handler) {
        m_onExit = std::move(handler);
    }

    unsigned badLines() const { return m_badLines; }
    unsigned givenUp() const { return m_givenUp; }
    bool running() const { return m_child && m_greeted; }
    // A bridge runs or is starting, or one is started again at a later call: no start has
    // failed since the last one that worked.
    bool available() const { return !m_startFailed; }

private:
    bool ensureRunning();
    // True once the running bridge has greeted; takes in its greeting if it has come.
    bool greeted();
    bool launch();
    unsigned send(std::vector<std::string> fields);
    // The line of a request numbered with the next number, which becomes lastRequest().
    std::string numbered(std::vector<std::string> fields);
    // False when the bridge is lost meanwhile.
    bool write(const std::string& lines);
    void pump(int waitMs);
    void handleLine(std::string_view line);
    void lost();
    void silence(); // one more request gone unanswered
    unsigned sendKey(uint32_t window, uint32_t message, int32_t key);
    void resendKeys();
    void sendHeldKeys();
    struct Key {
        uint32_t window, message;
        int32_t key;
    };
    void sendKeys(const std::vector<Key>& keys);

    ChildStarter m_starter;
    IClock& m_clock;
    std::function<void(const std::string&)> m_log;
    Timing m_timing;
    std::unique_ptr<IChildProcess> m_child;
    bool m_greeted = false;
    int m_version = 1; // of the running bridge's protocol, from its greeting
    bool m_startFailed = false;
    uint32_t m_lastStartMs = 0;
    std::optional<uint32_t> m_lastQuickRestartMs; // when a working bridge was last replaced
    unsigned m_nextId = 1;
    unsigned m_lastId = 0;
    unsigned m_greetingId = 0;
    unsigned m_awaitedId = 0;
    std::optional<std::vector<std::string>> m_answer;
    std::string m_buffer;
    unsigned m_badLines = 0;
    unsigned m_givenUp = 0;
    int m_silentRequests = 0; // given up in a row with no line at all from the bridge
    std::function<void(unsigned, int)> m_onExit;
    std::map<unsigned, AnswerHandler> m_asked; // requests sent by ask(), by number
    // What of a key is not yet vouched for, and the number its last message went to the
    // running bridge under (0: to none, the next bridge sends it).
    struct KeyMessage {
        bool pressed = false;  // a key-down
        bool released = false; // the last message, a key-up
        unsigned id = 0;
    };
    std::map<std::pair<uint32_t, int32_t>, KeyMessage> m_unsureKeys; // by window and key
    std::vector<Key> m_heldKeys; // posted since beginKeys, not yet sent
    int m_holdingKeys = 0;
};

} // namespace kordan
