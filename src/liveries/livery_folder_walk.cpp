// The walk of one livery folder: one parsing task per aircraft.cfg on a thread of its own,
// never more than g_workerCount at once, results collected oldest first.
#include "liveries/aircraft_cfg.h"
#include "liveries/livery_scan.h"

#include "app/start_up_state.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/text_strings.h"

#include <fmt/format.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <deque>
#include <future>
#include <stdexcept>
#include <string_view>
#include <thread>
#include <utility>

namespace {

using ScanTask = std::future<std::vector<LiveryData>>;

// Scenery and navigation publishers, whose folders hold no AI liveries.
constexpr std::array<std::string_view, 9> kSkipWords{"airport",  "lvfr",     "mkstudios", "simwings", "fsdreamteam",
                                                     "navigraph", "flytampa", "inibuilds", "_CVT_"};
constexpr std::size_t kMaxPathBytes = 250;
constexpr auto kResultWait = std::chrono::seconds(10);

bool lf_mayEnter(std::string_view pathText)
{
    return pathText.size() < kMaxPathBytes &&
           std::none_of(kSkipWords.begin(), kSkipWords.end(),
                        [&](std::string_view word) { return pathText.find(word) != std::string_view::npos; });
}

bool lf_isAircraftCfg(const std::filesystem::path& path)
{
    return gf_equalsNoCase(path_to_utf8(path.extension()), ".CFG") &&
           gf_equalsNoCase(path_to_utf8(path.stem()), "AIRCRAFT");
}

std::int32_t lf_taskLimit() { return std::max<std::int32_t>(1, g_workerCount.load()); }

// Starts the file's task on a detached thread once fewer than the limit are running; a task
// given up on later still runs to its end on that thread.
ScanTask lf_startTask(std::int32_t folderIndex, const std::filesystem::path& file)
{
    while (g_runningTasks.load() >= lf_taskLimit()) {
        std::this_thread::yield();
    }
    const bool ivao = lf_isIvaoPath(path_to_utf8(file));
    std::packaged_task<std::vector<LiveryData>()> task([folderIndex, file, ivao] {
        return ivao ? lf_searchLiveriesinIVAOFile(folderIndex, file) : lf_searchLiveriesinFile(folderIndex, file);
    });
    ScanTask result = task.get_future();
    g_runningTasks.fetch_add(1);
    try {
        std::thread(std::move(task)).detach();
    } catch (...) {
        g_runningTasks.fetch_sub(1);
        throw;
    }
    return result;
}

// Takes the oldest task's liveries, waiting at most 10 seconds; a fault drops that task.
void lf_collectOldest(std::deque<ScanTask>& pending, std::string_view faultFormat)
{
    ScanTask task = std::move(pending.front());
    pending.pop_front();
    try {
        if (task.wait_for(kResultWait) != std::future_status::ready) {
            throw std::runtime_error("Future wait timed out after 10 seconds");
        }
        std::vector<LiveryData> liveries = task.get();
        g_scannedLiveries.insert(g_scannedLiveries.end(), std::make_move_iterator(liveries.begin()),
                                 std::make_move_iterator(liveries.end()));
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format(fmt::runtime(faultFormat), e.what()));
    } catch (...) {
        gf_logMarked(fmt::format(fmt::runtime(faultFormat), "unknown exception"));
    }
}

class FolderWalk {
public:
    explicit FolderWalk(std::int32_t folderIndex) : m_folderIndex(folderIndex) {}

    // Depth first, each folder's entries in listing order; a folder that cannot be listed is
    // reported and the walk goes on.
    void walk(const std::filesystem::path& folder)
    {
        std::error_code error;
        std::filesystem::directory_iterator entries(folder, std::filesystem::directory_options::skip_permission_denied,
                                                    error);
        for (; !error && entries != std::filesystem::directory_iterator(); entries.increment(error)) {
            lf_entry(*entries);
        }
        if (error) {
            lf_reportFault(folder, error.message());
        }
    }

    void finish()
    {
        while (!m_pending.empty()) {
            lf_collectOldest(m_pending, "liveries search aborted, futs outer, {}");
        }
    }

private:
    void lf_entry(const std::filesystem::directory_entry& entry)
    {
        try {
            std::error_code error;
            if (entry.is_directory(error) && !entry.is_symlink(error)) {
                if (lf_mayEnter(path_to_utf8(entry.path()))) {
                    walk(entry.path());
                }
            } else if (entry.is_regular_file(error) && lf_isAircraftCfg(entry.path())) {
                m_pending.push_back(lf_startTask(m_folderIndex, entry.path()));
                if (std::cmp_greater(m_pending.size(), lf_taskLimit())) {
                    lf_collectOldest(m_pending, "liveries inner search aborted: {}");
                }
            }
        } catch (const std::exception& e) {
            lf_reportFault(entry.path(), e.what());
        }
    }

    static void lf_reportFault(const std::filesystem::path& path, std::string_view cause)
    {
        gf_logMarked(fmt::format("liveries search in {} aborted, cause: {}", path_to_utf8(path), cause));
    }

    std::int32_t m_folderIndex;
    std::deque<ScanTask> m_pending;
};

} // namespace

void lf_scanLiveryFolder(std::int32_t folderIndex, const std::filesystem::path& folder)
{
    FolderWalk walk(folderIndex);
    walk.walk(folder);
    walk.finish();
}
