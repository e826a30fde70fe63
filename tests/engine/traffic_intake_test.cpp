// Traffic records into live aircraft: new aircraft, refused samples, identity changes.
#include "core/geo.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/aircraft_names.h"
#include "engine/engine_tick.h"
#include "engine/life_cycle.h"
#include "engine/traffic_intake.h"
#include "liveries/regcodes.h"
#include "parking/park_airport.h"
#include "refdata/airport_db.h"
#include "support/engine_fixture.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

using testsupport::trafficRecord;

namespace {

constexpr double kStart = 1765100000.0;

class TrafficIntakeTest : public ::testing::Test {
protected:
    void SetUp() override { testsupport::fillSmallAircraftTables(); }

    // Hands the record to the intake as the engine tick does.
    static void handle(TrafficRecord rec) { handleTrafficRecord(rec); }

    static LiveAc& onlyAircraft()
    {
        EXPECT_EQ(g_liveAcs.size(), 1u);
        return g_liveAcs.front();
    }

    static void setParkAirport(double elevation)
    {
        g_airports = {Airport{"EHAM", "AMS", 52.3086, 4.7639, elevation, 200}};
        g_parkAirport = "EHAM";
        g_parkAirportIata = "AMS";
    }

    testsupport::TempFolder m_folder{true};
    testsupport::LogCapture m_log;
};

TEST_F(TrafficIntakeTest, NewHexidOfKnownTypeBecomesBufferedLiveAircraft)
{
    handle(trafficRecord(4738157, kStart));
    const LiveAc& ac = onlyAircraft();
    EXPECT_EQ(ac.hexid, 4738157u);
    EXPECT_EQ(ac.simState, SimState::buffer);
    EXPECT_EQ(ac.flightPhase, FlightPhase::birth);
    EXPECT_EQ(ac.callsign, "KLM1234");
    EXPECT_EQ(ac.firstCallsign, "KLM1234");
    EXPECT_EQ(ac.category, Category::Large);
    EXPECT_DOUBLE_EQ(ac.climbLimit, 0.6);
    EXPECT_DOUBLE_EQ(ac.standSpeed, 4.0);
    EXPECT_DOUBLE_EQ(ac.groundTurnRate, ac.turnRateBase);
    EXPECT_DOUBLE_EQ(ac.lastSampleTime, kStart);
    ASSERT_EQ(ac.stream.size(), 1u);
    EXPECT_EQ(ac.stream.front().altitude, 12000);
}

TEST_F(TrafficIntakeTest, TypeComesFromTheRegistrationAndUnknownTypesAreDropped)
{
    handle(trafficRecord(4738157, kStart, "KLM1234", "XXXX"));
    EXPECT_TRUE(g_liveAcs.empty());
    auto rec = trafficRecord(4738157, kStart, "KLM1234", "XXXX");
    rec.registration = "PH-BXA";
    handle(rec);
    EXPECT_EQ(onlyAircraft().type, "B738");
}

TEST_F(TrafficIntakeTest, SecondTransponderOfKnownFlightIsIgnored)
{
    handle(trafficRecord(4738157, kStart));
    handle(trafficRecord(4738158, kStart + 5));
    EXPECT_EQ(g_liveAcs.size(), 1u);
    handle(trafficRecord(4738159, kStart + 5, "KLM1234", "A320"));
    EXPECT_EQ(g_liveAcs.size(), 2u);
}

TEST_F(TrafficIntakeTest, OptionalCategoriesNeedTheirSetting)
{
    LIGHT_AIRCRAFT.value = false;
    handle(trafficRecord(5000001, kStart, "PHABC", "C172"));
    EXPECT_TRUE(g_liveAcs.empty());
    LIGHT_AIRCRAFT.value = true;
    handle(trafficRecord(5000001, kStart, "PHABC", "C172"));
    EXPECT_EQ(g_liveAcs.size(), 1u);
    HELICOPTERS.value = false;
    handle(trafficRecord(5000002, kStart, "CHX12", "H145"));
    EXPECT_EQ(g_liveAcs.size(), 1u);
}

TEST_F(TrafficIntakeTest, LowTrafficAtTheParkAirportElevationIsNotCreated)
{
    setParkAirport(1450);
    auto rec = trafficRecord(4738157, kStart);
    rec.sample.altitude = 1500;
    handle(rec);
    EXPECT_TRUE(g_liveAcs.empty());
    rec.sample.altitude = 0;
    rec.sample.airborne = 0;
    handle(rec);
    EXPECT_EQ(g_liveAcs.size(), 1u);
    // A buffered aircraft refuses such a sample too.
    rec.time += 10;
    rec.sample.altitude = 1500;
    handle(rec);
    EXPECT_EQ(onlyAircraft().stream.size(), 1u);
}

struct SampleCase {
    const char* rule;
    double lastSpeed, lastTrack;
    bool lastAirborne;
    double elapsed, speed, track;
    bool airborne;
    std::int32_t holdCount;
    bool accepted;
};

// The plausibility tests of a new sample against the newest one.
const std::vector<SampleCase> kSampleCases = {
    {"same time", 280, 90, true, 0.0, 280, 120, true, 0, false},
    {"within one second", 280, 90, true, 1.0, 280, 120, true, 0, false},
    {"after more than a second", 280, 90, true, 1.5, 280, 120, true, 0, true},
    {"speed ten times higher", 20, 90, false, 10, 200, 120, false, 0, false},
    {"speed a tenth", 200, 90, false, 10, 20, 120, false, 0, false},
    {"from standing to 90 kt", 3, 90, false, 10, 90, 120, false, 0, false},
    {"from standing to 70 kt", 3, 90, false, 10, 70, 120, false, 0, true},
    {"from 80 kt to standing", 80, 90, false, 10, 4, 120, false, 0, false},
    {"airborne hop shorter than 450 m", 300, 90, true, 2.9, 300, 90.5, true, 0, false},
    {"airborne hop longer than 450 m", 300, 90, true, 3.0, 300, 90.5, true, 0, true},
    {"airborne hop with a turn", 300, 90, true, 2.0, 300, 92, true, 0, true},
    {"airborne hop while holding", 300, 90, true, 2.0, 300, 90, true, 1, true},
    {"ground hop shorter than 20 m", 10, 90, false, 3.8, 10, 91, false, 0, false},
    {"ground hop longer than 20 m", 10, 90, false, 4.0, 10, 91, false, 0, true},
    {"standing still within 15 s", 0, 90, false, 14, 0, 90, false, 0, false},
    {"standing still after 15 s", 0, 90, false, 16, 0, 90, false, 0, true},
    {"slow taxi capped at 15 s", 1, 90, false, 14.5, 1, 90, false, 0, false},
    {"track 359 to 1 is a turn", 300, 359, true, 2.0, 300, 1, true, 0, true},
};

TEST_F(TrafficIntakeTest, NewSamplesPassThePlausibilityTests)
{
    for (const auto& c : kSampleCases) {
        g_liveAcs.clear();
        auto first = trafficRecord(4738157, kStart);
        first.sample.groundSpeed = c.lastSpeed;
        first.sample.track = c.lastTrack;
        first.sample.airborne = c.lastAirborne;
        first.sample.altitude = c.lastAirborne ? 12000 : 0;
        handle(first);
        ASSERT_EQ(g_liveAcs.size(), 1u) << c.rule;
        g_liveAcs.front().holdCount = c.holdCount;
        auto next = first;
        next.time = kStart + c.elapsed;
        next.sample.groundSpeed = c.speed;
        next.sample.track = c.track;
        next.sample.airborne = c.airborne;
        next.sample.altitude = c.airborne ? 12000 : 0;
        if (c.speed > 0)
            next.sample.latitude += 0.001; // a moving aircraft is somewhere else
        handle(next);
        EXPECT_EQ(g_liveAcs.front().stream.size(), c.accepted ? 2u : 1u) << c.rule;
        EXPECT_EQ(g_liveAcs.front().lastSampleTime, c.accepted ? next.time : kStart) << c.rule;
    }
}

TEST_F(TrafficIntakeTest, AcceptedSampleIsDueAfterTheNewest)
{
    auto rec = trafficRecord(4738157, kStart);
    rec.sample.dueTick = 3000;
    handle(rec);
    rec.time += 5;
    rec.sample.dueTick = 2000;
    rec.sample.latitude += 0.01;
    handle(rec);
    const LiveAc& ac = onlyAircraft();
    ASSERT_EQ(ac.stream.size(), 2u);
    EXPECT_EQ(ac.stream.back().dueTick, 3001);
}

TEST_F(TrafficIntakeTest, BufferedAircraftTakesTheRecordsIdentity)
{
    handle(trafficRecord(4738157, kStart));
    auto rec = trafficRecord(4738157, kStart + 5, "KLM99");
    rec.destination = "LFPG";
    rec.origin = "";
    rec.registration = "PH-BXA";
    handle(rec);
    const LiveAc& ac = onlyAircraft();
    EXPECT_EQ(ac.callsign, "KLM99");
    EXPECT_EQ(ac.destination, "LFPG");
    EXPECT_EQ(ac.origin, "EHAM");
    EXPECT_EQ(ac.registration, "PH-BXA");
}

class ActiveAircraftTest : public TrafficIntakeTest {
protected:
    LiveAc& activeAircraft(const std::string& origin, const std::string& destination)
    {
        auto rec = trafficRecord(4738157, kStart);
        rec.origin = origin;
        rec.destination = destination;
        rec.registration = "PH-BXA";
        handle(rec);
        LiveAc& ac = onlyAircraft();
        ac.simState = SimState::active;
        ac.flightPhase = FlightPhase::flying;
        ac.airline = "KLM";
        ac.objectId = 42;
        return ac;
    }
    static TrafficRecord next(const std::string& origin, const std::string& destination)
    {
        auto rec = trafficRecord(4738157, kStart + 10);
        rec.origin = origin;
        rec.destination = destination;
        rec.registration = "PH-BXA";
        rec.sample.longitude += 0.02; // 10 s east at 280 kt
        return rec;
    }
    struct Route {
        const char* origin;
        const char* destination;
    };
    // An active aircraft flying one route, then its next record with another, with GUID
    // changes on or off.
    LiveAc& routeSent(bool guidChanges, const Route& flown, const Route& sent)
    {
        GUID_CHANGES.value = guidChanges;
        LiveAc& ac = activeAircraft(flown.origin, flown.destination);
        handle(next(sent.origin, sent.destination));
        return ac;
    }
};

TEST_F(ActiveAircraftTest, FilledDestinationIsAChangeThatRespawnsWithGuidChanges)
{
    LiveAc& ac = routeSent(true, {"EHAM", ""}, {"EHAM", "EGLL"});
    EXPECT_EQ(ac.destination, "EGLL");
    EXPECT_EQ(ac.simState, SimState::liveryrespawn);
    EXPECT_EQ(ac.stream.size(), 2u); // the respawn's copy of the front sample, due next tick
    EXPECT_TRUE(m_log.contains("          " + gf_acDescrWide(ac) + " respawns"));
}

TEST_F(ActiveAircraftTest, ChangeWithoutGuidChangesIsAccepted)
{
    LiveAc& ac = routeSent(false, {"EHAM", ""}, {"EHAM", "EGLL"});
    EXPECT_EQ(ac.simState, SimState::active);
    EXPECT_EQ(ac.stream.size(), 2u);
}

TEST_F(ActiveAircraftTest, DifferentDestinationAloneKeepsTheRoute)
{
    LiveAc& ac = routeSent(true, {"EHAM", "EGLL"}, {"EHAM", "LFPG"});
    EXPECT_EQ(ac.destination, "EGLL");
    EXPECT_EQ(ac.simState, SimState::active);
    EXPECT_EQ(ac.stream.size(), 2u);
}

TEST_F(ActiveAircraftTest, NewRouteOnTheGroundStartsTaxi)
{
    GUID_CHANGES.value = false;
    LiveAc& ac = activeAircraft("EHAM", "EGLL");
    ac.onGround = 1;
    ac.simPosition[4] = 1.25;
    handle(next("LFPG", "EDDF"));
    EXPECT_EQ(ac.origin, "LFPG");
    EXPECT_EQ(ac.destination, "EDDF");
    EXPECT_EQ(ac.flightPhase, FlightPhase::taxi);
    EXPECT_EQ(ac.previousPhase, FlightPhase::flying);
    EXPECT_DOUBLE_EQ(ac.course, 1.25);
}

TEST_F(ActiveAircraftTest, ReturnToTheParkAirportIsNotANewRoute)
{
    setParkAirport(-11);
    LiveAc& ac = routeSent(true, {"AMS", "LHR"}, {"CDG", "AMS"});
    EXPECT_EQ(ac.origin, "AMS");
    EXPECT_EQ(ac.simState, SimState::active);
}

TEST_F(ActiveAircraftTest, EmptyRegistrationNeverWipesTheKnownOne)
{
    LiveAc& ac = activeAircraft("EHAM", "EGLL");
    auto rec = next("EHAM", "EGLL");
    rec.registration.clear();
    handle(rec);
    EXPECT_EQ(ac.registration, "PH-BXA");
    EXPECT_EQ(ac.stream.size(), 2u);
}

TEST_F(ActiveAircraftTest, RegistrationOfAnotherOwnerChangesAirlineAndType)
{
    GUID_CHANGES.value = true;
    LiveAc& ac = activeAircraft("EHAM", "EGLL");
    auto rec = next("EHAM", "EGLL");
    rec.callsign = "CLH1234";
    rec.registration = "D-AIBA";
    handle(rec);
    EXPECT_EQ(ac.airline, "CLH");
    EXPECT_EQ(ac.type, "A320");
    EXPECT_EQ(ac.registration, "D-AIBA");
    EXPECT_EQ(ac.callsign, "CLH1234");
    EXPECT_EQ(ac.simState, SimState::liveryrespawn);
}

TEST_F(ActiveAircraftTest, RegistrationBoundToAnotherLiveryResetsIt)
{
    GUID_CHANGES.value = true;
    g_regcodeMap["PH-BXB"] = "Boeing 737-800 KLM Orange";
    g_regcodeMap["PH-BXC"] = "Boeing 737-800 KLM";
    LiveAc& ac = activeAircraft("EHAM", "EGLL");
    ac.registration.clear();
    ac.livery = "Boeing 737-800 KLM";
    auto same = next("EHAM", "EGLL");
    same.registration = "PH-BXC";
    handle(same);
    EXPECT_EQ(ac.simState, SimState::active);
    EXPECT_EQ(ac.registration, "PH-BXC");
    ac.registration.clear();
    auto other = next("EHAM", "EGLL");
    other.time += 10;
    other.registration = "PH-BXB";
    handle(other);
    EXPECT_TRUE(ac.livery.empty());
    EXPECT_EQ(ac.registration, "PH-BXB");
    EXPECT_EQ(ac.simState, SimState::liveryrespawn);
}

TEST_F(ActiveAircraftTest, GhostCallsignOfALiveOriginalIsRefused)
{
    LiveAc& ac = activeAircraft("EHAM", "EGLL");
    auto original = trafficRecord(4738999, kStart, "KLM77");
    handle(original);
    auto rec = next("EHAM", "EGLL");
    rec.callsign = "KLM77_";
    handle(rec);
    EXPECT_EQ(g_liveAcs.front().callsign, "KLM1234");
    EXPECT_EQ(g_liveAcs.front().stream.size(), 1u);
    (void)ac;
}

// A taxiing aircraft arms its take-off on an airborne sample or on two samples at 43 kt
// or more; an aircraft in its landing roll whose samples climb again restarts as a take-off.
TEST_F(ActiveAircraftTest, TakeOffIsDetectedFromTheSamples)
{
    struct Case {
        const char* name;
        bool landingRoll;
        double firstKt, nextKt;
        bool firstAirborne, nextAirborne;
        bool takeOff;
    };
    const Case cases[] = {
        {"fast taxi twice", false, 45, 44, false, false, true},
        {"fast once", false, 30, 50, false, false, false},
        {"airborne sample", false, 30, 140, false, true, true},
        {"slow taxi", false, 20, 20, false, false, false},
        {"landing roll climbs again", true, 140, 140, true, true, true},
        {"landing roll on the ground", true, 100, 90, false, false, false},
        {"landing roll, one airborne sample", true, 100, 140, false, true, false},
    };
    const auto sample = [](double time, double kt, bool airborne, double lon) {
        auto rec = trafficRecord(4738157, time);
        rec.sample.groundSpeed = kt;
        rec.sample.trueAirspeed = kt;
        rec.sample.airborne = airborne ? 1 : 0;
        rec.sample.altitude = airborne ? 400 : 0;
        rec.sample.longitude = lon;
        return rec;
    };
    for (const Case& c : cases) {
        gf_clearAcContainers();
        handle(sample(kStart, c.firstKt, c.firstAirborne, 4.76));
        LiveAc& ac = onlyAircraft();
        ac.simState = SimState::active;
        ac.flightPhase = c.landingRoll ? FlightPhase::flying : FlightPhase::taxi;
        ac.landingRoll = c.landingRoll ? 1 : 0;
        ac.onGround = 1;
        ac.objectId = 42;
        // Ten seconds east at the sample's own speed.
        const double lon = 4.76 + c.nextKt * 10 / 3600 / (60 * std::cos(52.3 * 3.14159265358979 / 180));
        handle(sample(kStart + 10, c.nextKt, c.nextAirborne, lon));
        EXPECT_EQ(ac.stream.size(), 2u) << c.name;
        EXPECT_EQ(ac.takeOffStarted != 0, c.takeOff) << c.name;
        EXPECT_EQ(ac.flightPhase == FlightPhase::taxi, !c.landingRoll || c.takeOff) << c.name;
    }
}

TEST(AirlineFromCallsign, ThreeLettersAndADigitNameTheAirline)
{
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"klm1234", "KLM"}, {"KLM1", "KLM"}, {"KL12", ""}, {"KLMA12", ""}, {"KLM", ""}, {"PHBXA", ""}};
    for (const auto& [callsign, airline] : cases) {
        AcIdent ac;
        ac.callsign = callsign;
        EXPECT_EQ(lf_airlineFromCallsign(ac), *airline != '\0') << callsign;
        EXPECT_EQ(ac.airline, airline) << callsign;
    }
}

} // namespace

