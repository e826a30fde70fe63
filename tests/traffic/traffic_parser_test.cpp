// The traffic line parser: its drop rules and fault texts in their order, the values
// of an accepted record, and the on-ground, airspeed and park-airport rules.
#include "app/tick_state.h"
#include "core/clock.h"
#include "core/log.h"
#include "core/settings.h"
#include "core/traffic_time.h"
#include "engine/engine_tick.h"
#include "parking/park_airport.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"
#include "support/traffic_lines.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_reader.h"
#include "traffic/traffic_record.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <optional>
#include <vector>

using testsupport::TrafficLine;

namespace {

enum Field : std::size_t {
    kHexid = 1, kLat = 2, kLon = 3, kAltitude = 4, kVs = 5, kTrack = 7, kGs = 8, kCallsign = 9, kType = 10,
    kRegistration = 11, kOrigin = 12, kDestination = 13, kTimestamp = 14, kSource = 17, kTas = 20, kRoll = 23,
    kTrueHeading = 25, kCategory = 28,
};

class TrafficParserTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        gf_setLoopRunning(true);
        g_trafficReader.setReferencePosition({52.3, 4.76});
    }

    // The record the line became, or nothing when it was not queued.
    std::optional<TrafficRecord> parse(const std::string& line)
    {
        g_trafficReader.handleLine(line);
        const std::lock_guard lock(g_trafficMutex);
        if (g_trafficQueue.empty())
            return std::nullopt;
        TrafficRecord record = g_trafficQueue.front();
        g_trafficQueue.clear();
        return record;
    }

    static void setParkAirport(double lat, double lon, double elevation)
    {
        g_parkAirportLat = lat;
        g_parkAirportLon = lon;
        g_parkAirportSet = true;
        g_trafficReader.setReferenceElevation(elevation);
    }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
};

struct RuleCase {
    const char* rule;
    std::vector<std::pair<std::size_t, const char*>> fields;
    bool queued;
    const char* fault;  // the logged fault text, or nullptr when the line passes or drops silently
};

