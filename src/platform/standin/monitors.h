// The headless desktop's monitors: one 1920 x 1080 screen with a 40-pixel
// taskbar at the bottom unless a test sets others.
#pragma once

#include "platform/standin/wintypes.h"

#include <vector>

namespace standin {

struct MonitorSpec {
    RECT monitor;
    RECT work;
    bool primary = false;
};

void setMonitors(std::vector<MonitorSpec> monitors);
// Back to the one default screen.
void resetMonitors();
std::vector<MonitorSpec> monitors();

} // namespace standin
