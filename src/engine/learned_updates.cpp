#include "engine/learned_updates.h"

#include "ui/main_window.h"
#include "ui/panel_repaint.h"

void gf_addLearnedUpdate()
{
    ++g_learnedUpdates;
    g_mainWindowState.learnedUpdates.store(g_learnedUpdates);
    gf_repaintParkingBand();
}
