#pragma once

#include "sim/zusi3/TcpSocket.h"
#include "sim/zusi3/Zusi3Codec.h"
#include "sim/zusi3/Zusi3Levers.h"
#include "sim/zusi3/Zusi3Messages.h"

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace kordan {

struct Zusi3Endpoint {
    std::string host = "127.0.0.1";
    uint16_t port = 1436;
    bool operator==(const Zusi3Endpoint&) const = default;
};

// "HOST" or "HOST:PORT" (port 1-65535); nullopt for an empty host or a bad port.
std::optional<Zusi3Endpoint> parseZusi3Endpoint(std::string_view text);

// The train file's name without its directory and extension, as profiles are named.
std::string trainFileBaseName(std::string_view trainFile);

// The client side of the simulator's TCP interface: connects, registers as a cab
// controller, subscribes to the values the program shows and keeps them. Driven by poll()
// from the polling loop; nothing here waits on the network. After a loss or a refusal it
// tries again every 5 s.
class Zusi3Connection {
public:
    static constexpr uint32_t kRetryMs = 5000;
    // A server that accepts the TCP connection but does not finish the handshake in this
    // time is treated as lost, so a wrong port does not hang the connection for ever.
    static constexpr uint32_t kHandshakeTimeoutMs = 5000;

    Zusi3Connection(ITcpSocket& socket, Zusi3Endpoint endpoint, std::string clientVersion);
    ~Zusi3Connection();
    Zusi3Connection(const Zusi3Connection&) = delete;
    Zusi3Connection& operator=(const Zusi3Connection&) = delete;

    // `nowMs` is the loop's millisecond clock; it may wrap.
    void poll(uint32_t nowMs);
    // True once the simulator has accepted the handshake and the subscription.
    bool connected() const { return m_phase == Phase::Ready; }
    // Queues a message for the next poll(), which writes all queued at once; false (and
    // dropped) while not connected.
    bool send(const zusi3::Node& message);

    const Zusi3Endpoint& endpoint() const { return m_endpoint; }
    // Why the last attempt that failed before the handshake was through did so (a server
    // silent for kHandshakeTimeoutMs gives no answer); None before any failed and after the
    // loss of an established connection.
    ITcpSocket::Failure failure() const { return m_failure; }
    const std::string& zusiVersion() const { return m_zusiVersion; }
    // The amount of the train's speed in km/h (the simulator reports m/s, negative when the
    // train runs backwards).
    double speedKmh() const { return m_speedKmh; }
    double kilometre() const { return m_kilometre; }
    // The train file as the simulator names it (relative to its directory). Kept across a
    // reconnection, so that finding the same train again is no change of train.
    const std::string& trainFile() const { return m_trainFile; }
    const std::string& trainNumber() const { return m_trainNumber; }
    // The train's vehicles as "Status Zugverband" last listed them, in the train's order;
    // nullopt while the simulator has sent none. Kept across a reconnection, as the train file.
    const std::optional<std::vector<zusi3::Vehicle>>& vehicles() const { return m_vehicles; }
    std::optional<uint8_t> sifaLamp() const { return m_sifaLamp; }
    // The train's combined levers as reported; forgotten with the connection and when
    // another train is taken over.
    zusi3::LeverModel& levers() { return m_levers; }
    const zusi3::LeverModel& levers() const { return m_levers; }
    // The main breaker as the simulator reports it; nullopt before a report.
    std::optional<bool> breakerOn() const { return m_breakerOn; }

    // A connection that had been established has ended (lost, refused or timed out). The
    // owner releases whatever it holds pressed.
    std::function<void()> ConnectionLost;
    // The simulator reports a train newly taken over; trainFile() already names it.
    std::function<void()> TrainTakenOver;

private:
    enum class Phase { Idle, Waiting, Connecting, AwaitAckHello, AwaitAckNeeded, Ready };

    void startConnect(uint32_t nowMs);
    void drop(uint32_t nowMs);
    bool flush();
    bool receive();
    bool handle(const zusi3::Node& message);
    void queue(const zusi3::Node& message);
    void endInputs();
    void forgetValues();

    ITcpSocket& m_socket;
    Zusi3Endpoint m_endpoint;
    std::string m_clientVersion;
    Phase m_phase = Phase::Idle;
    uint32_t m_since = 0; // start of the current phase
    ITcpSocket::Failure m_failure = ITcpSocket::Failure::None;
    zusi3::StreamDecoder m_decoder;
    zusi3::Bytes m_out;
    std::optional<zusi3::Node> m_inputs; // the INPUT message being gathered
    std::string m_zusiVersion;
    double m_speedKmh = 0;
    double m_kilometre = 0;
    std::string m_trainFile;
    std::string m_trainNumber;
    std::optional<std::vector<zusi3::Vehicle>> m_vehicles;
    std::optional<uint8_t> m_sifaLamp;
    zusi3::LeverModel m_levers;
    std::optional<bool> m_breakerOn;
};

} // namespace kordan
