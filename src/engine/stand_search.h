// Stands for live aircraft: the birth stand search, occupancy, the cargo attribute and the
// commands of a parked aircraft.
#pragma once

#include "engine/aircraft_records.h"

#include <cstdint>
#include <string>

struct Stand;

// The stand of an aircraft first seen on the ground, or null when it gets none.
const Stand* lf_findBirthStand(LiveAc& ac);
// Marks stand number standNumber occupied or free; numbers below 1 and missing stands are ignored.
void lf_setStandOccupied(std::int32_t standNumber, bool occupied);
// Checks the stand's cargo attribute against the aircraft parked on it.
void lf_setStandCargo(LiveAc& ac);
// Throttle, flaps, engines and lights of an aircraft parked on its stand.
void lf_parkedCommands(StaticAc& ac);
// The stand's id text: "sid==0?" for number 0, "sid==?" for a number without a stand.
std::string gf_standName(std::int32_t standNumber);
// The stream of a parking aircraft ran dry: it parks when it stands on its stand.
void lf_arriveAtStand(LiveAc& ac);
