// The test program ends as the program does: before the process exits, it waits for the
// detached threads of the runs it held (the UDP readers, scan workers of tasks given up),
// so that none wakes after the globals are gone.
#include "core/scan_pool.h"
#include "traffic/reader_threads.h"

#include <gtest/gtest.h>

#include <chrono>

namespace {

class DetachedThreadsAtExit : public ::testing::Environment {
public:
    void TearDown() override
    {
        gf_waitForReadersToEnd();
        gf_waitForScanWorkersToEnd(std::chrono::seconds(2));
    }
};

const ::testing::Environment* const lf_atExit = ::testing::AddGlobalTestEnvironment(new DetachedThreadsAtExit);

} // namespace
