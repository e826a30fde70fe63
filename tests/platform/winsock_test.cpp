// The Winsock stand-in keeps the Windows behaviours the readers and the TCP link rely on.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <string>
#include <thread>
#include <type_traits>

namespace {

using namespace std::chrono_literals;

class WinsockTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        WSADATA data;
        ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    }
    void TearDown() override { WSACleanup(); }

    static sockaddr_in loopback(unsigned short port)
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(port);
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        return address;
    }

    // A socket bound to a free loopback port; the port is returned through address.
    static SOCKET boundSocket(int type, sockaddr_in& address)
    {
        const SOCKET s = socket(AF_INET, type, type == SOCK_DGRAM ? IPPROTO_UDP : IPPROTO_TCP);
        EXPECT_NE(s, INVALID_SOCKET);
        address = loopback(0);
        EXPECT_EQ(bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        int length = sizeof address;
        EXPECT_EQ(getsockname(s, reinterpret_cast<sockaddr*>(&address), &length), 0);
        return s;
    }

    static void setReceiveTimeout(SOCKET s, DWORD milliseconds)
    {
        ASSERT_EQ(setsockopt(s, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&milliseconds),
                             sizeof milliseconds), 0);
    }

    // A datagram socket bound to a free loopback port (returned through address) whose
    // receives time out after the milliseconds.
    static SOCKET timedDatagramSocket(sockaddr_in& address, DWORD milliseconds)
    {
        const SOCKET s = boundSocket(SOCK_DGRAM, address);
        setReceiveTimeout(s, milliseconds);
        return s;
    }

    static void sendDatagram(const sockaddr_in& to, const std::string& text)
    {
        const SOCKET sender = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
        ASSERT_EQ(sendto(sender, text.data(), static_cast<int>(text.size()), 0,
                         reinterpret_cast<const sockaddr*>(&to), sizeof to),
                  static_cast<int>(text.size()));
        closesocket(sender);
    }

    // A connected pair: the accepted server side and the client side.
    static std::pair<SOCKET, SOCKET> connectedPair(SOCKET& listener)
    {
        sockaddr_in address{};
        listener = boundSocket(SOCK_STREAM, address);
        EXPECT_EQ(listen(listener, SOMAXCONN), 0);
        const SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        EXPECT_EQ(connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
        const SOCKET server = accept(listener, nullptr, nullptr);
        EXPECT_NE(server, INVALID_SOCKET);
        return {server, client};
    }
};

TEST(WinsockTypes, SocketIsPointerSizedUnsignedWithAllBitsInvalid)
{
    static_assert(sizeof(SOCKET) == sizeof(void*));
    static_assert(std::is_unsigned_v<SOCKET>);
    EXPECT_EQ(INVALID_SOCKET, ~static_cast<SOCKET>(0));
}

TEST(WinsockStartup, CallsBeforeStartupAndUnpairedCleanupReportNotInitialised)
{
    EXPECT_EQ(socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP), INVALID_SOCKET);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);

    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
    EXPECT_EQ(WSACleanup(), 0);
    // One startup is still counted: sockets keep working.
    const SOCKET s = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    EXPECT_NE(s, INVALID_SOCKET);
    EXPECT_EQ(WSACleanup(), 0);
    // The last cleanup closed the socket.
    EXPECT_EQ(closesocket(s), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    EXPECT_EQ(WSACleanup(), SOCKET_ERROR);
}

TEST(WinsockStartup, RefusesVersionBelowOneOne)
{
    WSADATA data;
    EXPECT_EQ(WSAStartup(MAKEWORD(1, 0), &data), WSAVERNOTSUPPORTED);
}

