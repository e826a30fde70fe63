// What a live aircraft does when its stream runs dry: arrive, hold, extrapolate or go.
#pragma once

#include "engine/aircraft_records.h"

#include <cstdint>

// The stream holds fewer than two samples: extends it; false when the aircraft is to be removed.
bool lf_extendStream(LiveAc& ac);
// Appends one dead-reckoned sample built from the front sample and allows n further ones.
void lf_extrapolate(LiveAc& ac, std::int32_t n);
// A parked aircraft on its week-long sample whose feed came back and has stopped again: once
// the newest sample from its stand is overdue it gives the stand up, as at its first silence.
void gf_giveUpSilentStand(LiveAc& ac);
// The early and late bounds of the next due tick after holding or extrapolating ends.
void gf_resetTimers(LiveAc& ac);
