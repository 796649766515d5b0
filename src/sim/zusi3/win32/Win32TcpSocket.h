#pragma once

#include "sim/zusi3/TcpSocket.h"

#include <memory>

namespace kordan {

// Non-blocking TCP over Winsock. A numeric address connects at once; a host name is looked
// up on a thread of its own, because the system's resolver may wait on the network.
std::unique_ptr<ITcpSocket> makeWin32TcpSocket();

} // namespace kordan