TEST_F(WinsockTest, ReceiveTimeoutInMillisecondsReportsTimedOut)
{
    sockaddr_in address{};
    const SOCKET s = timedDatagramSocket(address, 150);
    char buffer[64];
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(recvfrom(s, buffer, sizeof buffer, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
    const auto waited = std::chrono::steady_clock::now() - start;
    EXPECT_GE(waited, 100ms);
    EXPECT_LT(waited, 2s);
    closesocket(s);
}

TEST_F(WinsockTest, OversizedDatagramReportsMessageSizeAndNextOneArrives)
{
    sockaddr_in address{};
    const SOCKET s = timedDatagramSocket(address, 2000);
    sendDatagram(address, std::string(100, 'x'));
    sendDatagram(address, "short");

    char buffer[32];
    EXPECT_EQ(recvfrom(s, buffer, sizeof buffer, 0, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEMSGSIZE);
    const int count = recvfrom(s, buffer, sizeof buffer, 0, nullptr, nullptr);
    ASSERT_EQ(count, 5);
    EXPECT_EQ(std::string(buffer, 5), "short");
    closesocket(s);
}

TEST_F(WinsockTest, DatagramFillingTheBufferExactlyIsReceivedWhole)
{
    sockaddr_in address{};
    const SOCKET s = timedDatagramSocket(address, 2000);
    sendDatagram(address, std::string(32, 'y'));
    char buffer[32];
    EXPECT_EQ(recvfrom(s, buffer, sizeof buffer, 0, nullptr, nullptr), 32);
    closesocket(s);
}

TEST_F(WinsockTest, ClosesocketWakesBlockedReceive)
{
    sockaddr_in address{};
    const SOCKET s = boundSocket(SOCK_DGRAM, address);
    auto blocked = std::async(std::launch::async, [s] {
        char buffer[64];
        const int result = recvfrom(s, buffer, sizeof buffer, 0, nullptr, nullptr);
        return std::pair{result, WSAGetLastError()};
    });
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(closesocket(s), 0);
    ASSERT_EQ(blocked.wait_for(5s), std::future_status::ready);
    const auto [result, error] = blocked.get();
    EXPECT_EQ(result, SOCKET_ERROR);
    EXPECT_EQ(error, WSAEINTR);
}

TEST_F(WinsockTest, ClosesocketWakesBlockedAccept)
{
    sockaddr_in address{};
    const SOCKET listener = boundSocket(SOCK_STREAM, address);
    ASSERT_EQ(listen(listener, SOMAXCONN), 0);
    auto blocked = std::async(std::launch::async, [listener] { return accept(listener, nullptr, nullptr); });
    std::this_thread::sleep_for(100ms);
    ASSERT_EQ(closesocket(listener), 0);
    ASSERT_EQ(blocked.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(blocked.get(), INVALID_SOCKET);
}

TEST_F(WinsockTest, SendToVanishedPeerReportsErrorWithoutSignal)
{
    SOCKET listener = INVALID_SOCKET;
    const auto [server, client] = connectedPair(listener);
    const char flag = 1;
    EXPECT_EQ(setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &flag, 1), 0);
    closesocket(server);
    const std::string text = "Qs121=0;0;0.000000;0;0;0.000000;0.000000\r\n";
    int result = 0;
    for (int attempt = 0; attempt < 50 && result != SOCKET_ERROR; ++attempt) {
        result = send(client, text.data(), static_cast<int>(text.size()), 0);
        std::this_thread::sleep_for(10ms);
    }
    EXPECT_EQ(result, SOCKET_ERROR);
    const int error = WSAGetLastError();
    EXPECT_TRUE(error == WSAECONNRESET || error == WSAECONNABORTED) << error;
    closesocket(client);
    closesocket(listener);
}

TEST_F(WinsockTest, StreamCarriesWholeMessages)
{
    SOCKET listener = INVALID_SOCKET;
    const auto [server, client] = connectedPair(listener);
    const std::string text = "Qs999=version\r\n";
    EXPECT_EQ(send(server, text.data(), static_cast<int>(text.size()), 0), static_cast<int>(text.size()));
    char buffer[64]{};
    setReceiveTimeout(client, 2000);
    EXPECT_EQ(recv(client, buffer, sizeof buffer, 0), static_cast<int>(text.size()));
    EXPECT_EQ(std::string(buffer), text);
    for (const SOCKET s : {server, client, listener})
        closesocket(s);
}

TEST_F(WinsockTest, ErrnoBecomesWinsockCodes)
{
    sockaddr_in address{};
    const SOCKET first = boundSocket(SOCK_DGRAM, address);
    const SOCKET second = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    EXPECT_EQ(bind(second, reinterpret_cast<const sockaddr*>(&address), sizeof address), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEADDRINUSE);

    // Nobody listens on the port of a UDP socket: a TCP connect is refused.
    const SOCKET client = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    EXPECT_EQ(connect(client, reinterpret_cast<const sockaddr*>(&address), sizeof address), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNREFUSED);

    u_long nonBlocking = 1;
    ASSERT_EQ(ioctlsocket(first, FIONBIO, &nonBlocking), 0);
    char buffer[8];
    EXPECT_EQ(recv(first, buffer, sizeof buffer, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEWOULDBLOCK);

    EXPECT_EQ(recv(static_cast<SOCKET>(12345), buffer, sizeof buffer, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    for (const SOCKET s : {first, second, client})
        closesocket(s);
}

TEST_F(WinsockTest, GetaddrinfoGivesPassiveAddressOfPort)
{
    addrinfo hints{};
    hints.ai_flags = AI_PASSIVE;
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_protocol = IPPROTO_TCP;
    addrinfo* result = nullptr;
    ASSERT_EQ(getaddrinfo(nullptr, "10747", &hints, &result), 0);
    ASSERT_NE(result, nullptr);
    EXPECT_EQ(ntohs(reinterpret_cast<const sockaddr_in*>(result->ai_addr)->sin_port), 10747);
    freeaddrinfo(result);
    EXPECT_EQ(getaddrinfo(nullptr, "no-such-service-name", &hints, &result), WSATYPE_NOT_FOUND);
}

} // namespace

TEST_F(WinsockTest, StreamWhoseReceiveTimedOutRefusesLaterReceives)
{
    // Winsock leaves such a connection in an indeterminate state, not to be used again.
    SOCKET listener = INVALID_SOCKET;
    const auto [server, client] = connectedPair(listener);
    setReceiveTimeout(client, 100);
    char buffer[16];
    EXPECT_EQ(recv(client, buffer, sizeof buffer, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAETIMEDOUT);
    EXPECT_EQ(send(server, "late", 4, 0), 4);
    EXPECT_EQ(recv(client, buffer, sizeof buffer, 0), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAECONNABORTED);
    for (const SOCKET s : {server, client, listener})
        closesocket(s);
}

TEST_F(WinsockTest, SelectLeavesOnlyTheReadySocketsInTheSets)
{
    SOCKET listener = INVALID_SOCKET;
    const auto [server, client] = connectedPair(listener);
    const auto selectReadable = [](std::initializer_list<SOCKET> sockets, fd_set& set) {
        FD_ZERO(&set);
        for (const SOCKET s : sockets) {
            FD_SET(s, &set);
            FD_SET(s, &set); // a socket is in a set once
        }
        timeval wait{0, 100000};
        return select(0, &set, nullptr, nullptr, &wait); // the first argument is ignored
    };
    fd_set set;
    EXPECT_EQ(selectReadable({server, client, listener}, set), 0);
    EXPECT_EQ(set.fd_count, 0u);

    EXPECT_EQ(send(server, "Qs", 2, 0), 2);
    EXPECT_EQ(selectReadable({server, client}, set), 1);
    EXPECT_EQ(set.fd_count, 1u);
    EXPECT_TRUE(FD_ISSET(client, &set));
    EXPECT_FALSE(FD_ISSET(server, &set));

    // A waiting connection makes the listening socket readable; a connected one is writable.
    sockaddr_in address{};
    int length = sizeof address;
    ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);
    const SOCKET second = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    ASSERT_EQ(connect(second, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    EXPECT_EQ(selectReadable({listener}, set), 1);
    fd_set writable;
    FD_ZERO(&writable);
    FD_SET(second, &writable);
    FD_CLR(second, &writable);
    EXPECT_EQ(writable.fd_count, 0u);
    FD_SET(second, &writable);
    EXPECT_EQ(select(0, nullptr, &writable, nullptr, nullptr), 1);

    // A closed peer makes the socket readable: recv then reports the end.
    closesocket(server);
    EXPECT_EQ(selectReadable({client}, set), 1);

    EXPECT_EQ(selectReadable({static_cast<SOCKET>(12345)}, set), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAENOTSOCK);
    FD_ZERO(&set);
    EXPECT_EQ(select(0, &set, nullptr, nullptr, nullptr), SOCKET_ERROR);
    EXPECT_EQ(WSAGetLastError(), WSAEINVAL);
    for (const SOCKET s : {client, listener, second})
        closesocket(s);
}