// A taxiing aircraft's samples on the ground: each 20 s after the last, at a due tick of its own.
class GroundStreamTest : public TrafficIntakeTest {
protected:
    static constexpr LatLon kFirstPlace{52.3, 4.76};
    static constexpr double kMetre = 3.280839895;

    // The first sample at the start, handed to the intake, and the aircraft made active there.
    LiveAc& taxiing()
    {
        handle(at(0.0, 0, 10.0));
        LiveAc& ac = onlyAircraft();
        ac.simState = SimState::active;
        ac.flightPhase = FlightPhase::taxi;
        ac.onGround = 1;
        ac.objectId = 42;
        return ac;
    }
    // A ground sample metres east of the start (north by northMetres), at the due tick.
    TrafficRecord at(double eastMetres, std::int32_t dueTick, double groundSpeed, double northMetres = 0.0)
    {
        m_time += 20.0;
        auto rec = trafficRecord(4738157, m_time);
        LatLon place = gf_destinationPoint(kFirstPlace, std::numbers::pi / 2, eastMetres * kMetre);
        place = gf_destinationPoint(place, 0.0, northMetres * kMetre);
        rec.sample.latitude = place.lat;
        rec.sample.longitude = place.lon;
        rec.sample.altitude = 0;
        rec.sample.airborne = 0;
        rec.sample.groundSpeed = groundSpeed;
        rec.sample.trueAirspeed = groundSpeed;
        rec.sample.dueTick = dueTick;
        return rec;
    }

