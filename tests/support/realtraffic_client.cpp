#include "support/realtraffic_client.h"

#include "app/start_up_state.h"
#include "traffic/rt_link.h"

#include <chrono>
#include <thread>

namespace testsupport {

RealTrafficClient::~RealTrafficClient()
{
    close();
    if (m_started)
        WSACleanup();
}

bool RealTrafficClient::connectTo(unsigned short port, std::uint32_t address, std::chrono::milliseconds patience)
{
    if (!m_started) {
        WSADATA data;
        m_started = WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = htons(port);
    target.sin_addr.s_addr = htonl(address);
    const auto deadline = std::chrono::steady_clock::now() + patience;
    do {
        m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        if (connect(m_socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0) {
            const DWORD timeout = 5000;
            setsockopt(m_socket, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&timeout), sizeof timeout);
            return true;
        }
        close();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    } while (std::chrono::steady_clock::now() < deadline);
    return false;
}

std::string RealTrafficClient::readLine()
{
    for (;;) {
        if (const auto end = m_pending.find("\r\n"); end != std::string::npos) {
            std::string line = m_pending.substr(0, end + 2);
            m_pending.erase(0, end + 2);
            return line;
        }
        char buffer[4096];
        const int received = recv(m_socket, buffer, sizeof buffer, 0);
        if (received <= 0)
            return {};
        m_pending.append(buffer, static_cast<std::size_t>(received));
    }
}

void RealTrafficClient::send(const std::string& text)
{
    ::send(m_socket, text.data(), static_cast<int>(text.size()), 0);
}

void RealTrafficClient::close()
{
    if (m_socket != INVALID_SOCKET) {
        closesocket(m_socket);
        m_socket = INVALID_SOCKET;
    }
}

void linkRealTraffic(RealTrafficClient& client, unsigned short port, const std::string& versionReply)
{
    g_realTrafficOnThisPC = true;
    gf_openServer(std::to_string(port));
    std::thread realTraffic([&client, port, versionReply] {
        if (client.connectTo(port) && client.readLine() == "Qs999=version\r\n")
            client.send(versionReply);
    });
    gf_connectRealTraffic();
    realTraffic.join();
}

} // namespace testsupport
