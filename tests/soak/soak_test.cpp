// The soak, a simulated day: a full feed of 2,000 aircraft around the park airport for
// simulated minutes (SKYWEAVER_SOAK_MINUTES, default 10), each line through the Traffic Reader's
// parser, the traffic queue, the main loop's tick and the simulated simulator on its stepped
// clock, with the events a day brings: parked aircraft whose feed stops and newcomers on their
// stands, aircraft that disappear and come back under the same transponder, the day reset of
// the flight seconds and UTC midnight, the static parking renewals. It holds the program to its
// limits on live and static aircraft, to the time a record may spend in each passing state, to
// flat memory once the sky is full and to the rules checked every simulated second; it prints
// the figures.
#include "app/app_steps.h"
#include "app/tick_state.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/engine_tick.h"
#include "liveries/livery_processing.h"
#include "parking/stand.h"
#include "parking/static_park_plan.h"
#include "platform/standin/simworld.h"
#include "refdata/aircraft_db.h"
#include "refdata/airport_db.h"
#include "core/clock.h"
#include "soak/day_invariants.h"
#include "soak/soak_feed.h"
#include "soak/soak_figures.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/parking_fixture.h"
#include "support/process_memory.h"
#include "support/program_state.h"
#include "support/reference_xml.h"
#include "support/stepped_sim.h"
#include "support/temp_folder.h"
#include "traffic/traffic_reader.h"
#include "ui/range_control.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <cstdlib>
#include <iostream>
#include <random>
#include <unordered_map>

using namespace testsupport;

namespace {

constexpr std::size_t kFeedSize = 2000;
constexpr std::uint32_t kSeed = 20261207;
constexpr int kStands = 700;
constexpr std::int64_t kTicksPerMinute = 6000;
// The "==> " lines the day brings on purpose.
// The simulator took an object away on its own while the program still moved it.
const std::vector<std::string> kExpectedMarkedLines = {"==> SIMCONNECT_EXCEPTION_UNRECOGNIZED_ID"};

int lf_minutes()
{
    const char* text = std::getenv("SKYWEAVER_SOAK_MINUTES");
    const int minutes = text != nullptr ? std::atoi(text) : 0;
    return minutes > 0 ? minutes : 10;
}

// The sky fills at two creations a second; half the run, at most 15 minutes, is warm-up.
int lf_warmUpMinutes(int minutes)
{
    return std::min(minutes / 2, 15);
}

class Soak : public ::testing::Test {
protected:
    void SetUp() override
    {
        useAppDataRoot(m_folder.path());
        writeSmallReferenceData(m_folder.path());
        ASSERT_TRUE(gf_readDbase());
        ASSERT_TRUE(gf_readAirports());
        std::vector<LiveryData> liveries = fixtureLiveries();
        writeLiveriesScanned(m_folder.path(), liveries);
        for (const LiveryData& livery : liveries)
            m_titles.push_back(livery.title);
        RANDOM.value = false;
        gf_processScannedLiveries();
        lf_startTwoMinutesBeforeMidnight();
        const Airport* airport = gf_findAirport("EDDF");
        ASSERT_NE(airport, nullptr);
        m_airport = {airport->lat, airport->lon};
        m_elevationFt = airport->alt;
        lf_parkAirport();
        lf_settings();
    }

    // Wednesday 4 March 2026, 23:58 UTC.
    static void lf_startTwoMinutesBeforeMidnight()
    {
        using namespace std::chrono;
        clk::freeze(sys_days{year{2026} / March / 4} + hours{23} + minutes{58});
    }

    // The park airport's stands, each with a use of a Lufthansa A320 all Wednesday and Thursday.
    void lf_parkAirport()
    {
        fillStandRows(gf_destinationPoint(m_airport, 0.0, 1000.0), kStands);
        for (Stand& stand : g_stands) {
            const std::string reg = fmt::format("D-S{:03}", stand.number);
            stand.options = {use(3, 0, 47, reg, "", "", true, "DLH", "A320"),
                             use(4, 0, 47, reg, "", "", true, "DLH", "A320")};
            m_standPlaces.push_back({stand.latitude, stand.longitude});
        }
        setParkAirport("EDDF", m_airport, m_elevationFt);
        g_trafficReader.setReferenceElevation(m_elevationFt);
    }