// In the order the parser applies its checks.
const std::vector<RuleCase> kRuleCases = {
    {"valid line", {}, true, nullptr},
    {"timestamp unreadable", {{kTimestamp, "soon"}}, false, "timestamp:soon"},
    {"timestamp not a number", {{kTimestamp, "nan"}}, false, "timestamp:nan"},
    {"timestamp far beyond any clock", {{kTimestamp, "1e300"}}, false, "timestamp:1e300"},
    {"timestamp before 2000", {{kTimestamp, "946684799.5"}}, false, "timestamp:946684799.5"},
    {"latitude unreadable", {{kLat, "north"}}, false, "lat:north"},
    {"longitude empty", {{kLon, ""}}, false, "lon:"},
    {"longitude infinite", {{kLon, "inf"}}, false, "lon:inf"},
    {"latitude beyond the pole", {{kLat, "91"}}, false, "invalid lalo: 91.000000,4.760000"},
    {"position at zero", {{kLat, "0.00005"}, {kLon, "0.00005"}}, false, "invalid lalo: 0.000050,0.000050"},
    {"beyond the range", {{kLat, "53.5"}}, false, nullptr},
    {"registration of 13 characters", {{kRegistration, "ABCDEFGHIJKLM"}}, false, nullptr},
    {"registration of 12 characters", {{kRegistration, "ABCDEFGHIJKL"}}, true, nullptr},
    {"registration with a line break", {{kRegistration, "PH-\nBXA"}}, false, nullptr},
    {"type of 9 characters", {{kType, "B738B738B"}}, false, nullptr},
    {"type of 8 characters", {{kType, "B738B738"}}, true, nullptr},
    {"type with a control byte", {{kType, "B7\x1b" "8"}}, false, nullptr},
    {"type with a letter beyond ASCII", {{kType, "B7\xC3\xA9" "8"}}, false, nullptr},
    {"type ZZZZ", {{kType, "ZZZZ"}}, false, nullptr},
    {"type null", {{kType, "null"}}, false, nullptr},
    {"type 0", {{kType, "0"}}, false, nullptr},
    {"emitter category B2", {{kCategory, "B2"}}, false, nullptr},
    {"emitter category C1", {{kCategory, "C1"}}, false, nullptr},
    {"glider with an ordinary category", {{kType, "GLID"}, {kCategory, "A1"}}, false, nullptr},
    {"glider without a category", {{kType, "GLID"}, {kCategory, "null"}}, true, nullptr},
    {"glider with an empty category", {{kType, "GLID"}, {kCategory, ""}}, true, nullptr},
    {"true heading unreadable", {{kTrueHeading, "west"}}, false, "trueheading:west"},
    {"true heading above 360", {{kTrueHeading, "361"}}, false, "trueheading: 361.00"},
    {"true heading of another source ignored", {{kSource, "mlat"}, {kTrueHeading, "west"}}, true, nullptr},
    {"hexid of a static aircraft", {{kHexid, "10000"}}, false, nullptr},
    {"hexid just above the static ids", {{kHexid, "10001"}}, true, nullptr},
    {"hexid above 32 bits", {{kHexid, "4294967296"}}, false, "hexid incorrect4294967296"},
    {"hexid without digits", {{kHexid, "abc"}}, false, "hexid incorrectabc"},
    {"hexid read up to its first non-digit", {{kHexid, "4711abc"}}, false, nullptr},
    {"ground speed unreadable", {{kGs, "fast"}}, false, "gs:fast"},
    {"callsign of a met mast", {{kCallsign, "ERARMTR1"}}, false, nullptr},
    {"callsign of an airport", {{kCallsign, "AIRPORT1"}}, false, nullptr},
    {"callsign of zeros", {{kCallsign, "00000000"}}, false, nullptr},
    {"neither callsign nor registration", {{kCallsign, "null"}, {kRegistration, "null"}}, false, nullptr},
    {"callsign with @ and no registration", {{kCallsign, "KL@1234"}, {kRegistration, ""}}, false, nullptr},
    {"callsign of 9 characters and no registration", {{kCallsign, "KLM123456"}, {kRegistration, ""}}, false, nullptr},
    {"callsign of 8 characters and no registration", {{kCallsign, "KLM12345"}, {kRegistration, ""}}, true, nullptr},
    {"callsign with a tab and no registration", {{kCallsign, "KLM\t1234"}, {kRegistration, ""}}, false, nullptr},
    {"callsign not UTF-8 and no registration", {{kCallsign, "KLM\xFF" "12"}, {kRegistration, ""}}, false, nullptr},
    {"callsign with U+2028 and no registration", {{kCallsign, "KL\xE2\x80\xA8" "1"}, {kRegistration, ""}}, false,
     nullptr},
    {"on the ground without a park airport", {{kAltitude, "0"}}, false, nullptr},
    {"track unreadable", {{kTrack, "east"}}, false, "track incorrect east"},
    {"vertical speed empty", {{kVs, ""}}, false, "vs:"},
    {"roll unreadable", {{kRoll, "left"}}, false, "roll:left"},
    {"true airspeed unreadable", {{kTas, "slow"}}, false, "TAS incorrectslow"},
};

TEST_F(TrafficParserTest, AppliesEachRuleWithItsFaultText)
{
    // A minute between the lines, so that none of them counts as a repeated fault.
    clk::freeze(clk::utcNow());
    for (const auto& rule : kRuleCases) {
        clk::advance(std::chrono::minutes(1));
        TrafficLine line;
        for (const auto& [index, value] : rule.fields)
            line.set(index, value);
        const auto record = parse(line);
        EXPECT_EQ(record.has_value(), rule.queued) << rule.rule;
        if (rule.fault) {
            EXPECT_TRUE(m_log.contains(std::string("exception in processLineSub: ") + rule.fault)) << rule.rule;
        }
    }
    // Only the listed faults were logged; drops are silent.
    std::size_t faults = 0;
    for (const auto& rule : kRuleCases)
        faults += rule.fault ? 1 : 0;
    EXPECT_EQ(m_log.lines().size(), faults);
    clk::unfreeze();
}

