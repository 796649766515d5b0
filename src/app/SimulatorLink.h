#pragma once

#include "app/KordanServices.h"
#include "app/LedPresenter.h"
#include "app/Zusi3Session.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace kordan {

class CommandLog;
class IStatusView;
class ModeDisplay;
class ZusiLok;
class ZusiRegistry;
class ZusiSend;

// Where keys and the locomotive come from: the sender with the way its commands take (keys
// into the simulator's window, or inputs over its TCP interface), the simulator's values for
// the display, and the locomotive as the watcher or the TCP interface names it. Made at
// start-up, it shows the way taken; whatever it lets go goes through `release`.
class SimulatorLink {
public:
    // `log` is started on the sender and gets what the TCP interface has to say; `status`
    // shows the locomotive, `display` the way commands take.
    SimulatorLink(const KordanServices& s, const std::optional<Zusi3Offer>& offer, CommandLog& log,
                  IStatusView& status, ModeDisplay& display, std::function<void()> release);
    ~SimulatorLink();
    SimulatorLink(const SimulatorLink&) = delete;
    SimulatorLink& operator=(const SimulatorLink&) = delete;

    ZusiSend& sender() { return *m_sender; }
    // The connection to the simulator's TCP interface; null when keys are sent.
    Zusi3Connection* zusi3() { return m_zusi3.connection(); }
    // The locomotive's name: the watcher's, or with the TCP interface the train's.
    std::string lokName() const;
    // "km/h" and "km" for the display.
    LedPresenter::ValueReader values();
    // The display's value `name` is asked for a tick ahead: through the bridge a registry
    // read is a round trip into Wine.
    void prefetch(const std::string& name);

    // A start profile stays: the locomotive loaded now is shown, not taken for a change.
    void keepCurrentLok();
    // Every pass: reads and writes what the TCP interface has; true when the locomotive has
    // changed. Inputs held are let go as soon as another train shows, and again when it is
    // reported.
    bool poll(uint32_t nowMs, bool easyMode);
    // The watcher's look at the simulator's files (not with the TCP interface, whose
    // simulator reports its train itself); true when the locomotive has changed.
    bool look();
    void startEditor();
    void editorTick(); // its message lets window events run
    bool editorWatched() const;

    // The options were closed: a simulator chosen anew takes over at once, what is held the
    // old way let go first. The command line's choice holds for the run. True when it did.
    bool chooseAnew();

private:
    void startZusi3();
    void showWay();
    void letGo();
    void rereadUnansweredKeys();

    const KordanServices& m_s;
    std::optional<Zusi3Endpoint> m_forced;
    CommandLog& m_log;
    IStatusView& m_status;
    ModeDisplay& m_display;
    std::function<void()> m_release;
    std::unique_ptr<ZusiSend> m_sender;
    bool m_keysUnsure = false; // a key setting went unanswered when the keys were read
    std::unique_ptr<ZusiLok> m_lok;
    std::unique_ptr<ZusiRegistry> m_registry;
    Zusi3Session m_zusi3;
};

} // namespace kordan
