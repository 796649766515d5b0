#pragma once

#include "Train.h"

#include <cstdint>
#include <cstdio>

namespace standin {

// Serves the simulator's TCP interface on 127.0.0.1:`port` (0: any free port) for one
// client at a time, with `loco` as the train, until SIGTERM or SIGINT. Writes "zusi3 PORT"
// once it listens, then the events of Zusi3Standin, one per line, to `out`. Needs no
// window system. Returns the exit status.
int serveZusi3(uint16_t port, const DemoLoco& loco, std::FILE* out);

} // namespace standin
