#pragma once

#include "app/LedPresenter.h"
#include "sim/zusi3/Zusi3Connection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kordan {

class ISettings;
class ITcpSocket;
class Zusi3Delivery;
class ZusiSend;

// The simulator's TCP interface as the main window uses it: the connection and the delivery
// of commands over it when chosen, the train it reports and its values for the display.
class Zusi3Session {
public:
    Zusi3Session();
    ~Zusi3Session();
    Zusi3Session(const Zusi3Session&) = delete;
    Zusi3Session& operator=(const Zusi3Session&) = delete;

    // Before start: the interface is used over `socket` when `forced` names a server (the
    // command line's choice for this run) or the settings choose it; `clientVersion` is
    // told to the simulator.
    void offer(ITcpSocket& socket, std::optional<Zusi3Endpoint> forced, std::string clientVersion);
    // Connects when offered and chosen; `sender`'s commands go this way from then on, and
    // `lost` runs whenever the connection is lost; `note` gets what the levers taught (a
    // command-log line). True when the interface is in use.
    bool start(ISettings& settings, ZusiSend& sender, std::function<void()> lost,
               std::function<void(const std::string&)> note = {});
    // Ends the connection; `sender` sends keys again.
    void stop(ZusiSend* sender);

    // Null when keys are sent.
    Zusi3Connection* connection() { return m_connection.get(); }
    explicit operator bool() const { return m_connection != nullptr; }

    // What the simulator's train did since the last poll.
    enum class TrainNews {
        None,
        First,  // the first train after keepFirstTrain(): shown, its profile not loaded
        Changed // another train, or the same one taken over anew: a locomotive change
    };
    // Reads and writes what has arrived.
    TrainNews poll(uint32_t nowMs);
    // The train file's name without path and extension, the locomotive's name here.
    const std::string& lok() const { return m_lok; }
    // A start profile stays when the first train shows.
    void keepFirstTrain() { m_keepFirstTrain = m_connection != nullptr; }

    // The simulator's speed ("km/h") and route kilometre ("km") for the display.
    LedPresenter::ValueReader values();

private:
    ITcpSocket* m_socket = nullptr;
    std::optional<Zusi3Endpoint> m_forced;
    std::string m_clientVersion;
    std::unique_ptr<Zusi3Connection> m_connection;
    std::unique_ptr<Zusi3Delivery> m_delivery;
    std::string m_lok;        // the train whose profile was loaded last
    bool m_takenOver = false; // the simulator reported a train newly taken over
    bool m_keepFirstTrain = false;
};

} // namespace kordan
