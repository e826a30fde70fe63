// The scan pool: workers that take tasks by an atomic index, and the calling thread that
// waits for them, gives up overdue tasks and ends the wait on a stop.
#include "core/scan_pool.h"

#include "core/clock.h"
#include "core/log.h"
#include "core/run_state.h"
#include "core/stop_flags.h"

#include <fmt/format.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>

std::function<void(const std::filesystem::path&)> g_scanTaskHook;
std::atomic<std::int32_t> g_workerCount{2};
std::atomic<std::int32_t> g_runningTasks{0};

bool gf_scanStopRequested()
{
    return !g_productionMode.load() && (g_stopRequested.load() || g_exitRequested.load());
}

namespace {

// The given-up flag of the scan task running on this thread; null outside a task.
thread_local const std::atomic<bool>* lv_taskGivenUp = nullptr;

} // namespace

bool gf_scanTaskGivenUp()
{
    return lv_taskGivenUp != nullptr && lv_taskGivenUp->load();
}

ScanTaskScope::ScanTaskScope(const std::atomic<bool>& givenUp) : m_previous(lv_taskGivenUp)
{
    lv_taskGivenUp = &givenUp;
}

ScanTaskScope::~ScanTaskScope()
{
    lv_taskGivenUp = m_previous;
}

namespace {

using namespace std::chrono_literals;

// How often the waiting thread looks at the stop flags and the task times.
constexpr auto kWaitStep = 50ms;
constexpr std::size_t kNoTask = static_cast<std::size_t>(-1);
constexpr auto kExitWaitStep = 10ms;

// Pool workers started and not yet ended, also those left to finish a task given up. Lowering
// it is the last thing a worker does that touches anything but its own pool.
std::atomic<int> lv_liveWorkers{0};

enum SlotState : int { kWaiting, kRunning, kDone, kGivenUp, kNotRun };

std::int64_t lf_steadyTicks() { return clk::steadyNow().time_since_epoch().count(); }

// What the workers share with the waiting thread; kept alive by each worker.
struct PoolState {
    PoolState(std::size_t taskCount, std::function<void(std::size_t)> task)
        : count(taskCount), runTask(std::move(task)), states(new std::atomic<int>[taskCount]),
          started(new std::atomic<std::int64_t>[taskCount])
    {
        for (std::size_t i = 0; i < count; ++i) {
            states[i].store(kWaiting);
            started[i].store(0);
        }
    }

    const std::size_t count;
    const std::function<void(std::size_t)> runTask;
    std::unique_ptr<std::atomic<int>[]> states;
    std::unique_ptr<std::atomic<std::int64_t>[]> started;
    std::atomic<std::size_t> next{0};
    std::atomic<std::size_t> settled{0};
    std::atomic<bool> closed{false};
    std::mutex mutex;
    std::condition_variable changed;
};

struct Worker {
    std::thread thread;
    std::shared_ptr<std::atomic<std::size_t>> current;
};

void lf_notify(PoolState& pool)
{
    { const std::lock_guard lock(pool.mutex); }
    pool.changed.notify_all();
}

// The pool whose task this thread runs; none outside a task.
thread_local const PoolState* lv_taskPool = nullptr;

void lf_runOne(PoolState& pool, std::size_t i)
{
    lv_taskPool = &pool;
    try {
        pool.runTask(i);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception: {}", "scan task", e.what()));
    } catch (...) {
        gf_logMarked(fmt::format("{} exception: {}", "scan task", "unknown exception"));
    }
    lv_taskPool = nullptr;
}

// Takes tasks until none is left, the pool closes or a stop is requested. Ends after a task
// that was given up meanwhile: a replacement took its place.
void lf_work(const std::shared_ptr<PoolState>& pool, const std::shared_ptr<std::atomic<std::size_t>>& current)
{
    while (!pool->closed.load() && !gf_scanStopRequested()) {
        const std::size_t i = pool->next.fetch_add(1);
        if (i >= pool->count) {
            return;
        }
        current->store(i);
        pool->started[i].store(lf_steadyTicks());
        g_runningTasks.fetch_add(1);
        int expected = kWaiting;
        if (!pool->states[i].compare_exchange_strong(expected, kRunning)) {
            g_runningTasks.fetch_sub(1);
            return;
        }
        lf_runOne(*pool, i);
        expected = kRunning;
        if (!pool->states[i].compare_exchange_strong(expected, kDone)) {
            return;
        }
        g_runningTasks.fetch_sub(1);
        // Only the last task wakes the waiting thread, which looks at the stop flags and the
        // task times in steps anyway: a wake-up per task would cost the waiting thread a
        // switch per file.
        if (pool->settled.fetch_add(1) + 1 >= pool->count) {
            lf_notify(*pool);
        }
    }
}

void lf_addWorker(const std::shared_ptr<PoolState>& pool, std::vector<Worker>& workers)
{
    auto current = std::make_shared<std::atomic<std::size_t>>(kNoTask);
    lv_liveWorkers.fetch_add(1);
    try {
        workers.push_back({std::thread([pool, current] {
                               lf_work(pool, current);
                               lv_liveWorkers.fetch_sub(1);
                           }),
                           current});
    } catch (...) {
        lv_liveWorkers.fetch_sub(1);
        throw;
    }
}

// Marks a running task given up; its worker no longer counts as running it.
bool lf_giveUp(PoolState& pool, std::size_t i)
{
    int expected = kRunning;
    if (!pool.states[i].compare_exchange_strong(expected, kGivenUp)) {
        return false;
    }
    g_runningTasks.fetch_sub(1);
    pool.settled.fetch_add(1);
    return true;
}

class PoolRun {
public:
    explicit PoolRun(ScanPoolJob& job)
        : m_pool(std::make_shared<PoolState>(job.count, std::move(job.runTask))), m_onGiveUp(std::move(job.onGiveUp)),
          m_timeLimited(job.timeLimited)
    {
    }

