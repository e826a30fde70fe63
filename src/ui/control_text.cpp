#include "ui/control_text.h"

#include "core/log.h"
#include "core/text_convert.h"
#include "ui/main_window_handle.h"
#include "ui/panel_repaint.h"

#include <exception>
#include <fmt/format.h>
#include <string>

namespace {

void lf_setText(std::uint16_t controlId, const std::string& text)
{
    HWND control = GetDlgItem(g_mainWindow.load(), controlId);
    if (control == nullptr) {
        gf_log(fmt::format("GetDlgItem failed for ID {}", controlId));
        return;
    }
    try {
        SetWindowTextW(control, utf8_to_wide(text).c_str());
    } catch (const std::exception& e) {
        gf_log(fmt::format("{} exception: {}", "gf_setControlText", e.what()));
    }
}

} // namespace

void gf_setControlText(const StringGuiParameter& setting)
{
    lf_setText(setting.controlId, setting.value);
}

void gf_setControlTextInt(const IntGuiParameter& setting)
{
    lf_setText(setting.controlId, std::to_string(setting.value.load()));
}

void gf_setCheckBox(const BoolGuiParameter& setting)
{
    SendMessageW(setting.hwnd, BM_SETCHECK, setting.value ? BST_CHECKED : BST_UNCHECKED, 0);
    // Labels beside the boxes take their colour from the settings.
    gf_repaintControlArea();
}
