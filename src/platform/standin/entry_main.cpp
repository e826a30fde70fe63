// The process entry off Windows: records the command line for GetCommandLineW
// and hands control to the program's wWinMain, as the Windows C runtime does.
// SIGINT and SIGTERM close the main window.
#include "core/scan_pool.h"
#include "app/win_main.h"
#include "platform/standin/desktop.h"
#include "platform/standin/kernel32_control.h"

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

namespace {

// SKYWEAVER_STANDIN_HOLD_SCAN_FILE: a scan task whose file's path holds this text never
// ends, as a read blocked on a share that went away; for tests of the program's exit.
void lf_holdScanTasks()
{
    const char* text = std::getenv("SKYWEAVER_STANDIN_HOLD_SCAN_FILE");
    if (text == nullptr || *text == '\0') {
        return;
    }
    g_scanTaskHook = [held = std::string(text)](const std::filesystem::path& file) {
        if (file.string().find(held) != std::string::npos) {
            for (;;) {
                std::this_thread::sleep_for(std::chrono::hours(1));
            }
        }
    };
}

} // namespace

int main(int argc, char** argv)
{
    standin::startSignalWatcher();
    standin::setCommandLine(argc, argv);
    lf_holdScanTasks();
    std::wstring arguments = standin::commandLineArguments();
    return wWinMain(standin::programInstance(), nullptr, arguments.data(), SW_SHOWNORMAL);
}
