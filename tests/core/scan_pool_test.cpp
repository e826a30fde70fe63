// The scan pool: results in listing order whatever the finishing order, at most g_workerCount
// tasks at once, a task given up after 10 s, and a stop that ends the wait at once.
#include "core/scan_pool.h"
#include "core/clock.h"
#include "core/stop_flags.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <array>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

// Holds the tasks of chosen files until released, as a blocked file read would.
class TaskGate {
public:
    void hold(const fs::path& file)
    {
        std::unique_lock lock(m_mutex);
        ++m_held;
        m_changed.notify_all();
        m_changed.wait(lock, [&] { return m_open; });
        (void)file;
    }
    void waitForHeld(int count)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return m_held >= count; });
    }
    void open()
    {
        const std::lock_guard lock(m_mutex);
        m_open = true;
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    int m_held = 0;
    bool m_open = false;
};

class ScanPool : public ::testing::Test {
protected:
    ScanPool()
    {
        g_workerCount = 3;
        g_runningTasks = 0;
        g_stopRequested = false;
        g_exitRequested = false;
    }
    ~ScanPool() override
    {
        m_gate->open();
        g_scanTaskHook = nullptr;
        g_stopRequested = false;
        clk::unfreeze();
    }

    static std::vector<fs::path> files(int count)
    {
        std::vector<fs::path> result;
        for (int i = 0; i < count; ++i) {
            result.push_back(fs::path(fmt::format("f{}", i)));
        }
        return result;
    }

    // Holds the task of the file named `held` at its start.
    void holdTaskOf(const std::string& held)
    {
        g_scanTaskHook = [gate = m_gate, held](const fs::path& file) {
            if (file == held) {
                gate->hold(file);
            }
        };
    }

    std::shared_ptr<TaskGate> m_gate = std::make_shared<TaskGate>();
    std::vector<std::string> m_givenUp;
};

} // namespace

TEST_F(ScanPool, ResultsInListingOrderWithAtMostTheWorkerCountAtOnce)
{
    std::atomic<int> running{0};
    std::atomic<int> most{0};
    const auto results = gf_scanFiles<std::string>(
        files(30),
        [&](const fs::path& file) {
            const int now = ++running;
            int seen = most.load();
            while (now > seen && !most.compare_exchange_weak(seen, now)) {
            }
            // Early files take longest, so they finish last.
            std::this_thread::sleep_for(std::chrono::milliseconds(30 - std::stoi(file.string().substr(1))));
            --running;
            return file.string() + "!";
        },
        [&](const fs::path& file, bool) { m_givenUp.push_back(file.string()); });

    EXPECT_FALSE(results.stopped);
    ASSERT_EQ(results.slots.size(), 30u);
    for (int i = 0; i < 30; ++i) {
        EXPECT_EQ(results.slots[i], fmt::format("f{}!", i));
    }
    EXPECT_LE(most.load(), 3);
    EXPECT_GE(most.load(), 2);
    EXPECT_TRUE(m_givenUp.empty());
    EXPECT_EQ(g_runningTasks.load(), 0);
}

TEST_F(ScanPool, HungTaskIsGivenUpAfterTenSecondsAndTheOthersGoOn)
{
    clk::freeze(std::chrono::system_clock::now());
    holdTaskOf("f1");
    std::thread clock([gate = m_gate] {
        gate->waitForHeld(1);
        clk::advance(9s);
        std::this_thread::sleep_for(200ms);
        clk::advance(1s);
    });
    // A task reads whether it was given up, so that it stops early.
    auto toldGivenUp = std::make_shared<std::array<std::atomic<bool>, 8>>();
    std::atomic<bool> ended{false};
    const auto results = gf_scanFiles<int>(
        files(8),
        [toldGivenUp, &ended](const fs::path& file) {
            const int i = std::stoi(file.string().substr(1));
            (*toldGivenUp)[static_cast<std::size_t>(i)] = gf_scanTaskGivenUp();
            if (i == 1) {
                ended = true;
                ended.notify_all();
            }
            return i;
        },
        [&](const fs::path& file, bool) { m_givenUp.push_back(file.string()); });
    clock.join();

    EXPECT_FALSE(results.stopped);
    EXPECT_EQ(m_givenUp, std::vector<std::string>{"f1"});
    for (int i = 0; i < 8; ++i) {
        EXPECT_EQ(results.slots[i].has_value(), i != 1) << i;
    }
    // The given-up task holds no running slot, and ending later changes nothing here.
    EXPECT_EQ(g_runningTasks.load(), 0);
    m_gate->open();
    ended.wait(false);
    EXPECT_EQ(g_runningTasks.load(), 0);
    for (std::size_t i = 0; i < 8; ++i) {
        EXPECT_EQ((*toldGivenUp)[i].load(), i == 1) << i;
    }
    EXPECT_FALSE(gf_scanTaskGivenUp());
}

TEST_F(ScanPool, StopEndsTheWaitAtOnceAndRunsNoMoreTasks)
{
    for (std::atomic<bool>* flag : {&g_stopRequested, &g_exitRequested}) {
        g_stopRequested = false;
        g_exitRequested = false;
        auto gate = std::make_shared<TaskGate>();
        g_scanTaskHook = [gate](const fs::path& file) {
            if (file == "f0") {
                gate->hold(file);
            }
        };
        std::thread stopper([gate, flag] {
            gate->waitForHeld(1);
            flag->store(true);
        });
        // Shared with the worker, which ends its task after this round.
        auto ran = std::make_shared<std::atomic<int>>(0);
        const auto started = std::chrono::steady_clock::now();
        g_workerCount = 1;
        const auto results = gf_scanFiles<int>(
            files(5), [ran](const fs::path&) { return ++*ran; },
            [&](const fs::path& file, bool) { m_givenUp.push_back(file.string()); });
        stopper.join();

        EXPECT_LT(std::chrono::steady_clock::now() - started, 1s);
        EXPECT_TRUE(results.stopped);
        EXPECT_EQ(ran->load(), 0);
        EXPECT_EQ(g_runningTasks.load(), 0);
        // The worker left with the held task is waited for at exit, within the limit only.
        EXPECT_FALSE(gf_waitForScanWorkersToEnd(50ms));
        gate->open();
        EXPECT_TRUE(gf_waitForScanWorkersToEnd(5s));
    }
    g_exitRequested = false;
}
