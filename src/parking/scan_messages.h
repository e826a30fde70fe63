// The message buffer of the add-on airport scan: lines of its worker tasks, written to
// "AirportsScanLog.txt" when the scan ends.
#pragma once

#include <mutex>
#include <string>
#include <vector>

extern std::mutex g_scanMessageMutex;
// Guarded by g_scanMessageMutex.
extern std::vector<std::string> g_scanMessages;

// Appends one line (any thread).
void lf_addScanMessage(std::string line);
// The lines so far, the buffer emptied.
std::vector<std::string> gf_takeScanMessages();
