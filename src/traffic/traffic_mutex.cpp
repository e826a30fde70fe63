#include "traffic/traffic_mutex.h"

std::mutex g_trafficMutex;
