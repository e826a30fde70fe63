// The RealTraffic link against a client on 127.0.0.1: the handshake and the version reply,
// the "Qs" lines, a lost client with its live traffic and the re-connect, server faults.
#include "app/start_up_state.h"
#include "core/stop_flags.h"
#include "core/traffic_time.h"
#include "engine/ac_containers.h"
#include "simlink/user_aircraft.h"
#include "support/log_capture.h"
#include "support/realtraffic_client.h"
#include "support/temp_folder.h"
#include "traffic/reader_lights.h"
#include "traffic/rt_link.h"
#include "ui/main_window.h"
#include "ui/status_line.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

using namespace std::chrono_literals;
using testsupport::RealTrafficClient;

namespace {

std::string lf_rtText()
{
    std::lock_guard lock(g_mainWindowState.rtTextMutex);
    return g_mainWindowState.rtText;
}

// A host that connects to the link's port on another address of this PC, as a host on the
// network would; what the program sent it is read in the background.
class OtherHost {
public:
    explicit OtherHost(unsigned short port)
    {
        if (m_client.connectTo(port, INADDR_LOOPBACK + 1, 0ms))
            m_reader = std::thread([this] {
                m_received = m_client.readLine();
                m_client.close();
            });
    }
    ~OtherHost() { received(); }
    OtherHost(const OtherHost&) = delete;
    OtherHost& operator=(const OtherHost&) = delete;

