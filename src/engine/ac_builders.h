// Building the engine's aircraft records from an identity.
#pragma once

#include "engine/aircraft_records.h"

// Identity, half span, category and the category's timings and attitudes (the two take-off
// pitches varied by a few percent whatever the RANDOM setting says); everything else 0.
AircraftData gf_makeAcData(const AcIdent& ident);
// A live aircraft at birth with its first sample in the stream.
LiveAc lf_makeLiveAc(const AircraftData& data, const PosSample& first, double time);
// A static parked aircraft, not yet in the simulator.
StaticAc gf_makeStaticAc(const AircraftData& data);
