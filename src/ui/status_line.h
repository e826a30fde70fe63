// The status line at the bottom of the main window: an error, or else the latest
// message, which disappears after 25 flight seconds. Any thread may write to it.
#pragma once

#include "platform/win32.h"

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

// Guards the message, the error, g_statusClock and the message's stamp. The log mutex
// may be taken inside it; code that holds the log mutex must not write to the status line.
extern std::mutex g_statusMutex;

// Shows a message (an empty text clears it) and logs it when asked; while an error is
// shown the message is dropped, not logged.
void gf_showMessage(std::string_view text, bool toLog);
// Shows an error in place of everything else and logs "Error {}".
void gf_showError(std::string_view text);
// Clears the message; ignored while an error is shown.
void gf_clearMessage();
// Removes the error (and the message).
void gf_clearStatusError();
// One flight second: a message shown for 25 of them disappears.
void gf_advanceStatusClock();
// Before a restart: no error, no message, the clock back at 0.
void gf_resetStatusLine();

// Paints the line into the main window's bitmap (GUI thread).
void lf_paintStatusLine(HDC dc);

// What the line shows now.
struct StatusLineText {
    std::string message;
    std::string error;
};
StatusLineText gf_statusLineText();
