// Program entry: one copy at a time, "Log.txt", then the application on the GUI thread.
#include "app/win_main.h"

#include "app/run_application.h"

#include "core/log.h"
#include "traffic/reader_threads.h"

#include <exception>

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
    return exitCode;
}
