#include "Zusi3Serve.h"

#include "sim/zusi3/Zusi3Messages.h"

#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

namespace standin {
namespace {

using namespace kordan::zusi3;

std::string readFile(const std::string& path) {
    std::ifstream in(path);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

// A blocking client socket whose every wait ends after `timeoutS`; a small receive buffer
// makes a client that does not read fill up sooner.
int connectTo(uint16_t port, int timeoutS, int receiveBuffer = 0) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    const timeval timeout{timeoutS, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &timeout, sizeof timeout);
    ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
    if (receiveBuffer > 0)
        ::setsockopt(fd, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in addr{};
    addr.sin_family = AF_INET;
    addr.sin_port = htons(port);
    addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(::connect(fd, (sockaddr*)&addr, sizeof addr), 0) << std::strerror(errno);
    return fd;
}

bool sendAll(int fd, const Bytes& bytes) {
    for (size_t done = 0; done < bytes.size();) {
        const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
        if (n <= 0)
            return false;
        done += size_t(n);
    }
    return true;
}

// An absolute position of any width, as a hostile client may send it.
Bytes absolute(uint16_t zuordnung, Attribute position) {
    Node key{0x0001, {wordAttr(1, zuordnung), wordAttr(2, 0), wordAttr(3, AktionAbsolut)}, {}};
    key.add(std::move(position));
    Node input{kInput, {}, {}};
    input.add(std::move(key));
    Node root{kRootFahrpult, {}, {}};
    root.add(std::move(input));
    return encode(root);
}

Bytes handshake() {
    static constexpr uint16_t ftd[] = {kFtdGeschwindigkeit};
    Bytes b = encode(helloMessage("Test", "1"));
    appendEncoded(b, neededDataMessage(ftd, true, {}));
    return b;
}

// The first lever report from `fd`; empty when none comes.
std::vector<LeverPosition> firstLevers(int fd) {
    StreamDecoder decoder;
    uint8_t buffer[4096];
    for (ssize_t n; (n = ::recv(fd, buffer, sizeof buffer, 0)) > 0;) {
        decoder.feed(buffer, size_t(n));
        while (auto message = decoder.next())
            if (auto levers = readOperation(*message); !levers.empty())
                return levers;
    }
    return {};
}

// Against the serve loop in a process of its own: a client that sends the widest positions
// and never reads, then one that says nothing, must each lose the slot to the next client,
// which is answered; SIGTERM ends the server while a client is connected.
TEST(Zusi3Serve, HostileClientsNeitherStallNorHoldIt) {
    char path[] = "/tmp/standin-serve-XXXXXX";
    const int logFd = ::mkstemp(path);
    ASSERT_GE(logFd, 0);
    const pid_t pid = ::fork();
    if (pid == 0)
        ::_exit(serveZusi3(0, demoLocos().front(), {}, ::fdopen(logFd, "w")));
    ::close(logFd);
    uint16_t port = 0;
    for (int i = 0; i < 250 && port == 0; ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        std::sscanf(readFile(path).c_str(), "zusi3 %hu", &port);
    }
    ASSERT_NE(port, 0);

    const int hostile = connectTo(port, 5, 4096);
    Bytes wild = handshake();
    for (const Bytes& b :
         {absolute(0x01, Attribute{4, {0xFF, 0xFF, 0xFF, 0x7F}}), // INT32_MAX
          absolute(0x04, smallIntAttr(4, INT16_MIN)), absolute(0x05, smallIntAttr(4, -1))})
        wild.insert(wild.end(), b.begin(), b.end());
    EXPECT_TRUE(sendAll(hostile, wild));
    // Every NEEDED_DATA is answered with the whole train; sending stops when the server
    // drops the client (or, stalled, stops reading: the send times out).
    const Bytes again = encode(neededDataMessage({}, true, {}));
    for (int i = 0; i < 200000 && sendAll(hostile, again); ++i) {
    }
    EXPECT_NE(errno, EAGAIN) << "the server stopped reading";

    const int idle = connectTo(port, 8);
    char byte;
    EXPECT_EQ(::recv(idle, &byte, 1, 0), 0); // dropped, not timed out here

    // Answered with the levers where the hostile client's positions left them (the log's
    // last line); clamping them is the cab's test.
    const int answered = connectTo(port, 5);
    EXPECT_TRUE(sendAll(answered, handshake()));
    EXPECT_EQ(firstLevers(answered).size(), 5u);

    ::kill(pid, SIGTERM);
    int status = -1;
    for (int i = 0; i < 100 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (status == -1) { // not ended within 1 s
        ::kill(pid, SIGKILL);
        ::waitpid(pid, &status, 0);
        ADD_FAILURE() << "SIGTERM did not end the server";
    }
    EXPECT_EQ(status, 0);
    for (int fd : {hostile, idle, answered})
        ::close(fd);
    const std::string log = readFile(path);
    ::unlink(path);
    EXPECT_NE(log.find("\ndropped not reading\n"), std::string::npos);
    EXPECT_NE(log.find("\ndropped no handshake\n"), std::string::npos);
    const char* end = "\nfinal Fahrschalter=11 Führerbremsventil=0 Zusatzbremsventil=0 "
                      "Richtungsschalter=1 Hauptschalter=1 breaker=ein traction=8\n";
    EXPECT_EQ(log.substr(log.rfind('\n', log.size() - 2)), end);
}

} // namespace
} // namespace standin
