// Actions of the controls' handlers that the start-up and the main loop also run.
#pragma once

#include "refdata/airport_db.h"

#include <string_view>

// The range follows the user aircraft's height when AUTO_RANGE is on.
void gf_autoRange();
// Makes the airport the destination whose stands static parking fills.
void gf_setDestination(std::string_view code, const Airport& airport);
// Announces a static-parking renewal in the status line and requests it.
void gf_announceStaticParkingUpdate();
// Marks the program busy with static parking (parking controls disabled), and idle again.
void gf_setBusy();
void gf_setIdle();
// The program's own switch to Initial Load Only: stored, saved, its box ticked and "Now"
// disabled with the labels repainted, as a click on the box does, without the box's message.
void gf_switchOnInitialLoadOnly();
