#include "sim/bridge/BridgeBackends.h"

#include "sim/bridge/BridgeClient.h"
#include "sim/bridge/BridgeProtocol.h"

#include <map>
#include <utility>

namespace kordan {

namespace {

// Starting a program inside Wine takes longer than a window or registry call.
constexpr int kStartWaitMs = 3000;

bool answered(const std::vector<std::string>& answer, size_t fields) {
    return answer.size() == fields && answer[0] == "ok";
}

bool answered(const std::optional<std::vector<std::string>>& answer, size_t fields) {
    return answer && answered(*answer, fields);
}

class BridgeSimWindow : public ISimWindow {
public:
    explicit BridgeSimWindow(BridgeClient& client) : m_client(client) {}

    WindowHandle foregroundWindow() override {
        const auto answer = m_client.request({"fg"});
        if (!answered(answer, 3))
            return 0;
        const auto window = bridge::parseInteger((*answer)[1], 0, UINT32_MAX);
        if (!window)
            return 0;
        m_titles[static_cast<WindowHandle>(*window)] = (*answer)[2];
        return static_cast<WindowHandle>(*window);
    }

    std::string windowTitle(WindowHandle window) override {
        // A window seen before is answered from its last title while the bridge is asked
        // again, so the tick's connection check never waits for Wine; a window closed
        // meanwhile shows at the next check.
        if (m_client.running() && m_titles.count(window) != 0) {
            m_client.poll();
            m_client.ask({"title", std::to_string(window)},
                         [this, window](const std::vector<std::string>& answer) {
                             if (answered(answer, 3))
                                 remember(window, answer);
                         });
            return lastTitle(window);
        }
        const auto answer = m_client.request({"title", std::to_string(window)});
        if (answered(answer, 3))
            return remember(window, *answer);
        // A bridge being replaced cannot tell: the window counts as there until the next
        // bridge says otherwise, so the sender keeps it and its keys, releases above all,
        // wait for that bridge instead of being dropped.
        return m_client.available() ? lastTitle(window) : std::string();
    }

    void postKey(WindowHandle window, uint32_t message, int32_t virtualKey) override {
        m_client.postKey(window, message, virtualKey);
    }

    void typeKeys(const std::string& keys) override { m_client.post({"type", keys}); }
    void beginKeys() override { m_client.beginKeys(); }
    void endKeys() override { m_client.endKeys(); }

private:
    std::string lastTitle(WindowHandle window) const {
        const auto seen = m_titles.find(window);
        return seen == m_titles.end() ? std::string() : seen->second;
    }

    // Keeps an answer to "title" (`exists`, `title`); the title, "" for a window gone.
    std::string remember(WindowHandle window, const std::vector<std::string>& answer) {
        if (answer[1] != "1") {
            m_titles.erase(window);
            return {};
        }
        return m_titles[window] = answer[2];
    }

    BridgeClient& m_client;
    std::map<WindowHandle, std::string> m_titles; // the last title seen of each window
};

class BridgeRegistry : public IRegistryBackend {
public:
    explicit BridgeRegistry(BridgeClient& client) : m_client(client) {}

    std::optional<std::string> readString(const std::string& keyPath,
                                          const std::string& valueName) override {
        m_client.poll(); // takes in the answer to a prefetch
        if (auto fetched = m_fetched.extract({keyPath, valueName}))
            return std::move(fetched.mapped());
        const auto answer = m_client.request({"reg", keyPath, valueName});
        m_unanswered = m_unanswered || !answer;
        if (!answered(answer, 2))
            return std::nullopt;
        return (*answer)[1];
    }

    bool takeUnanswered() override { return std::exchange(m_unanswered, false); }

    void prefetch(const std::string& keyPath, const std::string& valueName) override {
        Value value{keyPath, valueName};
        m_fetched.erase(value); // an answer that came too late for its read is stale by now
        m_client.ask({"reg", keyPath, valueName},
                     [this, value](const std::vector<std::string>& answer) {
                         if (answered(answer, 2))
                             m_fetched[value] = answer[1];
                         else if (answer.size() == 1 && answer[0] == "none")
                             m_fetched[value] = std::nullopt;
                     });
    }

private:
    using Value = std::pair<std::string, std::string>; // key path, value name
    BridgeClient& m_client;
    std::map<Value, std::optional<std::string>> m_fetched; // prefetched, not yet read
    bool m_unanswered = false;
};

class BridgeProcessStarter : public IProcessStarter {
public:
    explicit BridgeProcessStarter(BridgeClient& client) : m_client(client) {
        client.setExitHandler([this](unsigned request, int code) {
            if (request == m_started)
                m_exitCode = code;
        });
    }

    bool start(const std::string& program, const std::vector<std::string>& args) override {
        std::vector<std::string> request{"start", program};
        request.insert(request.end(), args.begin(), args.end());
        m_exitCode.reset();
        const bool started = answered(m_client.request(std::move(request), kStartWaitMs), 1);
        m_started = started ? m_client.lastRequest() : 0;
        return started;
    }

    // The bridge tells an end within its first seconds only, which is what is asked for.
    std::optional<int> endedWith() override {
        m_client.poll();
        return m_exitCode;
    }

private:
    BridgeClient& m_client;
    unsigned m_started = 0; // the request that started the last program
    std::optional<int> m_exitCode;
};

} // namespace

std::unique_ptr<ISimWindow> makeBridgeSimWindow(BridgeClient& client) {
    return std::make_unique<BridgeSimWindow>(client);
}

std::unique_ptr<IRegistryBackend> makeBridgeRegistry(BridgeClient& client) {
    return std::make_unique<BridgeRegistry>(client);
}

std::unique_ptr<IProcessStarter> makeBridgeProcessStarter(BridgeClient& client) {
    return std::make_unique<BridgeProcessStarter>(client);
}

} // namespace kordan