    static void lf_settings()
    {
        AUTO_RANGE.value = false;
        RANGE.value = 100;
        gf_applyRange();
        MAX_LIVE_SEL.value = 500;
        MAX_PARK_SEL.value = 500;
        parking_percentage.value = 100;
        CUSTOM_PARKING_PERCENTAGE.value = -1;
    }

    TempFolder m_folder{true};
    LogCapture m_log;
    std::vector<std::string> m_titles;
    std::vector<LatLon> m_standPlaces;
    LatLon m_airport;
    double m_elevationFt = 0.0;
};

// Now and then the simulator takes one of the program's objects away on its own, as the real
// one does: every 20 s, by turns one of them chosen at random and the newest one, which may
// still wait for its activation.
void lf_simulatorRemovesAnObject(std::int64_t tick, std::mt19937& random)
{
    if (tick % 2000 != 1000)
        return;
    auto& world = standin::SimWorld::instance();
    const std::vector<DWORD> objects = world.aliveAiObjects();
    if (objects.empty())
        return;
    const bool newest = tick % 4000 == 1000;
    world.removeObjectOnItsOwn(newest ? *std::max_element(objects.begin(), objects.end())
                                      : objects[random() % objects.size()]);
}

// When the day's events come, in simulated seconds from the start; a run longer than ten
// minutes brings the stopped feeds and their newcomers again every ten minutes.
constexpr int kMidnight = 120;          // UTC midnight: Wednesday's last half hour to Thursday's first
constexpr int kDayReset = 180;          // the flight seconds reach 86400
constexpr int kStopParkedFeeds = 60;
constexpr int kSendNewcomers = 75;
constexpr int kNewcomerTime = 150; // time for a newcomer to be created and to reach the stand
constexpr int kEventPeriod = 600;

// The events of the day that the feed brings.
class DayEvents {
public:
    explicit DayEvents(soak::SoakFeed& feed) : m_feed(feed) {}

    void at(int second)
    {
        const int inPeriod = second % kEventPeriod;
        if (inPeriod == kStopParkedFeeds)
            lf_stopParkedFeeds();
        if (inPeriod == kSendNewcomers)
            lf_sendNewcomers(second);
        if (inPeriod == kSendNewcomers + kNewcomerTime)
            lf_checkStaleGaveWay();
    }

    std::string summary() const
    {
        return fmt::format("events: {} parked feeds stopped, {} newcomers sent to their stands, {} stale aircraft "
                           "kept their stand from a newcomer in the simulator{}\n",
                           m_stoppedFeeds, m_newcomers, m_staleKept.size(),
                           m_staleKept.empty() ? "" : ", the first: " + m_staleKept.front());
    }

    // A parked aircraft whose feed stopped gives its stand to a newcomer that taxied there or
    // was first seen standing there.
    void expectStaleGaveWay() const { EXPECT_TRUE(m_staleKept.empty()) << summary(); }

private:
    struct StoppedFeed {
        std::uint32_t hexid;
        std::string callsign;
        LatLon stand;
        std::uint32_t newcomer = 0;
    };

    const LiveAc* lf_record(std::uint32_t hexid) const
    {
        for (const LiveAc& ac : g_liveAcs)
            if (ac.hexid == hexid && lf_inTheSimulator(ac))
                return &ac;
        return nullptr;
    }

    // Every newcomer in the simulator on the ground near its stand has the stand to itself.
    void lf_checkStaleGaveWay()
    {
        for (const StoppedFeed& stopped : m_stopped) {
            const LiveAc* newcomer = lf_record(stopped.newcomer);
            const LiveAc* stale = lf_record(stopped.hexid);
            if (newcomer == nullptr || stale == nullptr || newcomer->flightPhase == FlightPhase::flying)
                continue;
            const double metres =
                gf_distanceNm({newcomer->simPosition[0], newcomer->simPosition[1]}, stopped.stand) * kMetersPerNm;
            if (metres < 100.0)
                m_staleKept.push_back(fmt::format("{} beside {} {:.0f} m from its stand, phase {}", stale->callsign,
                                                  newcomer->callsign, metres,
                                                  static_cast<int>(newcomer->flightPhase)));
        }
    }

    const soak::FeedFlight* lf_flight(std::uint32_t hexid) const
    {
        for (const soak::FeedFlight& flight : m_feed.flights())
            if (flight.hexid == hexid && !flight.silent)
                return &flight;
        return nullptr;
    }

