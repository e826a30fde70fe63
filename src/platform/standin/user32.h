// user32 stand-in: declarations of the calls the program makes.
#pragma once

#include "platform/standin/wintypes.h"

// --- Window procedures and controls (minimal set used by the settings model) ---

using WNDPROC = LRESULT(CALLBACK*)(HWND, UINT, WPARAM, LPARAM);

#define WM_APP 0x8000

#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001

#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_ADDSTRING 0x0143
#define CB_SELECTSTRING 0x014D
#define CB_SETCURSEL 0x014E
#define CB_RESETCONTENT 0x014B
#define CB_ERR (-1)

LRESULT WINAPI SendMessageW(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
BOOL WINAPI IsWindow(HWND hwnd);