TEST_F(TrafficParserTest, TimestampOutsideTheEpochRangeLeavesTheTrafficTimeAlone)
{
    // The PC's clock two days behind the feed takes the feed all the same.
    clk::freeze(std::chrono::sys_days{std::chrono::year{2026} / 12 / 7} + std::chrono::hours{12});
    const std::int64_t now = clk::utcNowSeconds();
    const struct {
        std::string timestamp;
        bool accepted;
    } cases[] = {
        {"1765100000.5", true}, {"1e300", false},   {"946684800", true},  {"946684799", false},
        {std::to_string(now + 2 * 86400), true},    {"4102444800", true}, {"4102444800.5", false},
        {"-1765100000", false}, {"-nan", false},
    };
    double trafficTime = 0;
    for (const auto& c : cases) {
        clk::advance(std::chrono::minutes(1));
        const auto record = parse(TrafficLine().set(kTimestamp, c.timestamp));
        EXPECT_EQ(record.has_value(), c.accepted) << c.timestamp;
        if (c.accepted)
            trafficTime = std::stod(c.timestamp);
        EXPECT_EQ(g_trafficTime.load(), trafficTime) << c.timestamp;
        EXPECT_EQ(m_log.contains("exception in processLineSub: timestamp:" + c.timestamp), !c.accepted) << c.timestamp;
    }
    clk::unfreeze();
}

TEST_F(TrafficParserTest, BurstOfBadLinesLogsTheFirstAndSummarisesTheRest)
{
    clk::freeze(clk::utcNow());
    const std::string bad = TrafficLine().set(kGs, "fast");
    for (int i = 0; i < 20000; ++i)
        g_trafficReader.handleLine(bad);
    const std::string fault = "exception in processLineSub: gs:fast";
    EXPECT_EQ(m_log.lines(), std::vector<std::string>(3, fault));
    // Within the minute a few more per second, at most ten in all.
    for (int second = 0; second < 50; ++second) {
        clk::advance(std::chrono::seconds(1));
        g_trafficReader.handleLine(bad);
    }
    EXPECT_EQ(m_log.lines(), std::vector<std::string>(10, fault));
    clk::advance(std::chrono::seconds(10));
    g_trafficReader.handleLine(bad);
    const auto lines = m_log.lines();
    ASSERT_EQ(lines.size(), 12u);
    EXPECT_EQ(lines[10], "exception in processLineSub: … 20040 more like this");
    EXPECT_EQ(lines[11], fault);
    gf_flushLog();
    EXPECT_LT(std::filesystem::file_size("Log.txt"), 2000u);
    clk::unfreeze();
}

TEST_F(TrafficParserTest, UnreadableAltitudeQuotesTheLineUpTo200Characters)
{
    const std::string line = TrafficLine().set(kAltitude, "high").set(kOrigin, std::string(300, 'E'));
    EXPECT_FALSE(parse(line));
    const std::string fault = "exception in processLineSub: altitude high incorrect, from: " + line;
    ASSERT_EQ(m_log.lines().size(), 1u);
    EXPECT_EQ(m_log.lines()[0], fault.substr(0, 200) + fmt::format("… ({} bytes)", fault.size()));
}

TEST_F(TrafficParserTest, ShortLineIsLoggedAndDropped)
{
    EXPECT_FALSE(parse("rtraffic,4738157,52.3,4.76,12000"));
    ASSERT_EQ(m_log.lines().size(), 1u);
    EXPECT_EQ(m_log.lines()[0], "exception in processLineSub: 5 fields, 29 needed, in: rtraffic,4738157,52.3,4.76,12000");
}

