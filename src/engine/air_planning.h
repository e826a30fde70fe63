// The steps of the segment planning in the air, shared by the movement's own files
// and its tests.
#pragma once

#include "engine/aircraft_records.h"

#include <optional>

// Plans one segment from the front to the next sample and drops the front sample.
void lf_stepToNextSample(LiveAc& ac);
// Due tick of a moving next sample in the air.
void lf_airPlan(LiveAc& ac);
// Rates, attitude targets and commands of a segment in the air.
void lf_airStep(LiveAc& ac);
// Vertical rate of a segment from the ground to an airborne sample.
void lf_liftOffClimb(LiveAc& ac, double ticks);
// The sample at place k (front = 1) is airborne: the samples in between are dropped and
// the aircraft climbs toward it. False when it does not apply.
bool lf_climbToAirborneSample(LiveAc& ac, std::size_t k);
// Feet per minute of a descent toward the ground, corrected for the QNH.
double lf_descentRate(const LiveAc& ac);
// Lights, throttle, flaps and gear below 10000 ft, and the approach check near the ground.
void lf_altitudeCommands(LiveAc& ac);
// Arms the landing near the park airport, or goes around.
void lf_checkApproach(LiveAc& ac);

// The park airport's elevation in feet, when a park airport is set.
std::optional<double> lf_parkAirportElevation();
// A park airport is set and the aircraft lies within 10 nm of it.
bool lf_nearParkAirport(const LiveAc& ac);
// Both timers fall by 100 ticks toward 1000.
void lf_relaxTimers(LiveAc& ac);
// Timers of a fresh segment plan: 3000 early, 3000 late (5000 once the take-off roll began).
void lf_resetTimers(LiveAc& ac);
