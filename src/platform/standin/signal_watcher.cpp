// SIGINT and SIGTERM close the main window as its close button does. A thread
// waits for the signals with sigwait, so nothing runs inside a signal handler.
// With SKYWEAVER_WINDOW_PNG set, the window is saved there as a PNG before it closes.
#include "platform/standin/desktop.h"
#include "platform/standin/window_table.h"

#include <csignal>
#include <cstdlib>
#include <pthread.h>

namespace standin {

void startSignalWatcher()
{
    static std::once_flag started;
    std::call_once(started, [] {
        sigset_t signals;
        sigemptyset(&signals);
        sigaddset(&signals, SIGINT);
        sigaddset(&signals, SIGTERM);
        pthread_sigmask(SIG_BLOCK, &signals, nullptr);
        std::thread([signals] {
            for (;;) {
                int received = 0;
                if (sigwait(&signals, &received) != 0) {
                    continue;
                }
                HWND main = firstTopLevelWindow();
                if (main != nullptr) {
                    if (const char* png = std::getenv("SKYWEAVER_WINDOW_PNG"); png != nullptr && *png != '\0')
                        writePng(composeWindow(main), png);
                    PostMessageW(main, WM_SYSCOMMAND, SC_CLOSE, 0);
                    continue;
                }
                // No window to close yet: the signal ends the process as usual.
                std::signal(received, SIG_DFL);
                pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
                std::raise(received);
            }
        }).detach();
    });
}

} // namespace standin
