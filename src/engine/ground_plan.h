// Ground planning of a live aircraft at a due sample and the ground commands and speeds
// of a segment: corners, pushback, pull-out and the stand search.
#pragma once

#include "engine/aircraft_records.h"

// A new flight phase; the old one becomes the previous phase.
inline void gf_setFlightPhase(LiveAc& ac, FlightPhase phase)
{
    if (ac.flightPhase != phase) {
        ac.previousPhase = ac.flightPhase;
        ac.flightPhase = phase;
    }
}

// Planning on the ground at a due sample (pushback, pull-out, corners, stand search);
// ends with the ground turn rate and the next sample's due tick.
void lf_groundPlan(LiveAc& ac);
// Ground commands and speeds of a segment toward a moving next sample.
void lf_groundStep(LiveAc& ac);
// The ground steering rate for the coming segment and the next sample's due tick.
void lf_adjustGroundTurnRate(LiveAc& ac);

// A pushback under way counts down at each due sample: the turn set-up, then the end.
void lf_pushbackPlan(LiveAc& ac);
// A parked aircraft with a moving sample leaves its stand: forward when the way ahead of
// the stand is free enough, by a pushback otherwise.
void lf_leaveStandPlan(LiveAc& ac);
// Drives forward off the stand to a point two half spans ahead of it.
void lf_pullOut(LiveAc& ac);
// Pushes back from the stand along its reverse heading, with a turn leg at the end.
void lf_startPushback(LiveAc& ac);
