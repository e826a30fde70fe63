// The QNH Reader's conversions of the weather JSON's "QNH".
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "support/traffic_lines.h"
#include "traffic/qnh_reader.h"
#include "traffic/reader_lights.h"

#include <gtest/gtest.h>

namespace {

using testsupport::weatherDatagram;

class QnhReaderTest : public ::testing::Test {
protected:
    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
};

TEST_F(QnhReaderTest, PublishesHectopascalsFromEveryForm)
{
    struct Case {
        const char* qnh;
        int published;
    };
    const std::vector<Case> cases = {
        {"1009", 1009},  {"2992", 1013},    {"850", 900},      {"1100", 1100},  {"1101", 900},
        {"3100", 1050},  {"1016.6", 1017},  {"\"1009\"", 1009}, {"\"998hPa\"", 998}, {"true", 900},
    };
    for (const auto& c : cases) {
        g_qnhReader.handleWeather(weatherDatagram(c.qnh));
        EXPECT_EQ(g_currentQnh.load(), c.published) << c.qnh;
        EXPECT_EQ(g_panelQnh.load(), c.published) << c.qnh;
        EXPECT_EQ(g_trafficQnh.load(), c.published) << c.qnh;
    }
    EXPECT_TRUE(m_log.lines().empty());
}

TEST_F(QnhReaderTest, UnusableValuesAreLoggedAndKeepTheLastOne)
{
    g_qnhReader.handleWeather(weatherDatagram("1009"));
    const std::string badString = weatherDatagram("\"abc\"");
    const std::string array = weatherDatagram("[1013]");
    const std::string noQnh = "{\"ICAO\":\"EHAM\"}";
    const std::string notJson = "QNH=1013";
    const std::string huge = weatherDatagram("1e12");
    for (const auto& datagram : {badString, array, noQnh, notJson, huge})
        g_qnhReader.handleWeather(datagram);
    EXPECT_EQ(g_currentQnh.load(), 1009);
    EXPECT_TRUE(m_log.contains("==> QNH string parse error: Invalid argument in " + badString));
    EXPECT_TRUE(m_log.contains("no QNH " + array));
    EXPECT_TRUE(m_log.contains("no QNH " + noQnh));
    EXPECT_TRUE(m_log.contains("Exception narrowing_error, in " + huge));
    ASSERT_EQ(m_log.lines().size(), 5u);
    EXPECT_TRUE(m_log.lines()[3].starts_with("Exception [json.exception.parse_error")) << m_log.lines()[3];
    EXPECT_TRUE(m_log.lines()[3].ends_with(", in " + notJson));
}

TEST_F(QnhReaderTest, FreshValueTurnsStaleWeatherLightLive)
{
    g_qnhLight = kLightStale;
    g_qnhReader.handleWeather(weatherDatagram("1020"));
    EXPECT_EQ(g_qnhLight.load(), kLightLive);
    g_qnhLight = kLightStopped;
    g_qnhReader.handleWeather(weatherDatagram("1021"));
    EXPECT_EQ(g_qnhLight.load(), kLightStopped);
}

} // namespace
