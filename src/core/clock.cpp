// The program's one clock, with a frozen mode for tests.
#include "core/clock.h"

#include <atomic>
#include <mutex>

namespace clk {
namespace {

std::atomic<bool> l_frozen{false};
std::mutex l_clockMutex;
SystemTime l_frozenUtc;
SteadyTime l_frozenSteady;

} // namespace

SystemTime utcNow()
{
    if (!l_frozen.load()) {
        return std::chrono::system_clock::now();
    }
    std::lock_guard lock(l_clockMutex);
    return l_frozenUtc;
}

SteadyTime steadyNow()
{
    if (!l_frozen.load()) {
        return std::chrono::steady_clock::now();
    }
    std::lock_guard lock(l_clockMutex);
    return l_frozenSteady;
}

std::time_t utcNowSeconds()
{
    return std::chrono::duration_cast<std::chrono::seconds>(utcNow().time_since_epoch()).count();
}

void freeze(SystemTime utc)
{
    std::lock_guard lock(l_clockMutex);
    l_frozenUtc = utc;
    if (!l_frozen.load()) {
        l_frozenSteady = std::chrono::steady_clock::now();
    }
    l_frozen.store(true);
}

void advance(std::chrono::nanoseconds step)
{
    std::lock_guard lock(l_clockMutex);
    l_frozenUtc += std::chrono::duration_cast<SystemTime::duration>(step);
    l_frozenSteady += step;
}

void unfreeze()
{
    l_frozen.store(false);
}

bool isFrozen()
{
    return l_frozen.load();
}

} // namespace clk