    double m_time = ::kStart;
};

// A moving sample after a stand-still drops the stationary run behind the last moving sample
// (up to five samples back) when the run was shorter than 1500 ticks or the aircraft crept
// no farther than 22 m from where it stopped.
TEST_F(GroundStreamTest, MovingSampleDropsAShortOrCreepingStandStill)
{
    struct Case {
        const char* name;
        int stationarySamples;
        std::int32_t runTicks;  // from the arrival to the newest stationary sample
        double northMetres;     // of the moving sample beside the next place east
        double eastMetres;      // of the moving sample beyond the stand-still
        std::size_t kept;       // samples in the stream after the moving sample
    };
    const Case cases[] = {
        {"short stand-still", 2, 1000, 0.0, 100.0, 3},
        {"long stand-still left behind", 2, 2000, 0.0, 100.0, 5},
        {"long stand-still crept away from by 19 m", 2, 2000, 19.0, 0.0, 3},
        {"short stand-still five samples back", 5, 1000, 0.0, 100.0, 3},
        {"short stand-still six samples back", 6, 1000, 0.0, 100.0, 9},
    };
    for (const Case& c : cases) {
        gf_clearAcContainers();
        LiveAc& ac = taxiing();
        handle(at(100.0, 2000, 10.0));  // arrives where it stands
        for (int i = 1; i <= c.stationarySamples; ++i)
            handle(at(100.0, 2000 + c.runTicks * i / c.stationarySamples, 0.0));
        ASSERT_EQ(ac.stream.size(), 2u + static_cast<std::size_t>(c.stationarySamples)) << c.name;
        handle(at(100.0 + c.eastMetres, 2000 + c.runTicks + 2000, 10.0, c.northMetres));
        EXPECT_EQ(ac.stream.size(), c.kept) << c.name;
        EXPECT_FALSE(ac.stream.back().stationary) << c.name;
    }
}

