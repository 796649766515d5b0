#include "app/Zusi3Session.h"

#include "send/ZusiSend.h"
#include "sim/zusi3/Zusi3AutomaticAxes.h"
#include "sim/zusi3/Zusi3Delivery.h"
#include "sim/zusi3/Zusi3Settings.h"

#include <charconv>
#include <utility>

namespace kordan {

Zusi3Session::Zusi3Session() = default;
Zusi3Session::~Zusi3Session() = default;

void Zusi3Session::offer(ITcpSocket& socket, std::optional<Zusi3Endpoint> forced,
                         std::string clientVersion) {
    m_socket = &socket;
    m_forced = std::move(forced);
    m_clientVersion = std::move(clientVersion);
}

void Zusi3Session::start(ISettings& settings, ZusiSend& sender, std::function<void()> lost,
                         std::function<void(const std::string&)> note, std::string axisDir) {
    if (!m_socket)
        return;
    std::optional<Zusi3Endpoint> endpoint = m_forced ? m_forced : storedZusi3Endpoint(settings);
    if (!endpoint)
        return;
    m_connection = std::make_unique<Zusi3Connection>(*m_socket, *endpoint, m_clientVersion);
    m_delivery = std::make_unique<Zusi3Delivery>(*m_connection);
    m_note = note;
    m_axisDir = std::move(axisDir);
    m_delivery->setNote(std::move(note));
    sender.setChannel(m_delivery.get());
    m_connection->ConnectionLost = std::move(lost);
    m_connection->TrainTakenOver = [this] { m_takenOver = true; };
}

void Zusi3Session::stop(ZusiSend* sender) {
    if (sender)
        sender->setChannel(nullptr);
    m_delivery.reset();
    m_connection.reset();
}

void Zusi3Session::note(const std::string& text) {
    if (m_note)
        m_note(text);
}

std::pair<std::string, std::string> Zusi3Session::reportedLok(uint32_t nowMs) {
    // The interface marks no vehicle as the one driven from: the train's first vehicle leads,
    // and a train turned round has another one there.
    const auto& vehicles = m_connection->vehicles();
    if (vehicles && !vehicles->empty())
        return {trainFileBaseName(vehicles->front().file), vehicles->front().baureihe};
    const std::string& file = m_connection->trainFile();
    if (file != m_trainFile) {
        m_trainFile = file;
        m_trainFileSince = nowMs;
    }
    if (file.empty() || nowMs - m_trainFileSince < kVehiclesWaitMs)
        return {};
    if (!std::exchange(m_trainFileNoted, true))
        note("Zusi meldet keinen Zugverband: Profile werden nach der Zugdatei benannt");
    return {trainFileBaseName(file), {}};
}

Zusi3Session::TrainNews Zusi3Session::poll(uint32_t nowMs, bool easyMode) {
    if (!m_connection)
        return TrainNews::None;
    m_connection->poll(nowMs);
    m_delivery->poll(nowMs);
    const auto [lok, lokClass] = reportedLok(nowMs);
    if (lok.empty())
        return TrainNews::None;
    TrainNews news = TrainNews::None;
    if (std::exchange(m_takenOver, false) || lok != (m_change.active ? m_change.lok : m_lok)) {
        m_change = {true, nowMs, lok};
        if (!m_keepFirstTrain)
            news = TrainNews::Seen;
    }
    if (!m_change.active || nowMs - m_change.since < kSettleMs)
        return news;
    const zusi3::LeverModel& levers = m_connection->levers();
    if (!m_change.configured &&
        (!levers.levers().empty() || nowMs - m_change.since >= kLeversWaitMs)) {
        m_change.configured = true;
        if (!m_axisDir.empty())
            for (const std::string& line : zusi3::writeAutomaticAxes(levers, m_axisDir))
                note(line);
    }
    if (!m_change.reported && (m_change.configured || !easyMode)) {
        m_change.reported = true;
        m_lok = lok;
        m_lokClass = lokClass;
        news = std::exchange(m_keepFirstTrain, false) ? TrainNews::First : TrainNews::Changed;
    }
    m_change.active = !(m_change.reported && m_change.configured);
    return news;
}

LedPresenter::ValueReader Zusi3Session::values() {
    return [this](const std::string& name) {
        if (!m_connection)
            return std::string();
        // Written with a decimal point whatever the locale, as the display reads it.
        char text[64];
        const double value = name == "km/h" ? m_connection->speedKmh() : m_connection->kilometre();
        auto end = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 3);
        return std::string(text, end.ec == std::errc() ? end.ptr : text);
    };
}

} // namespace kordan
