// Ghost copies of live aircraft: a callsign with a trailing '_' copies another aircraft.
#pragma once

#include <string_view>

// Whether the callsign without its trailing '_' belongs to a live aircraft that is not
// being removed.
bool lf_ghostHasOriginal(std::string_view ghostCallsign);
// Removes the ghost copies of the callsign.
void lf_removeGhosts(std::string_view callsign);
