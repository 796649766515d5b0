#include "device/hidapi/HidBus.h"

#include <array>
#include <cerrno>

#include <fcntl.h>
#include <unistd.h>

namespace kordan::hid {
namespace {

// A second reader of the node: the system queues each report for every reader, so this one
// sees a report when hidapi's reader has it too. It is watched by the loop's own wait for
// window events, so a report wakes the loop directly; hidapi's calls stay on the loop's
// thread as well.
class NodeWatch : public Watch {
public:
    NodeWatch(int node, const IPieHid::FdWatch& onLoop, std::function<void()> ready)
        : m_node(node), m_ready(std::move(ready)),
          m_registration(onLoop(node, [this] { return drain(); })) {}
    ~NodeWatch() override {
        m_registration.reset(); // no call comes after this
        ::close(m_node);
    }
    NodeWatch(const NodeWatch&) = delete;
    NodeWatch& operator=(const NodeWatch&) = delete;

private:
    // Drops the copies that have come, tells the caller; false once the node has gone (the
    // loop's read finds it gone), which ends the watching.
    bool drain() {
        std::array<uint8_t, 64> scratch{};
        ssize_t n = 0;
        while ((n = ::read(m_node, scratch.data(), scratch.size())) > 0) {
        }
        const bool gone = n == 0 || (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR);
        m_ready();
        return !gone;
    }

    int m_node;
    std::function<void()> m_ready;
    std::shared_ptr<void> m_registration; // last: made once the rest is set
};

} // namespace

std::unique_ptr<Watch> watchNode(const std::string& path, const IPieHid::FdWatch& onLoop,
                                 std::function<void()> ready) {
    const int node = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (node < 0)
        return nullptr;
    return std::make_unique<NodeWatch>(node, onLoop, std::move(ready));
}

} // namespace kordan::hid
