#include "soak/soak_feed.h"

#include "support/traffic_lines.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace soak {

namespace {

constexpr double kDeg = std::numbers::pi / 180.0;
constexpr double kFirstLineTime = 1765100000.0;
constexpr double kGlideFeetPerNm = 300.0;

// Airlines and types that the fixture liveries have.
constexpr FeedOperator kOperators[] = {{"DLH", "A320"}, {"BAW", "A320"}, {"KLM", "B738"}, {"RYR", "B738"},
                                   {"EZY", "A320"}, {"AFR", "A320"}, {"UAE", "B77W"}, {"BAW", "A388"}};

LatLon lf_along(const LatLon& from, double bearingDeg, double nm)
{
    return gf_destinationPoint(from, bearingDeg * kDeg, nm * kFeetPerNm);
}

double lf_bearingDeg(const LatLon& from, const LatLon& to)
{
    return std::fmod(gf_bearingRad(from, to) / kDeg + 360.0, 360.0);
}

FeedLeg lf_leg(const LatLon& from, const LatLon& to, double speedKt, double fromFt, double toFt)
{
    const double nm = gf_distanceNm(from, to);
    return {from, to, std::max(1.0, nm / speedKt * 3600.0), speedKt, fromFt, toFt};
}

} // namespace

FeedOperator gf_feedOperator(std::uint32_t hexid)
{
    return kOperators[hexid % std::size(kOperators)];
}

std::string gf_feedRegistration(std::uint32_t hexid)
{
    return fmt::format("SW-{:06X}", hexid);
}

SoakFeed::SoakFeed(std::uint32_t seed, std::size_t flights, const LatLon& airport, double elevationFt,
                   std::vector<LatLon> stands)
    : m_random(seed), m_airport(airport), m_elevationFt(elevationFt), m_stands(std::move(stands))
{
    m_flights.reserve(flights);
    for (std::size_t i = 0; i < flights; ++i)
        m_flights.push_back(newFlight(0));
}

double SoakFeed::uniform(double low, double high)
{
    return std::uniform_real_distribution<double>(low, high)(m_random);
}

LatLon SoakFeed::around(double minNm, double maxNm)
{
    return lf_along(m_airport, uniform(0.0, 360.0), uniform(minNm, maxNm));
}

// Straight across the region at a cruising level.
std::vector<FeedLeg> SoakFeed::cruise()
{
    const LatLon from = around(0.0, 90.0);
    const double speed = uniform(250.0, 480.0);
    const double altitude = std::round(uniform(5000.0, 39000.0) / 100.0) * 100.0;
    const LatLon to = lf_along(from, uniform(0.0, 360.0), speed * uniform(600.0, 2400.0) / 3600.0);
    return {lf_leg(from, to, speed, altitude, altitude)};
}

// An approach from 15 to 30 nm out, the landing roll slowing down, the taxi to a stand.
std::vector<FeedLeg> SoakFeed::arrival()
{
    const double bearing = uniform(0.0, 360.0);
    const double nm = uniform(15.0, 30.0);
    const LatLon from = lf_along(m_airport, bearing, nm);
    const double runway = std::fmod(bearing + 180.0, 360.0);
    const LatLon fast = lf_along(m_airport, runway, 120.0 * 20.0 / 3600.0);
    const LatLon slow = lf_along(fast, runway, 40.0 * 20.0 / 3600.0);
    const LatLon& stand = m_stands[m_random() % m_stands.size()];
    return {lf_leg(from, m_airport, 220.0, m_elevationFt + kGlideFeetPerNm * nm, m_elevationFt + 50.0),
            lf_leg(m_airport, fast, 120.0, 0.0, 0.0), lf_leg(fast, slow, 40.0, 0.0, 0.0),
            lf_leg(slow, stand, 15.0, 0.0, 0.0)};
}

