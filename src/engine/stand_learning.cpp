// Stand learning: a live aircraft's stay on a stand of the park airport becomes a learned
// option of one contiguous run of half hours of its weekday, extended while the aircraft
// stays and closed when it leaves.
#include "engine/stand_learning.h"

#include "app/tick_state.h"
#include "core/half_hours.h"
#include "core/log.h"
#include "engine/learned_updates.h"
#include "engine/stand_lookup.h"
#include "engine/stand_search.h"
#include "parking/stand.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr std::int32_t kHalfHoursPerDay = 48;
constexpr std::int32_t kHalfHoursPerWeek = 336;

std::string lf_withoutGhostMark(const std::string& text)
{
    return text.ends_with('_') ? text.substr(0, text.size() - 1) : text;
}

std::size_t lf_bit(std::int64_t half)
{
    if (half < 0 || half >= kHalfHoursPerDay)
        throw std::out_of_range("invalid bitset position");
    return static_cast<std::size_t>(half);
}

bool lf_hasHalf(const ParkOpt& option, std::int32_t half)
{
    return option.hh.test(lf_bit(half));
}

bool lf_isUseOf(const ParkOpt& option, WeekSlot now, const std::string& reg)
{
    return option.seq != 0 && option.day == static_cast<std::uint32_t>(now.day) && option.reg == reg &&
           option.real == 1;
}

ParkOpt* lf_option(std::vector<ParkOpt>& options, std::uint32_t seq)
{
    if (seq == 0)
        return nullptr;
    const auto it = std::find_if(options.begin(), options.end(), [seq](const ParkOpt& o) { return o.seq == seq; });
    return it == options.end() ? nullptr : &*it;
}

// n half hours from now's back in time, over midnight from 0 to 47.
std::vector<std::uint32_t> lf_slotRing(WeekSlot now, std::int32_t n)
{
    std::vector<std::uint32_t> ring;
    ring.reserve(kHalfHoursPerDay);
    std::int32_t half = now.half;
    for (std::int32_t k = 0; k < n; ++k) {
        ring.push_back(static_cast<std::uint32_t>(half));
        half = half == 0 ? kHalfHoursPerDay - 1 : half - 1;
    }
    return ring;
}

// An option keeps the first callsign seen during its stay and the latest other one.
void lf_setParkOptOccupant(std::vector<ParkOpt>& options, std::uint32_t seq, const std::string& callsign)
{
    const std::string cs = lf_withoutGhostMark(callsign);
    ParkOpt* option = lf_option(options, seq);
    if (cs.empty() || option == nullptr)
        return;
    if (option->cs.empty())
        option->cs = cs;
    else if (cs != option->cs && cs != option->cs2)
        option->cs2 = cs;
}

// A reference use of this registration today that does not cover now: nothing is learned.
bool lf_contradictsReference(const std::vector<ParkOpt>& options, WeekSlot now, const std::string& reg)
{
    return std::any_of(options.begin(), options.end(), [&](const ParkOpt& o) {
        return lf_isUseOf(o, now, reg) && o.archived == 1 && !lf_hasHalf(o, now.half);
    });
}

std::int32_t lf_lastHalf(const ParkOpt& option)
{
    for (std::int32_t half = kHalfHoursPerDay - 1; half >= 0; --half) {
        if (option.hh.test(static_cast<std::size_t>(half)))
            return half;
    }
    return -1;
}

void lf_learn(LiveAc& ac, std::int32_t kind, WeekSlot now, const std::string& reg)
{
    const std::optional<RegistrationData> known = gf_findRegistration(reg);
    if (!known)
        return;
    ac.airline = known->airline;
    ac.type = known->type;
    Stand* stand = gf_ownStand(ac);
    if (stand == nullptr)
        return;
    std::vector<ParkOpt>& options = stand->options;
    if (lf_contradictsReference(options, now, reg))
        return;
    const bool completed = kind == 2 || kind == 3;
    const auto found = std::find_if(options.begin(), options.end(),
                                    [&](const ParkOpt& o) { return lf_isUseOf(o, now, reg) && o.archived == 0; });
    if (found == options.end()) {
        gf_findParkOpt(options, ac, now, ac.callsign, reg, completed);
        return;
    }
    const std::size_t index = static_cast<std::size_t>(found - options.begin());
    if (found->cpl && !lf_hasHalf(*found, now.half)) {
        gf_findParkOpt(options, ac, now, ac.callsign, reg, completed);
        return;
    }
    if (lf_hasHalf(*found, now.half)) {
        found->cpl = found->cpl || completed;
        return;
    }
    const std::int32_t last = lf_lastHalf(*found);
    if (last < 0)
        return;
    WeekSlot lastSlot{static_cast<std::int32_t>(found->day), last};
    if (!gf_isWithinParkSlots(now, options, found->seq, lastSlot, ac, reg, completed))
        gf_findParkOpt(options, ac, now, ac.callsign, reg, completed);
    if (completed)
        options[index].cpl = true;
}

} // namespace

