// The simulator's part of the status panel header.
#include "ui/sim_panel_state.h"

#include <mutex>

std::atomic<bool> g_panelSimConnected{false};
std::atomic<bool> g_panelSimRunning{false};

namespace {

std::mutex lf_simTextMutex;
std::string lf_simText;

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
