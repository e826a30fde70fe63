// The fetch worker: a queue of keyed work items run one at a time on a thread of its own. The
// thread ends when the queue runs empty and the next item starts a new one, so that no idle
// thread waits into the process exit, where the download library is cleaned up before the
// statics that started its use (it would lose the thread's state).
#include "parking/park_file_fetch.h"

#include "core/log.h"
#include "core/run_state.h"

#include <fmt/format.h>

#include <condition_variable>
#include <deque>
#include <exception>
#include <map>
#include <mutex>
#include <thread>

namespace {

struct FetchJob {
    std::string key;
    std::function<std::string()> work;
};

class FetchWorker {
public:
    ~FetchWorker()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_quit = true;
            m_cancel = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable()) {
            m_thread.join();
        }
    }

    std::optional<std::string> outcome(const std::string& key, const std::function<std::string()>& work)
    {
        const std::lock_guard lock(m_mutex);
        joinEndedThread();
        if (const auto found = m_outcomes.find(key); found != m_outcomes.end()) {
            return found->second;
        }
        if (key == m_runningKey || isQueued(key)) {
            return std::nullopt;
        }
        m_queue.push_back({key, work});
        if (!m_running) {
            m_running = true;
            m_thread = std::thread([this] { run(); });
        }
        return std::nullopt;
    }

    std::optional<std::string> take(const std::string& key)
    {
        const std::lock_guard lock(m_mutex);
        joinEndedThread();
        const auto found = m_outcomes.find(key);
        if (found == m_outcomes.end()) {
            return std::nullopt;
        }
        std::string status = std::move(found->second);
        m_outcomes.erase(found);
        return status;
    }

    void reset()
    {
        std::unique_lock lock(m_mutex);
        m_queue.clear();
        m_cancel = true;
        m_wake.wait(lock, [this] { return m_runningKey.empty(); });
        m_outcomes.clear();
        m_cancel = false;
    }

    const std::atomic<bool>& cancelFlag() const { return m_cancel; }

    std::string stateText()
    {
        const std::lock_guard lock(m_mutex);
        return fmt::format("{} queued, {} outcomes, running '{}'", m_queue.size(), m_outcomes.size(), m_runningKey);
    }

private:
    bool isQueued(const std::string& key) const
    {
        for (const FetchJob& job : m_queue) {
            if (job.key == key) {
                return true;
            }
        }
        return false;
    }

    // A thread whose queue ran empty has ended or ends at once: the outcomes it stored are
    // read after its end.
    void joinEndedThread()
    {
        if (!m_running && m_thread.joinable()) {
            m_thread.join();
        }
    }

    // Runs the queued items in turn; ends, in the same hold of the lock that stores the last
    // outcome, when none is left.
    void run()
    {
        std::unique_lock lock(m_mutex);
        while (!m_quit && !m_queue.empty()) {
            FetchJob job = std::move(m_queue.front());
            m_queue.pop_front();
            m_runningKey = job.key;
            lock.unlock();
            std::string status = runJob(job);
            lock.lock();
            if (!m_cancel) {
                m_outcomes[job.key] = std::move(status);
            }
            m_runningKey.clear();
            m_wake.notify_all();
        }
        m_running = false;
    }

    static std::string runJob(const FetchJob& job)
    {
        try {
            return job.work();
        } catch (const std::exception& e) {
            gf_log(fmt::format("{} exception: {}", "fetch " + job.key, e.what()));
            return e.what();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::deque<FetchJob> m_queue;
    std::map<std::string, std::string> m_outcomes;
    std::string m_runningKey;
    std::atomic<bool> m_cancel{false};
    bool m_quit = false;
    bool m_running = false; // a thread runs the queue
    std::thread m_thread;
};

FetchWorker& lf_worker()
{
    static FetchWorker worker;
    return worker;
}

// A restart cancels the fetches of the run that ended and forgets their outcomes.
const RunStateRegistration lf_runState{
    {"lf_worker::worker", RunStateArea::Engine, [] { gf_resetFetches(); }, [] { return lf_worker().stateText(); }},
};

} // namespace

std::optional<std::string> gf_fetchOutcome(const std::string& key, const std::function<std::string()>& work)
{
    return lf_worker().outcome(key, work);
}

std::optional<std::string> gf_takeFetchOutcome(const std::string& key)
{
    return lf_worker().take(key);
}

const std::atomic<bool>& gf_fetchCancelFlag()
{
    return lf_worker().cancelFlag();
}

void gf_resetFetches()
{
    lf_worker().reset();
}
