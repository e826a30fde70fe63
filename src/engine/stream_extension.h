// What a live aircraft does when its stream runs dry: arrive, hold, extrapolate or go.
#pragma once

#include "engine/aircraft_records.h"

// The stream holds fewer than two samples: extends it; false when the aircraft is to be removed.
bool lf_extendStream(LiveAc& ac);