    static bool lf_inTheSimulator(const LiveAc& ac)
    {
        return ac.simState == SimState::active && ac.remove == 0 && ac.objectId != 0;
    }

    // Eight aircraft parked on their stands stop sending.
    void lf_stopParkedFeeds()
    {
        m_stopped.clear();
        for (const LiveAc& ac : g_liveAcs) {
            const soak::FeedFlight* flight = lf_flight(ac.hexid);
            if (m_stopped.size() == 8 || flight == nullptr || ac.flightPhase != FlightPhase::parked ||
                ac.standId == 0 || !lf_inTheSimulator(ac))
                continue;
            m_stopped.push_back({ac.hexid, ac.callsign, {ac.standLat, ac.standLon}});
            m_feed.silence(ac.hexid);
        }
        m_stoppedFeeds += m_stopped.size();
    }

    // Newcomers on the stands of the stopped feeds: by turns one taxiing there, one first seen
    // standing there, one standing there under the stopped aircraft's callsign.
    void lf_sendNewcomers(int second)
    {
        for (std::size_t i = 0; i < m_stopped.size(); ++i) {
            StoppedFeed& stopped = m_stopped[i];
            stopped.newcomer =
                i % 3 == 0 ? m_feed.addTaxiToStand(second, stopped.stand)
                           : m_feed.addStandingOn(second, stopped.stand, i % 3 == 2 ? stopped.callsign : std::string());
        }
        m_newcomers += m_stopped.size();
    }

    soak::SoakFeed& m_feed;
    std::vector<StoppedFeed> m_stopped;
    std::size_t m_stoppedFeeds = 0, m_newcomers = 0;
    std::vector<std::string> m_staleKept;
};

} // namespace

TEST_F(Soak, FullFeedStaysWithinTheLimitsAndMemoryStaysFlat)
{
    const int minutes = lf_minutes();
    const int warmUp = lf_warmUpMinutes(minutes);
    soak::SoakFeed feed(kSeed, kFeedSize, m_airport, m_elevationFt, m_standPlaces);
    auto link = std::make_unique<SteppedSimLink>(
        SteppedSimSetup{gf_destinationPoint(m_airport, 225.0 * kDegToRad, 2.0 * kFeetPerNm), m_elevationFt,
                        m_titles});
    // As the main loop starts: the static plan of the loaded park airport, then the ticks. The
    // flight seconds start just before the day reset, the static parking renewal is three
    // minutes away.
    lf_calcParkPositions();
    g_secondsCounter.store(86400 - kDayReset);
    g_staticParkingCountdown.store(3);
    gf_setLoopRunning(true);

    std::mt19937 random(kSeed);
    soak::StateWatch watch;
    soak::Figures figures;
    DayEvents events(feed);
    soak::DayInvariants rules(kExpectedMarkedLines);
    for (std::int64_t tick = 0; tick < minutes * kTicksPerMinute; ++tick) {
        if (tick % 100 == 0)
            events.at(static_cast<int>(tick / 100));
        feed.linesAt(tick, [](const std::string& line) { g_trafficReader.handleLine(line); });
        lf_simulatorRemovesAnObject(tick, random);
        SteppedSimLink::frameAtTick(g_engineTick.load());
        ASSERT_TRUE(lf_tick());
        clk::advance(std::chrono::milliseconds(10));
        if (tick % 50 == 0)
            watch.scan(g_engineTick.load());
        if ((tick + 1) % 100 == 0)
            rules.check(static_cast<int>((tick + 1) / 100));
        if ((tick + 1) % kTicksPerMinute == 0)
            figures.sample(static_cast<int>((tick + 1) / kTicksPerMinute));
    }
    std::cout << figures.table() << watch.table() << events.summary() << rules.table();
    figures.expectWithinBounds(warmUp, kFeedSize, feed.flightsStarted());
    watch.expectWithinBounds();
    rules.expectKept(minutes / 60.0);
    events.expectStaleGaveWay();

    // When the program's connection closes, the simulator takes every object it made away.
    ASSERT_FALSE(standin::SimWorld::instance().aliveAiObjects().empty());
    link.reset();
    EXPECT_TRUE(standin::SimWorld::instance().aliveAiObjects().empty());
}
