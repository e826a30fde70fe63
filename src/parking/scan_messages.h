// The message buffer of the add-on airport scan: lines of its worker tasks, written to
// "AirportsScanLog.txt" when the scan ends.
#pragma once

#include <mutex>
#include <string>
#include <vector>

extern std::mutex g_scanMessageMutex;
// Guarded by g_scanMessageMutex.
extern std::vector<std::string> g_scanMessages;

// Appends one line: to the lines of the scan task running on this thread, else to the
// shared buffer.
void lf_addScanMessage(std::string line);
// The lines so far, the buffer emptied.
std::vector<std::string> gf_takeScanMessages();
// Appends a task's lines to the shared buffer.
void gf_appendScanMessages(std::vector<std::string> lines);

// While it lives, the lines added on this thread go to `lines`, which the task owns: a task
// given up then writes nothing the scan or a later scan reads.
class ScanMessageCapture {
public:
    explicit ScanMessageCapture(std::vector<std::string>& lines);
    ~ScanMessageCapture();
    ScanMessageCapture(const ScanMessageCapture&) = delete;
    ScanMessageCapture& operator=(const ScanMessageCapture&) = delete;

private:
    std::vector<std::string>* m_previous;
};
