#include "ui/main_window_handle.h"

std::atomic<HWND> g_mainWindow{nullptr};
