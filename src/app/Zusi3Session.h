#pragma once

#include "app/LedPresenter.h"
#include "sim/zusi3/Zusi3Connection.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>

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
    // `lost` runs whenever the connection is lost; `note` gets what the levers taught and
    // what the automatic configuration did (command-log lines). The automatic configuration's
    // axis files go to `axisDir` (none written when empty). In use when it converts to true.
    void start(ISettings& settings, ZusiSend& sender, std::function<void()> lost,
               std::function<void(const std::string&)> note = {}, std::string axisDir = {});
    // Ends the connection; `sender` sends keys again.
    void stop(ZusiSend* sender);

    // Null when keys are sent.
    Zusi3Connection* connection() { return m_connection.get(); }
    explicit operator bool() const { return m_connection != nullptr; }

    // A train newly taken over is reported once the simulator's other reports about it had
    // this long to arrive.
    static constexpr uint32_t kSettleMs = 300;
    // How long a simulator that has named its train file may take to list the vehicles
    // before the train file names the locomotive.
    static constexpr uint32_t kVehiclesWaitMs = 1000;
    // How long the levers may take to be reported before the automatic configuration is
    // written without them.
    static constexpr uint32_t kLeversWaitMs = 2000;

    // What the simulator's train did since the last poll.
    enum class TrainNews {
        None,
        Seen,   // another train or lead vehicle has just shown: its report follows, settled
        First,  // the first train after keepFirstTrain(): shown, its profile not loaded
        Changed // another lead vehicle, or a train taken over anew: a locomotive change
    };
    // Reads and writes what has arrived. Every change of locomotive writes the automatic
    // configuration's axis files once its levers are reported; with `easyMode` the change is
    // reported only after that, as the profile that follows reads them.
    TrainNews poll(uint32_t nowMs, bool easyMode = false);
    // The lead vehicle's file name without directory and last extension (the train file's,
    // where the simulator lists no vehicles): the locomotive's name.
    const std::string& lok() const { return m_lok; }
    // The lead vehicle's class ("Baureihe"); empty when unknown.
    const std::string& lokClass() const { return m_lokClass; }
    // A start profile stays when the first train shows.
    void keepFirstTrain() { m_keepFirstTrain = m_connection != nullptr; }

    // The simulator's speed ("km/h") and route kilometre ("km") for the display.
    LedPresenter::ValueReader values();

private:
    // The locomotive the simulator reports now, with its class; an empty name while that is
    // not known yet.
    std::pair<std::string, std::string> reportedLok(uint32_t nowMs);
    void note(const std::string& text);

    // A change of locomotive on its way to being reported and configured.
    struct Change {
        bool active = false;
        uint32_t since = 0;
        std::string lok;
        bool reported = false;
        bool configured = false;
    };

    ITcpSocket* m_socket = nullptr;
    std::optional<Zusi3Endpoint> m_forced;
    std::string m_clientVersion;
    std::unique_ptr<Zusi3Connection> m_connection;
    std::unique_ptr<Zusi3Delivery> m_delivery;
    std::function<void(const std::string&)> m_note;
    std::string m_axisDir;
    std::string m_lok; // the locomotive last reported
    std::string m_lokClass;
    bool m_takenOver = false; // the simulator reported a train newly taken over
    bool m_keepFirstTrain = false;
    Change m_change;
    std::string m_trainFile; // the train file last seen, and since when
    uint32_t m_trainFileSince = 0;
    bool m_trainFileNoted = false; // the command log was told the train file names it
};

} // namespace kordan
