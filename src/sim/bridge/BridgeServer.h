#pragma once

#include "send/SimWindow.h"
#include "sim/RegistryBackend.h"

#include <functional>
#include <string>
#include <string_view>
#include <vector>

namespace kordan {

// The bridge's end of the line protocol (see BridgeProtocol.h and the README): each request
// line is carried out on the window system and registry it is given and answered with one
// line, or none for key messages and typed keys, which must cost the least time.
class BridgeServer {
public:
    struct Services {
        ISimWindow& window;
        std::function<bool(WindowHandle)> windowExists;
        IRegistryBackend& registry;
        // Starts a program for request number `request`; whoever starts it reports its
        // early end as the line "<request> exit <code>".
        std::function<bool(unsigned request, const std::string& program,
                           const std::vector<std::string>& args)>
            start;
    };
    explicit BridgeServer(Services services) : m_s(std::move(services)) {}

    // The answer line to one request line, with its LF; "" when the request has none.
    std::string handle(std::string_view line);
    // Set by the request "quit": the bridge ends once it has answered everything before.
    bool quitting() const { return m_quit; }

private:
    Services m_s;
    bool m_quit = false;
};

} // namespace kordan
