// Least body until the RealTraffic link is built: nothing is sent.
#include "traffic/rt_link.h"

void gf_sendUserPosition() {}
