#include "Zusi3Standin.h"

#include "sim/zusi3/Zusi3Messages.h"

#include <cstring>
#include <utility>

namespace standin {

using namespace kordan::zusi3;

namespace {

// The train as the simulator names it: a file path relative to its directory.
constexpr std::string_view kTrainNumber = "4711";

// A switch or a member of a group: its Tastaturzuordnung, the command of its press (0 for
// a switch pressed by the action Down) and what the train does. The main breaker is one
// of the cab's levers.
struct SwitchInput {
    uint16_t zuordnung;
    uint16_t kommandoDown;
    Action action;
};
constexpr SwitchInput kSwitches[] = {
    {0x0C, 0, Action::Pfeife},        {0x10, 0, Action::Sifa},
    {0x0F, 0x33, Action::PzbWachsam}, {0x0F, 0x35, Action::PzbFrei},
    {0x0F, 0x37, Action::PzbBefehl},  {0x09, 0, Action::Sand},
    {0x14, 0, Action::Magnetbremse},  {0x0D, 0, Action::Glocke},
    {0x0A, 0x3B, Action::Tueren},     {0x13, 0, Action::Schleuderschutz},
    {0x0E, 0, Action::Luefter},       {0x0B, 0, Action::Licht},
    {0x03, 0x14, Action::AfbEinAus},
};

// The dynamic brake is no lever of the cab: it steps the train's brake as its keys do.
constexpr uint16_t kDynBremse = 0x02;
constexpr uint16_t kDynBremseGrundstellung = 0x0C;

constexpr uint16_t kFtdHauptschalter = 0x0013;
constexpr uint16_t kFtdZugverband = 0x008E;
constexpr uint16_t kFtdFahrstufe = 0x0015;

// CONTROL's child nodes the stand-in logs, by the name of its log line.
constexpr std::pair<uint16_t, const char*> kControls[] = {
    {0x07, "zeitsprung"},
    {0x08, "zeitraffer"},
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

// "Kombischalter-Hebelposition" of `lever` at `notch`.
Node leverNode(const Lever& lever, int notch) {
    Node functions{0x0002, {}, {}};
    functions.add(wordAttr(0x0001, lever.functions[size_t(notch)]));
    Node n{0x0002, {}, {}};
    n.add(stringAttr(0x0001, lever.name)).add(std::move(functions));
    n.add(smallIntAttr(0x0003, int16_t(notch)))
        .add(smallIntAttr(0x0004, int16_t(lever.centre)))
        .add(smallIntAttr(0x0005, int16_t(lever.highest())));
    return n;
}

Vehicle vehicleNamed(const std::string& name) {
    return {"Fahrzeuge\\" + name + "\\" + name + ".rv.fzg", name};
}

Vehicle leadVehicle(CabKind kind) {
    switch (kind) {
    case CabKind::Br103:
        return vehicleNamed("103");
    case CabKind::Tap:
        return vehicleNamed("E 10");
    case CabKind::Br101:
        break;
    }
    return vehicleNamed("101");
}

// "Status Zugverband": the lead vehicle, then two coaches.
Node vehiclesNode(const Vehicle& lead) {
    Node train{kFtdZugverband, {}, {}};
    for (const Vehicle& v : {lead, vehicleNamed("Bpmz"), vehicleNamed("Bpmz")}) {
        Node n{0x0001, {}, {}};
        n.add(stringAttr(0x0001, v.file)).add(stringAttr(0x0006, v.baureihe));
        train.add(std::move(n));
    }
    return train;
}

std::optional<uint16_t> wordOf(const Node& n, uint16_t id) {
    const Attribute* a = n.attribute(id);
    return a ? asWord(*a) : std::nullopt;
}

} // namespace

Zusi3Standin::Zusi3Standin(Train& train, Cab& cab, std::function<void(const std::string&)> log)
    : m_train(train), m_cab(cab), m_log(std::move(log)), m_lead(leadVehicle(cab.kind())) {
    m_train.setCab(m_cab.controls());
}

void Zusi3Standin::restart() {
    m_decoder.reset();
    m_out.clear();
    m_hello = false;
    m_subscribed = false;
    m_wantsVehicles = false;
}

void Zusi3Standin::takeOver(const std::string& name) {
    m_log("train " + name);
    m_lead = vehicleNamed(name);
    m_cab.reset();
    m_train.setCab(m_cab.controls());
    if (m_subscribed)
        sendTrain();
}

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
            m_hello = true;
        }
        return;
    }
    if (message.id != kRootFahrpult)
        return;
    if (const Node* needed = message.child(kNeededData)) {
        std::string line = "needed";
        if (const Node* ftd = needed->child(kDataFtd))
            for (const Attribute& a : ftd->attributes) {
                line += " " + std::to_string(asWord(a).value_or(0));
                m_wantsVehicles = m_wantsVehicles || asWord(a) == kFtdZugverband;
            }
        m_log(line);
        Node ack{kAckNeededData, {}, {}};
        ack.add(byteAttr(0x0001, 0));
        send(fahrpult(std::move(ack)));
        m_subscribed = true;
        sendTrain();
    }
    if (const Node* in = message.child(kInput)) {
        for (const Node& key : in->children)
            if (key.id == 0x0001)
                input(key);
        cabChanged();
    }
    if (const Node* c = message.child(kControl))
        control(*c);
}

