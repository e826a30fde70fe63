// The traffic feeder plays a scenario file to the two UDP ports on loopback.
#include "platform/win32.h"
#include "support/temp_folder.h"
#include "support/udp_loopback.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

namespace {

int lf_runFeeder(const std::string& arguments)
{
    return std::system((std::string(SKYWEAVER_BUILD_DIR) + "/tools/traffic_feeder " + arguments).c_str());
}

TEST(TrafficFeeder, SendsTrafficAndWeatherToTheirPortsInOrder)
{
    testsupport::TempFolder folder;
    testsupport::writeFile(folder / "scenario.txt",
                           "# a comment\n"
                           "0.0 weather {\"QNH\":1009}\r\n"
                           "\n"
                           "0.05 traffic a,4711,52.0\n"
                           "0.1 traffic b,4712,{now}\n");
    testsupport::UdpReceiver traffic(47105);
    testsupport::UdpReceiver weather(47104);
    ASSERT_EQ(lf_runFeeder((folder / "scenario.txt").string() +
                           " --speed 10 --traffic-port 47105 --weather-port 47104 > /dev/null"),
              0);
    EXPECT_EQ(weather.next(), "{\"QNH\":1009}");
    EXPECT_EQ(traffic.next(), "a,4711,52.0");
    const std::string stamped = traffic.next();
    ASSERT_TRUE(stamped.starts_with("b,4712,")) << stamped;
    EXPECT_GT(std::stod(stamped.substr(7)), 1.7e9);
}

TEST(TrafficFeeder, RefusesMalformedScenarioLine)
{
    testsupport::TempFolder folder;
    testsupport::writeFile(folder / "scenario.txt", "soon traffic a,b\n");
    EXPECT_NE(lf_runFeeder((folder / "scenario.txt").string() + " 2> /dev/null"), 0);
}

} // namespace
