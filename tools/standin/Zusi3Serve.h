#pragma once

#include "Cab.h"
#include "Train.h"

#include <cstdint>
#include <cstdio>

namespace standin {

// Serves the simulator's TCP interface on 127.0.0.1:`port` (0: any free port) for one
// client at a time, with `loco` as the train and a cab of `cab`'s kind, until SIGTERM or
// SIGINT. Writes "zusi3 PORT" once it listens, then the events of Zusi3Standin, one per
// line, to `out`; after each client "disconnected SPEED" and the cab's end line, which
// comes once more when the server ends. Lines read from `commandFd` (when not -1, until its
// end) command it: "train NAME" takes over another train led by the vehicle NAME. Needs no
// window system. Returns the exit status.
//
// No client can stall it: sockets are never waited on, a client whose unsent output
// passes kMaxUnsent is dropped, and so is one that has not completed its handshake
// within kHandshakeTimeoutMs, so that the next client gets the slot.
int serveZusi3(uint16_t port, const DemoLoco& loco, const CabOptions& cab, std::FILE* out,
               int commandFd = -1);

inline constexpr size_t kMaxUnsent = size_t(1) << 20;
inline constexpr int kHandshakeTimeoutMs = 5000;

} // namespace standin
