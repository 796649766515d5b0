#include "Zusi3Standin.h"

#include "sim/zusi3/Zusi3Messages.h"

#include <cstdlib>
#include <cstring>
#include <utility>

namespace standin {

using namespace kordan::zusi3;

namespace {

// The train as the simulator names it: a file path relative to its directory.
constexpr std::string_view kTrainNumber = "4711";

// A switch or a member of a group: its Tastaturzuordnung, the command of its press (0 for
// a switch pressed by the action Down) and what the train does.
struct SwitchInput {
    uint16_t zuordnung;
    uint16_t kommandoDown;
    Action action;
};
constexpr SwitchInput kSwitches[] = {
    {0x0C, 0, Action::Pfeife},
    {0x10, 0, Action::Sifa},
    {0x0F, 0x33, Action::PzbWachsam},
    {0x0F, 0x35, Action::PzbFrei},
    {0x0F, 0x37, Action::PzbBefehl},
    {0x11, 0, Action::Hauptschalter},
    {0x09, 0, Action::Sand},
    {0x14, 0, Action::Magnetbremse},
    {0x0D, 0, Action::Glocke},
    {0x0A, 0x3B, Action::Tueren},
    {0x13, 0, Action::Schleuderschutz},
    {0x0E, 0, Action::Luefter},
    {0x0B, 0, Action::Licht},
    {0x03, 0x14, Action::AfbEinAus},
};

// A combined lever: its Tastaturzuordnung, what a step up and down does, and the command
// that puts it back to its rest position.
struct LeverInput {
    uint16_t zuordnung;
    Action auf, ab, null;
    uint16_t nullKommando;
};
constexpr LeverInput kLevers[] = {
    {0x01, Action::FahrschalterAuf, Action::FahrschalterAb, Action::FahrschalterNull, 0x05},
    {0x02, Action::DynBremseAuf, Action::DynBremseAb, Action::DynBremseNull, 0x0C},
    {0x03, Action::AfbAuf, Action::AfbAb, Action::AfbNull, 0x13},
    {0x04, Action::BremsventilBremsen, Action::BremsventilLoesen, Action::None, 0},
    {0x05, Action::ZusatzbremseBremsen, Action::ZusatzbremseLoesen, Action::None, 0},
    {0x07, Action::RichtungVor, Action::RichtungZurueck, Action::None, 0},
};

Node fahrpult(Node command) {
    Node root{kRootFahrpult, {}, {}};
    root.add(std::move(command));
    return root;
}

Attribute singleAttr(uint16_t id, float v) {
    Attribute a{id, Bytes(4)};
    std::memcpy(a.value.data(), &v, 4); // little-endian hosts only, as the stand-in runs on
    return a;
}

Node leverNode(const char* name, uint16_t function, int current, int centre, int highest) {
    Node lever{0x0002, {}, {}};
    Node f{0x0002, {}, {}};
    f.add(wordAttr(0x0001, function));
    lever.add(stringAttr(0x0001, name)).add(std::move(f));
    lever.add(smallIntAttr(0x0003, int16_t(current)))
        .add(smallIntAttr(0x0004, int16_t(centre)))
        .add(smallIntAttr(0x0005, int16_t(highest)));
    return lever;
}

std::optional<uint16_t> wordOf(const Node& n, uint16_t id) {
    const Attribute* a = n.attribute(id);
    return a ? asWord(*a) : std::nullopt;
}

// The master controller's neutral notch: a combined lever's braking notches lie below it.
int neutralNotch(const DemoLoco& loco) {
    return loco.fahrschalter == "Kombihebel" ? loco.dynSteps : 0;
}

// Steps `auf` or `ab` until `now` reaches `target`, as that many presses would.
void stepTo(Train& train, Action auf, Action ab, int now, int target) {
    const Action a = target > now ? auf : ab;
    for (int i = 0; i < std::abs(target - now); ++i) {
        train.keyDown(a);
        train.keyUp(a);
    }
}

} // namespace

Zusi3Standin::Zusi3Standin(Train& train, std::function<void(const std::string&)> log)
    : m_train(train), m_log(std::move(log)) {}

bool Zusi3Standin::receive(const uint8_t* data, size_t size) {
    m_decoder.feed(data, size);
    while (auto message = m_decoder.next())
        handle(*message);
    return m_decoder.error() == DecodeError::None;
}

kordan::zusi3::Bytes Zusi3Standin::takeOutput() {
    return std::exchange(m_out, {});
}

void Zusi3Standin::send(const Node& message) {
    appendEncoded(m_out, message);
}

void Zusi3Standin::handle(const Node& message) {
    if (message.id == kRootConnection) {
        if (const Node* hello = message.child(kHello)) {
            const Attribute* name = hello->attribute(0x0003);
            m_log("hello " + std::to_string(wordOf(*hello, 0x0002).value_or(0)) + " " +
                  (name ? asString(*name) : std::string()));
            Node ack{kAckHello, {}, {}};
            ack.add(stringAttr(0x0001, "3.5.12.0"))
                .add(stringAttr(0x0002, "0"))
                .add(byteAttr(0x0003, 0));
            Node root{kRootConnection, {}, {}};
            root.add(std::move(ack));
            send(root);
        }
        return;
    }
    if (message.id != kRootFahrpult)
        return;
    if (const Node* needed = message.child(kNeededData)) {
        std::string line = "needed";
        if (const Node* ftd = needed->child(kDataFtd))
            for (const Attribute& a : ftd->attributes)
                line += " " + std::to_string(asWord(a).value_or(0));
        m_log(line);
        Node ack{kAckNeededData, {}, {}};
        ack.add(byteAttr(0x0001, 0));
        send(fahrpult(std::move(ack)));
        m_subscribed = true;
        sendTrain();
    }
    if (const Node* in = message.child(kInput))
        for (const Node& key : in->children)
            if (key.id == 0x0001)
                input(key);
    if (const Node* control = message.child(kControl); control && control->child(0x0001))
        m_log("control pause");
}

void Zusi3Standin::sendTrain() {
    const DemoLoco& loco = m_train.loco();
    Node prog{kDataProg, {}, {}};
    prog.add(stringAttr(kProgZugdatei, loco.path))
        .add(stringAttr(kProgZugnummer, kTrainNumber))
        .add(byteAttr(kProgZugNeuUebernommen, 1));
    send(fahrpult(std::move(prog)));
    const int centre = neutralNotch(loco);
    Node op{kDataOperation, {}, {}};
    op.add(
        leverNode("Fahrschalter", 0x01, centre + m_train.notch(), centre, centre + loco.notches));
    if (loco.afbSteps > 0)
        op.add(leverNode("AFB", 0x0B, m_train.afbLevel(), 0, loco.afbSteps));
    send(fahrpult(std::move(op)));
}

void Zusi3Standin::tick(double seconds) {
    m_train.advance(seconds);
    if (!m_subscribed)
        return;
    Node ftd{kDataFtd, {}, {}};
    ftd.add(singleAttr(kFtdGeschwindigkeit, float(m_train.speedKmh() / 3.6)))
        .add(singleAttr(kFtdKilometrierung, float(m_train.km())));
    send(fahrpult(std::move(ftd)));
}

void Zusi3Standin::input(const Node& key) {
    const uint16_t zuordnung = wordOf(key, 0x0001).value_or(0);
    const uint16_t kommando = wordOf(key, 0x0002).value_or(0);
    const uint16_t aktion = wordOf(key, 0x0003).value_or(0);
    const Attribute* p = key.attribute(0x0004);
    const int position = p ? asInteger(*p, false).value_or(0) : 0;
    m_log("input " + std::to_string(zuordnung) + " " + std::to_string(kommando) + " " +
          std::to_string(aktion) + " " + std::to_string(position));
    for (const SwitchInput& s : kSwitches) {
        if (s.zuordnung != zuordnung)
            continue;
        const bool down = s.kommandoDown ? kommando == s.kommandoDown : aktion == AktionDown;
        const bool up = s.kommandoDown ? kommando == s.kommandoDown + 1 : aktion == AktionUp;
        if (down)
            m_train.keyDown(s.action);
        if (up)
            m_train.keyUp(s.action);
    }
    for (const LeverInput& l : kLevers) {
        if (l.zuordnung != zuordnung)
            continue;
        switch (aktion) {
        case AktionAufDown:
            m_train.keyDown(l.auf);
            break;
        case AktionAufUp:
            m_train.keyUp(l.auf);
            break;
        case AktionAbDown:
            m_train.keyDown(l.ab);
            break;
        case AktionAbUp:
            m_train.keyUp(l.ab);
            break;
        case AktionAbsolut:
            if (zuordnung == 0x01) {
                stepTo(m_train, l.auf, l.ab, m_train.notch(),
                       position - neutralNotch(m_train.loco()));
            } else if (zuordnung == 0x03) {
                stepTo(m_train, l.auf, l.ab, m_train.afbLevel(), position);
            }
            break;
        default:
            if (l.nullKommando != 0 && kommando == l.nullKommando) {
                m_train.keyDown(l.null);
                m_train.keyUp(l.null);
            }
        }
    }
}

} // namespace standin