// Once the tick has flown past the arrival, a second stationary sample makes the one left due on
// the next tick: the aircraft stands there from now on. A longer stand-still keeps only that pair.
TEST_F(GroundStreamTest, StandingStreamIsDueOnTheNextTick)
{
    g_engineTick = 5000;
    LiveAc& ac = taxiing();
    handle(at(100.0, 9000, 10.0));
    handle(at(100.0, 9500, 0.0));
    while (!ac.stream.front().stationary)
        ac.stream.pop_front();  // flown by the tick
    handle(at(100.0, 9750, 0.0));
    ASSERT_EQ(ac.stream.size(), 2u);
    EXPECT_EQ(ac.stream.front().dueTick, 5001);
    g_engineTick = 6000;
    handle(at(100.0, 10000, 0.0));
    ASSERT_EQ(ac.stream.size(), 2u);
    EXPECT_EQ(ac.stream.front().dueTick, 6001);
    EXPECT_EQ(ac.stream.back().dueTick, 10000);
    g_engineTick = 0;
}

// An aircraft whose stream grew past 200 samples (its object no longer follows them) is taken out.
TEST_F(GroundStreamTest, StreamAbove200SamplesRemovesTheAircraft)
{
    LiveAc& ac = taxiing();
    for (int i = 1; i <= 200; ++i)
        handle(at(100.0 * i, 2000 * i, 10.0));
    ASSERT_EQ(ac.stream.size(), 201u);
    EXPECT_EQ(ac.simState, SimState::active);
    handle(at(100.0 * 201, 2000 * 201, 10.0));
    EXPECT_EQ(ac.stream.size(), 201u);
    EXPECT_EQ(ac.simState, SimState::removingfromsim);
}
