#include "core/clock.h"
#include "engine/engine_tick.h"

#include <gtest/gtest.h>

TEST(EngineTick, ParkingTimeCountsInHundredNanosecondTicks)
{
    clk::freeze(clk::SystemTime{});
    const auto start = gf_steadyTicks100ns();
    clk::advance(std::chrono::minutes(3));
    EXPECT_EQ(gf_steadyTicks100ns() - start, 3LL * 60 * 10'000'000);
    clk::unfreeze();
}
