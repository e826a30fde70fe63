// Puts the runtime state back to that of a fresh process before an in-process restart.
// Runs on the main loop thread after the SimClient thread has ended and the readers stopped.
#include "app/app_steps.h"

#include "core/run_state.h"
#include "core/settings.h"
#include "engine/ac_containers.h"
#include "platform/win32.h"
#include "ui/control_text.h"
#include "ui/main_window_handle.h"

// The feed, the simulator link, the engine, the window's status and the run flags, in
// this order; then the boxes show the emptied destination and blocked callsign ("Unblock"
// has nothing to unblock), and the
// whole window is painted again from the fresh state.
void lf_resetForRestart()
{
    gf_resetRunState(RunStateArea::Traffic);
    gf_resetRunState(RunStateArea::Simulator);
    gf_clearAcContainers();
    gf_resetRunState(RunStateArea::Status);
    gf_resetRunState(RunStateArea::RunFlags);
    gf_setControlText(DESTINATION);
    gf_setControlText(BLOCK_CALLSIGN);
    EnableWindow(BUTTON_UNBLOCK.hwnd, FALSE);
    if (HWND window = g_mainWindow.load(); window != nullptr) {
        InvalidateRect(window, nullptr, FALSE);
    }
}
