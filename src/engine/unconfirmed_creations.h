// Live creations the simulator never confirms: one that has no object a while after its
// create request went to the simulator link is given up, so it holds no live slot for good.
#pragma once

#include "engine/aircraft_records.h"

#include <cstdint>

// Engine ticks a creation may wait for its object while the simulator runs frames (its
// CreationClock): the simulator reports an object within a second or two, so this is many
// scans of the range.
inline constexpr std::int32_t kCreationGiveUpTicks = 3000;

// The create request of the live aircraft went to the simulator link on this tick;
// framesAtHandOver is what gf_queueCreateAc returned.
void gf_noteCreationSent(std::uint32_t hexid, std::uint64_t framesAtHandOver);
// An aircraft in adding2sim without an object past the bound: logged, its creation given up
// on the simulator link too (gf_queueGivenUpCreate), and the aircraft set to be erased.
void gf_giveUpUnconfirmedCreation(LiveAc& ac);
