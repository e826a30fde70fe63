// The records of the engine: an aircraft's identity, its type data, one position sample,
// a static parked aircraft and a live aircraft with its position stream.
// All of them are owned by the main loop thread.
#pragma once

#include "engine/creation_clock.h"
#include "refdata/category.h"

#include <array>
#include <cstdint>
#include <deque>
#include <limits>
#include <optional>
#include <string>
#include <string_view>

enum class SimState : std::uint32_t { buffer, adding2sim, active, liveryrespawn, removingfromsim };

enum class FlightPhase : std::uint32_t { pushing_back, pushed_back, taxi, take_off, flying, parking, parked, birth };

// Live aircraft carry their transponder address (above this); static parked ones an id at or below it.
inline constexpr std::uint32_t kMaxStaticHexid = 10000;
inline bool gf_isLiveHexid(std::uint32_t hexid) { return hexid > kMaxStaticHexid; }

inline constexpr const char* kNoCallsign = "@@@@@@@@";
inline constexpr std::size_t kMaxStreamSamples = 200;

// A ground path of NaN control points: none is set.
inline constexpr std::array<double, 8> gf_noGroundPath()
{
    std::array<double, 8> path{};
    path.fill(std::numeric_limits<double>::quiet_NaN());
    return path;
}

// The identity strings of an aircraft; heads every aircraft record.
struct AcIdent {
    std::string airline;        // three-letter operator code
    std::string type;           // ICAO type designator
    std::string origin;
    std::string destination;
    std::string callsign;       // at most 8 characters when valid; "@@@@@@@@" means none
    std::string firstCallsign;  // the callsign when the live aircraft was created
    std::string altIdent;       // further identifier compared with callsigns
    std::string registration;   // at most 12 characters
    std::uint8_t flag = 0;      // set once the learned callsign pair was looked up
};

// One position report of an aircraft.
struct PosSample {
    double latitude = 0.0;       // degrees
    double longitude = 0.0;      // degrees
    double altitude = 0.0;       // feet; 0 on the ground
    double groundSpeed = 0.0;    // knots
    double track = 0.0;          // degrees true
    double verticalSpeed = 0.0;  // feet per minute
    double trueAirspeed = 0.0;   // knots
    std::int32_t dueTick = 0;    // engine tick at which the aircraft is to stand here
    std::uint8_t airborne = 0;
    std::uint8_t stationary = 0;  // on the ground and standing still
    std::uint8_t directSource = 0;  // the sample comes from a direct position source
    double bank = 0.0;            // radians
    std::uint8_t bankValid = 0;
    double trueHeading = 0.0;     // radians
    std::uint8_t trueHeadingValid = 0;
};

// Identity and type data of an aircraft.
struct AircraftData : AcIdent {
    double halfSpan = 0.0;        // nautical miles
    double staticCg = 0.0;        // feet above ground, from the simulator
    double staticPitch = 0.0;     // radians, from the simulator
    double rotationPitch = 0.0;   // radians, held during the take-off rotation (negative is nose up)
    double climbPitch = 0.0;      // radians, after the rotation
    double turnRateBase = 0.0;    // radians per tick when steering on the ground
    double groundTurnRate = 0.0;  // radians per tick, current ground steering rate
    double climbLimit = 0.0;      // feet per tick (live aircraft)
    double standSpeed = 0.0;      // knots of the manoeuvres at a stand (live aircraft)
    std::uint32_t hexid = 0;
    Category category = Category::Large;
    // Title in the livery tables; empty while none is chosen. Only views into the livery
    // tables go here (never into a cache or a temporary): the tables are rebuilt only with
    // the engine stopped and every record gone, so they outlive the record.
    std::string_view livery;
    std::uint32_t ticksA = 0;
    std::uint32_t ticksB = 0;
    std::uint32_t ticksC = 0;
    std::uint32_t ticksD = 0;
    std::uint8_t cargo = 0;
    std::uint8_t fsltl = 0;       // the chosen livery is an FSLTL title
};

