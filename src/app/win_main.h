// The program's entry point, called by the C runtime on Windows.
#pragma once

#include "platform/win32.h"

int WINAPI wWinMain(HINSTANCE hInstance, HINSTANCE hPrevInstance, PWSTR pCmdLine, int nCmdShow);
