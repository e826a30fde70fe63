// Stream extension, for now without holding or extrapolation: a dry stream ends the flight.
#include "engine/stream_extension.h"

bool lf_extendStream(LiveAc&)
{
    return false;
}
