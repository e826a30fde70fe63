// Quality factors of a park airport: how well its stands are covered by observed and soft uses.
#include "parking/apf.h"

#include "core/checked_round.h"

#include <fmt/format.h>

#include <algorithm>
#include <bitset>
#include <cmath>

namespace {

struct UseTally {
    double n = 0.0;
    std::bitset<8> days;
    double bits = 0.0;
};

double lf_standWeight(double radiusNm)
{
    if (radiusNm <= 7.0) {
        return 0.3;
    }
    return radiusNm <= 10.0 ? 1.5 : 1.0;
}

double lf_score(const UseTally& tally)
{
    return std::min(20.0 * tally.n, 4000.0) + 10000.0 + 100.0 * static_cast<double>(tally.days.count()) +
           2.0 * std::min(tally.bits, 600.0);
}

std::int32_t lf_factor(double total, double weights)
{
    const double factor = std::clamp(std::round(total / weights * 0.00625), 0.0, 100.0);
    return gf_roundToInt32(factor);
}

} // namespace

std::pair<std::int32_t, std::int32_t> gf_computeQualityFactors()
{
    const bool anyOption =
        std::any_of(g_stands.begin(), g_stands.end(), [](const Stand& stand) { return !stand.options.empty(); });
    if (!anyOption) {
        return {-1, -1};
    }
    double weights = 0.0;
    double realTotal = 0.0;
    double softTotal = 0.0;
    for (const Stand& stand : g_stands) {
        const double w = lf_standWeight(stand.radius);
        weights += w;
        UseTally real;
        UseTally soft;
        for (const ParkOpt& option : stand.options) {
            if (option.seq == 0) {
                continue;
            }
            UseTally& tally = option.real != 0 ? real : soft;
            tally.n += 1.0;
            if (option.day >= 1 && option.day <= 7) {
                tally.days.set(option.day);
            }
            tally.bits += static_cast<double>(option.hh.count());
        }
        if (real.n > 0) {
            realTotal += w * lf_score(real);
        }
        if (soft.n > 0) {
            softTotal += w * lf_score(soft);
        }
    }
    return {lf_factor(realTotal, weights), lf_factor(softTotal, weights)};
}

std::string gf_qualityText(std::int32_t qfReal, std::int32_t qfSoft)
{
    if (qfReal < 0 && qfSoft < 0) {
        return "  ";
    }
    if (qfReal < 45) {
        return fmt::format("{:2}/{:2}", qfReal, qfSoft);
    }
    return fmt::format("{:2}", qfReal);
}
