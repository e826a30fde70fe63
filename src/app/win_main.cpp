// Program entry: one copy at a time, "Log.txt", then the application on the GUI thread.
#include "app/win_main.h"

#include "app/run_application.h"
#include "core/scan_pool.h"

#include "core/log.h"
#include "traffic/reader_threads.h"

#include <chrono>
#include <cstdlib>
#include <exception>

namespace {

// How long the exit waits for the scan workers, beside the readers' wait, so a close still ends
// the program at once.
constexpr std::chrono::milliseconds kScanWorkerExitWait{500};

} // namespace

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE, PWSTR, int)
{
    // The mutex is never closed: the system releases it when the process ends.
    CreateMutexA(nullptr, FALSE, "Local\\$SKWV$");
    if (GetLastError() == ERROR_ALREADY_EXISTS) {
        return -1;
    }
    try {
        gf_openLogFile();
    } catch (const std::exception&) {
        return 1;
    }
    const int exitCode = gf_runApplication(hInstance);
    // The readers run on detached threads: none may wake after the globals are destroyed.
    gf_waitForReadersToEnd();
    // A scan task that was given up may still hang in a file read, and would use the globals
    // when it wakes: then the process ends without destroying them.
    if (!gf_waitForScanWorkersToEnd(kScanWorkerExitWait)) {
        gf_log("Scan task still running at exit, ending at once");
        gf_flushLog();
        std::_Exit(exitCode);
    }
    return exitCode;
}
