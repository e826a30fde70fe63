// Movement of an active live aircraft from sample to sample: the planning of each
// segment in the air, the per-tick motion step shared with the ground, the flare,
// touch-down, take-off and the commands that suit each phase.
#pragma once

#include "engine/aircraft_records.h"

#include <cstdint>

// Ticks over which a segment is flown at least, even when its sample is due sooner.
inline constexpr std::int32_t kMinSegmentTicks = 25;

// The front sample is due: plans the segment to the next sample and drops the front.
// Extends a stream that ran dry, or removes the aircraft when it cannot be extended.
// An exception is logged with the aircraft's state and thrown on.
void nextPosMain(LiveAc& ac);
// One engine tick of motion along the planned segment (front sample not stationary).
void lf_flyCurve(LiveAc& ac);

// The simulator reports the aircraft on the ground while its onGround flag is clear,
// its climbCount is below 2, it is not being removed and not taking off: an approach or
// flare under way touches down and rolls out; in any case the aircraft stands on the ground.
void gf_touchDown(LiveAc& ac);

// The take-off roll ends: rotation and climb-out begin (a landing roll becomes a touch-and-go).
void lf_startTakeOff(LiveAc& ac);
// The take-off roll begins: commands and timers of the roll.
void lf_armTakeOff(LiveAc& ac);
// The take-off roll begins: power, spoilers and flaps 1, take-off lights, the approach
// state cleared and the timers of a roll.
void gf_beginTakeOffRoll(LiveAc& ac, std::int32_t throttleStep, bool spoilers);

// Sets the due tick of the next sample to the engine tick plus ticks, bounded by the
// early and late timers around its old due tick (unless holding), never in the past.
void lf_setDueTick(LiveAc& ac, std::int32_t ticks);
// Knots between the front and the next sample.
double lf_segmentSpeed(const LiveAc& ac);
// Heading change (radians, -pi..pi) toward the track beyond the next sample; 0 with
// fewer than three samples.
double lf_headingChange(const LiveAc& ac);
// Ticks left until the next sample is due, at least kMinSegmentTicks.
std::int32_t lf_segmentTicks(const LiveAc& ac);
