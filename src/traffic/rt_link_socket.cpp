// The sockets of the RealTraffic link: the listen socket RealTraffic connects to and the one
// client socket, with the waits of the main loop thread in short steps so that a stop ends them.
#include "traffic/rt_link.h"
#include "core/run_state.h"

#include "core/log.h"
#include "core/stop_flags.h"
#include "core/time_text.h"
#include "core/wsa_error_text.h"
#include "platform/win32.h"

#include <fmt/format.h>

#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

std::atomic<bool> g_rtClientConnected{false};
std::atomic<bool> g_waitingForRealTraffic{true};

namespace {

// Main loop thread only.
SOCKET lv_listenSocket = INVALID_SOCKET;
SOCKET lv_clientSocket = INVALID_SOCKET;
bool lv_wsaStarted = false;

constexpr int kReceiveBufferSize = 16384;
constexpr auto kWaitStep = std::chrono::milliseconds(100);
constexpr long kReceiveStepUs = 200000;

bool lf_stopping()
{
    return g_stopRequested.load() || g_exitRequested.load();
}

std::string lf_lastErrorText()
{
    return gf_wsaErrorText(WSAGetLastError());
}

void lf_closeSocket(SOCKET& s)
{
    if (s != INVALID_SOCKET) {
        closesocket(s);
        s = INVALID_SOCKET;
    }
}

// Undoes a half-done set-up and throws its message.
[[noreturn]] void lf_failOpen(addrinfo* addresses, const std::string& message)
{
    if (addresses)
        freeaddrinfo(addresses);
    lf_closeSocket(lv_listenSocket);
    WSACleanup();
    lv_wsaStarted = false;
    throw std::runtime_error(message);
}

bool lf_setBlocking(SOCKET s, bool blocking)
{
    u_long nonBlocking = blocking ? 0 : 1;
    return ioctlsocket(s, static_cast<long>(FIONBIO), &nonBlocking) == 0;
}

// One accept attempt on the non-blocking listen socket: the client, or INVALID_SOCKET with
// `retry` telling whether nobody was waiting yet.
SOCKET lf_acceptOnce(bool& retry)
{
    const SOCKET client = accept(lv_listenSocket, nullptr, nullptr);
    retry = client == INVALID_SOCKET && WSAGetLastError() == WSAEWOULDBLOCK;
    return client;
}

// Accepts in steps of 100 ms until RealTraffic connects, a stop is requested or the
// listen socket fails.
SOCKET lf_acceptInSteps()
{
    if (lv_listenSocket == INVALID_SOCKET || !lf_setBlocking(lv_listenSocket, false))
        return INVALID_SOCKET;
    SOCKET client = INVALID_SOCKET;
    bool retry = true;
    while (!lf_stopping()) {
        client = lf_acceptOnce(retry);
        if (!retry)
            break;
        std::this_thread::sleep_for(kWaitStep);
    }
    lf_setBlocking(lv_listenSocket, true);
    if (client != INVALID_SOCKET && (lf_stopping() || !lf_setBlocking(client, true)))
        lf_closeSocket(client);
    return client;
}

void lf_setNoDelay(SOCKET client)
{
    const char one = 1;
    if (setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, 1) == SOCKET_ERROR)
        throw std::runtime_error(
            fmt::format("{} setsockopt failed with error {}", gf_nowTime(), lf_lastErrorText()));
}

// Waits up to one step for data (or the peer's close) on the client socket: 1 when
// it is there, 0 after the step, SOCKET_ERROR when the wait failed.
int lf_waitReadable()
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(lv_clientSocket, &readable);
    timeval step{0, kReceiveStepUs};
    return select(0, &readable, nullptr, nullptr, &step);
}

// Waits in steps with select, so a stop ends the wait for a reply that does not come,
// then receives. (A receive time-out would leave the connection unusable on Windows.)
int lf_receiveInSteps(char* buffer, int size)
{
    for (;;) {
        const int ready = lf_waitReadable();
        if (ready == SOCKET_ERROR)
            return SOCKET_ERROR;
        if (ready > 0)
            return recv(lv_clientSocket, buffer, size, 0);
        if (lf_stopping()) {
            WSASetLastError(WSAETIMEDOUT);
            return SOCKET_ERROR;
        }
    }
}

// The link serves RealTraffic on this PC only: it listens on the loopback address, so that
// no other host on the network can take the one client slot and the user's position.
constexpr const char* kListenAddress = "127.0.0.1";

