#include "sim/zusi3/Zusi3Connection.h"

#include <algorithm>
#include <cmath>

namespace kordan {

using namespace zusi3;

namespace {

// Bounds the work of one poll, so a flood of data cannot hold the loop up.
constexpr size_t kReadChunk = 16 * 1024;
constexpr int kReadsPerPoll = 8;

} // namespace

std::optional<Zusi3Endpoint> parseZusi3Endpoint(std::string_view text) {
    Zusi3Endpoint e;
    const size_t colon = text.rfind(':');
    // A second colon means an IPv6 address without a port.
    if (colon != std::string_view::npos && text.find(':') == colon) {
        const std::string_view port = text.substr(colon + 1);
        int32_t value = 0;
        for (char c : port) {
            if (c < '0' || c > '9' || value > 65535)
                return std::nullopt;
            value = value * 10 + (c - '0');
        }
        if (port.empty() || value < 1 || value > 65535)
            return std::nullopt;
        e.port = static_cast<uint16_t>(value);
        text = text.substr(0, colon);
    }
    if (text.empty())
        return std::nullopt;
    e.host = std::string(text);
    return e;
}

std::string trainFileBaseName(std::string_view trainFile) {
    const size_t slash = trainFile.find_last_of("\\/");
    if (slash != std::string_view::npos)
        trainFile.remove_prefix(slash + 1);
    const size_t dot = trainFile.rfind('.');
    if (dot != std::string_view::npos && dot > 0)
        trainFile = trainFile.substr(0, dot);
    return std::string(trainFile);
}

Zusi3Connection::Zusi3Connection(ITcpSocket& socket, Zusi3Endpoint endpoint,
                                 std::string clientVersion)
    : m_socket(socket), m_endpoint(std::move(endpoint)), m_clientVersion(std::move(clientVersion)) {
}

Zusi3Connection::~Zusi3Connection() {
    // The releases of a program that ends still reach the simulator.
    if (connected())
        flush();
    m_socket.close();
}

void Zusi3Connection::poll(uint32_t nowMs) {
    const uint32_t elapsed = nowMs - m_since;
    switch (m_phase) {
    case Phase::Idle:
        startConnect(nowMs);
        return;
    case Phase::Waiting:
        if (elapsed >= kRetryMs)
            startConnect(nowMs);
        return;
    case Phase::Connecting:
        switch (m_socket.state()) {
        case ITcpSocket::State::Connected:
            m_phase = Phase::AwaitAckHello;
            m_since = nowMs;
            queue(helloMessage(kClientName, m_clientVersion));
            break;
        case ITcpSocket::State::Connecting:
            if (elapsed >= kHandshakeTimeoutMs)
                drop(nowMs);
            return;
        default:
            drop(nowMs);
            return;
        }
        break;
    default:
        break;
    }
    const bool timedOut = m_phase != Phase::Ready && nowMs - m_since >= kHandshakeTimeoutMs;
    // What was queued since the last poll (the inputs of a report) leaves in one write.
    if (!flush() || !receive() || timedOut) {
        drop(nowMs);
        return;
    }
    while (auto message = m_decoder.next()) {
        if (!handle(*message)) {
            drop(nowMs);
            return;
        }
    }
    // Answers to the handshake leave at once.
    if (!flush())
        drop(nowMs);
}

void Zusi3Connection::startConnect(uint32_t nowMs) {
    m_phase = Phase::Connecting;
    m_since = nowMs;
    m_socket.connect(m_endpoint.host, m_endpoint.port);
}

void Zusi3Connection::drop(uint32_t nowMs) {
    const bool established = m_phase != Phase::Connecting;
    if (m_phase == Phase::Connecting && m_socket.state() == ITcpSocket::State::Failed)
        m_failure = m_socket.failure() == ITcpSocket::Failure::None ? ITcpSocket::Failure::Refused
                                                                    : m_socket.failure();
    else if (m_phase != Phase::Ready)
        m_failure = nowMs - m_since >= kHandshakeTimeoutMs ? ITcpSocket::Failure::NoAnswer
                                                           : ITcpSocket::Failure::Refused;
    else
        m_failure = ITcpSocket::Failure::None; // a loss, no failed attempt
    m_socket.close();
    m_decoder.reset();
    m_out.clear();
    m_inputs.reset();
    forgetValues();
    m_phase = Phase::Waiting;
    m_since = nowMs;
    if (established && ConnectionLost)
        ConnectionLost();
}

void Zusi3Connection::forgetValues() {
    m_speedKmh = 0;
    m_kilometre = 0;
    m_sifaLamp.reset();
    m_breakerOn.reset();
    m_levers.clear();
}

bool Zusi3Connection::send(const Node& message) {
    if (!connected())
        return false;
    queue(message);
    return true;
}

void Zusi3Connection::queue(const Node& message) {
    // The inputs of one report go as one INPUT message, several Tastatureingabe in it, as
    // the simulator takes them.
    const bool input = message.id == kRootFahrpult && message.attributes.empty() &&
                       message.children.size() == 1 && message.children[0].id == kInput;
    if (input && m_inputs) {
        for (const Node& child : message.children[0].children)
            m_inputs->children[0].add(child);
        return;
    }
    endInputs(); // what came before goes first
    if (input)
        m_inputs = message;
    else
        appendEncoded(m_out, message);
}

void Zusi3Connection::endInputs() {
    if (m_inputs)
        appendEncoded(m_out, *m_inputs);
    m_inputs.reset();
}

bool Zusi3Connection::flush() {
    endInputs();
    if (m_out.empty())
        return true;
    const ptrdiff_t n = m_socket.send(m_out.data(), m_out.size());
    if (n < 0)
        return false;
    m_out.erase(m_out.begin(), m_out.begin() + n);
    return true;
}

bool Zusi3Connection::receive() {
    uint8_t buffer[kReadChunk];
    for (int i = 0; i < kReadsPerPoll; ++i) {
        const ptrdiff_t n = m_socket.receive(buffer, sizeof buffer);
        if (n < 0)
            return false;
        if (n == 0)
            break;
        m_decoder.feed(buffer, static_cast<size_t>(n));
    }
    return m_decoder.error() == DecodeError::None;
}

// False when the message ends the connection (a refusal).
bool Zusi3Connection::handle(const Node& message) {
    if (m_phase == Phase::AwaitAckHello) {
        if (auto ack = readAckHello(message)) {
            if (ack->result != 0)
                return false;
            m_zusiVersion = ack->zusiVersion;
            m_phase = Phase::AwaitAckNeeded;
            queue(standardNeededData());
        }
        return true;
    }
    if (m_phase == Phase::AwaitAckNeeded) {
        if (auto result = readAckNeededData(message)) {
            if (*result != 0)
                return false;
            m_phase = Phase::Ready;
        }
        return true;
    }
    if (auto ftd = readFtd(message)) {
        if (ftd->speedMs && std::isfinite(*ftd->speedMs))
            m_speedKmh = std::fabs(static_cast<double>(*ftd->speedMs)) * 3.6;
        if (ftd->kilometre && std::isfinite(*ftd->kilometre))
            m_kilometre = *ftd->kilometre;
        if (ftd->sifaLamp)
            m_sifaLamp = ftd->sifaLamp;
        if (ftd->hauptschalter && std::isfinite(*ftd->hauptschalter))
            m_breakerOn = *ftd->hauptschalter >= 0.5f;
        if (ftd->vehicles)
            m_vehicles = std::move(ftd->vehicles);
    } else if (auto prog = readProg(message)) {
        if (prog->trainFile)
            m_trainFile = *prog->trainFile;
        if (prog->trainNumber)
            m_trainNumber = *prog->trainNumber;
        if (prog->newlyTakenOver.value_or(false)) {
            m_levers.clear();
            m_breakerOn.reset();
            if (TrainTakenOver)
                TrainTakenOver();
        }
    } else {
        for (const LeverPosition& lever : readOperation(message))
            m_levers.report(lever);
    }
    return true;
}

} // namespace kordan
