#include "engine/learned_updates.h"

#include "core/main_loop_thread.h"
#include "core/run_state.h"
#include "ui/main_window.h"
#include "ui/panel_repaint.h"

namespace {

std::uint32_t g_learnedUpdates = 0;

void lf_requireOwner()
{
    gf_requireMainLoopThread("g_learnedUpdates");
}

// Reset by the restart, which runs on the main loop thread.
const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_learnedUpdates),
};

} // namespace

std::uint32_t gf_learnedUpdates()
{
    lf_requireOwner();
    return g_learnedUpdates;
}

void gf_addLearnedUpdate()
{
    lf_requireOwner();
    ++g_learnedUpdates;
    g_mainWindowState.learnedUpdates.store(g_learnedUpdates);
    gf_repaintParkingBand();
}

void gf_clearLearnedUpdates()
{
    lf_requireOwner();
    g_learnedUpdates = 0;
}
