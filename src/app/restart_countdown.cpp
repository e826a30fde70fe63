// The countdown before an in-process restart, shown second by second in the status line.
#include "app/app_steps.h"
#include "app/exit_reason.h"

#include "core/log.h"
#include "core/text_strings.h"
#include "ui/status_line.h"

#include <chrono>
#include <fmt/format.h>
#include <string>
#include <thread>

void lf_restartCountdown()
{
    const std::int32_t seconds = g_restartDelaySeconds.load();
    if (seconds < 1) {
        return;
    }
    gf_log(fmt::format("Restarting after {} seconds", seconds));
    gf_log(std::string(48, '-'));
    gf_flushLog();
    for (std::int32_t i = 0; i < seconds; ++i) {
        const std::int32_t left = seconds - i;
        gf_showMessage(fmt::format("Restarting after {} second{}", left, gf_plural(left)), false);
        std::this_thread::sleep_for(std::chrono::seconds(1));
    }
    gf_log("Restart countdown finished");
}
