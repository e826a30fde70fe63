#include "soak/day_learned.h"

#include "core/geo.h"
#include "core/half_hours.h"
#include "parking/apf.h"
#include "parking/stand.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <fmt/format.h>
#include <pugixml.hpp>

#include <algorithm>

namespace soak {

namespace {

constexpr int kVisitPeriod = 600;
// Seconds in each period: away, back, away, back. The user is at the airport for the stopped
// feeds and their newcomers, and for the short run's close.
constexpr int kMoves[] = {270, 300, 450, 480};

} // namespace

std::optional<bool> gf_visitMoveAt(int second)
{
    const int inPeriod = second % kVisitPeriod;
    for (std::size_t i = 0; i < std::size(kMoves); ++i) {
        if (inPeriod == kMoves[i])
            return i % 2 == 0;
    }
    return std::nullopt;
}

std::vector<std::vector<testsupport::OptFixture>> gf_feedStandUses(const SoakFeed& feed,
                                                                   const std::vector<LatLon>& stands)
{
    std::vector<std::vector<testsupport::OptFixture>> uses(stands.size());
    for (const FeedFlight& flight : feed.flights()) {
        if (flight.kind != FlightKind::Parked && flight.kind != FlightKind::Departure)
            continue;
        const LatLon at = flight.legs.front().from;
        const auto stand = std::find_if(stands.begin(), stands.end(),
                                        [&at](const LatLon& s) { return s.lat == at.lat && s.lon == at.lon; });
        if (stand == stands.end())
            continue;
        const FeedOperator op = gf_feedOperator(flight.hexid);
        const std::string reg = gf_feedRegistration(flight.hexid);
        for (const int day : {3, 4})
            uses[static_cast<std::size_t>(stand - stands.begin())].push_back({reg, op.airline, op.type, "", day, "0:47"});
    }
    return uses;
}

std::vector<std::string> gf_lostByTheClose(const std::vector<Stand>& atClose, const std::vector<Stand>& readBack)
{
    const auto shape = [](const Stand& stand) {
        return fmt::format("{} radius {:.1f} m, cargo {}", stand.id, stand.radius * kMetersPerNm, stand.cargo);
    };
    std::vector<std::string> lost;
    for (const Stand& stand : atClose) {
        const auto read = std::find_if(readBack.begin(), readBack.end(),
                                       [&stand](const Stand& other) { return other.id == stand.id; });
        if (read == readBack.end() || shape(*read) != shape(stand)) {
            lost.push_back(shape(stand));
            continue;
        }
        for (const ParkOpt& opt : stand.options) {
            if (std::none_of(read->options.begin(), read->options.end(),
                             [&opt](const ParkOpt& other) { return gf_sameUse(other, opt); }))
                lost.push_back(fmt::format("{} {} {} {} {} {}", stand.id, opt.reg, opt.airl, opt.type, opt.day,
                                           gf_bitset2hours(opt.hh).value_or(opt.hh.to_string())));
        }
    }
    return lost;
}

std::vector<LearnedFileWatch::Use> LearnedFileWatch::lf_readUses() const
{
    std::vector<Use> uses;
    pugi::xml_document document;
    if (!document.load_string(testsupport::readFile(m_file).c_str()))
        return uses;
    for (const pugi::xml_node parkpos : document.child("root").child("parkpositions").children("parkpos")) {
        const std::string stand = fmt::format("{}{}", parkpos.attribute("id").value(),
                                              parkpos.attribute("manual").as_bool(false) ? " manual" : "");
        for (const pugi::xml_node opt : parkpos.children("opt")) {
            Use use{stand, {}};
            if (gf_readLearnedOpt(opt, use.option))
                uses.push_back(std::move(use));
        }
    }
    return uses;
}

void LearnedFileWatch::check(int second)
{
    std::error_code error;
    const auto savedAt = std::filesystem::last_write_time(m_file, error);
    if (error || savedAt == m_savedAt)
        return;
    m_savedAt = savedAt;
    std::vector<Use> uses = lf_readUses();
    const auto sameUse = [](const Use& a, const Use& b) { return a.stand == b.stand && gf_sameUse(a.option, b.option); };
    std::size_t newUses = 0;
    for (std::size_t i = 0; i < uses.size(); ++i) {
        for (std::size_t j = i + 1; j < uses.size(); ++j) {
            if (sameUse(uses[i], uses[j]))
                m_breaches.push_back(fmt::format("second {}: {} {} held twice", second, uses[i].stand,
                                                 uses[i].option.reg));
        }
        const bool known = std::any_of(m_uses.begin(), m_uses.end(),
                                       [&](const Use& before) { return sameUse(before, uses[i]); });
        newUses += known ? 0 : 1;
    }
    if (uses.size() > m_uses.size() + newUses)
        m_breaches.push_back(fmt::format("second {}: {} uses after {} with {} new", second, uses.size(),
                                         m_uses.size(), newUses));
    m_sizes.push_back(fmt::format("{} B/{}", std::filesystem::file_size(m_file, error), uses.size()));
    m_uses = std::move(uses);
}

void LearnedFileWatch::expectKept() const
{
    EXPECT_FALSE(m_sizes.empty()) << "the learned file was never saved";
    EXPECT_TRUE(m_breaches.empty()) << summary();
}

std::string LearnedFileWatch::summary() const
{
    std::string sizes;
    for (const std::string& size : m_sizes)
        sizes += (sizes.empty() ? "" : ", ") + size;
    return fmt::format("learned file after each visit (bytes/uses): {}; {} breaches{}\n", sizes, m_breaches.size(),
                       m_breaches.empty() ? "" : ", the first: " + m_breaches.front());
}

} // namespace soak
