// winmm stand-in: the multimedia timer resolution calls, which succeed and do nothing.
#pragma once

#include "platform/standin/wintypes.h"

using MMRESULT = UINT;
#define TIMERR_NOERROR 0

MMRESULT timeBeginPeriod(UINT period);
MMRESULT timeEndPeriod(UINT period);
