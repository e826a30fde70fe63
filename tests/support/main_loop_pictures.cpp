#include "support/main_loop_pictures.h"

#include "core/run_state.h"
#include "core/settings.h"
#include "ui/main_window_handle.h"

#include <fmt/format.h>

#include <algorithm>
#include <sstream>

namespace testsupport {

namespace {

std::vector<MainLoopPicture> g_pictures;
WNDPROC g_buttonProc = nullptr;

// Entries that the simulated simulator and the feed keep changing while a run starts: the
// simulator's clock and the user block it carries, its frame and handle, the feed's
// datagram counts; and the half hour of the wall clock, which may turn between the runs.
// They come from the run itself, not from the run before it.
const std::vector<std::string> kMovedByTheLink = {
    "g_simUserAcData", "g_userAcData",     "g_simEpochTime", "lf_sendSequence", "g_hSimConnect",
    "g_qnhReader",     "g_trafficReader", "g_trafficTime",  "g_newSecond",     "g_weekTime",
};

std::string lf_comparableState()
{
    std::istringstream lines(gf_runStateSnapshot());
    std::string kept;
    for (std::string line; std::getline(lines, line);) {
        const std::string name = line.substr(0, line.find(" = "));
        if (std::find(kMovedByTheLink.begin(), kMovedByTheLink.end(), name) == kMovedByTheLink.end()) {
            kept += line + "\n";
        }
    }
    return kept;
}

// The main loop enables "cs->oid:" as it starts; its WM_ENABLE comes to the GUI thread while
// the main loop thread waits for it, so the state and the picture are taken before the
// loop's first tick.
LRESULT CALLBACK lf_callsignButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_ENABLE && wParam == TRUE) {
        const HWND main = g_mainWindow.load();
        InvalidateRect(main, nullptr, FALSE);
        UpdateWindow(main);
        g_pictures.push_back({lf_comparableState(), standin::composeWindow(main)});
    }
    return CallWindowProcW(g_buttonProc, window, message, wParam, lParam);
}

} // namespace

void watchMainLoopStarts()
{
    g_pictures.clear();
    g_buttonProc = reinterpret_cast<WNDPROC>(SetWindowLongPtrW(
        BUTTON_CALLSIGN_2_OBJECTID.hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&lf_callsignButtonProc)));
}

const std::vector<MainLoopPicture>& mainLoopPictures()
{
    return g_pictures;
}

std::string stateDifferences(const std::string& first, const std::string& second)
{
    std::istringstream a(first);
    std::istringstream b(second);
    std::string text;
    for (std::string left, right; std::getline(a, left) && std::getline(b, right);) {
        if (left != right) {
            text += fmt::format("first:  {}\nsecond: {}\n", left, right);
        }
    }
    return text;
}

} // namespace testsupport