// Parked for some minutes, then the taxi out, the take-off roll and the climb away.
std::vector<FeedLeg> SoakFeed::departure(const LatLon& stand)
{
    const double track = uniform(0.0, 360.0);
    const LatLon holdingPoint = lf_along(m_airport, track + 180.0, 1.0);
    const LatLon liftOff = lf_along(holdingPoint, track, 140.0 * 30.0 / 3600.0);
    const LatLon away = lf_along(liftOff, track, 250.0 * 600.0 / 3600.0);
    FeedLeg wait = lf_leg(stand, stand, 1.0, 0.0, 0.0);
    wait.speedKt = 0.0;
    wait.seconds = uniform(120.0, 360.0);
    return {wait, lf_leg(stand, holdingPoint, 15.0, 0.0, 0.0), lf_leg(holdingPoint, liftOff, 140.0, 0.0, 0.0),
            lf_leg(liftOff, away, 250.0, m_elevationFt + 100.0, m_elevationFt + 20000.0)};
}

FeedFlight SoakFeed::newIdentity(const std::string& callsign)
{
    FeedFlight flight;
    flight.hexid = kFirstFeedHexid + static_cast<std::uint32_t>(m_started);
    const FeedOperator op = gf_feedOperator(flight.hexid);
    flight.callsign = callsign.empty() ? fmt::format("{}{}", op.airline, 100 + m_started) : callsign;
    flight.type = op.type;
    ++m_started;
    return flight;
}

void SoakFeed::schedule(FeedFlight& flight, int second, double standingSeconds)
{
    double seconds = standingSeconds;
    for (const FeedLeg& leg : flight.legs)
        seconds += leg.seconds;
    flight.start = second;
    flight.end = second + static_cast<int>(seconds);
    flight.periodSeconds = 10 + static_cast<int>(m_random() % 11);
    // Never at the tick that made it: that tick's lines are already out.
    flight.nextLineTick = static_cast<std::int64_t>(second) * 100 + 1 + m_random() % (flight.periodSeconds * 100);
}

FeedFlight SoakFeed::newFlight(int second)
{
    FeedFlight flight = newIdentity({});
    const double kind = uniform(0.0, 1.0);
    double lastLegEnd = 0.0;
    if (kind < 0.6) {
        flight.kind = FlightKind::Cruise;
        flight.legs = cruise();
    } else if (kind < 0.75) {
        flight.kind = FlightKind::Arrival;
        flight.legs = arrival();
        lastLegEnd = uniform(300.0, 1200.0); // parked after arriving
    } else if (kind < 0.9) {
        flight.kind = FlightKind::Departure;
        flight.legs = departure(m_stands[m_random() % m_stands.size()]);
    } else {
        flight.kind = FlightKind::Parked;
        const LatLon& stand = m_stands[m_random() % m_stands.size()];
        flight.legs = {lf_leg(stand, stand, 1.0, 0.0, 0.0)};
        flight.legs.back().speedKt = 0.0;
        flight.legs.back().seconds = uniform(600.0, 1800.0);
    }
    schedule(flight, second, lastLegEnd);
    return flight;
}

FeedFlight* SoakFeed::find(std::uint32_t hexid)
{
    const auto at = std::find_if(m_flights.begin(), m_flights.end(),
                                 [&](const FeedFlight& flight) { return flight.hexid == hexid; });
    return at == m_flights.end() ? nullptr : &*at;
}

bool SoakFeed::sending(std::uint32_t hexid) const
{
    return std::any_of(m_flights.begin(), m_flights.end(),
                       [hexid](const FeedFlight& flight) { return flight.hexid == hexid && !flight.silent; });
}

void SoakFeed::silence(std::uint32_t hexid)
{
    if (FeedFlight* flight = find(hexid))
        flight->silent = true;
}

void SoakFeed::resume(std::uint32_t hexid)
{
    if (FeedFlight* flight = find(hexid))
        flight->silent = false;
}