// What getaddrinfo is asked for: a TCP address over IPv4 to listen on.
addrinfo lf_listenHints()
{
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    return hints;
}

} // namespace

void gf_openServer(std::string_view port)
{
    WSADATA wsaData{};
    if (const int result = WSAStartup(MAKEWORD(2, 2), &wsaData); result != 0)
        throw std::runtime_error(fmt::format("WSAStartup failed with error {}", result));
    lv_wsaStarted = true;

    const addrinfo hints = lf_listenHints();
    addrinfo* addresses = nullptr;
    const std::string portText(port);
    if (const int result = getaddrinfo(kListenAddress, portText.c_str(), &hints, &addresses); result != 0)
        lf_failOpen(nullptr, fmt::format("getaddrinfo failed with error {}", result));

    lv_listenSocket = socket(addresses->ai_family, addresses->ai_socktype, addresses->ai_protocol);
    if (lv_listenSocket == INVALID_SOCKET)
        lf_failOpen(addresses, "socket failed with error " + lf_lastErrorText());
    if (!lf_setBlocking(lv_listenSocket, true))
        lf_failOpen(addresses, "ioctlsocket failed with error " + lf_lastErrorText());
    const BOOL reuse = TRUE;
    if (setsockopt(lv_listenSocket, SOL_SOCKET, SO_REUSEADDR, reinterpret_cast<const char*>(&reuse),
                   sizeof(reuse)) == SOCKET_ERROR)
        lf_failOpen(addresses, "setsockopt(SO_REUSEADDR) failed");
    if (bind(lv_listenSocket, addresses->ai_addr, static_cast<int>(addresses->ai_addrlen)) == SOCKET_ERROR)
        lf_failOpen(addresses, "Bind failed at port " + portText + " with error " + lf_lastErrorText());
    freeaddrinfo(addresses);
    if (listen(lv_listenSocket, SOMAXCONN) == SOCKET_ERROR)
        lf_failOpen(nullptr, "listen failed with error " + lf_lastErrorText());
}

bool waitForClient()
{
    if (g_rtClientConnected.load())
        return false;
    SOCKET client = lf_acceptInSteps();
    if (client == INVALID_SOCKET)
        return false;
    try {
        lf_setNoDelay(client);
    } catch (const std::exception& e) {
        gf_logUnlessQuitting(fmt::format("waitForClient interrupted: {}", e.what()));
        lf_closeSocket(client);
        return false;
    }
    lf_closeSocket(lv_clientSocket);
    lv_clientSocket = client;
    g_rtClientConnected.exchange(true);
    return true;
}

std::string receive()
{
    if (lv_clientSocket == INVALID_SOCKET)
        return {};
    std::vector<char> buffer(kReceiveBufferSize, '\0');
    const int received = lf_receiveInSteps(buffer.data(), kReceiveBufferSize);
    if (received == SOCKET_ERROR) {
        gf_logUnlessQuitting(fmt::format("receive: {}", lf_lastErrorText()));
        return {};
    }
    if (received <= 0)
        return {};
    if (received >= kReceiveBufferSize) {
        gf_logUnlessQuitting(fmt::format("receive: buffer overrun: {}", received));
        return {};
    }
    return std::string(buffer.data(), static_cast<std::size_t>(received));
}

bool sendDataPacket(std::string_view text)
{
    if (lv_clientSocket != INVALID_SOCKET &&
        send(lv_clientSocket, text.data(), static_cast<int>(text.size()), 0) != SOCKET_ERROR)
        return true;
    gf_logUnlessQuitting(fmt::format("sendDataPacket to RealTraffic failed: {}", lf_lastErrorText()));
    g_rtClientConnected.exchange(false);
    lf_closeSocket(lv_clientSocket);
    gf_logUnlessQuitting("RealTraffic client socket closed");
    return false;
}

void gf_closeRealTrafficSockets()
{
    g_rtClientConnected.store(false);
    lf_closeSocket(lv_clientSocket);
    lf_closeSocket(lv_listenSocket);
    if (lv_wsaStarted) {
        WSACleanup();
        lv_wsaStarted = false;
    }
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Traffic, g_rtClientConnected, g_waitingForRealTraffic, lv_listenSocket, lv_clientSocket,
              lv_wsaStarted),
};

} // namespace
