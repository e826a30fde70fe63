// Park airports whose park file failed to load are not tried again for 10 minutes, and the
// failure is logged once.
#pragma once

#include <string>

// Whether the airport's last load failed less than 10 minutes ago.
bool gf_parkLoadBackedOff(const std::string& icao);
// Records a failed load of the airport; true when it is the airport's first failure (to be
// logged), false for a repeated one.
bool gf_noteParkLoadFailure(const std::string& icao);
// Every airport may be tried again (Re-read, a new destination; a restart clears it too). Any thread.
void gf_clearParkLoadBackOff();
