// The seam to the simulator's client library. On Windows with the simulator
// SDK its own header; otherwise our declarations (which build against the real
// <windows.h> as well as against the stand-ins), implemented here by the
// simulated simulator.
#pragma once

#include "platform/win32.h"

#if defined(_WIN32) && defined(SKYWEAVER_HAVE_SIMCONNECT_SDK)
#  include <SimConnect.h>
#else
#  include "platform/standin/simconnect_api.h"
#endif
