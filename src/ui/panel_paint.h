// Painting of the main window's status panel: everything goes into one
// off-screen bitmap that is copied to the window in a single blit. The status
// line has its own painter (status_line.h); texts go through lf_drawText (draw_text.h).
#pragma once

#include "platform/win32.h"

#include <string_view>
#include <vector>

void lf_paintMainWindow(HDC dc);
void lf_paintSimSection(HDC dc);
void lf_paintControlLabels(HDC dc);
void lf_paintParkingStats(HDC dc);

// A static label beside the settings' controls: its text and where it is drawn.
struct ControlLabel {
    std::string_view text;
    int x = 0;
    int y = 0;
};
// Every static label, and the longest forms of the renewal countdown text.
std::vector<ControlLabel> gf_controlLabels();
