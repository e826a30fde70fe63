// Busy with static parking: the parking controls wait until it is done.
#include "ui/busy_state.h"
#include "core/run_state.h"

#include "app/tick_state.h"
#include "core/settings.h"
#include "ui/control_actions.h"
#include "ui/panel_repaint.h"

std::atomic<bool> g_busy{false};

namespace {

// Minutes until the next renewal once one has finished.
constexpr std::int32_t kMinutesAfterRenewal = 19;

void lf_enableParkingControls(bool enable)
{
    const BOOL state = enable ? TRUE : FALSE;
    for (const GuiControl* control :
         std::initializer_list<const GuiControl*>{&parking_percentage, &MAX_FIT_FL, &MAX_PARK_SEL, &MAX_LIVE_SEL,
                                                  &WEEK, &PARK_SOFT, &BUTTON_FLUSH_STATIC, &BUTTON_REREAD}) {
        EnableWindow(control->hwnd, state);
    }
    if (!INITIAL_LOAD_ONLY.value) {
        EnableWindow(BUTTON_NOW.hwnd, state);
    }
    gf_repaintControlArea();
}

} // namespace

void gf_setBusy()
{
    g_busy.store(true);
    lf_enableParkingControls(false);
}

void gf_setIdle()
{
    g_busy.store(false);
    g_staticParkingCountdown.store(kMinutesAfterRenewal);
    lf_enableParkingControls(true);
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_busy),
};

} // namespace
