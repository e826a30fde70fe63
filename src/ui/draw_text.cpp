#include "ui/draw_text.h"

#include "core/log.h"
#include "core/text_convert.h"

#include <algorithm>
#include <exception>
#include <fmt/format.h>
#include <limits>
#include <string>

void lf_drawText(std::string_view text, HDC dc, int x, int y, COLORREF colour)
{
    std::wstring wide;
    try {
        wide = utf8_to_wide(text);
    } catch (const std::exception& e) {
        gf_log(fmt::format("TextOut utf8  to wide failed for '{}': {}", text, e.what()));
        return;
    }
    const auto length = static_cast<int>(std::min<std::size_t>(wide.size(), std::numeric_limits<int>::max()));
    const COLORREF previous = SetTextColor(dc, colour);
    TextOutW(dc, x, y, wide.c_str(), length);
    SetTextColor(dc, previous);
}
