// The steps of one run of the start-up thread, shared by the application runtime's files:
// start-up, worker threads, the main loop and the shut-down.
#pragma once

#include "app/start_up_thread.h"

// Start-up (the start-up thread, later the main loop thread).
// A run up to its worker threads: the data, the scans the settings ask for, the park airports
// and the window's place; false when the run ended early (closed down already).
bool lf_prepareRun();
void lf_initApplication();
// Enables the controls bound to settings and fills every list with its value selected.
void lf_initControls();
bool lf_stopForProductionMode();

// Worker threads and the main loop.
bool lf_startThreads();
// The loop's first steps: the static parking and the reader lights, the flight seconds from 0,
// the traffic queue open, the callsign list filled.
void lf_startTickLoop();
void lf_runTickLoop();
bool lf_tick();

// Shut-down.
void lf_closingDown();
void lf_flushLogAndCloseDown() noexcept;
// False when the user closed the window during the countdown.
bool lf_restartCountdown();
void lf_resetForRestart();
