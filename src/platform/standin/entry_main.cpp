// The process entry off Windows: records the command line for GetCommandLineW
// and hands control to the program's wWinMain, as the Windows C runtime does.
// SIGINT and SIGTERM close the main window.
#include "app/win_main.h"
#include "platform/standin/desktop.h"
#include "platform/standin/kernel32_control.h"

#include <string>

int main(int argc, char** argv)
{
    standin::startSignalWatcher();
    standin::setCommandLine(argc, argv);
    std::wstring arguments = standin::commandLineArguments();
    return wWinMain(standin::programInstance(), nullptr, arguments.data(), SW_SHOWNORMAL);
}
