// The controls' handlers come with the settings they change; until then no
// command is handled and the edit boxes pass every message on.
#include "ui/command_handlers.h"

#include "core/settings.h"

namespace {

LRESULT CALLBACK lf_editPassOnProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    for (const StringGuiParameter* box : {&ALL_INSTALL_PATH, &BLOCK_CALLSIGN, &DESTINATION}) {
        if (box->hwnd == window && box->previousProc != nullptr) {
            return CallWindowProcW(box->previousProc, window, message, wParam, lParam);
        }
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

bool lf_HandleWMCOMMAND(HWND, WPARAM, LPARAM) { return false; }

WNDPROC lf_editProcOf(const StringGuiParameter&) { return lf_editPassOnProc; }
