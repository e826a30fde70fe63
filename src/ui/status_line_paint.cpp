// Painting the status line: yellow text on red for an error, on green otherwise.
#include "ui/draw_text.h"
#include "ui/status_line.h"

namespace {

constexpr RECT kStatusLineArea{0, 448, 881, 477};
constexpr COLORREF kErrorBackground = RGB(255, 0, 0);
constexpr COLORREF kMessageBackground = RGB(50, 205, 50);
constexpr COLORREF kStatusText = RGB(255, 255, 0);
constexpr int kTextX = 3;
constexpr int kTextY = 455;

void lf_fill(HDC dc, COLORREF colour)
{
    HBRUSH brush = CreateSolidBrush(colour);
    FillRect(dc, &kStatusLineArea, brush);
    DeleteObject(brush);
}

} // namespace

void lf_paintStatusLine(HDC dc)
{
    const StatusLineText shown = gf_statusLineText();
    if (!shown.error.empty()) {
        lf_fill(dc, kErrorBackground);
        lf_drawText(shown.error, dc, kTextX, kTextY, kStatusText);
        return;
    }
    lf_fill(dc, kMessageBackground);
    if (!shown.message.empty()) {
        lf_drawText(shown.message, dc, kTextX, kTextY, kStatusText);
    }
}