void Zusi3Standin::control(const Node& c) {
    if (c.child(0x0001))
        m_log("control pause");
    for (const auto& [id, name] : kControls)
        if (const Node* n = c.child(id)) {
            const Attribute* value = n->attribute(0x0001);
            const int v = value ? asInteger(*value, false).value_or(0) : 0;
            m_log(std::string("control ") + name + " " + std::to_string(v));
        }
}

Node Zusi3Standin::ftdState() const {
    Node ftd{kDataFtd, {}, {}};
    ftd.add(singleAttr(kFtdGeschwindigkeit, float(m_train.speedKmh() / 3.6)))
        .add(singleAttr(kFtdKilometrierung, float(m_train.km())))
        .add(singleAttr(kFtdHauptschalter, m_cab.breaker() ? 1.0f : 0.0f))
        .add(singleAttr(kFtdFahrstufe, float(m_cab.traction())));
    return ftd;
}

void Zusi3Standin::sendTrain() {
    const DemoLoco& loco = m_train.loco();
    Node prog{kDataProg, {}, {}};
    prog.add(stringAttr(kProgZugdatei, loco.path))
        .add(stringAttr(kProgZugnummer, kTrainNumber))
        .add(byteAttr(kProgZugNeuUebernommen, 1));
    send(fahrpult(std::move(prog)));
    Node op{kDataOperation, {}, {}};
    for (const Lever& l : m_cab.levers())
        op.add(leverNode(l, l.notch));
    send(fahrpult(std::move(op)));
    Node ftd = ftdState();
    if (m_wantsVehicles)
        ftd.add(vehiclesNode(m_lead));
    send(fahrpult(std::move(ftd)));
}

void Zusi3Standin::cabChanged() {
    Node op{kDataOperation, {}, {}};
    bool state = false;
    for (const CabEvent& e : m_cab.takeEvents()) {
        switch (e.kind) {
        case CabEvent::Moved: {
            const Lever& l = m_cab.levers()[e.lever];
            m_log("lever " + l.name + " " + std::to_string(e.value));
            op.add(leverNode(l, e.value));
            break;
        }
        case CabEvent::Breaker:
            m_log(e.value ? "breaker ein" : "breaker aus");
            state = true;
            break;
        case CabEvent::Traction:
            m_log("traction " + std::to_string(m_cab.traction()));
            state = true;
            break;
        case CabEvent::Angleicher:
            m_log("angleicher");
            break;
        }
    }
    if (m_subscribed && !op.children.empty())
        send(fahrpult(std::move(op)));
    if (m_subscribed && state)
        send(fahrpult(ftdState()));
    m_train.setCab(m_cab.controls());
}

void Zusi3Standin::tick(double seconds) {
    m_cab.advance(seconds);
    cabChanged();
    m_train.advance(seconds);
    if (m_subscribed)
        send(fahrpult(ftdState()));
}

void Zusi3Standin::input(const Node& key) {
    const uint16_t zuordnung = wordOf(key, 0x0001).value_or(0);
    const uint16_t kommando = wordOf(key, 0x0002).value_or(0);
    const uint16_t aktion = wordOf(key, 0x0003).value_or(0);
    const Attribute* p = key.attribute(0x0004);
    const int32_t position = p ? asInteger(*p, false).value_or(0) : 0;
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
    if (m_cab.input(zuordnung, kommando, aktion, position) || zuordnung != kDynBremse)
        return;
    if (kommando == kDynBremseGrundstellung) {
        m_train.keyDown(Action::DynBremseNull);
        m_train.keyUp(Action::DynBremseNull);
    } else if (aktion == AktionAufDown) {
        m_train.keyDown(Action::DynBremseAuf);
    } else if (aktion == AktionAufUp) {
        m_train.keyUp(Action::DynBremseAuf);
    } else if (aktion == AktionAbDown) {
        m_train.keyDown(Action::DynBremseAb);
    } else if (aktion == AktionAbUp) {
        m_train.keyUp(Action::DynBremseAb);
    }
}

} // namespace standin
