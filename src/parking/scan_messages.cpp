#include "parking/scan_messages.h"
#include "core/run_state.h"

#include <iterator>

std::mutex g_scanMessageMutex;
std::vector<std::string> g_scanMessages;

namespace {

// The lines of the scan task running on this thread; null outside a task.
thread_local std::vector<std::string>* lv_taskMessages = nullptr;

} // namespace

void lf_addScanMessage(std::string line)
{
    if (lv_taskMessages != nullptr) {
        lv_taskMessages->push_back(std::move(line));
        return;
    }
    const std::lock_guard lock(g_scanMessageMutex);
    g_scanMessages.push_back(std::move(line));
}

std::vector<std::string> gf_takeScanMessages()
{
    const std::lock_guard lock(g_scanMessageMutex);
    std::vector<std::string> lines;
    lines.swap(g_scanMessages);
    return lines;
}

void gf_appendScanMessages(std::vector<std::string> lines)
{
    const std::lock_guard lock(g_scanMessageMutex);
    g_scanMessages.insert(g_scanMessages.end(), std::make_move_iterator(lines.begin()),
                          std::make_move_iterator(lines.end()));
}

ScanMessageCapture::ScanMessageCapture(std::vector<std::string>& lines) : m_previous(lv_taskMessages)
{
    lv_taskMessages = &lines;
}

ScanMessageCapture::~ScanMessageCapture()
{
    lv_taskMessages = m_previous;
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE_LOCKED(RunStateArea::Engine, g_scanMessageMutex, g_scanMessages),
};

} // namespace
