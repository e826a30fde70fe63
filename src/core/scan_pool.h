// The worker pool of the start-up scans. The files are listed first; g_workerCount long-lived
// workers take them by an atomic index and write each file's result into that file's own slot,
// and the caller merges the slots in listing order, so the outcome does not depend on which
// worker was faster. A task that runs longer than 10 s is given up, and a stop ends every wait
// at once; the worker of a task given up finishes it on its own and touches only its slot.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <utility>
#include <vector>

// Upper bound of concurrently running scan tasks (the livery scan and the add-on airport scan
// share it), and the number of tasks under way.
extern std::atomic<std::int32_t> g_workerCount;
extern std::atomic<std::int32_t> g_runningTasks;

// A stop that ends the scans: either stop flag, except in production mode, whose own stop is
// raised before the scans it runs for.
bool gf_scanStopRequested();

// A task still running after this long is given up.
inline constexpr std::chrono::seconds kScanTaskLimit{10};

// What became of one file's task.
enum class ScanTaskEnd : std::uint8_t { NotRun, Done, GivenUp };

struct ScanPoolJob {
    std::size_t count = 0;
    // Runs task i on a worker; writes only into slot i.
    std::function<void(std::size_t)> runTask;
    // Reports task i as given up; called on the calling thread. `walking`: tasks of the job
    // still wait for a worker.
    std::function<void(std::size_t, bool walking)> onGiveUp;
    // False: no task is given up for its time; a stop still ends the wait at once.
    bool timeLimited = true;
};

struct ScanPoolReport {
    std::vector<ScanTaskEnd> ends;
    bool stopped = false; // a stop or exit was requested before every task had ended
};

// Runs the job's tasks on the pool and returns when each has ended or was given up, or at
// once on a stop. Keeps g_runningTasks at the number of tasks under way that are not given up.
ScanPoolReport gf_runScanPool(ScanPoolJob job);

// Waits up to the limit until no pool worker runs any more, also none left to finish a task
// that was given up; false when one still runs (a task that hangs in a file read).
bool gf_waitForScanWorkersToEnd(std::chrono::milliseconds limit);

// True inside a scan task that was given up: the task ends early and writes nothing more.
// False outside a scan task.
bool gf_scanTaskGivenUp();

// True inside a scan task while tasks of its job still wait for a worker: the walk that hands
// out the job's files is still running. False outside a scan task.
bool gf_scanWalkRunning();

// While it lives, gf_scanTaskGivenUp on this thread reads `givenUp`.
class ScanTaskScope {
public:
    explicit ScanTaskScope(const std::atomic<bool>& givenUp);
    ~ScanTaskScope();
    ScanTaskScope(const ScanTaskScope&) = delete;
    ScanTaskScope& operator=(const ScanTaskScope&) = delete;

private:
    const std::atomic<bool>* m_previous;
};

// Called with the file at the start of every scan task. Empty in the program; tests set it
// to hold a task as a blocked file read would.
extern std::function<void(const std::filesystem::path&)> g_scanTaskHook;

template <typename Result>
struct ScanResults {
    std::vector<std::optional<Result>> slots; // listing order; empty when the task did not end
    bool stopped = false;
};

// Runs `task` for every file on the pool. `onGiveUp` gets the file of each task given up, and
// whether files still waited for a worker then.
template <typename Result>
ScanResults<Result> gf_scanFiles(std::vector<std::filesystem::path> files,
                                 std::function<Result(const std::filesystem::path&)> task,
                                 const std::function<void(const std::filesystem::path&, bool walking)>& onGiveUp)
{
    // Shared with the workers: a worker whose task was given up may outlive this call.
    struct Shared {
        std::vector<std::filesystem::path> files;
        std::function<Result(const std::filesystem::path&)> task;
        std::vector<std::optional<Result>> slots;
        std::unique_ptr<std::atomic<bool>[]> givenUp;
    };
    auto shared = std::make_shared<Shared>();
    shared->files = std::move(files);
    shared->task = std::move(task);
    shared->slots.resize(shared->files.size());
    shared->givenUp = std::make_unique<std::atomic<bool>[]>(shared->files.size());
    ScanPoolJob job;
    job.count = shared->files.size();
    job.runTask = [shared](std::size_t i) {
        // A copy: a task held in the hook keeps it while the hook is changed.
        if (const auto hook = g_scanTaskHook) {
            hook(shared->files[i]);
        }
        const ScanTaskScope scope(shared->givenUp[i]);
        shared->slots[i] = shared->task(shared->files[i]);
    };
    job.onGiveUp = [&shared, &onGiveUp](std::size_t i, bool walking) {
        shared->givenUp[i].store(true);
        onGiveUp(shared->files[i], walking);
    };
    const ScanPoolReport report = gf_runScanPool(std::move(job));
    ScanResults<Result> results;
    results.stopped = report.stopped;
    results.slots.resize(report.ends.size());
    for (std::size_t i = 0; i < report.ends.size(); ++i) {
        if (report.ends[i] == ScanTaskEnd::Done) {
            results.slots[i] = std::move(shared->slots[i]);
        }
    }
    return results;
}