TEST_F(TrafficParserTest, GroundVehiclesAreIgnored)
{
    EXPECT_FALSE(parse(TrafficLine().set(kType, "GRND VEH")));
    EXPECT_TRUE(m_log.lines().empty());
}

TEST_F(TrafficParserTest, AcceptedLineBecomesRecord)
{
    g_engineTick = 500;
    const auto record = parse(TrafficLine().text() + "\r\n");
    ASSERT_TRUE(record);
    EXPECT_EQ(record->hexid, 4738157u);
    EXPECT_EQ(record->type, "B738");
    EXPECT_EQ(record->callsign, "KLM1234");
    EXPECT_EQ(record->registration, "PH-BXA");
    EXPECT_EQ(record->origin, "EHAM");
    EXPECT_EQ(record->destination, "EGLL");
    EXPECT_TRUE(record->airline.empty());
    EXPECT_DOUBLE_EQ(record->time, 1765100000.5);
    EXPECT_DOUBLE_EQ(g_trafficTime.load(), 1765100000.5);
    const auto& sample = record->sample;
    EXPECT_DOUBLE_EQ(sample.latitude, 52.3);
    EXPECT_DOUBLE_EQ(sample.longitude, 4.76);
    EXPECT_DOUBLE_EQ(sample.altitude, 12000);
    EXPECT_DOUBLE_EQ(sample.groundSpeed, 280);
    EXPECT_DOUBLE_EQ(sample.track, 90);
    EXPECT_DOUBLE_EQ(sample.verticalSpeed, 640);
    EXPECT_DOUBLE_EQ(sample.trueAirspeed, 300);
    EXPECT_EQ(sample.dueTick, 3500);
    EXPECT_EQ(sample.airborne, 1);
    EXPECT_EQ(sample.stationary, 0);
    EXPECT_EQ(sample.bankValid, 1);
    EXPECT_DOUBLE_EQ(sample.bank, -2.5 * std::numbers::pi / 180);
    EXPECT_EQ(sample.trueHeadingValid, 1);
    EXPECT_EQ(sample.directSource, 1);
    EXPECT_DOUBLE_EQ(sample.trueHeading, 91 * std::numbers::pi / 180);
}

TEST_F(TrafficParserTest, HeadingAndTrackRules)
{
    // North as 0 is a full turn; a zero track takes the true heading.
    auto record = parse(TrafficLine().set(kTrueHeading, "0").set(kTrack, "0"));
    ASSERT_TRUE(record);
    EXPECT_DOUBLE_EQ(record->sample.trueHeading, 2 * std::numbers::pi);
    EXPECT_NEAR(record->sample.track, 360, 1e-9);
    // A negative heading is no heading; an empty track then stays 0.
    record = parse(TrafficLine().set(kTrueHeading, "-1").set(kTrack, ""));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->sample.trueHeadingValid, 0);
    EXPECT_EQ(record->sample.directSource, 0);
    EXPECT_EQ(record->sample.track, 0);
    // Roll -1 and 0 mean no bank.
    record = parse(TrafficLine().set(kRoll, "-1"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->sample.bankValid, 0);
}

TEST_F(TrafficParserTest, MissingTrueAirspeedFollowsAltitude)
{
    const std::vector<std::pair<const char*, double>> table = {
        {"1500", 180}, {"2000", 180}, {"4000", 220}, {"7000", 250}, {"15000", 350}, {"25000", 430}};
    for (const auto& [altitude, tas] : table) {
        const auto record = parse(TrafficLine().set(kAltitude, altitude).set(kTas, "-1"));
        ASSERT_TRUE(record) << altitude;
        EXPECT_EQ(record->sample.trueAirspeed, tas) << altitude;
    }
}

