// The simulator's part of the status panel header.
#include "ui/sim_panel_state.h"
#include "core/run_state.h"

#include <mutex>

std::atomic<bool> g_panelSimConnected{false};
std::atomic<bool> g_panelSimRunning{false};
std::atomic<bool> g_panelUserTypeKnown{true};

namespace {

// One lock for the panel's texts of the simulator link.
std::mutex lf_simTextMutex;
std::string lf_simText;
std::string lf_userTitle;
std::string lf_userStand;

void lf_store(std::string& field, std::string_view text)
{
    std::lock_guard lock(lf_simTextMutex);
    field = text;
}

std::string lf_load(const std::string& field)
{
    std::lock_guard lock(lf_simTextMutex);
    return field;
}

} // namespace

void gf_setPanelSimText(std::string_view text) { lf_store(lf_simText, text); }
std::string gf_panelSimText() { return lf_load(lf_simText); }
void gf_setPanelUserTitle(std::string_view text) { lf_store(lf_userTitle, text); }
std::string gf_panelUserTitle() { return lf_load(lf_userTitle); }
void gf_setPanelUserStand(std::string_view text) { lf_store(lf_userStand, text); }
std::string gf_panelUserStand() { return lf_load(lf_userStand); }

namespace {

const RunStateRegistration lf_runState{
    gf_stateEntry("g_panelSimConnected", RunStateArea::Status, g_panelSimConnected),
    gf_stateEntry("g_panelSimRunning", RunStateArea::Status, g_panelSimRunning),
    gf_stateEntry("g_panelUserTypeKnown", RunStateArea::Status, g_panelUserTypeKnown),
    gf_lockedStateEntry("lf_simText", RunStateArea::Status, lf_simText, lf_simTextMutex),
    gf_lockedStateEntry("lf_userTitle", RunStateArea::Status, lf_userTitle, lf_simTextMutex),
    gf_lockedStateEntry("lf_userStand", RunStateArea::Status, lf_userStand, lf_simTextMutex),
};

} // namespace
