// winmm stand-in: Linux sleeps already have fine resolution, so nothing to change.
#include "platform/standin/winmm.h"

MMRESULT timeBeginPeriod(UINT) { return TIMERR_NOERROR; }
MMRESULT timeEndPeriod(UINT) { return TIMERR_NOERROR; }
