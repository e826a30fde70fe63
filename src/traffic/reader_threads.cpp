// Start of the reader threads and the bounded wait for their end at process exit.
#include "traffic/reader_threads.h"

#include "traffic/qnh_reader.h"
#include "traffic/traffic_reader.h"

#include <atomic>
#include <thread>

namespace {

using namespace std::chrono_literals;

constexpr auto kWaitStep = 10ms;

// Reader threads started and not yet ended. Lowering it is the last thing a reader
// thread does.
std::atomic<int> lv_runningReaders{0};

} // namespace

void gf_startReaderThread(std::function<void()> procedure)
{
    lv_runningReaders.fetch_add(1);
    try {
        std::thread([procedure = std::move(procedure)] {
            procedure();
            lv_runningReaders.fetch_sub(1);
        }).detach();
    } catch (...) {
        lv_runningReaders.fetch_sub(1);
        throw;
    }
}

bool gf_waitForReadersToEnd(std::chrono::milliseconds limit)
{
    g_qnhReader.requestStop();
    g_trafficReader.requestStop();
    // Counted in steps rather than read from the clock, which tests may hold still.
    for (auto waited = 0ms; lv_runningReaders.load() > 0; waited += kWaitStep) {
        if (waited >= limit) {
            return false;
        }
        std::this_thread::sleep_for(kWaitStep);
    }
    return true;
}
