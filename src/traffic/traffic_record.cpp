#include "traffic/traffic_record.h"

std::deque<TrafficRecord> g_trafficQueue;
