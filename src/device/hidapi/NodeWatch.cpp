#include "device/hidapi/HidBus.h"

#include <array>
#include <thread>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kordan::hid {
namespace {

// A second reader of the node: the system queues each report for every reader, so this one
// sees a report when hidapi's reader has it too. hidapi's own calls stay on the loop's
// thread (two threads in one hidapi device are not safe).
class NodeWatch : public Watch {
public:
    NodeWatch(int node, int stop[2], std::function<void()> ready)
        : m_node(node), m_stopRead(stop[0]), m_stopWrite(stop[1]),
          m_thread([this, ready = std::move(ready)] { run(ready); }) {}
    ~NodeWatch() override {
        const char byte = 0;
        (void)!::write(m_stopWrite, &byte, 1);
        m_thread.join();
        ::close(m_node);
        ::close(m_stopRead);
        ::close(m_stopWrite);
    }
    NodeWatch(const NodeWatch&) = delete;
    NodeWatch& operator=(const NodeWatch&) = delete;

private:
    void run(const std::function<void()>& ready) {
        std::array<uint8_t, 64> scratch{};
        for (;;) {
            std::array<pollfd, 2> fds{{{m_node, POLLIN, 0}, {m_stopRead, POLLIN, 0}}};
            if (::poll(fds.data(), fds.size(), -1) < 0)
                continue; // a signal
            if (fds[1].revents != 0)
                return;
            bool gone = (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0;
            if (fds[0].revents & POLLIN) {
                ssize_t n = 0;
                while ((n = ::read(m_node, scratch.data(), scratch.size())) > 0) {
                }
                gone = gone || n == 0;
            }
            ready();
            if (gone)
                return; // the loop's read finds it gone
        }
    }

    int m_node, m_stopRead, m_stopWrite;
    std::thread m_thread; // last: started once the rest is set
};

} // namespace

std::unique_ptr<Watch> watchNode(const std::string& path, std::function<void()> ready) {
    const int node = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (node < 0)
        return nullptr;
    int stop[2];
    if (::pipe2(stop, O_CLOEXEC) != 0) {
        ::close(node);
        return nullptr;
    }
    return std::make_unique<NodeWatch>(node, stop, std::move(ready));
}

} // namespace kordan::hid
