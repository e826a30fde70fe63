// The soak: a full feed of 2,000 aircraft around the park airport for simulated minutes
// (SKYWEAVER_SOAK_MINUTES, default 10), each line through the Traffic Reader's parser, the
// traffic queue, the main loop's tick and the simulated simulator on its stepped clock. It
// holds the program to its limits on live and static aircraft, to the time a record may spend
// in each passing state, and to flat memory once the sky is full; it prints the figures.
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

using namespace testsupport;

namespace {

constexpr std::size_t kFeedSize = 2000;
constexpr std::uint32_t kSeed = 20261207;
constexpr int kStands = 700;
constexpr std::int64_t kTicksPerMinute = 6000;

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
        freezeWeekTime(3, 20);
        const Airport* airport = gf_findAirport("EDDF");
        ASSERT_NE(airport, nullptr);
        m_airport = {airport->lat, airport->lon};
        m_elevationFt = airport->alt;
        lf_parkAirport();
        lf_settings();
    }

    // The park airport's stands, each with a use of a Lufthansa A320 all Wednesday.
    void lf_parkAirport()
    {
        fillStandRows(gf_destinationPoint(m_airport, 0.0, 1000.0), kStands);
        for (Stand& stand : g_stands) {
            stand.options = {use(3, 0, 47, fmt::format("D-S{:03}", stand.number), "", "", true, "DLH", "A320")};
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

} // namespace

TEST_F(Soak, FullFeedStaysWithinTheLimitsAndMemoryStaysFlat)
{
    const int minutes = lf_minutes();
    const int warmUp = lf_warmUpMinutes(minutes);
    soak::SoakFeed feed(kSeed, kFeedSize, m_airport, m_elevationFt, m_standPlaces);
    auto link = std::make_unique<SteppedSimLink>(
        SteppedSimSetup{gf_destinationPoint(m_airport, 225.0 * kDegToRad, 2.0 * kFeetPerNm), m_elevationFt,
                        m_titles});
    // As the main loop starts: the static plan of the loaded park airport, then the ticks.
    lf_calcParkPositions();
    g_secondsCounter.store(0);
    gf_setLoopRunning(true);

    std::mt19937 random(kSeed);
    soak::StateWatch watch;
    soak::Figures figures;
    for (std::int64_t tick = 0; tick < minutes * kTicksPerMinute; ++tick) {
        feed.linesAt(tick, [](const std::string& line) { g_trafficReader.handleLine(line); });
        lf_simulatorRemovesAnObject(tick, random);
        SteppedSimLink::frameAtTick(g_engineTick.load());
        ASSERT_TRUE(lf_tick());
        if (tick % 50 == 0)
            watch.scan(g_engineTick.load());
        if ((tick + 1) % kTicksPerMinute == 0)
            figures.sample(static_cast<int>((tick + 1) / kTicksPerMinute));
    }
    std::cout << figures.table() << watch.table();
    figures.expectWithinBounds(warmUp, kFeedSize, feed.flightsStarted());
    watch.expectWithinBounds();

    // When the program's connection closes, the simulator takes every object it made away.
    ASSERT_FALSE(standin::SimWorld::instance().aliveAiObjects().empty());
    link.reset();
    EXPECT_TRUE(standin::SimWorld::instance().aliveAiObjects().empty());
}
