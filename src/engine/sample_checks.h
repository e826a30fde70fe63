// Plausibility of new position samples, holding and extrapolation.
#pragma once

#include "engine/aircraft_records.h"

// The plausibility test of a new sample; also the birth test. It may change s.
bool lf_checkSample(LiveAc& ac, PosSample& s);
// The phase-dependent tests of a new sample of an aircraft past birth; false refuses s.
bool checkExtendingSituations(LiveAc& ac, PosSample& s);
