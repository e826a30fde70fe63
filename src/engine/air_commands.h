// Gear, flaps, spoilers, throttle and lights of an AI aircraft, queued as client events
// for the simulator, and the ground controls set directly on its object.
#pragma once

#include "engine/aircraft_records.h"

#include <array>
#include <cstdint>

// Throttle and flaps steps remembered per aircraft.
inline constexpr std::uint32_t kThrottleNotSent = 5;

// SPOILERS_SET 16383 (on) or 0; nothing for Rotorcraft.
void gf_setSpoilers(StaticAc& ac, bool on);
// FLAPS_SET for steps 0..4; nothing for Rotorcraft or when the step was the last one sent.
void gf_setFlaps(StaticAc& ac, std::uint32_t step);
// GEAR_SET 1 (down) or 0; nothing for Rotorcraft.
void gf_setGear(StaticAc& ac, bool down);
// THROTTLE_SET for steps 0..4; a step of 5 or more is only remembered, so that the next
// step 0..4 is always sent; nothing when the step was the last one remembered.
void gf_setThrottle(StaticAc& ac, std::uint32_t step);

// Light states in the order navigation, beacon, landing, taxi, strobes, logo, cabin.
using LightStates = std::array<std::uint32_t, 7>;
inline constexpr LightStates kCruiseLights{1, 1, 0, 0, 0, 0, 1};
inline constexpr LightStates kAllLights{1, 1, 1, 1, 1, 1, 1};
inline constexpr LightStates kTakeOffLights{1, 1, 1, 1, 1, 1, 0};
void gf_setLights(const StaticAc& ac, const LightStates& states);
void gf_setCabinLights(const StaticAc& ac, bool on);

// Spoiler handle and both throttle levers in percent, set directly on the object
// (ground controls definition) from the main loop thread.
void gf_setGroundControls(const StaticAc& ac, double spoilersPercent, double throttlePercent);
