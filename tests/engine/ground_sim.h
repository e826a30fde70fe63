// Live aircraft on the ground against the stepped simulated simulator: stands of the park
// airport, taxi samples around them, and what the simulator and the log received.
#pragma once

#include "air_sim_flight.h"

#include "core/geo.h"
#include "engine/adding_stack.h"
#include "engine/stand_search.h"
#include "parking/stand.h"
#include "support/parking_fixture.h"
#include "ui/main_window.h"

#include <string>

namespace groundtest {

using airtest::kAirport;
using airtest::kAirportElevationFt;
using airtest::kDeg;

// The point north and east of the airport reference, in metres.
inline LatLon at(double northM, double eastM)
{
    const LatLon north = gf_destinationPoint(kAirport, 0.0, northM / 0.3048);
    return gf_destinationPoint(north, 90.0 * kDeg, eastM / 0.3048);
}

inline double metres(const LatLon& a, const LatLon& b)
{
    return gf_distanceNm(a, b) * 1852.0;
}

// A ground sample at the point, moving at the speed (standing when 0), due at the tick.
inline PosSample groundSample(const LatLon& p, double speedKt, std::int32_t dueTick)
{
    PosSample s;
    s.latitude = p.lat;
    s.longitude = p.lon;
    s.groundSpeed = speedKt;
    s.trueAirspeed = speedKt;
    s.dueTick = dueTick;
    s.stationary = speedKt == 0.0 ? 1 : 0;
    return s;
}

// Ticks to cover the distance at the speed.
inline std::int32_t ticksFor(const LatLon& a, const LatLon& b, double speedKt)
{
    return static_cast<std::int32_t>(gf_distanceNm(a, b) / speedKt * 360000.0);
}

class GroundSim : public airtest::AirSimFlight {
protected:
    void SetUp() override
    {
        AirSimFlight::SetUp();
        setParkAirport();
        g_mainWindowState.parkFileLoaded = true;
    }

    // A stand at the point with its heading (degrees) and radius (metres); stands are
    // numbered once all are added (numberStands).
    static Stand& addStand(const std::string& id, const LatLon& p, double headingDeg, double radiusM = 20.0)
    {
        g_stands.emplace_back(std::string(id), std::vector<ParkOpt>{}, StandPlace{p.lat, p.lon, headingDeg * kDeg},
                              radiusM, false, false, false);
        return g_stands.back();
    }
    static void numberStands() { gf_numberStandsAndFindNeighbours(g_stands); }

    // A Large aircraft on the ground at its first sample, created in the simulator.
    LiveAc groundAc(const std::vector<PosSample>& samples, double headingDeg)
    {
        LiveAc ac = testsupport::makeActiveAc(Category::Large, 0, samples);
        ac.simPosition[4] = headingDeg * kDeg;
        ac.simPosition[5] = kAirportElevationFt + airtest::kStaticCgFt;
        createInSimulator(ac);
        return ac;
    }

    // A Large aircraft parked on the stand, its stream standing there from tick 0.
    LiveAc parkedAc(const Stand& stand)
    {
        LiveAc ac = groundAc({groundSample({stand.latitude, stand.longitude}, 0.0, 0)}, stand.heading / kDeg);
        ac.flightPhase = FlightPhase::parked;
        testsupport::assignStand(ac, stand);
        return ac;
    }

    // The program's engine tick with a simulator frame every third tick.
    void runTicks(int count)
    {
        for (int i = 0; i < count; ++i) {
            lf_handleAddingStack();
            if (i % 3 == 0) {
                frames(1);
            }
        }
    }

    LatLon simAt(const LiveAc& ac) const
    {
        const auto p = world().object(ac.objectId)->positions.back();
        return {p.latitude, p.longitude};
    }
    double simHeadingDeg(const LiveAc& ac) const
    {
        return world().object(ac.objectId)->positions.back().headingRad / kDeg;
    }
};

} // namespace groundtest
