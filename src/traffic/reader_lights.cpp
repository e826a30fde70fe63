#include "traffic/reader_lights.h"
#include "core/run_state.h"

#include "core/traffic_time.h"
#include "traffic/qnh_reader.h"
#include "traffic/traffic_reader.h"
#include "ui/panel_repaint.h"

std::atomic<std::int32_t> g_currentQnh{1013};
std::atomic<std::int32_t> g_panelQnh{1013};
std::atomic<std::int32_t> g_trafficQnh{1013};
std::atomic<std::int32_t> g_trafficLight{kLightStopped};
std::atomic<std::int32_t> g_qnhLight{kLightStopped};
std::atomic<bool> g_rtLinkReady{false};

void gf_updateReaderLights()
{
    if (!g_rtLinkReady)
        return;
    g_qnhReader.checkLight(g_qnhLight);
    g_trafficReader.checkLight(g_trafficLight);
}

void gf_resetFeedState()
{
    g_trafficQnh = 1013;
    g_trafficTime = 0.0;
    g_trafficReader.clearSeenCallsigns();
    g_trafficReader.resetForRun();
    g_qnhReader.resetForRun();
    g_qnhReader.resetQnh();
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_currentQnh),
    RUN_STATE(RunStateArea::Traffic, g_panelQnh, g_trafficQnh, g_trafficLight, g_qnhLight, g_rtLinkReady),
};

} // namespace
