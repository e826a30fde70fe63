// Program entry: opens the log and runs the application.
#include "app/win_main.h"

#include "core/log.h"

#include <exception>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)
{
    try {
        gf_openLogFile();
    } catch (const std::exception&) {
        return 1;
    }
    return 0;
}
