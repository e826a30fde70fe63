#include "app/tick_schedule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

using Job = PeriodicJob;

namespace {

bool runs(std::int32_t n, Job job)
{
    const auto jobs = gf_periodicJobs(n);
    return std::find(jobs.begin(), jobs.end(), job) != jobs.end();
}

} // namespace

TEST(TickSchedule, JobsOfSelectedSeconds)
{
    const std::map<std::int32_t, std::vector<Job>> expected = {
        {1, {}},
        {5, {Job::ReferencePosition, Job::Qs123, Job::ReservedStand, Job::RereadRequest}},
        {15, {Job::ReferencePosition, Job::Qs123, Job::ReservedStand, Job::RereadRequest, Job::RenewalStep,
              Job::StaleReaderLights}},
        {16, {Job::StaticParkingUpdate}},
        {30, {Job::ReferencePosition, Job::Qs123, Job::ReservedStand, Job::RereadRequest, Job::RenewalStep,
              Job::StaleReaderLights, Job::Every30Seconds}},
        {59, {Job::ReaderLights}},
        {61, {Job::StaticDuplicates}},
        {80, {Job::ReferencePosition, Job::Qs123, Job::ReservedStand, Job::RereadRequest}},
        {96, {Job::StaticParkingUpdate}},
        {976, {Job::StaticParkingUpdate, Job::StaticDuplicates}},
        {3599, {Job::ReaderLights, Job::StaticDuplicates}},
        {3601, {}},
        {1200, {Job::ReferencePosition, Job::Qs123, Job::ReservedStand, Job::RereadRequest, Job::RenewalStep,
                Job::StaleReaderLights, Job::Every30Seconds, Job::ParkingCountdown, Job::NoMatchLog}},
        {86400, {Job::ReferencePosition, Job::Qs123, Job::ReservedStand, Job::RereadRequest, Job::RenewalStep,
                 Job::StaleReaderLights, Job::Every30Seconds, Job::ParkingCountdown, Job::NoMatchLog,
                 Job::DayReset}},
    };
    for (const auto& [n, jobs] : expected) {
        EXPECT_EQ(gf_periodicJobs(n), jobs) << "second " << n;
    }
}

// Over a whole day: the 16, 59 and 61 s jobs skip every multiple of 5, everything else
// runs exactly at its period.
TEST(TickSchedule, PeriodsHoldOverAWholeDay)
{
    for (std::int32_t n = 1; n <= 86400; ++n) {
        const bool five = n % 5 == 0;
        ASSERT_EQ(runs(n, Job::StaticParkingUpdate), !five && n % 16 == 0) << n;
        ASSERT_EQ(runs(n, Job::ReaderLights), !five && n % 59 == 0) << n;
        ASSERT_EQ(runs(n, Job::StaticDuplicates), !five && n % 61 == 0) << n;
        ASSERT_EQ(runs(n, Job::RereadRequest), five) << n;
        ASSERT_EQ(runs(n, Job::RenewalStep), n % 15 == 0) << n;
        ASSERT_EQ(runs(n, Job::Every30Seconds), n % 30 == 0) << n;
        ASSERT_EQ(runs(n, Job::ParkingCountdown), n % 60 == 0) << n;
        ASSERT_EQ(runs(n, Job::NoMatchLog), n % 1200 == 0) << n;
        ASSERT_EQ(runs(n, Job::DayReset), n == 86400) << n;
    }
}

using namespace std::chrono_literals;

// A tick grid started at the steady time t0.
class TickGridTest : public ::testing::Test {
protected:
    TickGridTest() { grid.start(t0); }

    const clk::SteadyTime t0{};
    TickGrid grid;
};

TEST_F(TickGridTest, FollowsTheTenMillisecondGrid)
{
    EXPECT_EQ(grid.target(t0 + 3ms), t0 + 10ms);
    grid.ticked(grid.target(t0 + 3ms));
    EXPECT_EQ(grid.target(t0 + 12ms), t0 + 20ms);
}

TEST_F(TickGridTest, ToleratesLagUpTo100MillisecondsThenResynchronises)
{
    // 100 ms late: the loop still catches up on the old grid.
    EXPECT_EQ(grid.target(t0 + 110ms), t0 + 10ms);
    // More than 100 ms late: missed ticks are dropped and a new grid starts.
    EXPECT_EQ(grid.target(t0 + 111ms), t0 + 121ms);
}

TEST_F(TickGridTest, NewSimulatorSecondRestartsThePhase)
{
    grid.ticked(t0 + 4ms);
    EXPECT_EQ(grid.target(t0 + 5ms), t0 + 14ms);
}
