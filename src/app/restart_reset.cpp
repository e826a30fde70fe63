// Puts the runtime state back to that of a fresh process before an in-process restart.
// Runs on the main loop thread after the SimClient thread has ended and the readers stopped.
#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/tick_state.h"

#include "core/stop_flags.h"
#include "engine/ac_containers.h"
#include "simlink/sim_client.h"
#include "simlink/user_aircraft.h"
#include "traffic/rt_link.h"
#include "traffic/qnh_reader.h"
#include "traffic/reader_lights.h"
#include "traffic/traffic_reader.h"
#include "core/traffic_time.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"
#include "ui/panel_repaint.h"
#include "ui/window_messages.h"
#include "ui/status_line.h"

void lf_resetForRestart()
{
    gf_resetFeedState();
    g_trafficLight.store(kLightStopped);
    g_qnhLight.store(kLightStopped);
    g_rtEditionProf.store(false);
    gf_resetRealTrafficForRestart();
    g_rtStarting.store(true);
    gf_resetSimLinkForRestart();
    gf_resetUserAircraftForRestart();
    gf_clearAcContainers();
    gf_resetStatusLine();
    g_exitRequested.store(false);
    g_stopRequested.store(false);
    g_exitReason.store(0);
    g_newSecond.store(false);
    g_flightNotRunning.store(false);
}
