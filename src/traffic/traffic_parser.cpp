// The traffic line parser: checks and converts the fields of one RealTraffic line,
// applies the acceptance filters, and queues the accepted record.
#include "traffic/traffic_reader.h"

#include "app/tick_state.h"
#include "core/fault_log.h"
#include "core/log.h"
#include "core/run_state.h"
#include "core/settings.h"
#include "core/traffic_time.h"
#include "engine/aircraft_names.h"
#include "engine/engine_tick.h"
#include "parking/park_airport.h"
#include "traffic/traffic_mutex.h"
#include "traffic/traffic_record.h"

#include <fmt/format.h>

#include <algorithm>
#include <charconv>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace {

FaultLog lv_lineFaults("exception in processLineSub");
FaultLog lv_queueFaults("traffic queue full");
const RunStateRegistration lf_faultLogState{
    gf_faultLogEntry("lv_lineFaults", lv_lineFaults),
    gf_faultLogEntry("lv_queueFaults", lv_queueFaults),
};

// Field indexes of a RealTraffic traffic line.
enum Field : std::size_t {
    kHexid = 1, kLat = 2, kLon = 3, kAltitude = 4, kVs = 5, kTrack = 7, kGs = 8, kCallsign = 9,
    kType = 10, kRegistration = 11, kOrigin = 12, kDestination = 13, kTimestamp = 14, kSource = 17,
    kTas = 20, kRoll = 23, kTrueHeading = 25, kCategory = 28, kFieldCount = 29,
};

constexpr double kDegToRadians = std::numbers::pi / 180.0;

// A finite decimal number from the start of the field; trailing text is ignored.
std::optional<double> lf_parseNumber(std::string_view text)
{
    double value = 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || !std::isfinite(value))
        return std::nullopt;
    return value;
}

// The number, or the fault "{name}:{field}".
double lf_number(std::string_view text, std::string_view name)
{
    const auto value = lf_parseNumber(text);
    if (!value)
        throw std::runtime_error(fmt::format("{}:{}", name, text));
    return *value;
}

// The number, or the fault of the prefix followed directly by the field.
double lf_numberOr(std::string_view text, std::string_view faultPrefix)
{
    const auto value = lf_parseNumber(text);
    if (!value)
        throw std::runtime_error(fmt::format("{}{}", faultPrefix, text));
    return *value;
}

// Epoch seconds from 2000-01-01 up to 2100-01-01, or the fault "timestamp:{field}":
// anything else is no time at all, and the feed clock and the start-up wait read it.
// The range is fixed, so that a PC whose clock is wrong still takes the feed.
double lf_timestamp(std::string_view text)
{
    constexpr double kYear2000 = 946684800.0;
    constexpr double kYear2100 = 4102444800.0;
    const auto value = lf_parseNumber(text);
    if (!value || *value < kYear2000 || *value > kYear2100)
        throw std::runtime_error(fmt::format("{}:{}", "timestamp", text));
    return *value;
}

std::string_view lf_fieldToString(std::string_view field)
{
    return field == "null" ? std::string_view{} : field;
}

// Longest callsign, and longest type or airport code (real ones have at most four
// characters; the bound leaves room for odd feeds and fills the log's route column).
constexpr std::size_t kCallsignLength = 8;
constexpr std::size_t kCodeLength = 8;

// A field that can be a real code: not longer than the bound and of printable ASCII only, as
// real codes are, so that whatever quotes or converts it stays one short line of valid text.
bool lf_isPlainField(std::string_view field, std::size_t maxLength)
{
    return field.size() <= maxLength && std::all_of(field.begin(), field.end(), [](char c) {
               const auto byte = static_cast<unsigned char>(c);
               return byte >= 0x20 && byte <= 0x7E;
           });
}

// The callsign as the record takes it: "null", one with '@', a longer one than a real
// callsign or one with other than printable ASCII is no callsign.
std::string_view lf_plainCallsign(std::string_view field)
{
    const auto callsign = lf_fieldToString(field);
    if (callsign.find('@') != std::string_view::npos || !lf_isPlainField(callsign, kCallsignLength))
        return {};
    return callsign;
}

std::string lf_latLonKey(double lat, double lon)
{
    return fmt::format("{:.6f},{:.6f}", lat, lon);
}

// An origin or destination; one that cannot be an airport code is an unknown airport.
std::string_view lf_airportCode(std::string_view field)
{
    const auto code = lf_fieldToString(field);
    return lf_isPlainField(code, kCodeLength) ? code : std::string_view{};
}

