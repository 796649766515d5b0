#include "sim/bridge/BridgeServer.h"

#include "sim/bridge/BridgeProtocol.h"

#include <cstdint>
#include <vector>

namespace kordan {

namespace {

std::optional<WindowHandle> handleField(const std::string& field) {
    auto n = bridge::parseInteger(field, 0, UINT32_MAX);
    return n ? std::optional<WindowHandle>(static_cast<WindowHandle>(*n)) : std::nullopt;
}

} // namespace

std::string BridgeServer::handle(std::string_view line) {
    const auto fields = bridge::splitLine(line);
    const auto id = fields && fields->size() >= 2 ? bridge::parseInteger((*fields)[0], 0, 999999999)
                                                  : std::nullopt;
    if (!id)
        return bridge::joinLine({"0", "bad"});
    const std::vector<std::string>& f = *fields;
    const std::string& verb = f[1];
    const size_t n = f.size();
    auto answer = [&](std::vector<std::string> rest) {
        rest.insert(rest.begin(), f[0]);
        return bridge::joinLine(rest);
    };
    if ((verb == "key" && n == 5) || (verb == "keys" && n >= 5 && (n - 2) % 3 == 0)) {
        // All or none: a request cut short must not leave a key down that its up was in.
        struct Key {
            WindowHandle window;
            uint32_t message;
            int32_t key;
        };
        std::vector<Key> keys;
        for (size_t i = 2; i + 3 <= n; i += 3) {
            const auto window = handleField(f[i]);
            const auto message = bridge::parseInteger(f[i + 1], 0, UINT32_MAX);
            const auto key = bridge::parseInteger(f[i + 2], INT32_MIN, INT32_MAX);
            if (!window || !message || !key)
                return answer({"bad"});
            keys.push_back({*window, static_cast<uint32_t>(*message), static_cast<int32_t>(*key)});
        }
        for (const Key& k : keys)
            m_s.window.postKey(k.window, k.message, k.key);
        return {};
    } else if (verb == "type" && n == 3) {
        m_s.window.typeKeys(f[2]);
        return {};
    } else if (verb == "fg" && n == 2) {
        const WindowHandle window = m_s.window.foregroundWindow();
        return answer({"ok", std::to_string(window), m_s.window.windowTitle(window)});
    } else if (verb == "title" && n == 3) {
        if (const auto window = handleField(f[2])) {
            const bool exists = *window != 0 && m_s.windowExists(*window);
            return answer(
                {"ok", exists ? "1" : "0", exists ? m_s.window.windowTitle(*window) : ""});
        }
    } else if (verb == "reg" && n == 4) {
        const auto value = m_s.registry.readString(f[2], f[3]);
        return value ? answer({"ok", *value}) : answer({"none"});
    } else if (verb == "start" && n >= 3) {
        const std::vector<std::string> args(f.begin() + 3, f.end());
        return answer({m_s.start(static_cast<unsigned>(*id), f[2], args) ? "ok" : "fail"});
    } else if (verb == "hello" && n == 2) {
        return answer({"ok", "kordan-bridge", "2"});
    } else if (verb == "quit" && n == 2) {
        m_quit = true;
        return {};
    }
    return answer({"bad"});
}

} // namespace kordan
