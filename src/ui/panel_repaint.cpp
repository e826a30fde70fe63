#include "ui/panel_repaint.h"

#include "ui/main_window_handle.h"

void gf_repaintPanelHeader()
{
    const HWND window = g_mainWindow.load();
    if (window == nullptr)
        return;
    const RECT header{0, 28, 880, 112};
    InvalidateRect(window, &header, FALSE);
}