    ~PoolRun() { lf_release(); }
    PoolRun(const PoolRun&) = delete;
    PoolRun& operator=(const PoolRun&) = delete;

    ScanPoolReport run()
    {
        const std::size_t wanted =
            std::min<std::size_t>(m_pool->count, static_cast<std::size_t>(std::max(1, g_workerCount.load())));
        for (std::size_t w = 0; w < wanted; ++w) {
            lf_addWorker(m_pool, m_workers);
        }
        ScanPoolReport report;
        report.stopped = !lf_waitForTasks();
        lf_release();
        report.ends.reserve(m_pool->count);
        for (std::size_t i = 0; i < m_pool->count; ++i) {
            const int state = m_pool->states[i].load();
            report.ends.push_back(state == kDone      ? ScanTaskEnd::Done
                                  : state == kNotRun ? ScanTaskEnd::NotRun
                                                     : ScanTaskEnd::GivenUp);
        }
        return report;
    }

private:
    // False when a stop ended the wait.
    bool lf_waitForTasks()
    {
        std::unique_lock lock(m_pool->mutex);
        while (m_pool->settled.load() < m_pool->count) {
            if (gf_scanStopRequested()) {
                return false;
            }
            if (m_timeLimited) {
                lock.unlock();
                lf_giveUpOverdueTasks();
                lock.lock();
            }
            m_pool->changed.wait_for(lock, kWaitStep,
                                     [this] { return m_pool->settled.load() >= m_pool->count || gf_scanStopRequested(); });
        }
        return true;
    }

    void lf_giveUpOverdueTasks()
    {
        const std::int64_t limit = std::chrono::duration_cast<clk::SteadyTime::duration>(kScanTaskLimit).count();
        const std::size_t workers = m_workers.size();
        for (std::size_t w = 0; w < workers; ++w) {
            const std::size_t i = m_workers[w].current->load();
            if (i == kNoTask || m_pool->states[i].load() != kRunning ||
                lf_steadyTicks() - m_pool->started[i].load() < limit || !lf_giveUp(*m_pool, i)) {
                continue;
            }
            m_onGiveUp(i, m_pool->next.load() < m_pool->count);
            if (m_pool->next.load() < m_pool->count) {
                lf_addWorker(m_pool, m_workers);
            }
        }
    }

    // Closes the pool: tasks not started are not run, running ones are given up. Workers busy
    // with a task given up are left to end on their own; the others end at once and are joined.
    void lf_release()
    {
        m_pool->closed.store(true);
        for (std::size_t i = 0; i < m_pool->count; ++i) {
            int expected = kWaiting;
            if (!m_pool->states[i].compare_exchange_strong(expected, kNotRun)) {
                lf_giveUp(*m_pool, i);
            }
        }
        for (Worker& worker : m_workers) {
            if (!worker.thread.joinable()) {
                continue;
            }
            const std::size_t i = worker.current->load();
            if (i != kNoTask && m_pool->states[i].load() == kGivenUp) {
                worker.thread.detach();
            } else {
                worker.thread.join();
            }
        }
    }

    std::shared_ptr<PoolState> m_pool;
    std::function<void(std::size_t, bool)> m_onGiveUp;
    bool m_timeLimited;
    std::vector<Worker> m_workers;
};

} // namespace

bool gf_scanWalkRunning()
{
    return lv_taskPool != nullptr && lv_taskPool->next.load() < lv_taskPool->count;
}

bool gf_waitForScanWorkersToEnd(std::chrono::milliseconds limit)
{
    // Counted in steps rather than read from the clock, which tests may hold still.
    for (auto waited = 0ms; lv_liveWorkers.load() > 0; waited += kExitWaitStep) {
        if (waited >= limit) {
            return false;
        }
        std::this_thread::sleep_for(kExitWaitStep);
    }
    return true;
}

ScanPoolReport gf_runScanPool(ScanPoolJob job)
{
    if (job.count == 0) {
        return {};
    }
    PoolRun run(job);
    return run.run();
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::RunFlags, g_runningTasks),
};

} // namespace
