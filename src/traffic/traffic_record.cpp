#include "traffic/traffic_record.h"
#include "core/run_state.h"
#include "traffic/traffic_mutex.h"

#include <mutex>

std::deque<TrafficRecord> g_trafficQueue;

namespace {

const RunStateRegistration lf_runState{
    {"g_trafficQueue", RunStateArea::Engine,
     [] {
         std::lock_guard lock(g_trafficMutex);
         g_trafficQueue = {};
     },
     [] {
         std::lock_guard lock(g_trafficMutex);
         return gf_stateText(g_trafficQueue);
     }},
};

} // namespace
