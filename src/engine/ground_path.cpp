// Ground paths, for now without a path ever set: evaluation always fails.
#include "engine/ground_path.h"

bool lf_evalBezier(const LiveAc&, double, LatLon&, double&)
{
    return false;
}
