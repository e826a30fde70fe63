#include "support/painted_text.h"

#include "platform/win32.h"
#include "ui/main_window.h"

#include <string>

namespace testsupport {

bool showsText(const standin::Surface& picture, std::string_view text, int x, int y, int right, COLORREF colour,
               COLORREF background)
{
    const std::wstring wide(text.begin(), text.end());
    HDC dc = CreateCompatibleDC(nullptr);
    HBITMAP bitmap = CreateCompatibleBitmap(dc, picture.width, picture.height);
    const HGDIOBJ previousBitmap = SelectObject(dc, bitmap);
    const HGDIOBJ previousFont = SelectObject(dc, g_mainWindowState.font());
    HBRUSH brush = CreateSolidBrush(background);
    const RECT all{0, 0, picture.width, picture.height};
    FillRect(dc, &all, brush);
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, colour);
    TextOutW(dc, x, y, wide.c_str(), static_cast<int>(wide.size()));
    SIZE line{};
    GetTextExtentPoint32W(dc, L"X", 1, &line);
    bool same = true;
    for (int row = y; row < y + line.cy && same; ++row) {
        for (int column = x; column < right && same; ++column) {
            same = GetPixel(dc, column, row) == picture.pixel(column, row);
        }
    }
    SelectObject(dc, previousFont);
    SelectObject(dc, previousBitmap);
    DeleteObject(brush);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return same;
}

} // namespace testsupport
