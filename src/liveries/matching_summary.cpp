// The log blocks of livery matching: the summary of matches per step and the no-match list.
#include "liveries/livery_matching.h"

#include "core/log.h"
#include "engine/no_match_lines.h"
#include "simlink/flight_plans.h"

#include <fmt/format.h>

#include <algorithm>
#include <vector>

namespace {

void lf_writeBlock(const std::vector<std::string>& lines)
{
    std::lock_guard lock(g_logMutex);
    if (!g_logFile.is_open()) {
        return;
    }
    for (const std::string& line : lines) {
        g_logFile << line << '\n';
    }
}

} // namespace

void gf_writeLiveryMatchingSummary()
{
    if (std::none_of(g_matchCounts.begin(), g_matchCounts.end(), [](std::int32_t count) { return count > 0; })) {
        return;
    }
    const std::string title = "live traffic livery matching summary";
    const int width = 100;
    const int starsWidth = width - static_cast<int>(title.size());
    std::vector<std::string> lines{gf_starBanner(starsWidth, 0, true, false, title), "Matches at step: "};
    for (std::size_t step = 0; step < kMatchSteps; ++step) {
        lines.push_back(fmt::format("  {}: {}", step, g_matchCounts[step]));
    }
    if (!g_failedLiveryList.empty()) {
        lines.emplace_back("\nCould not be created");
        for (const std::string& failed : g_failedLiveryList) {
            lines.push_back("  " + failed);
        }
    }
    lines.push_back(gf_starBanner(starsWidth, static_cast<int>(title.size()), false, false));
    lf_writeBlock(lines);
}

void gf_logNoMatchList()
{
    if (g_noMatchLines.empty()) {
        return;
    }
    std::vector<std::string> lines{"\nNo match found for:"};
    lines.insert(lines.end(), g_noMatchLines.begin(), g_noMatchLines.end());
    lines.emplace_back();
    lf_writeBlock(lines);
}
