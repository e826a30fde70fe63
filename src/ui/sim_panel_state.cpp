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
    RUN_STATE(RunStateArea::Status, g_panelSimConnected, g_panelSimRunning, g_panelUserTypeKnown),
    RUN_STATE_LOCKED(RunStateArea::Status, lf_simTextMutex, lf_simText, lf_userTitle, lf_userStand),
};

} // namespace
