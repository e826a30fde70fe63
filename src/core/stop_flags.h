// The run's stop flags, tested by every loop and by the quiet loggers.
#pragma once

#include <atomic>

// Raised by any component that ends the run (with an exit reason).
extern std::atomic<bool> g_stopRequested;
// Raised by the window's close button: the user wants the program to end.
extern std::atomic<bool> g_exitRequested;
// Production mode from the command line: initialise, scan, then close down.
extern std::atomic<bool> g_productionMode;
