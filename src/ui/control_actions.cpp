// Least bodies until the control handlers are built: the range stays as set, no
// destination is applied and no renewal is announced.
#include "ui/control_actions.h"

#include "ui/busy_state.h"

void gf_autoRange() {}

void gf_setDestination(std::string_view, const Airport&) {}

void gf_announceStaticParkingUpdate() {}

void gf_setBusy()
{
    g_busy.store(true);
}

void gf_setIdle()
{
    g_busy.store(false);
}
