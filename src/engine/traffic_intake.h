// The engine's intake of traffic records: a record becomes a new live aircraft, a new
// sample of a known one, or is refused by the plausibility and identity tests.
#pragma once

#include "engine/aircraft_records.h"
#include "traffic/traffic_record.h"

// Matches one record to a live aircraft and accepts, refuses or creates. An exception of
// the sample append is passed on after it was logged.
void handleTrafficRecord(TrafficRecord& rec);
// A record without a live aircraft: resolves the type, then filterNewTraffic.
void lf_newTraffic(TrafficRecord& rec);
// Whether live aircraft of the category are switched on.
bool lf_isCategoryWanted(Category category);
// Category and altitude filter, then a new live aircraft at the end of g_liveAcs.
void filterNewTraffic(TrafficRecord& rec);
// Appends an accepted sample to the aircraft's stream; logs and rethrows its exceptions.
void decodeExisting(LiveAc& ac, PosSample s);

// Whether a change of identity makes the aircraft respawn; false refuses the record.
bool lf_checkRespawn(LiveAc& ac, TrafficRecord& rec);
// true when the route counts as unchanged; fills and replaces origin and destination.
bool lf_routeChanged(LiveAc& ac, const TrafficRecord& rec);
// true when the aircraft may keep its livery; takes a non-empty registration of the record.
bool lf_registrationChanged(LiveAc& ac, TrafficRecord& rec);
// true when the new registration belongs to another airline or type and the aircraft was updated.
bool lf_regOwnerChanged(LiveAc& ac, TrafficRecord& rec);
// true when the record's registration changes the aircraft's identity.
bool lf_regcodeChanged(LiveAc& ac, const TrafficRecord& rec);

// The park airport's elevation from the airport database, or -1000 ft without a park airport.
double gf_intakeReferenceElevation();
