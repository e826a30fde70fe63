// Names of the engine's enumerations, descriptions of aircraft for log lines, and the
// identity tests of aircraft records.
#pragma once

#include "engine/aircraft_records.h"

#include <string>
#include <string_view>

// Throw std::out_of_range "invalid unordered_map<K, T> key" for a value outside the table.
const std::string& gf_simStateName(SimState state);
const std::string& gf_flightPhaseName(FlightPhase phase);
const std::string& gf_categoryName(Category category);

// "{:3} {:4}" of airline and type.
std::string gf_aimoString(const AcIdent& ac);
bool gf_sameAimo(const AcIdent& a, const AcIdent& b);
// Callsign and aimo.
std::string gf_acDescr(const AcIdent& ac);
// Callsign, aimo and registration.
std::string gf_acDescrLong(const AcIdent& ac);
// Aimo, the callsign padded to eight characters, and the route.
std::string gf_acDescrWide(const AcIdent& ac);
// "{:3}->{:3}" of origin and destination, or eight blanks when both are empty.
std::string gf_routeString(const AcIdent& ac);
// Not empty, not "@@@@@@@@" and at most 8 characters.
bool gf_hasCallsign(const AcIdent& ac);
// Balloons, gliders, parachutes, ground vehicles, ships and the like.
bool gf_isNonAircraftType(std::string_view type);
// Key of the no-livery set: the aimo joined with the registration.
std::string gf_makeAcKey(const AcIdent& ac);
