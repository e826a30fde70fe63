// UDP sockets on the loopback for tests: a sender to a port of this machine and a receiver
// bound to one, each with Winsock started for its life.
#pragma once

#include "platform/win32.h"

#include <string>

namespace testsupport {

class LoopbackUdpSocket {
public:
    explicit LoopbackUdpSocket(unsigned short port);
    ~LoopbackUdpSocket();
    LoopbackUdpSocket(const LoopbackUdpSocket&) = delete;
    LoopbackUdpSocket& operator=(const LoopbackUdpSocket&) = delete;

protected:
    SOCKET m_socket = INVALID_SOCKET;
    sockaddr_in m_address{};
};

// Sends datagrams to the loopback port.
class UdpSender : public LoopbackUdpSocket {
public:
    using LoopbackUdpSocket::LoopbackUdpSocket;
    void send(const std::string& datagram);
};

// Receives the datagrams sent to the loopback port.
class UdpReceiver : public LoopbackUdpSocket {
public:
    explicit UdpReceiver(unsigned short port);
    // The next datagram, or "<nothing>" when none came within 3 s.
    std::string next();
};

} // namespace testsupport
