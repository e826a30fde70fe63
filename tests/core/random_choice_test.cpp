#include "core/random_choice.h"
#include "core/settings.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <thread>

TEST(RandomChoice, OffGivesFirstIndexAndKeepsOrder)
{
    RANDOM.value = false;
    std::vector<std::string> items{"a", "b", "c", "d", "e"};
    const std::vector<std::string> original = items;
    for (int i = 0; i < 50; ++i) {
        EXPECT_EQ(gf_randomIndex(5), 0u);
        gf_shuffle(items);
    }
    EXPECT_EQ(items, original);
}

TEST(RandomChoice, OnDrawsEveryIndexAndShufflesAllItems)
{
    RANDOM.value = true;
    std::set<std::size_t> seen;
    for (int i = 0; i < 400; ++i) {
        const std::size_t index = gf_randomIndex(4);
        ASSERT_LT(index, 4u);
        seen.insert(index);
    }
    EXPECT_EQ(seen.size(), 4u);
    EXPECT_EQ(gf_randomIndex(1), 0u);
    EXPECT_EQ(gf_randomIndex(0), 0u);

    std::vector<std::string> items{"a", "b", "c", "d", "e", "f", "g", "h"};
    const std::vector<std::string> original = items;
    bool moved = false;
    for (int i = 0; i < 20 && !moved; ++i) {
        gf_shuffle(items);
        moved = items != original;
    }
    EXPECT_TRUE(moved);
    std::sort(items.begin(), items.end());
    EXPECT_EQ(items, original);
}

TEST(RandomChoice, RandomizePercentGivesOnlyTheTwoEnds)
{
    std::set<double> seen;
    for (int i = 0; i < 200; ++i) {
        const double value = gf_randomizePercent(100, 10);
        ASSERT_TRUE(value == 90.0 || value == 110.0) << value;
        seen.insert(value);
    }
    EXPECT_EQ(seen.size(), 2u);
    EXPECT_EQ(gf_randomizePercent(100, 0), 100.0);
    EXPECT_EQ(gf_randomizePercent(100, -5), 100.0);
}

TEST(RandomChoice, ThreadsDrawDifferentSequences)
{
    std::uint32_t first = 0;
    std::uint32_t second = 0;
    std::thread([&] { first = g_rng(); }).join();
    std::thread([&] { second = g_rng(); }).join();
    EXPECT_NE(first, second);
}
