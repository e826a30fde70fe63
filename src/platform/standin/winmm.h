// winmm stand-in: declarations of the calls the program makes.
#pragma once

#include "platform/standin/wintypes.h"