bool lf_isOnGround(double height, double groundSpeed)
{
    const double h = std::abs(height);
    return height <= 0 || (h <= 42 && groundSpeed <= 120) || (h <= 84 && groundSpeed <= 80) ||
           (h <= 108 && groundSpeed <= 43);
}

// The true airspeed RealTraffic lacks, by altitude.
double lf_tasForAltitude(double altitude)
{
    if (altitude <= 2000)
        return 180;
    if (altitude <= 5000)
        return 220;
    if (altitude <= 10000)
        return 250;
    if (altitude <= 20000)
        return 350;
    return 430;
}

bool lf_isDroppedCategory(std::string_view category)
{
    return category == "B1" || category == "B2" || category == "B4" || category == "C1" || category == "C2";
}

} // namespace

// The checked values of one line; the strings are views into the receive buffer.
struct TrafficReader::ParsedLine {
    std::string_view type, origin, destination, callsign, registration;
    PosSample sample;
    double time = 0.0;
    std::uint32_t hexid = 0;
};

void TrafficReader::processLineSub()
{
    try {
        if (m_fields.size() < kFieldCount)
            throw std::runtime_error(
                fmt::format("{} fields, {} needed, in: {}", m_fields.size(), std::size_t{kFieldCount}, m_line));
        ParsedLine line;
        if (!parsePosition(line) || !parseIdentity(line))
            return;
        parseTrueHeading(line);
        if (parseHexidAndAltitude(line) && parseCallsignAndGround(line)) {
            parseMotion(line);
            queueRecord(line);
        }
    } catch (const std::exception& e) {
        if (const auto faultLine = lv_lineFaults.admit(fmt::format("exception in processLineSub: {}", e.what())))
            gf_log(*faultLine);
    }
}

// Timestamp, position and range.
bool TrafficReader::parsePosition(ParsedLine& line)
{
    line.time = lf_timestamp(m_fields[kTimestamp]);
    g_trafficTime = line.time;
    auto& sample = line.sample;
    sample.latitude = lf_number(m_fields[kLat], "lat");
    sample.longitude = lf_number(m_fields[kLon], "lon");
    const bool inRange = std::abs(sample.latitude) <= 90 && std::abs(sample.longitude) <= 180;
    const bool nearZero = std::abs(sample.latitude) <= 0.0001 && std::abs(sample.longitude) <= 0.0001;
    if (!inRange || nearZero)
        throw std::runtime_error(fmt::format("invalid lalo: {}", lf_latLonKey(sample.latitude, sample.longitude)));
    return gf_distanceNm(referencePosition(), {sample.latitude, sample.longitude}) <= g_rangeNm.load();
}

// Registration, the renewal's callsigns, type and the aircraft kind.
bool TrafficReader::parseIdentity(ParsedLine& line)
{
    if (!lf_isPlainField(m_fields[kRegistration], 12))
        return false;
    line.registration = lf_fieldToString(m_fields[kRegistration]);
    const auto callsign = lf_plainCallsign(m_fields[kCallsign]);
    if (renewalFlag && !callsign.empty())
        noteCallsign(callsign);
    const auto type = m_fields[kType];
    line.type = type == "null" || type == "0" || type == "ZZZZ" ? std::string_view{} : type;
    if (line.type.empty() || !lf_isPlainField(line.type, kCodeLength))
        return false;
    const auto category = m_fields[kCategory];
    if (category.empty() || category == "null")
        return true;
    return !lf_isDroppedCategory(category) && !gf_isNonAircraftType(line.type);
}

// The true heading, from direct ADS-B sources only.
void TrafficReader::parseTrueHeading(ParsedLine& line)
{
    if (m_fields[kSource] != "adsb_icao")
        return;
    const double heading = lf_number(m_fields[kTrueHeading], "trueheading");
    if (heading > 360)
        throw std::runtime_error(fmt::format("trueheading: {:.2f}", heading));
    if (heading < 0)
        return;
    auto& sample = line.sample;
    sample.trueHeading = heading == 0 ? 2 * std::numbers::pi : heading * kDegToRadians;
    sample.trueHeadingValid = 1;
    sample.directSource = 1;
}

