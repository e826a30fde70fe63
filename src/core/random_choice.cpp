// Per-thread random choices.
#include "core/random_choice.h"

#include "core/settings.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <functional>
#include <thread>

namespace {

// Seeded from the system's entropy, the steady clock and the thread's identity,
// so threads started together still draw different sequences.
std::mt19937 lf_seededGenerator()
{
    std::random_device device;
    const auto nanoseconds = static_cast<std::uint64_t>(
        std::chrono::duration_cast<std::chrono::nanoseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
    const auto threadHash = static_cast<std::uint32_t>(std::hash<std::thread::id>{}(std::this_thread::get_id()));
    std::seed_seq seeds{static_cast<std::uint32_t>(device()), static_cast<std::uint32_t>(nanoseconds),
                        static_cast<std::uint32_t>(nanoseconds >> 32), threadHash};
    return std::mt19937(seeds);
}

} // namespace

thread_local std::mt19937 g_rng = lf_seededGenerator();

std::size_t gf_randomIndex(std::size_t n)
{
    if (!RANDOM.value || n < 2) {
        return 0;
    }
    return std::uniform_int_distribution<std::size_t>(0, n - 1)(g_rng);
}

void gf_shuffle(std::vector<std::string>& items)
{
    if (RANDOM.value && items.size() >= 2) {
        std::shuffle(items.begin(), items.end(), g_rng);
    }
}

double gf_randomizePercent(double value, double percent)
{
    if (percent <= 0) {
        return value;
    }
    const double sign = (g_rng() & 1u) == 0 ? 1.0 : -1.0;
    return value + sign * value * percent / 100;
}
