#include "support/udp_loopback.h"

#include <gtest/gtest.h>

namespace testsupport {

LoopbackUdpSocket::LoopbackUdpSocket(unsigned short port)
{
    WSADATA data;
    WSAStartup(MAKEWORD(2, 2), &data);
    m_socket = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    m_address.sin_family = AF_INET;
    m_address.sin_port = htons(port);
    m_address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
}

LoopbackUdpSocket::~LoopbackUdpSocket()
{
    closesocket(m_socket);
    WSACleanup();
}

void UdpSender::send(const std::string& datagram)
{
    sendto(m_socket, datagram.data(), static_cast<int>(datagram.size()), 0,
           reinterpret_cast<const sockaddr*>(&m_address), sizeof m_address);
}

UdpReceiver::UdpReceiver(unsigned short port) : LoopbackUdpSocket(port)
{
    EXPECT_EQ(bind(m_socket, reinterpret_cast<const sockaddr*>(&m_address), sizeof m_address), 0);
    const DWORD timeout = 3000;
    setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
}

std::string UdpReceiver::next()
{
    char buffer[2048];
    const int count = recv(m_socket, buffer, sizeof buffer, 0);
    return count > 0 ? std::string(buffer, static_cast<std::size_t>(count)) : std::string("<nothing>");
}

} // namespace testsupport
