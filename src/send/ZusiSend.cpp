#include "send/ZusiSend.h"

#include "common/NumberText.h"
#include "send/Catalogue.h"
#include "send/Keystrokes.h"

#include <algorithm>
#include <cstdlib>

namespace kordan {

namespace K = ZusiSendKonstanten;

namespace {
// Presses of the brake valve's key that make up the emergency brake.
constexpr int kBrakePresses = 10;
// Ticks until the brake valve's key is released again.
constexpr int32_t kBrakeReleaseTicks = 6;
// The notch count of a regulator command is a 16-bit quantity; larger counts are cut so
// that a wild value cannot flood the simulator with messages.
constexpr int64_t kMaxSteps = 32767;
constexpr std::string_view kZusiTitle = "Zusi";
} // namespace

KeyTable makeKeyTable(const std::function<std::string(std::string_view name)>& setting) {
    KeyTable table{};
    for (int32_t code = 0; code < K::KeyTableSize; ++code)
        table[static_cast<size_t>(code)] = fixedKeyCode(code);
    for (int32_t code : keySettingCodes())
        table[static_cast<size_t>(code)] =
            readInt32(setting(keySettingName(code)), Blanks::Anywhere);
    return table;
}

ZusiSend::ZusiSend(ISimWindow& window, const KeyTable& keys) : m_window(window), m_keyTable(keys) {}

void ZusiSend::Connect() {
    m_zusiWnd = m_window.foregroundWindow();
    m_connected = IsZusiWindow();
}

bool ZusiSend::IsZusiWindow() {
    if (m_zusiWnd == 0)
        return false;
    std::string title = m_window.windowTitle(m_zusiWnd);
    if (title.size() > 255)
        title.resize(255);
    // Case-sensitive on purpose: only the simulator's own title starts with "Zusi".
    return title.starts_with(kZusiTitle);
}

bool ZusiSend::GetConnect() {
    if (m_channel)
        return m_channel->connected();
    if (!m_connected)
        Connect();
    if (!IsZusiWindow()) {
        m_connected = false;
        return false;
    }
    return true;
}

std::string ZusiSend::Befehlstext(int32_t Befehl) {
    return befehlstext(Befehl);
}

std::string ZusiSend::keyText(int32_t pFunktion, int32_t pBefehl) const {
    if (!isDeliverableCode(pFunktion))
        return "";
    const ISimChannel::Route route = routeOf(pFunktion);
    if (route != ISimChannel::Route::Key)
        return route == ISimChannel::Route::Input ? "Eingabe \u00fcber TCP" : "";
    // Beside the TCP interface a key reaches only a simulator running on this computer.
    const std::string where = m_channel ? " an Zusi auf diesem Rechner" : "";
    int32_t code = pFunktion;
    switch (deliveryOf(pFunktion)) {
    case Delivery::None:
        return "";
    case Delivery::Keystrokes:
        return "Taste " + keystrokesText(keystrokeString(pFunktion)) + where;
    case Delivery::Composite:
        code = K::BremsventilBremsen;
        break;
    case Delivery::Regulator:
        code = regulatorStepCode(pFunktion, pBefehl);
        break;
    case Delivery::KeyMessage:
        break;
    }
    const int32_t vk = code > 0 ? m_keyTable[static_cast<size_t>(code)] : 0;
    return vk > 0 ? "Taste " + virtualKeyName(vk) + where : "";
}

void ZusiSend::send(int32_t pFunktion, int32_t pBefehl, const KeyHolder& holder) {
    deliver(pFunktion, pBefehl, false, holder);
}

void ZusiSend::ZusiRegler(int32_t pFunktion, int32_t steps, int32_t zoneNotch, int32_t zoneNotches,
                          const KeyHolder& holder) {
    if (steps != 0 && deliveryOf(pFunktion) == Delivery::Regulator &&
        routeOf(pFunktion) == ISimChannel::Route::Input && m_channel->connected() &&
        m_channel->setNotch(pFunktion, zoneNotch, zoneNotches)) {
        notify(pFunktion, steps, Outcome::Delivered, false, holder);
        return;
    }
    deliver(pFunktion, steps, false, holder);
}

bool ZusiSend::keysHeldBack() {
    if (m_channel)
        m_missed = {}; // meant for a simulator whose window no longer takes the commands
    if (m_channel || !m_connected || !m_window.keysNeedActiveWindow())
        return false;
    if (m_window.foregroundWindow() != m_zusiWnd)
        return true;
    m_missed.replay([this](int lever, int32_t regulator, int32_t steps) {
        deliver(regulator, steps, false, {KeyHolder::Kind::Axis, lever});
    });
    return false;
}

void ZusiSend::Timer() {
    if (m_brakeReleaseCount <= 0)
        return;
    --m_brakeReleaseCount;
    if (m_brakeReleaseCount != 0)
        return;
    const auto held = m_held.find(m_brakeKey);
    if (held == m_held.end() || held->second.kind != KeyHolder::Kind::Brake)
        return;
    // The key the brake pressed, in the window it pressed it in, whatever is known now.
    notify(m_brakeKey.channel ? K::Schnellbremsung : K::BremsventilBremsen, Up, Outcome::Delivered,
           true, held->second);
    letGo(m_brakeKey);
    m_held.erase(held);
    m_releasedEarly.insert(m_brakeKey);
}

void ZusiSend::releaseKeys(const std::function<bool(const KeyHolder&)>& which) {
    for (auto it = m_held.begin(); it != m_held.end();) {
        if (!which(it->second)) {
            ++it;
            continue;
        }
        if (it->second.kind == KeyHolder::Kind::Brake)
            m_brakeReleaseCount = 0; // its release happens now
        letGo(it->first);
        m_releasedEarly.insert(it->first);
        it = m_held.erase(it);
    }
}

void ZusiSend::letGo(const Key& key) {
    if (!key.channel)
        m_window.postKey(key.window, WM_Const::WM_KEYUP, key.id);
    else if (m_channel)
        m_channel->input(key.id, false);
}

ISimChannel::Route ZusiSend::routeOf(int32_t pFunktion) const {
    if (!m_channel)
        return ISimChannel::Route::Key;
    if (pFunktion == K::Schnellbremsung)
        return m_channel->route(K::BremsventilBremsen);
    if (const int32_t step = regulatorStepCode(pFunktion, 1))
        return m_channel->route(step);
    return m_channel->route(pFunktion);
}

void ZusiSend::notify(int32_t pFunktion, int32_t pBefehl, Outcome outcome, bool internal,
                      const KeyHolder& holder) {
    if (!m_observer)
        return;
    // A lever's sweep gives hundreds of steps; their texts would be their command's again.
    if (internal)
        return m_observer({pFunktion, pBefehl, outcome, internal, holder, {}, {}});
    m_observer({pFunktion, pBefehl, outcome, internal, holder, Befehlstext(pFunktion),
                keyText(pFunktion, pBefehl)});
}

void ZusiSend::deliver(int32_t pFunktion, int32_t pBefehl, bool internal, const KeyHolder& holder) {
    // Rejected before looking for the window, so a stray code has no effect at all.
    if (!isDeliverableCode(pFunktion)) {
        notify(pFunktion, pBefehl, Outcome::Rejected, internal, holder);
        return;
    }
    const ISimChannel::Route route = routeOf(pFunktion);
    if (route == ISimChannel::Route::NotAvailable) {
        notify(pFunktion, pBefehl, Outcome::NotAvailable, internal, holder);
        return;
    }
    const bool channel = route == ISimChannel::Route::Input;
    if (!channel && !m_connected)
        Connect();
    if (channel ? !m_channel->connected() : !m_connected) {
        notify(pFunktion, pBefehl, Outcome::Dropped, internal, holder);
        return;
    }
    // Asked once per command, not for each of its steps: the answer may cost a round trip.
    const bool inactive = !internal && !channel && deliveryOf(pFunktion) != Delivery::Keystrokes &&
                          m_window.keysNeedActiveWindow() &&
                          m_window.foregroundWindow() != m_zusiWnd;
    notify(pFunktion, pBefehl, inactive ? Outcome::NotActive : Outcome::Delivered, internal,
           holder);
    // A lever's notches that would go nowhere now are made up by keysHeldBack().
    if (inactive && deliveryOf(pFunktion) == Delivery::Regulator &&
        holder.kind == KeyHolder::Kind::Axis)
        return m_missed.add(holder.index, pFunktion, pBefehl);

    switch (deliveryOf(pFunktion)) {
    case Delivery::Composite:
        if (pBefehl == Down)
            pullBrake(channel);
        return;
    case Delivery::Keystrokes:
        if (pBefehl == Down || pBefehl == DownUp)
            m_window.typeKeys(std::string(keystrokeString(pFunktion)));
        return;
    case Delivery::Regulator: {
        const int64_t steps = std::min<int64_t>(std::llabs(pBefehl), kMaxSteps);
        const int32_t code = regulatorStepCode(pFunktion, pBefehl);
        if (steps == 0 || code == 0)
            return;
        for (int64_t i = 0; i < steps; ++i)
            deliver(code, Down, true, holder);
        deliver(code, Up, true, holder);
        return;
    }
    case Delivery::KeyMessage:
    case Delivery::None:
        press(pFunktion, pBefehl, channel, holder);
        return;
    }
}

void ZusiSend::pullBrake(bool channel) {
    // The brake's key is held by the brake until its release, whoever pulled it.
    const KeyHolder brake{KeyHolder::Kind::Brake};
    if (channel) {
        press(K::Schnellbremsung, Down, true, brake);
    } else {
        for (int i = 0; i < kBrakePresses; ++i)
            deliver(K::BremsventilBremsen, Down, true, brake);
    }
    m_brakeKey = keyOf(channel ? K::Schnellbremsung : K::BremsventilBremsen, channel);
    m_brakeReleaseCount = kBrakeReleaseTicks;
}

ZusiSend::Key ZusiSend::keyOf(int32_t pFunktion, bool channel) const {
    return channel ? Key{true, 0, pFunktion}
                   : Key{false, m_zusiWnd, m_keyTable[static_cast<size_t>(pFunktion)]};
}

void ZusiSend::press(int32_t pFunktion, int32_t pBefehl, bool channel, const KeyHolder& holder) {
    const Key key = keyOf(pFunktion, channel);
    if (pBefehl == Down || pBefehl == DownUp) {
        if (channel)
            m_channel->input(pFunktion, true);
        else
            m_window.postKey(key.window, WM_Const::WM_KEYDOWN, key.id);
        m_held.emplace(key, holder); // a further press keeps the first holder
        m_releasedEarly.erase(key);
    }
    if (pBefehl == Up || pBefehl == DownUp) {
        // A key let go early has already had its key-up.
        if (m_releasedEarly.erase(key) == 0)
            letGo(key);
        m_held.erase(key);
    }
}

} // namespace kordan
