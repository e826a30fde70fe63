// A stretch of the simulated day with a lighter feed: the last hour of a run of two hours or
// more, from an hour boundary, where every periodic event of the day has finished its period.
// Only one flight in ten sends its lines and the day's events start nothing new (the user stays
// at the park airport), so static creations no longer wait behind live ones, the static plan
// completes and static parking is renewed every 20 minutes. After each renewal of the stretch
// settles, every stand its plan filled holds its static aircraft, none refused only because of a
// static the same renewal took out. Renewals are counted over the whole day.
#pragma once

#include "support/static_plan_check.h"

#include <cstdint>
#include <string>
#include <vector>

namespace soak {

class LightFeedStretch {
public:
    explicit LightFeedStretch(int runMinutes);

    // Whether the simulated second lies in the stretch.
    bool running(int second) const;
    // Whether a feed line due at this engine tick is sent.
    bool passes(std::int64_t tick, const std::string& line) const;
    // After each tick of the main loop.
    void tick(std::int64_t tick);

    int renewals() const { return m_renewals; }
    std::string summary() const;
    // At least one renewal in the stretch, each checked once settled (unless the close came first),
    // no breach.
    void expectKept() const;

private:
    void lf_renewalEnded(int second);
    void lf_checkSettled(int second);

    int m_start = -1; // first second of the stretch; none in a shorter run
    bool m_renewing = false;
    int m_renewals = 0, m_stretchRenewals = 0, m_checked = 0;
    std::size_t m_planned = 0;
    std::uintmax_t m_logFrom = 0;
    int m_madeAt = -1; // second of the renewal awaiting its check
    testsupport::AdjustmentMade m_made;
    std::vector<std::string> m_breaches;
};

} // namespace soak