    // What it was sent; empty when it could not connect.
    std::string received()
    {
        if (m_reader.joinable())
            m_reader.join();
        return m_received;
    }

private:
    RealTrafficClient m_client;
    std::thread m_reader;
    std::string m_received;
};

class RtLinkTest : public ::testing::Test {
protected:
    void SetUp() override { g_realTrafficOnThisPC = true; }
    void TearDown() override
    {
        if (m_rt.joinable())
            m_rt.join();
        gf_closeRealTrafficSockets();
    }
    void connect(unsigned short port, const std::string& versionReply)
    {
        testsupport::linkRealTraffic(m_client, port, versionReply);
    }
    void placeUser(double lat, double lon)
    {
        g_userAcData = UserAcData{};
        g_userAcData.latitude = lat;
        g_userAcData.longitude = lon;
    }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
    RealTrafficClient m_client;
    std::thread m_rt;
};

TEST_F(RtLinkTest, HandshakeWithProfEditionEnablesQs123)
{
    connect(47410, R"({"level": 2, "version": "9.0"})");
    EXPECT_TRUE(g_rtClientConnected.load());
    EXPECT_TRUE(g_rtLinkReady.load());
    EXPECT_FALSE(g_waitingForRealTraffic.load());
    EXPECT_TRUE(g_rtEditionProf.load());
    EXPECT_EQ(lf_rtText(), "RT prof edition: 9.0");
    EXPECT_TRUE(m_log.contains("Waiting for RealTraffic to connect to Skyweaver ..."));
    EXPECT_TRUE(m_log.contains("RealTraffic connected"));
    EXPECT_EQ(gf_statusLineText().message, "");

    gf_sendQs123(0);
    gf_sendQs123(1733563200);
    EXPECT_EQ(m_client.readLine(), "Qs123=1733563200000\r\n");
}

TEST_F(RtLinkTest, VersionReplyAfterAPauseIsRead)
{
    gf_openServer("47418");
    m_rt = std::thread([this] {
        if (m_client.connectTo(47418) && m_client.readLine() == "Qs999=version\r\n") {
            std::this_thread::sleep_for(700ms);
            m_client.send(R"({"level":2,"version":"9.0"})");
        }
    });
    gf_connectRealTraffic();
    m_rt.join();
    EXPECT_TRUE(g_rtEditionProf.load());
    EXPECT_EQ(lf_rtText(), "RT prof edition: 9.0");
}

TEST_F(RtLinkTest, VersionRepliesSetTheEditionAndText)
{
    struct Case {
        const char* reply;
        bool prof;
        const char* text;
    };
    const Case cases[] = {
        {R"({"level":2,"version":"9.0"})", true, "RT prof edition: 9.0"},
        {R"({"level":1,"version":"8.1"})", false, "RT stnd edition: 8.1"},
        {R"({"version":"9.0"})", false, "RT stnd edition: 9.0"},
        {R"({"level":2})", true, "RT prof edition: "},
        {R"({"level":"2","version":9.5})", false, "RT stnd edition: 9.5"},
        {"[2, 9]", false, ""},
        {"level=2", false, ""},
    };
    for (const Case& c : cases) {
        g_rtEditionProf = !c.prof;
        lf_processRTVersion(c.reply);
        EXPECT_EQ(g_rtEditionProf.load(), c.prof) << c.reply;
        EXPECT_EQ(lf_rtText(), c.text) << c.reply;
    }
    bool parseFailureLogged = false;
    for (const std::string& line : m_log.lines())
        parseFailureLogged |= line.starts_with("lf_processRTVersion: JSON parse failed: ");
    EXPECT_TRUE(parseFailureLogged);
}

TEST_F(RtLinkTest, NoVersionReplyIsReported)
{
    g_rtEditionProf = true;
    lf_processRTVersion("");
    EXPECT_FALSE(g_rtEditionProf.load());
    EXPECT_EQ(gf_statusLineText().message, "No RealTraffic version received?");
    EXPECT_TRUE(m_log.contains("No RealTraffic version received?"));
}

TEST_F(RtLinkTest, Qs121FollowsTheWorkedExample)
{
    EXPECT_EQ(gf_qs121Line(0.05, -0.1, 1.5, 3500, 150.5, 52, 4.75),
              "Qs121=5000;-10000;1.500000;3500000;150500;0.907571;0.082903\r\n");
    // Large values stay plain numbers, never exponents.
    EXPECT_EQ(gf_qs121Line(0, 0, 0, 45000, 550.25, -33.9, 151.2),
              "Qs121=0;0;0.000000;45000000;550250;-0.591667;2.638938\r\n");
}

TEST_F(RtLinkTest, UserPositionIsSentOnlyAwayFromZeroZero)
{
    connect(47411, R"({"level":1,"version":"9.0"})");
    placeUser(0.00005, -0.00009);
    gf_sendUserPosition();
    placeUser(52, 4.75);
    g_userAcData.pitch = 0.05;
    g_userAcData.bank = -0.1;
    g_userAcData.heading = 1.5;
    g_userAcData.altitude = 3500;
    g_userAcData.groundSpeed = 150.5;
    gf_sendUserPosition();
    EXPECT_EQ(m_client.readLine(), "Qs121=5000;-10000;1.500000;3500000;150500;0.907571;0.082903\r\n");
}

TEST_F(RtLinkTest, LostClientTakesLiveTrafficOutAndReconnects)
{
    connect(47412, R"({"level":2,"version":"9.0"})");
    placeUser(52, 4.75);
    g_liveAcs.resize(3);
    g_liveAcs[0].callsign = "KLM1";
    g_liveAcs[0].simState = SimState::active;
    g_liveAcs[1].callsign = "KLM2";
    g_liveAcs[1].hexid = 4000001;
    g_liveAcs[1].simState = SimState::adding2sim;
    g_liveAcs[2].callsign = "KLM3";
    g_liveAcs[2].simState = SimState::buffer;
    g_addingStack.live.push_back(CreateRequest{{}, "KLM2", {}, 4000001});
    g_trafficTime = 1733563200.0;

    m_client.close();
    for (int i = 0; i < 50 && g_rtLinkReady.load(); ++i) {
        gf_sendUserPosition();
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_FALSE(g_rtLinkReady.load());
    EXPECT_FALSE(g_rtClientConnected.load());
    ASSERT_EQ(g_liveAcs.size(), 2u);
    EXPECT_EQ(g_liveAcs[0].remove, 1);
    EXPECT_EQ(g_liveAcs[1].callsign, "KLM3");
    EXPECT_TRUE(g_addingStack.live.empty());
    EXPECT_EQ(g_trafficTime.load(), 0.0);
    EXPECT_TRUE(gf_statusLineText().message.ends_with(" RealTraffic gone? Wait for RealTraffic to re-connect ..."));
    EXPECT_TRUE(m_log.contains("RealTraffic client socket closed"));

    RealTrafficClient again;
    m_rt = std::thread([&again] { again.connectTo(47412); });
    gf_sendUserPosition();
    m_rt.join();
    EXPECT_TRUE(g_rtLinkReady.load());
    EXPECT_TRUE(g_rtClientConnected.load());
    bool reconnectLogged = false;
    for (const std::string& line : m_log.lines())
        reconnectLogged |= line.ends_with(" RealTraffic re-connected");
    EXPECT_TRUE(reconnectLogged);
    gf_sendUserPosition();
    EXPECT_TRUE(again.readLine().starts_with("Qs121=0;0;0.000000;0;0;0.907571;0.082903"));
}

TEST_F(RtLinkTest, OnlyRealTrafficOnThisPcGetsTheLinkAlsoAtAReconnect)
{
    gf_openServer("47416");
    placeUser(52, 4.75);
    OtherHost first(47416);
    std::string handshake;
    m_rt = std::thread([this, &handshake] {
        if (m_client.connectTo(47416) && (handshake = m_client.readLine()) == "Qs999=version\r\n")
            m_client.send(R"({"level":1,"version":"9.0"})");
    });
    gf_connectRealTraffic();
    m_rt.join();
    EXPECT_EQ(first.received(), "");
    EXPECT_EQ(handshake, "Qs999=version\r\n");
    gf_sendUserPosition();
    EXPECT_EQ(m_client.readLine(), "Qs121=0;0;0.000000;0;0;0.907571;0.082903\r\n");

    // RealTraffic goes away, and the other host tries again before it is back.
    m_client.close();
    for (int i = 0; i < 50 && g_rtLinkReady.load(); ++i) {
        gf_sendUserPosition();
        std::this_thread::sleep_for(10ms);
    }
    ASSERT_FALSE(g_rtLinkReady.load());
    OtherHost second(47416);
    RealTrafficClient again;
    m_rt = std::thread([&again] { again.connectTo(47416); });
    gf_sendUserPosition();
    m_rt.join();
    gf_sendUserPosition();
    EXPECT_EQ(second.received(), "");
    EXPECT_EQ(again.readLine(), "Qs121=0;0;0.000000;0;0;0.907571;0.082903\r\n");
}

TEST_F(RtLinkTest, WaitingForRealTrafficEndsOnStop)
{
    gf_openServer("47413");
    m_rt = std::thread([] {
        std::this_thread::sleep_for(200ms);
        g_stopRequested = true;
    });
    const auto started = std::chrono::steady_clock::now();
    gf_connectRealTraffic();
    EXPECT_LT(std::chrono::steady_clock::now() - started, 3s);
    EXPECT_FALSE(g_rtClientConnected.load());
    EXPECT_FALSE(g_rtLinkReady.load());
    EXPECT_TRUE(g_waitingForRealTraffic.load());
}

TEST_F(RtLinkTest, PortInUseFailsTheServerSetUp)
{
    gf_openServer("47414");
    try {
        gf_openServer("47414");
        FAIL() << "the second server opened";
    } catch (const std::runtime_error& e) {
        EXPECT_EQ(std::string(e.what()), "Bind failed at port 47414 with error 10048 Address already in use");
    }
    EXPECT_THROW(gf_openServer("no-such-port"), std::runtime_error);
}

TEST_F(RtLinkTest, NothingHappensWithoutRealTrafficOnThisPc)
{
    g_realTrafficOnThisPC = false;
    placeUser(52, 4.75);
    gf_connectRealTraffic();
    gf_sendUserPosition();
    EXPECT_FALSE(g_rtLinkReady.load());
    EXPECT_FALSE(m_log.contains("Waiting for RealTraffic to connect to Skyweaver ..."));
}

} // namespace
