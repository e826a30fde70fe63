// Which periodic jobs of the main loop are due in a flight second, and the 10 ms tick grid.
#pragma once

#include "core/clock.h"

#include <chrono>
#include <cstdint>
#include <vector>

// The periodic jobs, in the order in which they run within one flight second.
enum class PeriodicJob {
    // Seconds that are not a multiple of 5.
    StaticParkingUpdate, // every 16 s
    ReaderLights,        // every 59 s
    StaticDuplicates,    // every 61 s
    // Every 5 s.
    ReferencePosition,
    Qs123,
    ReservedStand,
    RereadRequest,
    // Every 15 s.
    RenewalStep,
    StaleReaderLights,
    Every30Seconds,      // no-match list clearing and the automatic range
    ParkingCountdown,    // every 60 s
    NoMatchLog,          // every 1200 s
    DayReset,            // every 86400 s
};

// The jobs due in flight second n (the seconds counter after it advanced). The 16, 59 and
// 61 s jobs never run in a multiple of 5; the 30 s and longer jobs run within the 15 s job.
std::vector<PeriodicJob> gf_periodicJobs(std::int32_t n);

// The 10 ms grid of the main loop. After a stall of more than 100 ms it drops the missed
// ticks and starts a new grid; a new simulator second restarts the phase.
class TickGrid {
public:
    static constexpr std::chrono::milliseconds kTick{10};
    static constexpr std::chrono::milliseconds kMaxLag{100};

    void start(clk::SteadyTime now) { m_mark = now + kTick; }
    // The time the next tick is due, seen at now.
    clk::SteadyTime target(clk::SteadyTime now) const;
    // After the wait: the tick runs at `ranAt` (now, when a new simulator second restarted
    // the phase, else the target); the next mark follows 10 ms later.
    void ticked(clk::SteadyTime ranAt) { m_mark = ranAt + kTick; }
    clk::SteadyTime mark() const { return m_mark; }

private:
    clk::SteadyTime m_mark{};
};
