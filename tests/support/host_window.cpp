#include "support/host_window.h"

#include "platform/standin/desktop.h"

namespace testsupport {

namespace {

LRESULT CALLBACK lf_hostProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    hostMessages().push_back(message);
    return DefWindowProcW(window, message, wParam, lParam);
}

bool lf_registerClass(const wchar_t* className, WNDPROC procedure, HBRUSH background)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(windowClass);
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = standin::programInstance();
    windowClass.hbrBackground = background;
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

} // namespace

std::vector<UINT>& hostMessages()
{
    static std::vector<UINT> messages;
    return messages;
}

HWND createShownWindow(const wchar_t* className, WNDPROC procedure, HBRUSH background)
{
    // Registered anew for every window: each test starts on an empty desktop.
    lf_registerClass(className, procedure, background);
    HWND window = CreateWindowExW(0, className, className, WS_CAPTION | WS_SYSMENU, 100, 50, 880, 516, nullptr,
                                  nullptr, standin::programInstance(), nullptr);
    ShowWindow(window, SW_SHOW);
    return window;
}

HWND createHostWindow()
{
    hostMessages().clear();
    return createShownWindow(L"TestHost", lf_hostProc);
}

HWND createHostControl(HWND host, const wchar_t* className, DWORD style, int id, int width, int height)
{
    return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | WS_TABSTOP | style, 10, 10, width, height, host,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), standin::programInstance(), nullptr);
}

bool registerBlackWindowClass(const wchar_t* className, WNDPROC procedure)
{
    return lf_registerClass(className, procedure, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
}

} // namespace testsupport