std::uint32_t SoakFeed::addTaxiToStand(int second, const LatLon& stand, const std::string& callsign)
{
    FeedFlight flight = newIdentity(callsign);
    flight.kind = FlightKind::Arrival;
    flight.legs = {lf_leg(lf_along(stand, uniform(0.0, 360.0), 400.0 / 1852.0), stand, 12.0, 0.0, 0.0)};
    schedule(flight, second, uniform(600.0, 1200.0));
    m_flights.push_back(flight);
    return flight.hexid;
}

std::uint32_t SoakFeed::addStandingOn(int second, const LatLon& stand, const std::string& callsign)
{
    FeedFlight flight = newIdentity(callsign);
    flight.kind = FlightKind::Parked;
    flight.legs = {lf_leg(stand, stand, 1.0, 0.0, 0.0)};
    flight.legs.back().speedKt = 0.0;
    flight.legs.back().seconds = uniform(600.0, 1200.0);
    schedule(flight, second, 0.0);
    m_flights.push_back(flight);
    return flight.hexid;
}

std::uint32_t SoakFeed::addStandingOnFrom(std::int64_t firstLineTick, const LatLon& stand)
{
    const std::uint32_t hexid = addStandingOn(static_cast<int>(firstLineTick / 100), stand);
    m_flights.back().periodSeconds = 10;
    m_flights.back().nextLineTick = firstLineTick;
    return hexid;
}

FeedPosition SoakFeed::positionAt(const FeedFlight& flight, double second) const
{
    double t = second - flight.start;
    for (const FeedLeg& leg : flight.legs) {
        if (t > leg.seconds) {
            t -= leg.seconds;
            continue;
        }
        const double f = t / leg.seconds;
        const bool moving = leg.speedKt > 0.0;
        const double track = moving ? lf_bearingDeg(leg.from, leg.to) : 0.0;
        FeedPosition p;
        p.place = moving ? lf_along(leg.from, track, gf_distanceNm(leg.from, leg.to) * f) : leg.from;
        p.altitudeFt = leg.fromAltitudeFt + (leg.toAltitudeFt - leg.fromAltitudeFt) * f;
        p.verticalSpeedFpm = (leg.toAltitudeFt - leg.fromAltitudeFt) / leg.seconds * 60.0;
        p.trackDeg = track;
        p.speedKt = leg.speedKt;
        return p;
    }
    return {flight.legs.back().to, 0.0, 0.0, 0.0, 0.0};
}

std::string SoakFeed::line(const FeedFlight& flight, int second) const
{
    const FeedPosition p = positionAt(flight, second);
    testsupport::TrafficLine line;
    line.set(1, std::to_string(flight.hexid))
        .set(2, fmt::format("{:.6f}", p.place.lat))
        .set(3, fmt::format("{:.6f}", p.place.lon))
        .set(4, fmt::format("{:.0f}", p.altitudeFt))
        .set(5, fmt::format("{:.0f}", p.verticalSpeedFpm))
        .set(7, fmt::format("{:.1f}", p.trackDeg))
        .set(8, fmt::format("{:.0f}", p.speedKt))
        .set(9, flight.callsign)
        .set(10, flight.type)
        .set(11, gf_feedRegistration(flight.hexid))
        .set(14, fmt::format("{:.1f}", kFirstLineTime + second))
        .set(20, fmt::format("{:.0f}", p.speedKt))
        .set(23, "0")
        .set(25, fmt::format("{:.1f}", p.trackDeg));
    return line.text();
}

void SoakFeed::linesAt(std::int64_t tick, const std::function<void(const std::string&)>& send)
{
    const int second = static_cast<int>(tick / 100);
    for (FeedFlight& flight : m_flights) {
        if (flight.nextLineTick != tick)
            continue;
        if (second > flight.end) {
            flight = newFlight(second);
            continue;
        }
        if (!flight.silent)
            send(line(flight, second));
        flight.nextLineTick += flight.periodSeconds * 100;
    }
}

} // namespace soak
