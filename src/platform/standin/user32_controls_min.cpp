// Minimal user32 bodies until the headless desktop exists: there are no windows
// yet, so every handle is unknown and messages to it do nothing, as on Windows.
#include "platform/win32.h"

LRESULT WINAPI SendMessageW(HWND, UINT, WPARAM, LPARAM)
{
    return 0;
}

BOOL WINAPI IsWindow(HWND)
{
    return FALSE;
}
