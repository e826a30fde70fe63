#include "soak/day_light_feed.h"

#include "app/tick_state.h"
#include "support/log_capture.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <charconv>

namespace soak {

namespace {

constexpr int kHour = 3600;
constexpr std::uint32_t kOneFlightIn = 10;
// A renewal's plan is created at two aircraft a second, behind the live creations that wait.
constexpr int kSettleWithin = 600;

// The transponder address of a feed line: its second field.
std::uint32_t lf_hexid(const std::string& line)
{
    const std::size_t from = line.find(',') + 1;
    std::uint32_t hexid = 0;
    std::from_chars(line.data() + from, line.data() + line.size(), hexid);
    return hexid;
}

} // namespace

LightFeedStretch::LightFeedStretch(int runMinutes)
{
    const int end = runMinutes * 60;
    if (end >= 2 * kHour)
        m_start = (end - kHour) / kHour * kHour;
}

bool LightFeedStretch::running(int second) const
{
    return m_start >= 0 && second >= m_start;
}

bool LightFeedStretch::passes(std::int64_t tick, const std::string& line) const
{
    return !running(static_cast<int>(tick / 100)) || lf_hexid(line) % kOneFlightIn == 0;
}

void LightFeedStretch::tick(std::int64_t tick)
{
    const int second = static_cast<int>(tick / 100);
    const bool renewing = g_renewalInProgress.load();
    if (renewing && !m_renewing)
        m_logFrom = testsupport::logEnd();
    if (!renewing && m_renewing)
        lf_renewalEnded(second);
    m_renewing = renewing;
    if (m_madeAt >= 0 && tick % 100 == 0)
        lf_checkSettled(second);
}

// The renewal has planned and taken out what it will: its plan is seen now, before the engine
// creates any of it.
void LightFeedStretch::lf_renewalEnded(int second)
{
    ++m_renewals;
    if (!running(second))
        return;
    ++m_stretchRenewals;
    m_made = testsupport::adjustmentJustMade();
    m_planned += m_made.plan.size();
    m_madeAt = second;
}

void LightFeedStretch::lf_checkSettled(int second)
{
    if (!testsupport::staticParkingSettled()) {
        if (second - m_madeAt < kSettleWithin)
            return;
        m_breaches.push_back(fmt::format("the renewal at second {} had not settled {} s later", m_madeAt,
                                         kSettleWithin));
    } else {
        for (std::string& breach : testsupport::unfilledPlanStands(m_made, testsupport::logLinesFrom(m_logFrom)))
            m_breaches.push_back(fmt::format("renewal at second {}: {}", m_madeAt, std::move(breach)));
        ++m_checked;
    }
    m_madeAt = -1;
}

std::string LightFeedStretch::summary() const
{
    if (m_start < 0)
        return "light feed stretch: none (the run is shorter than two hours)\n";
    return fmt::format("light feed stretch from second {}: {} renewals, {} checked once settled, {} entries planned, "
                       "{} breaches{}\n",
                       m_start, m_stretchRenewals, m_checked, m_planned, m_breaches.size(),
                       m_breaches.empty() ? "" : ", the first: " + m_breaches.front());
}

void LightFeedStretch::expectKept() const
{
    if (m_start < 0)
        return;
    // A renewal still settling at the close goes unchecked.
    EXPECT_GE(m_checked, 1) << summary();
    EXPECT_GE(m_checked + (m_madeAt >= 0 ? 1 : 0), m_stretchRenewals) << summary();
    EXPECT_TRUE(m_breaches.empty()) << summary();
}

} // namespace soak
