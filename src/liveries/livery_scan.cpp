#include "liveries/livery_scan.h"

// The scan itself follows; until then a start-up scans nothing.
void gf_scanLiveries() {}
