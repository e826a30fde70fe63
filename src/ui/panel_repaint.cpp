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

void gf_repaintControlArea()
{
    const HWND window = g_mainWindow.load();
    if (window == nullptr)
        return;
    const RECT controls{0, 112, 880, 392};
    InvalidateRect(window, &controls, TRUE);
}

void gf_repaintParkingBand()
{
    const HWND window = g_mainWindow.load();
    if (window == nullptr)
        return;
    const RECT band{0, 392, 880, 448};
    InvalidateRect(window, &band, FALSE);
}
