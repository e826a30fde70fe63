// The readers end to end: datagrams on a loopback test port become records on the
// traffic queue and the published QNH; faults end the reader with a reader error.
#include "app/exit_reason.h"
#include "app/start_up_state.h"
#include "app/tick_state.h"
#include "core/stop_flags.h"
#include "platform/standin/winsock_control.h"
#include "platform/win32.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "support/traffic_lines.h"
#include "support/udp_loopback.h"
#include "traffic/qnh_reader.h"
#include "traffic/reader_lights.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_reader.h"
#include "traffic/traffic_record.h"

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <thread>

using namespace std::chrono_literals;
using testsupport::TrafficLine;

namespace {

bool lf_waitFor(const std::function<bool()>& condition)
{
    for (auto deadline = std::chrono::steady_clock::now() + 5s; std::chrono::steady_clock::now() < deadline;) {
        if (condition())
            return true;
        std::this_thread::sleep_for(5ms);
    }
    return condition();
}

// Whether another socket can take the port on a second loopback address: it can when the
// reader bound the loopback address only, not when it bound every address.
bool lf_portFreeOnOtherLoopback(unsigned short port)
{
    const SOCKET probe = socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK + 1);
    const bool bound = bind(probe, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    closesocket(probe);
    return bound;
}

std::size_t lf_queued()
{
    const std::lock_guard lock(g_trafficMutex);
    return g_trafficQueue.size();
}

class UdpReadersTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gf_setLoopRunning(true);
        g_trafficReader.setReferencePosition({52.3, 4.76});
    }
    void TearDown() override
    {
        g_trafficReader.requestStop();
        g_qnhReader.requestStop();
        for (auto* thread : {&m_traffic, &m_qnh})
            if (thread->joinable())
                thread->join();
    }
    void startTraffic(unsigned short port, bool localOnly)
    {
        m_traffic = std::thread(gf_trafficReaderThread, port, localOnly);
        ASSERT_TRUE(lf_waitFor([] { return g_trafficLight == kLightLive; }));
    }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
    std::thread m_traffic;
    std::thread m_qnh;
};

TEST_F(UdpReadersTest, TrafficDatagramsBecomeQueuedRecords)
{
    startTraffic(47301, true);
    EXPECT_EQ(g_qnhLight.load(), kLightLive);
    testsupport::UdpSender sender(47301);
    sender.send(TrafficLine().set(1, "4738157"));
    sender.send(TrafficLine().set(1, "4738158").set(8, "bad"));
    sender.send(TrafficLine().set(1, "4738159"));
    ASSERT_TRUE(lf_waitFor([] { return lf_queued() == 2; }));
    {
        const std::lock_guard lock(g_trafficMutex);
        EXPECT_EQ(g_trafficQueue[0].hexid, 4738157u);
        EXPECT_EQ(g_trafficQueue[1].hexid, 4738159u);
    }
    EXPECT_EQ(g_trafficReader.counter(), 3u);
    g_trafficReader.requestStop();
    m_traffic.join();
    EXPECT_EQ(g_trafficLight.load(), kLightStopped);
    EXPECT_TRUE(m_log.contains("          Traffic Reader connected"));
    EXPECT_TRUE(m_log.contains("exception in processLineSub: gs:bad"));
    EXPECT_TRUE(m_log.contains("Traffic Reader has stopped"));
    EXPECT_TRUE(m_log.contains("Traffic Reader disconnected"));
    EXPECT_FALSE(g_stopRequested.load());
}

TEST_F(UdpReadersTest, FeedFromAnotherPcListensOnEveryAddressAndSkipsDuplicates)
{
    startTraffic(47302, false);
    EXPECT_FALSE(lf_portFreeOnOtherLoopback(47302));
    testsupport::UdpSender sender(47302);
    const std::string line = TrafficLine();
    sender.send(line);
    sender.send(line);
    sender.send(TrafficLine().set(1, "4738158"));
    ASSERT_TRUE(lf_waitFor([] { return g_trafficReader.counter() == 2; }));
    EXPECT_TRUE(lf_waitFor([] { return lf_queued() == 2; }));
}

