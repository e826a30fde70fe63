// The period schedule of the main loop's jobs and its tick grid.
#include "app/tick_schedule.h"

std::vector<PeriodicJob> gf_periodicJobs(std::int32_t n)
{
    std::vector<PeriodicJob> jobs;
    if (n % 5 != 0) {
        if (n % 16 == 0) {
            jobs.push_back(PeriodicJob::StaticParkingUpdate);
        }
        if (n % 59 == 0) {
            jobs.push_back(PeriodicJob::ReaderLights);
        }
        if (n % 61 == 0) {
            jobs.push_back(PeriodicJob::StaticDuplicates);
        }
        return jobs;
    }
    jobs = {PeriodicJob::ReferencePosition, PeriodicJob::Qs123, PeriodicJob::ReservedStand,
            PeriodicJob::RereadRequest};
    if (n % 15 != 0) {
        return jobs;
    }
    jobs.push_back(PeriodicJob::RenewalStep);
    jobs.push_back(PeriodicJob::StaleReaderLights);
    if (n % 30 == 0) {
        jobs.push_back(PeriodicJob::Every30Seconds);
    }
    if (n % 60 == 0) {
        jobs.push_back(PeriodicJob::ParkingCountdown);
    }
    if (n % 1200 == 0) {
        jobs.push_back(PeriodicJob::NoMatchLog);
    }
    if (n % 86400 == 0) {
        jobs.push_back(PeriodicJob::DayReset);
    }
    return jobs;
}

clk::SteadyTime TickGrid::target(clk::SteadyTime now) const
{
    if (m_mark + kMaxLag < now) {
        return now + kTick;
    }
    return m_mark;
}
