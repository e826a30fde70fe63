// The start-up thread that the main window starts for every run.
#pragma once

// Runs one start-up of the program on its own thread.
void lf_startUpSKWV();
