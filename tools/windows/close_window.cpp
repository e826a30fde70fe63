// Closes a window as its close button does: finds the top-level window of the
// class named on the command line and posts it WM_CLOSE. Waits up to ten seconds
// for the window to appear. Exit code 0 when posted, 1 when no such window came.
//   close_window.exe <window class>
#include <windows.h>

#include <cstdio>
#include <cwchar>

int wmain(int argc, wchar_t** argv)
{
    if (argc != 2) {
        std::fputs("usage: close_window <window class>\n", stderr);
        return 2;
    }
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (HWND window = FindWindowW(argv[1], nullptr); window != nullptr) {
            return PostMessageW(window, WM_CLOSE, 0, 0) ? 0 : 1;
        }
        Sleep(100);
    }
    std::fwprintf(stderr, L"no window of class %ls\n", argv[1]);
    return 1;
}