// A static parked aircraft; also the leading part of a live aircraft.
struct StaticAc : AircraftData {
    std::uint32_t objectId = 0;   // 0 until the simulator reports the created object
    double standLat = 0.0;        // degrees
    double standLon = 0.0;        // degrees
    double standHeading = 0.0;    // radians
    std::uint64_t parkedSlot = 0; // half-hour slot information of the parking
    std::int32_t standId = 0;     // stand number; 0 = none
    SimState simState = SimState::buffer;
    std::uint32_t throttleIndex = 5;  // last throttle step sent, 0..4; 5 = none yet
    std::uint32_t flapsIndex = 4;     // last flaps step sent
    std::uint8_t standFlag = 0;
    std::uint8_t removeOnArrival = 0; // remove as soon as the object is identified
    std::uint8_t remove = 0;          // erase from its vector at the end of the tick
    std::uint8_t withdrawn = 0;       // create request withdrawn; erase the record
    CreationClock creationClock;      // the wait for its object since the create went to the link
};

// A live aircraft from the traffic feed with its position stream and working state.
struct LiveAc : StaticAc {
    // The state last sent to the simulator, in the order of a position item:
    // latitude deg, longitude deg, pitch rad, bank rad, true heading rad, altitude ft,
    // vertical speed ft/s, true airspeed kt.
    std::array<double, 8> simPosition{};
    std::deque<PosSample> stream;       // oldest first; the front is flown from
    double lastSampleTime = 0.0;        // epoch seconds of the newest accepted sample
    std::array<double, 2> lastStaticCheck{};
    std::int64_t parkedSince = 0;       // steady-clock ticks of 100 ns when put on its stand
    std::int32_t holdCount = 0;
    std::int32_t holdStart = 0;         // engine tick when holding began
    std::int32_t createSentTick = -1;   // engine tick its create request went to the simulator link; -1 before
                                        // (its wait is counted by creationClock)
    FlightPhase flightPhase = FlightPhase::birth;
    FlightPhase previousPhase = FlightPhase::birth;
    std::uint8_t protectedStand = 0;
    std::uint8_t onGround = 0;
    std::uint8_t hasFlightPlan = 0;
    std::uint8_t heldBack = 0;
    std::uint8_t holding = 0;
    std::array<double, 2> velocity{};   // latitude and longitude change per tick, degrees
    double pitchRate = 0.0;             // radians per tick
    double bankRate = 0.0;
    double turnRate = 0.0;
    double altRate = 0.0;               // feet per tick
    double verticalSpeed = 0.0;         // feet per minute of the current segment
    double trueAirspeed = 0.0;          // knots of the current segment; negative while pushing back
    // Bezier path on the ground; a NaN control point is none, and a new record has none.
    std::array<double, 8> groundPath = gf_noGroundPath();
    double curveT = 0.0;
    double curveStep = 0.0;
    std::array<double, 2> lastParkCheck{};
    std::array<std::int32_t, 2> timers{1000, 1000};  // early and late bound of the next due tick
    std::int32_t climbCount = 0;
    std::int32_t pushbackCount = 0;
    double course = 0.0;                // radians from the front sample to the next
    double agl = 2500.0;                // feet above ground reported by the simulator
    double runwayHeading = 0.0;
    std::optional<double> savedHeading;
    std::uint8_t pushbackTurnSide = 0;
    std::uint8_t pushbackTurnLearned = 0;
    double pullBackNm = 0.0;            // last distance of the stream while held after a pushback
    // Creep watch of a parked aircraft: distances (nm) from its stand where the watch began
    // and the farthest seen since, and the number of steps away from the stand.
    double creepStartNm = 0.0;
    double creepFarthestNm = 0.0;
    // Due tick of the newest sample its feed sent while it stood parked on its week-long sample;
    // 0 when none came since it last gave its stand up.
    std::int32_t standSampleDue = 0;
    std::int32_t creepCount = 0;
    PosSample pushbackAltTurn;          // end of the pushback's turn leg on the other side
    double turnAngle = 0.0;             // degrees of the corner the ground path rounds
    double headingError = 0.0;          // degrees between course and heading on the ground
    std::optional<double> flareRef;
    std::int32_t flareStage = 0;
    // Stage marks, each 0 or 1, by area: approach and landing, take-off, light sets, ground.
    std::uint8_t landingArmed = 0, goAroundDone = 0, landed = 0, derotating = 0, landingRoll = 0;
    std::uint8_t takeOffStarted = 0;
    std::uint8_t lightsDone = 0, allLightsDone = 0;
    std::uint8_t towed = 0, leaveStand = 0, steerToCourse = 0;
};
