// Tests of new position samples: plausibility, creep away from a stand, the pushback and
// the landing; they may change the sample and the aircraft.
#pragma once

#include "engine/aircraft_records.h"

// The plausibility test of a new sample; also the birth test. It may change s.
bool lf_checkSample(LiveAc& ac, PosSample& s);
// The phase-dependent tests of a new sample of an aircraft past birth; false refuses s.
bool checkExtendingSituations(LiveAc& ac, PosSample& s);
// The landing branch: drops samples that point backwards from the landing track.
bool checkNewPosDuringLanding(LiveAc& ac, PosSample& s);
// A parked aircraft starts to leave its stand.
void lf_parkedSample(LiveAc& ac, PosSample& s);
