// A stand-in for RealTraffic's side of the TCP link: connects to the program's server on
// 127.0.0.1, reads its "Qs" lines and answers the version request.
#pragma once

#include "platform/win32.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace testsupport {

class RealTrafficClient {
public:
    RealTrafficClient() = default;
    ~RealTrafficClient();
    RealTrafficClient(const RealTrafficClient&) = delete;
    RealTrafficClient& operator=(const RealTrafficClient&) = delete;

    // Connects to the port on the address (host order), trying for as long as the patience
    // while the server is not listening yet; once with no patience.
    bool connectTo(unsigned short port, std::uint32_t address = INADDR_LOOPBACK,
                   std::chrono::milliseconds patience = std::chrono::seconds(5));
    // The next line the program sent, CR LF included; empty after 5 s without one.
    std::string readLine();
    void send(const std::string& text);
    void close();

private:
    SOCKET m_socket = INVALID_SOCKET;
    std::string m_pending;
    bool m_started = false;
};

// RealTraffic on this PC: opens the program's server on the port and lets the client connect and answer the
// version request with the reply, as RealTraffic does; returns once the program took it.
void linkRealTraffic(RealTrafficClient& client, unsigned short port, const std::string& versionReply);

} // namespace testsupport