TEST_F(UdpReadersTest, FeedOnThisPcListensOnLoopbackOnlyAndKeepsDuplicates)
{
    startTraffic(47303, true);
    EXPECT_TRUE(lf_portFreeOnOtherLoopback(47303));
    testsupport::UdpSender sender(47303);
    const std::string line = TrafficLine();
    sender.send(line);
    sender.send(line);
    EXPECT_TRUE(lf_waitFor([] { return lf_queued() == 2; }));
}

TEST_F(UdpReadersTest, OversizedDatagramsAreSkippedAndTheReaderGoesOn)
{
    startTraffic(47304, true);
    testsupport::UdpSender sender(47304);
    sender.send(std::string(20000, 'x'));
    sender.send(std::string(16384, 'y'));
    sender.send(TrafficLine());
    ASSERT_TRUE(lf_waitFor([] { return lf_queued() == 1; }));
    EXPECT_TRUE(m_log.contains("buffer overrun: more than 16384 bytes"));
    EXPECT_TRUE(m_log.contains("buffer overrun: 16384 bytes"));
    EXPECT_FALSE(g_stopRequested.load());
}

TEST_F(UdpReadersTest, WeatherDatagramsPublishTheQnh)
{
    g_realTrafficOnThisPC = true;
    m_qnh = std::thread(gf_qnhReaderThread, static_cast<unsigned short>(47305));
    ASSERT_TRUE(lf_waitFor([] { return g_qnhLight == kLightLive; }));
    testsupport::UdpSender sender(47305);
    sender.send(testsupport::weatherDatagram("2970"));
    EXPECT_TRUE(lf_waitFor([] { return g_currentQnh == 1006; }));
    g_qnhReader.requestStop();
    m_qnh.join();
    EXPECT_TRUE(m_log.contains("QNH Reader has stopped"));
    EXPECT_TRUE(m_log.contains("QNH Reader disconnected"));
    EXPECT_EQ(g_qnhLight.load(), kLightStopped);
}

TEST_F(UdpReadersTest, PortInUseEndsTheRunWithReaderError)
{
    startTraffic(47306, true);
    g_realTrafficOnThisPC = true;
    std::thread second(gf_qnhReaderThread, static_cast<unsigned short>(47306));
    second.join();
    EXPECT_TRUE(g_stopRequested.load());
    EXPECT_EQ(g_exitReason.load(), static_cast<std::uint32_t>(ExitReason::ReaderError));
    EXPECT_EQ(g_restartDelaySeconds.load(), 15);
    EXPECT_TRUE(m_log.contains(
        "The QNH Reader has stopped with error: bind to stream socket failed, error: 10048 Address already in use"));
    EXPECT_TRUE(m_log.contains("QNH Reader disconnected"));
}

TEST_F(UdpReadersTest, ReceiveErrorOtherThanATimeOutEndsTheRunWithReaderError)
{
    startTraffic(47308, true);
    standin::failNextDatagramReceive(WSAECONNRESET);
    ASSERT_TRUE(lf_waitFor([] { return g_trafficLight == kLightStopped; }));
    EXPECT_TRUE(g_stopRequested.load());
    EXPECT_EQ(g_exitReason.load(), static_cast<std::uint32_t>(ExitReason::ReaderError));
    EXPECT_TRUE(m_log.contains(
        "The Traffic Reader has stopped with error: receive error: 10054 Connection reset by peer"));
}

TEST_F(UdpReadersTest, LightsTurnStaleWithoutDatagramsAndLiveAgainAfterOne)
{
    g_rtLinkReady = true;
    startTraffic(47307, true);
    gf_updateReaderLights();
    EXPECT_EQ(g_trafficLight.load(), kLightStale);
    testsupport::UdpSender sender(47307);
    sender.send(TrafficLine());
    ASSERT_TRUE(lf_waitFor([] { return g_trafficReader.counter() == 1; }));
    gf_updateReaderLights();
    EXPECT_EQ(g_trafficLight.load(), kLightLive);
    // Without the RealTraffic link the lights are not checked.
    g_rtLinkReady = false;
    gf_updateReaderLights();
    EXPECT_EQ(g_trafficLight.load(), kLightLive);
}

} // namespace
