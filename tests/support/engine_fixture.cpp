#include "support/engine_fixture.h"

#include "refdata/aircraft_db.h"

namespace testsupport {

void fillSmallAircraftTables()
{
    g_knownAircraftTypes = {"A320", "B738", "B744", "C172", "H145"};
    g_largeTypes = {"A320", "B738"};
    g_heavyTypes = {"B744"};
    g_rotorcraftTypes = {"H145"};
    g_registrations["PH-BXA"] = RegistrationData{"KLM", "B738", "", false};
    g_registrations["D-AIBA"] = RegistrationData{"DLH", "A320", "CLH", false};
}

TrafficRecord trafficRecord(std::uint32_t hexid, double time, const std::string& callsign, const std::string& type)
{
    TrafficRecord rec;
    rec.hexid = hexid;
    rec.time = time;
    rec.callsign = callsign;
    rec.type = type;
    rec.origin = "EHAM";
    rec.destination = "EGLL";
    rec.sample.latitude = 52.3;
    rec.sample.longitude = 4.76;
    rec.sample.altitude = 12000;
    rec.sample.groundSpeed = 280;
    rec.sample.track = 90;
    rec.sample.trueAirspeed = 300;
    rec.sample.airborne = 1;
    rec.sample.dueTick = 3000;
    return rec;
}

} // namespace testsupport