// The transponder address, ground speed and altitude with the on-ground tests.
bool TrafficReader::parseHexidAndAltitude(ParsedLine& line)
{
    const auto hexidField = m_fields[kHexid];
    const auto [end, error] = std::from_chars(hexidField.data(), hexidField.data() + hexidField.size(), line.hexid);
    if (error != std::errc())
        throw std::runtime_error(fmt::format("hexid incorrect{}", hexidField));
    // Ids up to 10000 belong to static parked aircraft.
    if (!gf_isLiveHexid(line.hexid))
        return false;
    auto& sample = line.sample;
    sample.groundSpeed = lf_number(m_fields[kGs], "gs");
    const auto altitude = lf_parseNumber(m_fields[kAltitude]);
    if (!altitude)
        throw std::runtime_error(fmt::format("altitude {} incorrect, from: {}", m_fields[kAltitude], m_line));
    sample.altitude = std::max(*altitude, 0.0);
    if (sample.altitude > 0 && sample.altitude < 14000 &&
        lf_isOnGround(sample.altitude - referenceElevationOr(-1000), sample.groundSpeed))
        sample.altitude = 0;
    if (sample.altitude > 0 && sample.groundSpeed <= 35)
        sample.altitude = 0;
    // Airborne only: traffic on the ground, or within 300 ft of the park airport's
    // elevation, stays out (a ground altitude of 0 is below an elevated airport).
    if (AIRBORNE_ONLY.value && (sample.altitude == 0 || std::abs(sample.altitude - referenceElevationOr(0)) <= 300))
        return false;
    sample.airborne = sample.altitude > 0 ? 1 : 0;
    return true;
}

// The callsign, and ground traffic only near the park airport.
bool TrafficReader::parseCallsignAndGround(ParsedLine& line)
{
    const auto callsign = lf_plainCallsign(m_fields[kCallsign]);
    if (callsign == "ERARMTR1" || callsign == "AIRPORT1" || callsign == "00000000")
        return false;
    line.callsign = callsign;
    if (line.callsign.empty() && line.registration.empty())
        return false;
    if (line.sample.airborne)
        return true;
    if (!g_parkAirportSet)
        return false;
    const LatLon parkAirport{g_parkAirportLat.load(), g_parkAirportLon.load()};
    return gf_distanceNm(parkAirport, {line.sample.latitude, line.sample.longitude}) <= 5.0;
}

// Track, vertical speed, route, bank and true airspeed.
void TrafficReader::parseMotion(ParsedLine& line)
{
    auto& sample = line.sample;
    const auto trackField = m_fields[kTrack];
    if (!trackField.empty())
        sample.track = lf_numberOr(trackField, "track incorrect ");
    if (sample.track == 0 && sample.trueHeadingValid)
        sample.track = sample.trueHeading * 57.29577951308232;
    sample.verticalSpeed = lf_number(m_fields[kVs], "vs");
    line.origin = lf_airportCode(m_fields[kOrigin]);
    line.destination = lf_airportCode(m_fields[kDestination]);
    if (sample.airborne) {
        const double roll = lf_number(m_fields[kRoll], "roll");
        if (roll != -1 && roll != 0) {
            sample.bank = -roll * kDegToRadians;
            sample.bankValid = 1;
        }
    }
    sample.trueAirspeed = lf_numberOr(m_fields[kTas], "TAS incorrect");
    if (sample.trueAirspeed == -1)
        sample.trueAirspeed = lf_tasForAltitude(sample.altitude);
    sample.stationary = 0;
    // The aircraft is to stand at this sample 30 s after the line arrived.
    sample.dueTick = g_engineTick.load() + 3000;
}

// Built in place at the back of the queue, only while the main loop runs. A full queue
// gives up its oldest record, the stalest sample, and says so.
void TrafficReader::queueRecord(ParsedLine& line)
{
    bool dropped = false;
    {
        const std::lock_guard lock(g_trafficMutex);
        if (!g_loopRunning)
            return;
        if (g_trafficQueue.size() >= kTrafficQueueBound) {
            g_trafficQueue.pop_front();
            dropped = true;
        }
        appendRecord(line);
    }
    if (!dropped)
        return;
    if (const auto faultLine = lv_queueFaults.admit(
            fmt::format("traffic queue full: oldest of {} records dropped", kTrafficQueueBound)))
        gf_log(*faultLine);
}

// Under g_trafficMutex.
void TrafficReader::appendRecord(ParsedLine& line)
{
    auto& record = g_trafficQueue.emplace_back();
    record.type = line.type;
    record.origin = line.origin;
    record.destination = line.destination;
    record.callsign = line.callsign;
    record.registration = line.registration;
    record.sample = line.sample;
    record.time = line.time;
    record.hexid = line.hexid;
}
