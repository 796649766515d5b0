#pragma once

#include "sim/zusi3/Zusi3Codec.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

// The messages a cab-controller client exchanges with the simulator: builders for what it
// sends, readers for what it receives. Readers ignore every id they do not know, because
// newer simulator versions add ids without raising the protocol version.
namespace kordan::zusi3 {

// Message roots and the command nodes below them.
inline constexpr uint16_t kRootConnection = 0x0001;
inline constexpr uint16_t kRootFahrpult = 0x0002;
inline constexpr uint16_t kHello = 0x0001;      // below kRootConnection
inline constexpr uint16_t kAckHello = 0x0002;   // below kRootConnection
inline constexpr uint16_t kNeededData = 0x0003; // the rest below kRootFahrpult
inline constexpr uint16_t kAckNeededData = 0x0004;
inline constexpr uint16_t kDataFtd = 0x000A;
inline constexpr uint16_t kDataOperation = 0x000B;
inline constexpr uint16_t kDataProg = 0x000C;
inline constexpr uint16_t kInput = 0x010A;
inline constexpr uint16_t kControl = 0x010B;

inline constexpr uint16_t kProtocolVersion = 2;
inline constexpr uint16_t kClientTypeFahrpult = 2;
inline constexpr std::string_view kClientName = "Kordan f\u00fcr Zusi";

// Cab display ids (DATA_FTD) and program data ids (DATA_PROG) the program subscribes to.
inline constexpr uint16_t kFtdGeschwindigkeit = 0x0001;  // Single, m/s
inline constexpr uint16_t kFtdHauptschalter = 0x0013;    // Single, 0 off / 1 on
inline constexpr uint16_t kFtdKilometrierung = 0x0061;   // Single, km
inline constexpr uint16_t kFtdStatusSifa = 0x0064;       // node
inline constexpr uint16_t kFtdStatusZugverband = 0x008E; // node, one child per vehicle
inline constexpr uint16_t kProgZugdatei = 0x01;          // String
inline constexpr uint16_t kProgZugnummer = 0x02;         // String
inline constexpr uint16_t kProgZugNeuUebernommen = 0x05; // Byte, 1 = yes

// Tastaturaktion values.
enum Aktion : uint16_t {
    AktionDefault = 0,
    AktionDown = 1,
    AktionUp = 2,
    AktionAufDown = 3,
    AktionAufUp = 4,
    AktionAbDown = 5,
    AktionAbUp = 6,
    AktionAbsolut = 7,
};

// One "Tastatureingabe": the control group, a specific command or an action, and the notch
// for an absolute position. The position is always sent (0 when unused), as the clients
// the simulator is known to accept do.
struct Tastatureingabe {
    uint16_t zuordnung = 0;
    uint16_t kommando = 0;
    uint16_t aktion = AktionDefault;
    int16_t position = 0;
    bool operator==(const Tastatureingabe&) const = default;
};

Node helloMessage(std::string_view clientName, std::string_view clientVersion);
Node neededDataMessage(std::span<const uint16_t> ftdIds, bool operationData,
                       std::span<const uint16_t> progIds);
// What the program subscribes to: speed, main breaker, route kilometre, Sifa status, the
// train's vehicles, the cab's operation data (the combined levers' positions), train file, train
// number and "newly taken over".
Node standardNeededData();
Node inputMessage(const Tastatureingabe& input);
// A program control toggled, the way its key toggles it: pause (node 0x01), time jump (0x07),
// fast-forward (0x08).
Node controlToggleMessage(uint16_t node);

struct AckHello {
    std::string zusiVersion;
    uint8_t result = 0xFF; // 0 = accepted
};
std::optional<AckHello> readAckHello(const Node& message);
// The result byte (0 = accepted); nullopt when the message is no ACK_NEEDED_DATA.
std::optional<uint8_t> readAckNeededData(const Node& message);

// One vehicle of the train as "Status Zugverband" lists it.
struct Vehicle {
    std::string file;     // relative to the simulator's directory
    std::string baureihe; // its class
    bool operator==(const Vehicle&) const = default;
};

struct FtdValues {
    std::optional<float> speedMs;
    std::optional<float> kilometre;
    std::optional<uint8_t> sifaLamp; // 0/1
    std::optional<uint8_t> sifaHorn; // 0 off, 1 warning, 2 forced braking
    std::optional<float> hauptschalter;
    std::optional<std::vector<Vehicle>> vehicles; // in the train's order
};
// Messages may carry only some of the subscribed values; absent ones stay nullopt.
std::optional<FtdValues> readFtd(const Node& message);

struct ProgValues {
    std::optional<std::string> trainFile;
    std::optional<std::string> trainNumber;
    std::optional<bool> newlyTakenOver;
};
std::optional<ProgValues> readProg(const Node& message);

// A combined lever as DATA_OPERATION reports it ("Kombischalter-Hebelposition").
struct LeverPosition {
    std::string name;
    std::vector<uint16_t> functions; // "Kombischalterfunktionen" of the reported notch
    std::optional<int32_t> current, centre, highest;
};
std::vector<LeverPosition> readOperation(const Node& message);

} // namespace kordan::zusi3