WeekSlot gf_weekSlot(std::uint64_t packedWeekTime)
{
    return {gf_packedWeekday(packedWeekTime), gf_packedHalfHour(packedWeekTime)};
}

void lf_addRealStandOption(LiveAc& ac, std::int32_t kind)
{
    const std::string reg = lf_withoutGhostMark(ac.registration);
    if (reg.empty())
        return;
    const WeekSlot now = gf_weekSlot(g_weekTime.load());
    try {
        lf_learn(ac, kind, now, reg);
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{}: hh_now: {}, {}", "lf_addRealStandOption", now.half, e.what()));
    }
}

ParkOptAdded gf_findParkOpt(std::vector<ParkOpt>& options, const LiveAc&, WeekSlot now, const std::string& callsign,
                            const std::string& reg, bool completed)
{
    if (reg.empty())
        return {};
    HalfHourBitset hh;
    hh.set(lf_bit(now.half));
    const auto seq = static_cast<std::uint32_t>(options.size() + 1);
    const std::optional<RegistrationData> known = gf_findRegistration(reg);
    const bool exists = std::any_of(options.begin(), options.end(), [&](const ParkOpt& o) {
        return o.reg == reg && o.day == static_cast<std::uint32_t>(now.day) && o.hh == hh;
    });
    if (exists)
        return {};
    ParkOpt option;
    if (known) {
        option.airl = known->operatorCode.empty() ? known->airline : known->operatorCode;
        option.type = known->type;
    }
    option.reg = reg;
    option.cs = lf_withoutGhostMark(callsign);
    option.hh = hh;
    option.seq = seq;
    option.day = static_cast<std::uint32_t>(now.day);
    option.archived = 0;
    option.real = 1;
    option.cpl = completed;
    options.push_back(std::move(option));
    gf_addLearnedUpdate();
    return {seq, true};
}

bool gf_isWithinParkSlots(WeekSlot now, std::vector<ParkOpt>& options, std::uint32_t seq, WeekSlot& last,
                          const LiveAc& ac, const std::string&, bool)
{
    if (seq == 0 || last == now)
        return true;
    const std::int32_t window = ac.cargo ? 12 : (ac.category == Category::Heavy ? 8 : 6);
    std::int32_t gap = (now.day - last.day) * kHalfHoursPerDay + now.half - last.half;
    if (gap < 0)
        gap += kHalfHoursPerWeek;
    if (gap < 1 || gap >= window)
        return false;
    if (updateOptions(options, lf_slotRing(now, gap), seq))
        lf_setParkOptOccupant(options, seq, ac.callsign);
    last = now;
    return true;
}

bool updateOptions(std::vector<ParkOpt>& options, const std::vector<std::uint32_t>& halfHours, std::uint32_t seq)
{
    ParkOpt* option = lf_option(options, seq);
    if (option == nullptr)
        return false;
    try {
        for (auto it = halfHours.rbegin(); it != halfHours.rend(); ++it)
            option->hh.set(lf_bit(*it));
    } catch (const std::exception& e) {
        gf_logMarked(fmt::format("{} exception:{}", "updateOptions", e.what()));
        return false;
    }
    return true;
}

void gf_findLearnedStand(std::uint64_t weekTime, LiveAc& ac)
{
    const WeekSlot now = gf_weekSlot(weekTime);
    const std::int32_t w = ac.category == Category::Heavy ? 14 : 10;
    const std::int32_t from = std::max(now.half - w, 0);
    const std::int32_t to = std::min(now.half + w, kHalfHoursPerDay - 1);
    const std::string& callsign = ac.callsign;
    const std::string base = lf_withoutGhostMark(callsign);
    if (base.empty())
        return;
    const auto inWindow = [&](const ParkOpt& o) {
        for (std::int32_t half = from; half <= to; ++half) {
            if (o.hh.test(static_cast<std::size_t>(half)))
                return true;
        }
        return false;
    };
    const auto named = [&](const std::string& cs) { return cs == callsign || cs == base; };
    for (const Stand& stand : g_stands) {
        for (const ParkOpt& o : stand.options) {
            if (o.seq != 0 && o.day == static_cast<std::uint32_t>(now.day) && o.airl == ac.airline &&
                !o.cs2.empty() && inWindow(o) && (named(o.cs) || named(o.cs2))) {
                ac.firstCallsign = o.cs;
                ac.altIdent = o.cs2;
                return;
            }
        }
    }
}
