// The dispatch of the main window's commands and the edit boxes' procedure.
#include "ui/command_handlers.h"

#include "core/log.h"
#include "core/settings.h"
#include "core/text_convert.h"
#include "ui/main_window_handle.h"
#include "ui/panel_repaint.h"
#include "ui/status_line.h"

#include <exception>
#include <fmt/format.h>
#include <vector>

namespace {

// The longest entry text a list hands out.
constexpr int kMaxComboText = 255;

const StringGuiParameter* lf_editBoxOf(HWND window)
{
    for (const StringGuiParameter* box : {&BLOCK_CALLSIGN, &ALL_INSTALL_PATH, &DESTINATION}) {
        if (box->hwnd == window) {
            return box;
        }
    }
    return nullptr;
}

} // namespace

bool lf_HandleWMCOMMAND(HWND window, WPARAM wParam, LPARAM)
{
    const int controlId = LOWORD(wParam);
    try {
        if (lf_onCommandButtons(window, controlId) || lf_onCommandCheckBoxes(window, controlId) ||
            lf_onCommandCombos(window, controlId, wParam)) {
            return true;
        }
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception {}", "lf_HandleWMCOMMAND", e.what()));
        return true;
    }
    gf_repaintControlArea();
    return false;
}

LRESULT lf_editSubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, void (*handler)())
{
    if (message == WM_CHAR && wParam == VK_RETURN) {
        gf_clearMessage();
        try {
            handler();
        } catch (const std::exception& e) {
            gf_logMarked(fmt::format("{} exception {}", "lf_editSubclassProc", e.what()));
        }
        return 0;
    }
    const StringGuiParameter* box = lf_editBoxOf(window);
    if (box != nullptr && box->previousProc != nullptr) {
        return CallWindowProcW(box->previousProc, window, message, wParam, lParam);
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK lf_blockCallsignEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_editSubclassProc(window, message, wParam, lParam, lf_onBlockCallsignEntered);
}

LRESULT CALLBACK lf_communityPathEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_editSubclassProc(window, message, wParam, lParam, lf_onCommunityPathEntered);
}

LRESULT CALLBACK lf_destinationEditProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    return lf_editSubclassProc(window, message, wParam, lParam, lf_onDestinationEntered);
}

WNDPROC lf_editProcOf(const StringGuiParameter& setting)
{
    if (&setting == &BLOCK_CALLSIGN) {
        return lf_blockCallsignEditProc;
    }
    if (&setting == &ALL_INSTALL_PATH) {
        return lf_communityPathEditProc;
    }
    return lf_destinationEditProc;
}

std::string lf_getTextFromId(int controlId)
{
    HWND control = GetDlgItem(g_mainWindow.load(), controlId);
    if (control == nullptr) {
        gf_log(fmt::format("GetDlgItem failed for ID {}", controlId));
        return {};
    }
    const int length = GetWindowTextLengthW(control);
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(control, buffer.data(), length + 1);
    try {
        return wide_to_utf8(std::wstring_view(buffer.data(), static_cast<std::size_t>(copied)));
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: UTF-16 UTF-8 failed for id {}: {}", "lf_getTextFromId", controlId, e.what()));
        return {};
    }
}

ComboSelection lf_readComboSelection(HWND window, int comboId, WPARAM wParam)
{
    ComboSelection selection;
    if (LOWORD(wParam) != comboId || HIWORD(wParam) != CBN_SELCHANGE) {
        return selection;
    }
    HWND combo = GetDlgItem(window, comboId);
    const LRESULT index = SendMessageW(combo, CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) {
        return selection;
    }
    const LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR || length > kMaxComboText) {
        return selection;
    }
    std::vector<wchar_t> buffer(static_cast<std::size_t>(length) + 1, L'\0');
    if (SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(buffer.data())) ==
        CB_ERR) {
        return selection;
    }
    try {
        selection.text = wide_to_utf8(std::wstring_view(buffer.data(), static_cast<std::size_t>(length)));
    } catch (const std::exception&) {
        return selection;
    }
    selection.index = static_cast<int>(index);
    selection.valid = true;
    return selection;
}
