#include "parking/airport_settings_snapshot.h"

AirportSettingsSnapshot g_airportSettingsSnapshot;
