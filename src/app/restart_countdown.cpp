// The countdown before an in-process restart, shown second by second in the status line;
// the user's close during it ends the program instead.
#include "app/app_steps.h"
#include "app/exit_reason.h"

#include "core/log.h"
#include "core/program_version.h"
#include "core/stop_flags.h"
#include "core/text_strings.h"
#include "ui/status_line.h"

#include <chrono>
#include <fmt/format.h>
#include <string>
#include <thread>

namespace {

using namespace std::chrono_literals;

// How often a second of the countdown looks for the user's close.
constexpr auto kCloseCheck = 100ms;

// False when the user closed the window meanwhile.
bool lf_waitOneSecond()
{
    for (auto waited = 0ms; waited < 1s; waited += kCloseCheck) {
        if (g_exitRequested.load()) {
            return false;
        }
        std::this_thread::sleep_for(kCloseCheck);
    }
    return !g_exitRequested.load();
}

} // namespace

bool lf_restartCountdown()
{
    const std::int32_t seconds = g_restartDelaySeconds.load();
    if (seconds < 1) {
        return !g_exitRequested.load();
    }
    gf_log(fmt::format("Restarting after {} seconds", seconds));
    gf_log(std::string(48, '-'));
    gf_flushLog();
    for (std::int32_t i = 0; i < seconds; ++i) {
        const std::int32_t left = seconds - i;
        gf_showMessage(fmt::format("Restarting after {} second{}", left, gf_plural(left)), false);
        if (!lf_waitOneSecond()) {
            gf_log(fmt::format("User closed {}", kProductName));
            return false;
        }
    }
    gf_log("Restart countdown finished");
    return true;
}
