#include "app/start_up_thread.h"

// The start-up sequence is built with the program entry; until then a run starts nothing.
void lf_startUpSKWV() {}
