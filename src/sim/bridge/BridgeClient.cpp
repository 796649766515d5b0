#include "sim/bridge/BridgeClient.h"

#include "common/Clock.h"
#include "sim/bridge/BridgeProtocol.h"

#include <algorithm>
#include <utility>

namespace kordan {

namespace {

// A line longer than this is no line of the bridge's; what was read of it is dropped.
constexpr size_t kMaxLine = 64 * 1024;
constexpr unsigned kLastId = 999999999;
// Answers waited for without waiting; older ones are dropped beyond this many.
constexpr size_t kMaxAsked = 64;
constexpr uint32_t kKeyDown = 256, kKeyUp = 257; // WM_KEYDOWN, WM_KEYUP

} // namespace

BridgeClient::BridgeClient(ChildStarter starter, IClock& clock,
                           std::function<void(const std::string&)> log, Timing timing)
    : m_starter(std::move(starter)), m_clock(clock), m_log(std::move(log)), m_timing(timing) {}

BridgeClient::~BridgeClient() {
    if (!m_child)
        return;
    sendHeldKeys();
    // The bridge works through what it was given (the last key-ups) before it reads this.
    if (m_child)
        send({"quit"});
    m_child.reset();
}

bool BridgeClient::launch() {
    m_lastStartMs = m_clock.milliseconds();
    m_greeted = false;
    m_silentRequests = 0;
    m_buffer.clear();
    m_child = m_starter();
    m_startFailed = m_child == nullptr;
    if (!m_child)
        return false;
    m_version = 1;
    m_greetingId = send({"hello"});
    if (m_child)
        resendKeys();
    return m_child != nullptr;
}

unsigned BridgeClient::sendKey(uint32_t window, uint32_t message, int32_t key) {
    return send({"key", std::to_string(window), std::to_string(message), std::to_string(key)});
}

void BridgeClient::resendKeys() {
    // Right behind the greeting: the new bridge carries these out before anything else.
    std::map<uint32_t, std::string> keysOf; // by window, for the message below
    for (auto& [which, key] : m_unsureKeys) {
        if (key.pressed)
            key.id = sendKey(which.first, kKeyDown, which.second);
        if (key.released && (!key.pressed || key.id != 0))
            key.id = sendKey(which.first, kKeyUp, which.second);
        if (key.id == 0)
            return;
        std::string& keys = keysOf[which.first];
        keys += (keys.empty() ? "" : ", ") + std::to_string(which.second);
    }
    // A window closed meanwhile took its keys with it; the user is told which.
    for (const auto& [window, keys] : keysOf) {
        const unsigned id = send({"title", std::to_string(window)});
        if (id == 0)
            return;
        // A structured binding is captured by copy under its own name for older compilers.
        m_asked[id] = [this, lost = keys](const std::vector<std::string>& answer) {
            if (!(answer.size() == 3 && answer[0] == "ok" && answer[1] == "1") && m_log)
                m_log("Zusi-Fenster geschlossen: Tasten " + lost + " nicht nachgeholt");
        };
    }
}

bool BridgeClient::start() {
    if (!launch())
        return false;
    const uint32_t begin = m_clock.milliseconds();
    while (m_child && !m_greeted) {
        const uint32_t spent = m_clock.milliseconds() - begin;
        if (spent >= static_cast<uint32_t>(m_timing.greetingMs))
            break;
        pump(std::min(100, m_timing.greetingMs - static_cast<int>(spent)));
    }
    if (!m_greeted)
        m_child.reset();
    return m_greeted;
}

bool BridgeClient::ensureRunning() {
    if (m_child)
        return true;
    if (m_clock.milliseconds() - m_lastStartMs < m_timing.restartMs)
        return false;
    const bool started = launch();
    if (m_log)
        m_log(started ? "Brücke neu gestartet" : "Brücke zu Wine lässt sich nicht neu starten");
    return started;
}

bool BridgeClient::greeted() {
    if (!m_greeted)
        pump(0);      // its greeting may have come meanwhile
    return m_greeted; // only a running bridge has greeted
}

std::string BridgeClient::numbered(std::vector<std::string> fields) {
    m_lastId = m_nextId;
    m_nextId = m_nextId == kLastId ? 1 : m_nextId + 1;
    fields.insert(fields.begin(), std::to_string(m_lastId));
    return bridge::joinLine(fields);
}

bool BridgeClient::write(const std::string& lines) {
    if (!m_child->write(lines))
        lost(); // which ends the child
    return m_child != nullptr;
}

unsigned BridgeClient::send(std::vector<std::string> fields) {
    return write(numbered(std::move(fields))) ? m_lastId : 0;
}

void BridgeClient::lost() {
    // One that worked is replaced at once, so its keys and the readings wait no longer than
    // Wine takes to start; a bridge that keeps dying is started once in restartMs only.
    const uint32_t now = m_clock.milliseconds();
    if (m_greeted && (!m_lastQuickRestartMs || now - *m_lastQuickRestartMs >= m_timing.restartMs)) {
        m_lastQuickRestartMs = now;
        m_lastStartMs = now - m_timing.restartMs;
    }
    m_child.reset();
    m_asked.clear();
    for (auto& unsure : m_unsureKeys)
        unsure.second.id = 0; // the next bridge sends it again
    m_greeted = false;
    if (m_log)
        m_log("Brücke zu Wine beendet");
}

std::optional<std::vector<std::string>> BridgeClient::request(std::vector<std::string> fields,
                                                              int waitMs) {
    sendHeldKeys();
    if (!ensureRunning())
        return std::nullopt;
    // A bridge still starting answers nothing yet: no use waiting for it.
    if (!greeted()) {
        ++m_givenUp;
        return std::nullopt;
    }
    m_answer.reset();
    m_awaitedId = send(fields);
    const uint32_t begin = m_clock.milliseconds();
    const int wait = waitMs > 0 ? waitMs : m_timing.answerMs;
    while (m_child && m_awaitedId != 0 && !m_answer) {
        const uint32_t spent = m_clock.milliseconds() - begin;
        if (spent >= static_cast<uint32_t>(wait))
            break;
        pump(wait - static_cast<int>(spent));
    }
    m_awaitedId = 0;
    if (!m_answer) {
        ++m_givenUp;
        // Each wait costs the polling loop; one that never answers is no better than dead.
        silence();
    }
    return std::exchange(m_answer, std::nullopt);
}

void BridgeClient::silence() {
    if (!m_child || ++m_silentRequests < m_timing.hungAfter)
        return;
    m_child->giveUp();
    if (m_log)
        m_log("Brücke zu Wine antwortet nicht");
    lost();
}

void BridgeClient::ask(std::vector<std::string> fields, AnswerHandler onAnswer) {
    sendHeldKeys();
    if (!ensureRunning() || !greeted())
        return;
    // One asked before and still unanswered is silence too, so a hung bridge is found also
    // where nothing waits for it (keys and the title's look only).
    if (!m_asked.empty()) {
        silence();
        if (!m_child)
            return;
    }
    const unsigned id = send(fields);
    if (id == 0)
        return;
    if (m_asked.size() >= kMaxAsked)
        m_asked.erase(m_asked.begin());
    m_asked[id] = std::move(onAnswer);
}

void BridgeClient::post(std::vector<std::string> fields) {
    sendHeldKeys();
    if (ensureRunning())
        send(fields);
    // Answers to earlier requests must not pile up while only keys are sent.
    poll();
}

void BridgeClient::postKey(uint32_t window, uint32_t message, int32_t key) {
    KeyMessage& unsure = m_unsureKeys[{window, key}];
    unsure.pressed = unsure.pressed || message == kKeyDown;
    unsure.released = message == kKeyUp;
    unsure.id = 0;
    m_heldKeys.push_back({window, message, key});
    if (m_holdingKeys == 0)
        sendHeldKeys();
}

void BridgeClient::endKeys() {
    if (m_holdingKeys > 0 && --m_holdingKeys == 0)
        sendHeldKeys();
}

void BridgeClient::sendHeldKeys() {
    if (m_heldKeys.empty())
        return;
    const std::vector<Key> keys = std::exchange(m_heldKeys, {});
    // A bridge started here has sent them already, with the others it took over.
    const bool wasRunning = m_child != nullptr;
    if (ensureRunning() && wasRunning)
        sendKeys(keys);
    // Answers to earlier requests must not pile up while only keys are sent.
    poll();
}

void BridgeClient::sendKeys(const std::vector<Key>& keys) {
    // An older bridge takes them as lines of their own, in the same write.
    std::vector<std::string> request{"keys"};
    std::string lines;
    for (const Key& k : keys) {
        std::vector<std::string> fields{std::to_string(k.window), std::to_string(k.message),
                                        std::to_string(k.key)};
        if (m_version >= 2) {
            request.insert(request.end(), fields.begin(), fields.end());
        } else {
            fields.insert(fields.begin(), "key");
            lines += numbered(std::move(fields));
        }
    }
    if (m_version >= 2)
        lines = numbered(std::move(request));
    if (!write(lines))
        return; // lost: the next bridge sends them
    // The last number covers them all: an answer to it or a later one vouches for each.
    for (const Key& k : keys)
        m_unsureKeys[{k.window, k.key}].id = m_lastId;
}

void BridgeClient::poll() {
    if (m_child)
        pump(0);
}

void BridgeClient::pump(int waitMs) {
    std::string got;
    const bool open = m_child->read(got, waitMs);
    m_buffer += got;
    size_t from = 0;
    for (size_t end; (end = m_buffer.find('\n', from)) != std::string::npos; from = end + 1)
        handleLine(std::string_view(m_buffer).substr(from, end - from));
    m_buffer.erase(0, from);
    if (m_buffer.size() > kMaxLine) {
        ++m_badLines;
        m_buffer.clear();
    }
    if (!open)
        lost();
}

void BridgeClient::handleLine(std::string_view line) {
    m_silentRequests = 0; // a bridge that speaks, even late or nonsense, is alive
    const auto fields = bridge::splitLine(line);
    const auto id = fields && fields->size() >= 2 ? bridge::parseInteger((*fields)[0], 0, kLastId)
                                                  : std::nullopt;
    if (!id) {
        ++m_badLines;
        return;
    }
    const std::string& kind = (*fields)[1];
    if (kind != "exit") {
        // Every line before this answer's request has been carried out.
        std::erase_if(m_unsureKeys, [&](const auto& unsure) {
            return unsure.second.id != 0 && unsure.second.id <= *id;
        });
    }
    if (kind == "exit") {
        const auto code = fields->size() == 3
                              ? bridge::parseInteger((*fields)[2], INT32_MIN, UINT32_MAX)
                              : std::nullopt;
        if (!code)
            ++m_badLines;
        else if (m_onExit)
            m_onExit(static_cast<unsigned>(*id), static_cast<int>(*code));
        return;
    }
    if (*id == m_greetingId && !m_greeted) {
        m_greeted = kind == "ok" && fields->size() >= 3 && (*fields)[2] == "kordan-bridge";
        if (!m_greeted)
            ++m_badLines;
        else if (fields->size() >= 4)
            m_version = static_cast<int>(bridge::parseInteger((*fields)[3], 1, 999).value_or(1));
        return;
    }
    if (const auto asked = m_asked.find(static_cast<unsigned>(*id)); asked != m_asked.end()) {
        const AnswerHandler handler = std::move(asked->second);
        m_asked.erase(asked);
        handler(std::vector<std::string>(fields->begin() + 1, fields->end()));
        return;
    }
    if (*id == m_awaitedId && m_awaitedId != 0)
        m_answer.emplace(fields->begin() + 1, fields->end());
    // Anything else answers a request already given up.
}

} // namespace kordan
