#include "soak/day_live_limit.h"

#include "core/settings.h"
#include "engine/ac_containers.h"
#include "engine/engine_tick.h"
#include "platform/standin/desktop.h"
#include "platform/standin/simworld.h"
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <fmt/format.h>

#include <algorithm>
#include <utility>

namespace soak {

namespace {

// Every hour from 345 s on (once the park airport the user came back to is loaded again, which
// brings its own limit), for 74 s, the limit is 10. Two seconds in, the simulator takes three
// live aircraft away on its own and drops the three creations that replace them before the
// program's scan sees them.
constexpr int kPeriod = 3600;
constexpr int kStart = 345;
constexpr int kEnd = 419;
constexpr int kTakeAway = 2;
constexpr std::size_t kDrops = 3;
// An unconfirmed creation is given up 30 s after its hand-over; before it the replacement waits
// for its next line and its creation turn, after it a newcomer waits for the same, the
// identification and the activation wait.
constexpr int kRefillWithin = 55;
// A creation handed over and not identified within a second is not on its way.
constexpr std::int32_t kIdentifiedWithinTicks = 100;

bool lf_active(const LiveAc& ac)
{
    return ac.simState == SimState::active && ac.remove == 0 && ac.removeOnArrival == 0;
}

bool lf_waitsForItsObject(const LiveAc& ac)
{
    return ac.simState == SimState::adding2sim && ac.objectId == 0 && ac.createSentTick >= 0;
}

bool lf_onItsWay(const LiveAc& ac)
{
    return ac.simState == SimState::adding2sim && ac.remove == 0 && ac.removeOnArrival == 0 && ac.withdrawn == 0 &&
           !(lf_waitsForItsObject(ac) && g_engineTick.load() - ac.createSentTick > kIdentifiedWithinTicks);
}

} // namespace

void LiveLimitStretch::at(int second)
{
    const int inPeriod = second % kPeriod;
    if (m_small && second == m_stretchStart + kTakeAway)
        lf_takeThreeAway();
    const bool wantSmall = inPeriod >= kStart && inPeriod < kEnd;
    if (wantSmall == m_small)
        return;
    lf_pickLimit(wantSmall ? 10 : 500);
    m_small = wantSmall;
    m_stretchStart = second;
    m_belowSince = -1;
    m_stretches += m_small ? 1 : 0;
}

void LiveLimitStretch::lf_pickLimit(std::int32_t limit)
{
    m_pickedWhileBusy += gf_pickLiveLimit(m_desktop, limit) ? 0 : 1;
}

// The user's pick in the limit's list. While static parking is planned or created the list is
// disabled, which under this feed is most of the day: then the pick reaches the window as if it
// had come just before the list was disabled, through the same selection and notification.
bool gf_pickLiveLimit(standin::Desktop& desktop, std::int32_t limit)
{
    const auto& options = MAX_LIVE_SEL.optionValues;
    const auto index = static_cast<int>(std::find(options.begin(), options.end(), limit) - options.begin());
    if (desktop.pick(MAX_LIVE_SEL.controlId, index))
        return true;
    const HWND list = desktop.control(MAX_LIVE_SEL.controlId);
    SendMessageW(list, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(desktop.mainWindow(), WM_COMMAND, MAKEWPARAM(MAX_LIVE_SEL.controlId, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
    return false;
}

void LiveLimitStretch::lf_takeThreeAway()
{
    auto& world = standin::SimWorld::instance();
    std::size_t taken = 0;
    for (const LiveAc& ac : g_liveAcs) {
        if (taken < kDrops && lf_active(ac) && ac.objectId != 0 && world.object(ac.objectId)->alive) {
            world.removeObjectOnItsOwn(ac.objectId);
            ++taken;
        }
    }
    m_dropsLeft = kDrops;
}

void LiveLimitStretch::tick()
{
    if (m_dropsLeft == 0)
        return;
    auto& world = standin::SimWorld::instance();
    const std::vector<DWORD> objects = world.aliveAiObjects();
    for (auto id = objects.rbegin(); id != objects.rend(); ++id) {
        const auto object = world.object(*id);
        const bool unconfirmed = std::any_of(g_liveAcs.begin(), g_liveAcs.end(), [&](const LiveAc& ac) {
            return lf_waitsForItsObject(ac) && ac.callsign == object->tailNumber;
        });
        if (!unconfirmed)
            continue;
        world.removeObjectOnItsOwn(*id);
        ++m_dropped;
        --m_dropsLeft;
        return;
    }
}

void LiveLimitStretch::check(int second)
{
    lf_checkAtMostTheLimit(second);
    if (m_small && second - m_stretchStart > 5)
        lf_checkRefilled(second, MAX_LIVE_SEL.value.load());
}

// Active live aircraft never pass the limit; right after a pick, this stretch's or another
// event's, the removals are on their way.
void LiveLimitStretch::lf_checkAtMostTheLimit(int second)
{
    const std::int32_t now = MAX_LIVE_SEL.value.load();
    const bool picked = std::exchange(m_limitChecked, now) != now;
    const auto limit = static_cast<std::size_t>(now);
    const auto active = static_cast<std::size_t>(std::count_if(g_liveAcs.begin(), g_liveAcs.end(), lf_active));
    if (active <= limit || second == m_stretchStart || picked)
        return;
    if (++m_overSeconds == 1)
        m_firstOver = fmt::format("{} active live aircraft over the limit of {} at second {}", active, limit, second);
}

// The feed offers far more aircraft than the limit: the live aircraft in the simulator or on
// their way reach it again within the bound.
void LiveLimitStretch::lf_checkRefilled(int second, std::int32_t limit)
{
    const auto counted = std::count_if(g_liveAcs.begin(), g_liveAcs.end(),
                                       [](const LiveAc& ac) { return lf_active(ac) || lf_onItsWay(ac); });
    if (counted >= limit) {
        m_belowSince = -1;
        return;
    }
    if (m_belowSince < 0)
        m_belowSince = second;
    m_longestBelow = std::max(m_longestBelow, second - m_belowSince);
    if (second - m_belowSince > kRefillWithin && m_firstNotRefilled.empty())
        m_firstNotRefilled = fmt::format("{} live aircraft in the simulator or on their way under the limit of {} "
                                         "since second {}",
                                         counted, limit, m_belowSince);
}

std::string LiveLimitStretch::summary() const
{
    return fmt::format("small live limit: {} stretches ({} picks while the list was disabled), {} creations "
                       "dropped by the simulator, longest below the limit {} s, {} seconds over it{}{}\n",
                       m_stretches, m_pickedWhileBusy, m_dropped, m_longestBelow, m_overSeconds,
                       m_firstOver.empty() ? "" : "; " + m_firstOver,
                       m_firstNotRefilled.empty() ? "" : "; " + m_firstNotRefilled);
}

void LiveLimitStretch::expectKept() const
{
    EXPECT_EQ(m_overSeconds, 0u) << summary();
    EXPECT_TRUE(m_firstNotRefilled.empty()) << summary();
}

} // namespace soak
