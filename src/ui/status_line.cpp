// Status-line state and its writers. Writers hold g_statusMutex only for the update
// and post the repaint request after releasing it.
#include "ui/status_line.h"
#include "core/run_state.h"

#include "core/log.h"
#include "ui/main_window_handle.h"
#include "ui/window_messages.h"

#include <algorithm>
#include <fmt/format.h>

std::mutex g_statusMutex;

namespace {

// A message lives this many flight seconds.
constexpr std::int32_t kMessageSeconds = 25;

std::string s_message;
std::string s_error;
std::int32_t g_statusClock = 0;
std::int32_t s_stamp = 0; // clock value when the message was set; 0 without a message

// Only the GUI thread paints; everyone else asks for a repaint of the line.
void lf_requestRepaint()
{
    if (HWND window = g_mainWindow.load()) {
        PostMessageW(window, WM_APP_REPAINT, 0, 0);
    }
}

// Sets the message unless an error is shown; returns whether it was set.
bool lf_setMessage(std::string_view text)
{
    std::lock_guard lock(g_statusMutex);
    if (!s_error.empty()) {
        return false;
    }
    s_message = std::string(text);
    s_stamp = text.empty() ? 0 : std::max<std::int32_t>(1, g_statusClock);
    return true;
}

} // namespace

void gf_showMessage(std::string_view text, bool toLog)
{
    if (!lf_setMessage(text)) {
        return;
    }
    if (toLog && !text.empty()) {
        gf_log(text);
    }
    lf_requestRepaint();
}

void gf_showError(std::string_view text)
{
    {
        std::lock_guard lock(g_statusMutex);
        s_message.clear();
        s_stamp = 0;
        s_error = std::string(text);
        gf_log(fmt::format("Error {}", text));
    }
    lf_requestRepaint();
}

void gf_clearMessage()
{
    if (lf_setMessage({})) {
        lf_requestRepaint();
    }
}

void gf_clearStatusError()
{
    {
        std::lock_guard lock(g_statusMutex);
        s_error.clear();
    }
    gf_clearMessage();
}

void gf_advanceStatusClock()
{
    bool expired = false;
    {
        // Tested and cleared under one lock, so a message set meanwhile is not lost.
        std::lock_guard lock(g_statusMutex);
        ++g_statusClock;
        if (s_stamp >= 1 && g_statusClock - s_stamp >= kMessageSeconds) {
            s_message.clear();
            s_stamp = 0;
            expired = true;
        }
    }
    if (expired) {
        lf_requestRepaint();
    }
}

void gf_resetStatusLine()
{
    {
        std::lock_guard lock(g_statusMutex);
        s_error.clear();
        s_message.clear();
        s_stamp = 0;
        g_statusClock = 0;
    }
    lf_requestRepaint();
}

StatusLineText gf_statusLineText()
{
    std::lock_guard lock(g_statusMutex);
    return {s_message, s_error};
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE_LOCKED(RunStateArea::Status, g_statusMutex, s_message, s_error, g_statusClock, s_stamp),
};

} // namespace