TEST_F(TrafficParserTest, OnGroundTestsUseTheParkAirportElevation)
{
    setParkAirport(52.3, 4.76, 1000);
    struct Case {
        const char* altitude;
        const char* groundSpeed;
        double expected;
    };
    const std::vector<Case> cases = {
        {"1030", "100", 0},    {"1030", "130", 1030}, {"1080", "80", 0},    {"1080", "81", 1080},
        {"1100", "43", 0},     {"1100", "44", 1100},  {"900", "200", 0},    {"1200", "35", 0},
        {"15000", "30", 0},    {"-50", "200", 0},
    };
    for (const auto& c : cases) {
        const auto record = parse(TrafficLine().set(kAltitude, c.altitude).set(kGs, c.groundSpeed));
        ASSERT_TRUE(record) << c.altitude << " " << c.groundSpeed;
        EXPECT_EQ(record->sample.altitude, c.expected) << c.altitude << " " << c.groundSpeed;
        EXPECT_EQ(record->sample.airborne, c.expected > 0 ? 1 : 0);
    }
    // Without an elevation the ground lies 1000 ft below sea level.
    g_trafficReader.clearReferenceElevation();
    const auto record = parse(TrafficLine().set(kAltitude, "30").set(kGs, "100"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->sample.altitude, 30);
}

TEST_F(TrafficParserTest, GroundTrafficOnlyNearTheParkAirport)
{
    // 0.1 degrees of latitude is 6 nm.
    setParkAirport(52.2, 4.76, 0);
    EXPECT_FALSE(parse(TrafficLine().set(kAltitude, "0")));
    setParkAirport(52.25, 4.76, 0);
    EXPECT_TRUE(parse(TrafficLine().set(kAltitude, "0")));
}

TEST_F(TrafficParserTest, AirborneOnlyDropsTrafficNearTheParkAirportElevation)
{
    AIRBORNE_ONLY.value = true;
    setParkAirport(52.3, 4.76, 1000);
    EXPECT_FALSE(parse(TrafficLine().set(kAltitude, "0")));
    EXPECT_FALSE(parse(TrafficLine().set(kAltitude, "1300").set(kGs, "200")));
    EXPECT_TRUE(parse(TrafficLine().set(kAltitude, "1301").set(kGs, "200")));
}

TEST_F(TrafficParserTest, CallsignThatIsNoRealCallsignNeedsRegistration)
{
    for (const char* callsign : {"KL@1234", "KLM123456", "KLM\n1234"}) {
        const auto record = parse(TrafficLine().set(kCallsign, callsign));
        ASSERT_TRUE(record) << callsign;
        EXPECT_TRUE(record->callsign.empty()) << callsign;
        EXPECT_EQ(record->registration, "PH-BXA");
    }
}

TEST_F(TrafficParserTest, AirportThatIsNoRealCodeIsUnknown)
{
    const std::string tooLong(9, 'E');
    for (const auto& [origin, destination] : {std::pair<std::string, std::string>{tooLong, "EG\rLL"},
                                              {"\xC3\x89HAM", "EG\xC2\x85L"}}) {
        const auto record = parse(TrafficLine().set(kOrigin, origin).set(kDestination, destination));
        ASSERT_TRUE(record);
        EXPECT_TRUE(record->origin.empty());
        EXPECT_TRUE(record->destination.empty());
    }
    const auto eight = parse(TrafficLine().set(kOrigin, "EHAMEHAM"));
    ASSERT_TRUE(eight);
    EXPECT_EQ(eight->origin, "EHAMEHAM");
}

TEST_F(TrafficParserTest, ControlBytesOfADatagramStayOnTheFaultLine)
{
    clk::freeze(clk::utcNow());
    const struct {
        std::string datagram;
        std::string logged;
    } cases[] = {
        {"a,b\nExiting: USER CLOSED SIM\nzzz", "2 fields, 29 needed, in: a,b\\nExiting: USER CLOSED SIM\\nzzz"},
        {"==> \r\t\x1b\x7f\x01", "1 fields, 29 needed, in: ==> \\r\\t\\x1b\\x7f\\x01"},
        {"\xFF\xC3(\xED\xA0\x80 \xC2\x85\xE2\x80\xA8\xE2\x80\xA9 \xC3\xA9\xE2\x82\xAC",
         "1 fields, 29 needed, in: \\xff\\xc3(\\xed\\xa0\\x80 \\u0085\\u2028\\u2029 \xC3\xA9\xE2\x82\xAC"},
    };
    for (const auto& c : cases) {
        clk::advance(std::chrono::minutes(1));
        g_trafficReader.handleLine(c.datagram);
    }
    const auto lines = m_log.lines();
    ASSERT_EQ(lines.size(), std::size(cases));
    for (std::size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(lines[i], "exception in processLineSub: " + cases[i].logged);
    // A long datagram of line breaks is cut after its escapes, with its length as received.
    clk::advance(std::chrono::minutes(1));
    g_trafficReader.handleLine(std::string(500, '\n') + "x");
    const std::string fault = "exception in processLineSub: 1 fields, 29 needed, in: ";
    std::string escaped = fault;
    for (int i = 0; i < 100; ++i)
        escaped += "\\n";
    ASSERT_EQ(m_log.lines().size(), std::size(cases) + 1);
    EXPECT_EQ(m_log.lines().back(), escaped.substr(0, 200) + fmt::format("… ({} bytes)", fault.size() + 501));
    clk::unfreeze();
}

TEST_F(TrafficParserTest, LeadingZerosOfHexidAreRead)
{
    const auto record = parse(TrafficLine().set(kHexid, "00000010001"));
    ASSERT_TRUE(record);
    EXPECT_EQ(record->hexid, 10001u);
}

TEST_F(TrafficParserTest, NothingIsQueuedWhileTheLoopIsNotRunning)
{
    gf_setLoopRunning(false);
    EXPECT_FALSE(parse(TrafficLine().set(kTimestamp, "1765100123")));
    EXPECT_EQ(g_trafficTime.load(), 1765100123.0);
}

TEST_F(TrafficParserTest, RenewalCollectsCallsignsOfEveryLine)
{
    g_trafficReader.renewalFlag = true;
    parse(TrafficLine().set(kCallsign, "KLM1"));
    parse(TrafficLine().set(kCallsign, "DLH2").set(kLat, "60"));  // beyond the range: not collected
    parse(TrafficLine().set(kCallsign, "KL@3"));
    parse(TrafficLine().set(kCallsign, "KLM123456"));
    parse(TrafficLine().set(kCallsign, "SAS4").set(kType, "ZZZZ"));  // dropped after the collection
    g_trafficReader.renewalFlag = false;
    parse(TrafficLine().set(kCallsign, "BAW5"));
    const auto seen = g_trafficReader.takeSeenCallsigns();
    EXPECT_EQ(seen, (std::unordered_set<std::string>{"KLM1", "SAS4"}));
    EXPECT_TRUE(g_trafficReader.takeSeenCallsigns().empty());
}

TEST_F(TrafficParserTest, RenewalCollectsCallsignsUpToItsBound)
{
    g_trafficReader.renewalFlag = true;
    const std::size_t bound = TrafficReader::kSeenCallsignsBound;
    for (std::size_t i = 0; i < bound + 500; ++i)
        parse(TrafficLine().set(kCallsign, fmt::format("C{:06}", i)));
    g_trafficReader.renewalFlag = false;
    const auto seen = g_trafficReader.takeSeenCallsigns();
    EXPECT_EQ(seen.size(), bound);
    EXPECT_TRUE(seen.contains(fmt::format("C{:06}", bound - 1)));
    EXPECT_FALSE(seen.contains(fmt::format("C{:06}", bound)));
}

} // namespace
