// The simulator's part of the status panel header.
#include "ui/sim_panel_state.h"

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

} // namespace

void gf_setPanelSimText(std::string_view text)
{
    std::lock_guard lock(lf_simTextMutex);
    lf_simText = text;
}

std::string gf_panelSimText()
{
    std::lock_guard lock(lf_simTextMutex);
    return lf_simText;
}

void gf_setPanelUserTitle(std::string_view text)
{
    std::lock_guard lock(lf_simTextMutex);
    lf_userTitle = text;
}

std::string gf_panelUserTitle()
{
    std::lock_guard lock(lf_simTextMutex);
    return lf_userTitle;
}

void gf_setPanelUserStand(std::string_view text)
{
    std::lock_guard lock(lf_simTextMutex);
    lf_userStand = text;
}

std::string gf_panelUserStand()
{
    std::lock_guard lock(lf_simTextMutex);
    return lf_userStand;
}
