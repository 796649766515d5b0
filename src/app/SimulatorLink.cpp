#include "app/SimulatorLink.h"

#include "app/CommandLog.h"
#include "app/IgnoringErrors.h"
#include "app/KordanView.h"
#include "app/ModeDisplay.h"
#include "send/ZusiSend.h"
#include "sim/ZusiLok.h"
#include "sim/ZusiRegistry.h"
#include "sim/zusi3/Zusi3Settings.h"

#include <utility>

namespace kordan {

SimulatorLink::SimulatorLink(const KordanServices& s, const std::optional<Zusi3Offer>& offer,
                             CommandLog& log, IStatusView& status, ModeDisplay& display,
                             std::function<void()> release)
    : m_s(s), m_forced(offer ? offer->forced : std::nullopt), m_log(log), m_status(status),
      m_display(display), m_release(std::move(release)),
      m_sender(std::make_unique<ZusiSend>(s.simWindow, zusiKeyTable(s.registry))),
      m_lok(std::make_unique<ZusiLok>(s.registry, s.dialogs, s.processStarter, s.programDir,
                                      s.mapSimPath)),
      m_registry(std::make_unique<ZusiRegistry>(s.registry)) {
    m_keysUnsure = s.registry.takeUnanswered();
    m_registry->schluessel("Software\\zusi\\zusi");
    if (offer)
        m_zusi3.offer(offer->socket, offer->forced, offer->clientVersion);
    startZusi3();
    m_log.start(*m_sender);
    showWay();
}

SimulatorLink::~SimulatorLink() {
    m_zusi3.stop(m_sender.get());
}

std::string SimulatorLink::lokName() const {
    return m_zusi3 ? m_zusi3.lok() : m_lok->Lok();
}

LedPresenter::ValueReader SimulatorLink::values() {
    if (m_zusi3)
        return m_zusi3.values();
    return [this](const std::string& name) { return m_registry->Value(name); };
}

void SimulatorLink::prefetch(const std::string& name) {
    if (!m_zusi3 && !name.empty())
        m_registry->prefetch(name);
}

void SimulatorLink::keepCurrentLok() {
    if (m_lok->Timer())
        m_status.setLokText(m_lok->Lok());
    // Over TCP the train arrives only after the handshake; the first one is shown alone.
    m_zusi3.keepFirstTrain();
}

bool SimulatorLink::poll(uint32_t nowMs, bool easyMode) {
    const auto news = m_zusi3.poll(nowMs, easyMode);
    // Nothing pressed for the previous train may stay down in the new one, not even while
    // the new one settles.
    if (news == Zusi3Session::TrainNews::Seen)
        letGo();
    if (news == Zusi3Session::TrainNews::First || news == Zusi3Session::TrainNews::Changed)
        m_status.setLokClass(m_zusi3.lokClass());
    if (news == Zusi3Session::TrainNews::First)
        m_status.setLokText(m_zusi3.lok());
    if (news != Zusi3Session::TrainNews::Changed)
        return false;
    letGo();
    return true;
}

bool SimulatorLink::look() {
    rereadUnansweredKeys();
    return !m_zusi3 && m_lok->Timer();
}

void SimulatorLink::rereadUnansweredKeys() {
    // A bridge still slow just after its start may let a key setting go unanswered; that
    // key would stay dead all session. Only a read answered in full replaces the keys.
    if (!m_keysUnsure)
        return;
    m_s.registry.takeUnanswered(); // what went unanswered since is not about the keys
    const KeyTable keys = zusiKeyTable(m_s.registry);
    if (m_s.registry.takeUnanswered())
        return;
    m_sender->setKeyTable(keys);
    m_keysUnsure = false;
}

void SimulatorLink::startEditor() {
    m_lok->StartEditor();
}

void SimulatorLink::editorTick() {
    m_lok->EditorTick();
}

bool SimulatorLink::editorWatched() const {
    return m_lok->editorWatched();
}

bool SimulatorLink::chooseAnew() {
    if (m_forced)
        return false;
    const std::optional<Zusi3Endpoint> chosen = storedZusi3Endpoint(m_s.settings);
    const Zusi3Connection* now = m_zusi3.connection();
    if (now ? chosen == now->endpoint() : !chosen)
        return false;
    letGo(); // nothing pressed the old way may stay down once the new way takes over
    m_zusi3.stop(m_sender.get());
    startZusi3();
    showWay();
    return true;
}

void SimulatorLink::startZusi3() {
    // Nothing held over a lost connection can be let go there; the keys still can.
    m_zusi3.start(
        m_s.settings, *m_sender, [this] { letGo(); },
        [this](const std::string& text) { m_log.note(text); }, m_s.programDir);
}

void SimulatorLink::showWay() {
    m_display.way(m_zusi3.connection(), m_s.simWindow.keysNeedActiveWindow());
}

void SimulatorLink::letGo() {
    ignoringErrors([&] { m_release(); });
}

} // namespace kordan
