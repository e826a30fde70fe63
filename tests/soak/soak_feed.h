// The soak's traffic feed: a fixed number of flights around the park airport, each sending a
// RealTraffic line every 10 s or slower; a flight that ends is replaced by a new one with a new
// transponder address, so the feed keeps its size for the whole run. Seeded: the same seed
// gives the same lines.
#pragma once

#include "core/geo.h"

#include <cstdint>
#include <functional>
#include <random>
#include <string>
#include <vector>

namespace soak {

enum class FlightKind { Cruise, Arrival, Departure, Parked };

// A straight leg flown at a steady speed, the altitude changing evenly; altitude 0 is on the
// ground.
struct FeedLeg {
    LatLon from, to;
    double seconds = 0, speedKt = 0, fromAltitudeFt = 0, toAltitudeFt = 0;
};

struct FeedFlight {
    std::uint32_t hexid = 0;
    std::string callsign, type;
    FlightKind kind = FlightKind::Cruise;
    int start = 0;          // simulated second the flight began
    int end = 0;            // simulated second of its last line
    int periodSeconds = 10; // between two lines
    std::int64_t nextLineTick = 0;
    bool silent = false;       // the feed has stopped sending its lines
    std::vector<FeedLeg> legs; // after the last one the aircraft stands at its end
};

// One position of a flight: what its line says.
struct FeedPosition {
    LatLon place;
    double altitudeFt = 0, verticalSpeedFpm = 0, trackDeg = 0, speedKt = 0;
};

// The airline and type a transponder address flies in the feed, and its registration, known to the
// aircraft database that registrationRows() fills.
struct FeedOperator {
    const char* airline;
    const char* type;
};
FeedOperator gf_feedOperator(std::uint32_t hexid);
std::string gf_feedRegistration(std::uint32_t hexid);
inline constexpr std::uint32_t kFirstFeedHexid = 0x400000;

class SoakFeed {
public:
    // stands: where arrivals park and departures and parked aircraft start.
    SoakFeed(std::uint32_t seed, std::size_t flights, const LatLon& airport, double elevationFt,
             std::vector<LatLon> stands);

    // The lines due at this engine tick (100 ticks a simulated second), each handed to send.
    void linesAt(std::int64_t tick, const std::function<void(const std::string&)>& send);

    FeedPosition positionAt(const FeedFlight& flight, double second) const;

    // The feed of a flight stops, or goes on (same transponder, callsign and type) from where
    // the flight is by then.
    void silence(std::uint32_t hexid);
    void resume(std::uint32_t hexid);
    // A flight of this address whose feed goes on.
    bool sending(std::uint32_t hexid) const;
    // Extra flights from this second on, each standing for some minutes at its stand: one that
    // taxis there from 400 m away, one first seen standing on it. An empty callsign gives a new
    // one of the feed's; the new transponder address is returned.
    std::uint32_t addTaxiToStand(int second, const LatLon& stand, const std::string& callsign = {});
    std::uint32_t addStandingOn(int second, const LatLon& stand, const std::string& callsign = {});
    // One first seen standing on the stand, its lines every 10 s from the given tick on.
    std::uint32_t addStandingOnFrom(std::int64_t firstLineTick, const LatLon& stand);

    std::size_t flightsStarted() const { return m_started; }
    const std::vector<FeedFlight>& flights() const { return m_flights; }

private:
    FeedFlight newFlight(int second);
    // A new transponder address, an operator of the feed and the callsign given or a new one.
    FeedFlight newIdentity(const std::string& callsign);
    // The end, the line period and the first line of a flight that starts at this second.
    void schedule(FeedFlight& flight, int second, double standingSeconds);
    FeedFlight* find(std::uint32_t hexid);
    std::vector<FeedLeg> cruise();
    std::vector<FeedLeg> arrival();
    std::vector<FeedLeg> departure(const LatLon& stand);
    std::string line(const FeedFlight& flight, int second) const;
    double uniform(double low, double high);
    LatLon around(double minNm, double maxNm);

    std::mt19937 m_random;
    LatLon m_airport;
    double m_elevationFt;
    std::vector<LatLon> m_stands;
    std::vector<FeedFlight> m_flights;
    std::size_t m_started = 0;
};

} // namespace soak
