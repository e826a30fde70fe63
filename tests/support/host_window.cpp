#include "support/host_window.h"

#include "platform/standin/desktop.h"

namespace testsupport {

namespace {

LRESULT CALLBACK lf_hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    hostMessages().push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

std::vector<UINT>& hostMessages()
{
    static std::vector<UINT> messages;
    return messages;
}

HWND createHostWindow()
{
    static const bool registered = [] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof(windowClass);
        windowClass.lpfnWndProc = lf_hostProc;
        windowClass.hInstance = standin::programInstance();
        windowClass.lpszClassName = L"TestHost";
        return RegisterClassExW(&windowClass) != 0;
    }();
    if (!registered) {
        return nullptr;
    }
    HWND window = CreateWindowExW(0, L"TestHost", L"TestHost", WS_CAPTION | WS_SYSMENU, 100, 50, 880, 516, nullptr,
                                  nullptr, standin::programInstance(), nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}

HWND createHostControl(HWND host, const wchar_t* className, DWORD style, int id)
{
    return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, 10, 100, 20, host,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), standin::programInstance(), nullptr);
}

bool registerBlackWindowClass(const wchar_t* className, WNDPROC procedure)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = standin::programInstance();
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

} // namespace testsupport
