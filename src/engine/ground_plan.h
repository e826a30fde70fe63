// Ground planning of a live aircraft at a due sample and the ground commands and speeds
// of a segment.
#pragma once

#include "engine/aircraft_records.h"

// Planning on the ground at a due sample (pushback, pull-out, corners, stand search);
// ends with the ground turn rate and the next sample's due tick.
void lf_groundPlan(LiveAc& ac);
// Ground commands and speeds of a segment toward a moving next sample.
void lf_groundStep(LiveAc& ac);
// The ground steering rate for the coming segment and the next sample's due tick.
void lf_adjustGroundTurnRate(LiveAc& ac);
