#include "sim/zusi3/Zusi3Messages.h"

namespace kordan::zusi3 {

namespace {

// The notch numbers of a combined lever are SmallInts; a 4-byte value is read as an Integer.
constexpr bool kNotchFourBytesIsSingle = false;

// Inside DATA_OPERATION: one node per combined lever, and its attributes.
constexpr uint16_t kOpLever = 0x0002;
constexpr uint16_t kLeverName = 0x01;
constexpr uint16_t kLeverFunction = 0x02; // child node, attribute 0x01 = function
constexpr uint16_t kLeverCurrent = 0x03;
constexpr uint16_t kLeverCentre = 0x04;
constexpr uint16_t kLeverHighest = 0x05;

constexpr uint16_t kSifaLamp = 0x02;
constexpr uint16_t kSifaHorn = 0x03;

// Inside "Status Zugverband": one node per vehicle, and the attributes the program reads.
constexpr uint16_t kVehicle = 0x01;
constexpr uint16_t kVehicleFile = 0x01;
constexpr uint16_t kVehicleBaureihe = 0x06;

Node fahrpult(Node command) {
    Node root{kRootFahrpult, {}, {}};
    root.add(std::move(command));
    return root;
}

// The command node below the root, or nullptr when the message is another one.
const Node* commandOf(const Node& message, uint16_t root, uint16_t command) {
    return message.id == root ? message.child(command) : nullptr;
}

std::optional<uint8_t> byteOf(const Node& n, uint16_t id) {
    const Attribute* a = n.attribute(id);
    return a ? asByte(*a) : std::nullopt;
}

std::optional<float> singleOf(const Node& n, uint16_t id) {
    const Attribute* a = n.attribute(id);
    return a ? asSingle(*a) : std::nullopt;
}

std::optional<int32_t> notchOf(const Node& n, uint16_t id) {
    const Attribute* a = n.attribute(id);
    return a ? asInteger(*a, kNotchFourBytesIsSingle) : std::nullopt;
}

Node listNode(uint16_t id, std::span<const uint16_t> values) {
    Node n{id, {}, {}};
    for (uint16_t v : values)
        n.add(wordAttr(0x0001, v));
    return n;
}

} // namespace

Node helloMessage(std::string_view clientName, std::string_view clientVersion) {
    Node hello{kHello, {}, {}};
    hello.add(wordAttr(0x0001, kProtocolVersion))
        .add(wordAttr(0x0002, kClientTypeFahrpult))
        .add(stringAttr(0x0003, clientName))
        .add(stringAttr(0x0004, clientVersion));
    Node root{kRootConnection, {}, {}};
    root.add(std::move(hello));
    return root;
}

Node neededDataMessage(std::span<const uint16_t> ftdIds, bool operationData,
                       std::span<const uint16_t> progIds) {
    Node needed{kNeededData, {}, {}};
    if (!ftdIds.empty())
        needed.add(listNode(kDataFtd, ftdIds));
    if (operationData)
        needed.add(Node{kDataOperation, {}, {}});
    if (!progIds.empty())
        needed.add(listNode(kDataProg, progIds));
    return fahrpult(std::move(needed));
}

Node standardNeededData() {
    static constexpr uint16_t ftd[] = {kFtdGeschwindigkeit, kFtdHauptschalter, kFtdKilometrierung,
                                       kFtdStatusSifa, kFtdStatusZugverband};
    static constexpr uint16_t prog[] = {kProgZugdatei, kProgZugnummer, kProgZugNeuUebernommen};
    return neededDataMessage(ftd, true, prog);
}

Node inputMessage(const Tastatureingabe& input) {
    Node key{0x0001, {}, {}};
    key.add(wordAttr(0x0001, input.zuordnung))
        .add(wordAttr(0x0002, input.kommando))
        .add(wordAttr(0x0003, input.aktion))
        .add(smallIntAttr(0x0004, input.position));
    Node command{kInput, {}, {}};
    command.add(std::move(key));
    return fahrpult(std::move(command));
}

Node controlToggleMessage(uint16_t node) {
    // A one-byte ShortInt, -1 = toggle; older documents give it two bytes, the current
    // simulator reads one.
    Node toggle{node, {}, {}};
    toggle.add(shortIntAttr(0x0001, -1));
    Node command{kControl, {}, {}};
    command.add(std::move(toggle));
    return fahrpult(std::move(command));
}

std::optional<AckHello> readAckHello(const Node& message) {
    const Node* ack = commandOf(message, kRootConnection, kAckHello);
    if (!ack)
        return std::nullopt;
    AckHello r;
    if (const Attribute* v = ack->attribute(0x0001))
        r.zusiVersion = asString(*v);
    r.result = byteOf(*ack, 0x0003).value_or(0xFF);
    return r;
}

std::optional<uint8_t> readAckNeededData(const Node& message) {
    const Node* ack = commandOf(message, kRootFahrpult, kAckNeededData);
    if (!ack)
        return std::nullopt;
    return byteOf(*ack, 0x0001).value_or(0xFF);
}

std::optional<FtdValues> readFtd(const Node& message) {
    const Node* ftd = commandOf(message, kRootFahrpult, kDataFtd);
    if (!ftd)
        return std::nullopt;
    FtdValues v;
    v.speedMs = singleOf(*ftd, kFtdGeschwindigkeit);
    v.kilometre = singleOf(*ftd, kFtdKilometrierung);
    v.hauptschalter = singleOf(*ftd, kFtdHauptschalter);
    if (const Node* sifa = ftd->child(kFtdStatusSifa)) {
        v.sifaLamp = byteOf(*sifa, kSifaLamp);
        v.sifaHorn = byteOf(*sifa, kSifaHorn);
    }
    if (const Node* train = ftd->child(kFtdStatusZugverband)) {
        v.vehicles.emplace();
        for (const Node& n : train->children) {
            if (n.id != kVehicle)
                continue;
            Vehicle vehicle;
            if (const Attribute* a = n.attribute(kVehicleFile))
                vehicle.file = asString(*a);
            if (const Attribute* a = n.attribute(kVehicleBaureihe))
                vehicle.baureihe = asString(*a);
            v.vehicles->push_back(std::move(vehicle));
        }
    }
    return v;
}

std::optional<ProgValues> readProg(const Node& message) {
    const Node* prog = commandOf(message, kRootFahrpult, kDataProg);
    if (!prog)
        return std::nullopt;
    ProgValues v;
    if (const Attribute* a = prog->attribute(kProgZugdatei))
        v.trainFile = asString(*a);
    if (const Attribute* a = prog->attribute(kProgZugnummer))
        v.trainNumber = asString(*a);
    if (auto b = byteOf(*prog, kProgZugNeuUebernommen))
        v.newlyTakenOver = *b != 0;
    return v;
}

std::vector<LeverPosition> readOperation(const Node& message) {
    std::vector<LeverPosition> levers;
    const Node* op = commandOf(message, kRootFahrpult, kDataOperation);
    if (!op)
        return levers;
    for (const Node& n : op->children) {
        if (n.id != kOpLever)
            continue;
        LeverPosition lever;
        if (const Attribute* a = n.attribute(kLeverName))
            lever.name = asString(*a);
        for (const Node& f : n.children) {
            const Attribute* a = f.id == kLeverFunction ? f.attribute(0x0001) : nullptr;
            if (auto w = a ? asWord(*a) : std::nullopt)
                lever.functions.push_back(*w);
        }
        lever.current = notchOf(n, kLeverCurrent);
        lever.centre = notchOf(n, kLeverCentre);
        lever.highest = notchOf(n, kLeverHighest);
        levers.push_back(std::move(lever));
    }
    return levers;
}

} // namespace kordan::zusi3
