// The user stand shown in the status panel: the stand under the user aircraft, looked up
// on the main loop, which owns the stands of the park airport.
#include "simlink/user_aircraft.h"

#include "engine/stand_lookup.h"
#include "ui/panel_repaint.h"
#include "ui/sim_panel_state.h"

void gf_updateUserStand()
{
    const std::string stand = gf_nearestStandName({g_userAcData.latitude, g_userAcData.longitude});
    if (stand == gf_panelUserStand()) {
        return;
    }
    gf_setPanelUserStand(stand);
    gf_repaintPanelHeader();
}
