// A live aircraft flown by the engine's movement against the simulated simulator on its
// stepped clock: the SimClient thread sends what the engine queues, the simulator's
// within-range reports give the height above ground and the ground contact back.
#pragma once

#include "../simlink/sim_link_fixture.h"

#include "engine/ac_containers.h"
#include "engine/air_movement.h"
#include "engine/life_cycle.h"
#include "engine/engine_tick.h"
#include "parking/park_airport.h"
#include "support/air_traffic.h"

#include <cmath>
#include <functional>
#include <vector>

namespace airtest {

inline constexpr double kDeg = 0.017453292519943295;
inline const LatLon kAirport{47.4581, 8.5555};
inline constexpr double kAirportElevationFt = 1416.0;
inline constexpr double kStaticCgFt = 7.0;
inline constexpr double kStaticPitchRad = 0.7 * kDeg;

// What the engine held on one tick.
struct TickState {
    std::int32_t tick = 0;
    std::array<double, 8> simPosition{};
    std::int32_t flareStage = 0;
    FlightPhase phase = FlightPhase::flying;
    bool onGround = false;
};

class AirSimFlight : public simlinktest::SimLinkTest {
protected:
    void SetUp() override
    {
        auto config = simlinktest::steppedWorld();
        config.terrainElevationFt = kAirportElevationFt;
        config.staticCgFt = kStaticCgFt;
        config.staticPitchRad = kStaticPitchRad;
        config.user.latitude = kAirport.lat;
        config.user.longitude = kAirport.lon;
        world().configure(config);
        g_msfs2020.store(true);
        gf_resetSimQueues();
        g_engineTick = 0;
    }

    static void setParkAirport()
    {
        g_parkAirport = "LSZH";
        g_parkAirportLat = kAirport.lat;
        g_parkAirportLon = kAirport.lon;
        g_parkAirportElevation = kAirportElevationFt;
        g_parkAirportSet = true;
    }

    // The engine's within-range request over a 40 nm range.
    void probeInRange()
    {
        std::lock_guard lock(g_simQueueMutex);
        SimConnect_RequestDataOnSimObjectType(g_hSimConnect, kRequestAcInRange, kDefinitionInRange, 40 * 1852,
                                              SIMCONNECT_SIMOBJECT_TYPE_AIRCRAFT);
    }

    // The aircraft is created at its simulator position and identified; it then is active.
    // The link is started for the first aircraft.
    void createInSimulator(LiveAc& ac)
    {
        if (!world().connected()) {
            connect();
        }
        CreateRequest request;
        request.initPosition = {ac.simPosition[0], ac.simPosition[1], ac.simPosition[5],
                                ac.simPosition[2] / kDeg, ac.simPosition[3] / kDeg, ac.simPosition[4] / kDeg,
                                ac.onGround ? 1u : 0u, static_cast<DWORD>(ac.simPosition[7])};
        request.callsign = ac.callsign;
        request.title = simlinktest::kInstalledTitle;
        request.aircraftId = ac.hexid;
        gf_queueCreateAc(request);
        frames(3);
        probeInRange();
        frames(1);
        for (const SimResult& result : takeResults()) {
            if (result.kind == SimResultKind::LiveIdentified && result.aircraftId == ac.hexid) {
                ac.objectId = result.objectId;
                ac.agl = result.value2;
            }
        }
        ASSERT_NE(ac.objectId, 0u);
        ac.staticCg = kStaticCgFt;
        ac.staticPitch = kStaticPitchRad;
        frames(1);
    }

    // Engine ticks until the aircraft leaves (or is being removed), the ticks run out or `until` holds; a frame every
    // third tick and a within-range request every 20 ticks, as the program runs them.
    void fly(LiveAc& ac, int maxTicks, const std::function<bool(const LiveAc&)>& until = {})
    {
        for (int i = 0; i < maxTicks && !ac.remove && ac.simState != SimState::removingfromsim && !(until && until(ac));
             ++i) {
            if (i % 20 == 0) {
                probeInRange();
            }
            handleReports(ac);
            update(ac);
            ticks.push_back({g_engineTick.load(), ac.simPosition, ac.flareStage, ac.flightPhase, ac.onGround != 0});
            gf_swapPositionQueues();
            if (i % 3 == 0) {
                frames(1);
            }
            g_engineTick.fetch_add(1);
        }
        frames(2);
    }

    // The aircraft becomes the engine's only live aircraft, so the simulator's results reach it.
    static LiveAc& adopt(LiveAc ac)
    {
        g_liveAcs.clear();
        return g_liveAcs.emplace_back(std::move(ac));
    }

    // The simulator's ground reports through the engine's own result handling.
    static void handleReports(LiveAc&) { gf_handleSimResults(); }

    // One tick of an active aircraft.
    void update(LiveAc& ac)
    {
        if (ac.stream.empty()) {
            ac.remove = 1;
            return;
        }
        if (g_engineTick.load() >= ac.stream.front().dueTick) {
            nextPosMain(ac);
            if (ac.remove) {
                return;
            }
            ac.simPosition[6] = ac.verticalSpeed / 60.0;
            ac.simPosition[7] = ac.stream.front().stationary ? 0.0 : ac.trueAirspeed;
        }
        if (!ac.stream.front().stationary) {
            lf_flyCurve(ac);
        }
        const auto& p = ac.simPosition;
        const PositionItem item{{p[0], p[1], p[2], p[3], p[4], p[5]}, p[6], p[7], ac.objectId};
        g_positionFill->push_back(item);
    }

    // The simulator events of the object with their values, in order.
    std::vector<std::pair<std::string, DWORD>> events(DWORD objectId) const
    {
        std::vector<std::pair<std::string, DWORD>> out;
        const auto object = world().object(objectId);
        for (const auto& e : object->events) {
            out.emplace_back(e.name, e.value);
        }
        return out;
    }

    static bool hasEvent(const std::vector<std::pair<std::string, DWORD>>& list, const std::string& name, DWORD value)
    {
        return std::find(list.begin(), list.end(), std::make_pair(name, value)) != list.end();
    }

    // Every position the simulator received is a number, above the ground, and its heading
    // lies in [0, 2 pi).
    void expectSanePositions(DWORD objectId) const
    {
        const auto object = world().object(objectId);
        ASSERT_TRUE(object.has_value());
        ASSERT_FALSE(object->positions.empty());
        for (const auto& p : object->positions) {
            for (double v : {p.latitude, p.longitude, p.altitudeFt, p.pitchRad, p.bankRad, p.headingRad,
                             p.verticalSpeedFps, p.trueAirspeedKt}) {
                ASSERT_FALSE(std::isnan(v)) << "frame " << p.frame;
            }
            ASSERT_GE(p.altitudeFt, kAirportElevationFt) << "frame " << p.frame;
            ASSERT_GE(p.headingRad, 0.0) << "frame " << p.frame;
            ASSERT_LT(p.headingRad, 2.0 * 3.141592653589793) << "frame " << p.frame;
        }
    }

    std::vector<TickState> ticks;
};

} // namespace airtest
