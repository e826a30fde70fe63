// The static parking adjustments through the program's own tick against the simulated
// simulator: whatever the users' sequence of time passing (Sunday night into Monday too),
// renewals, pauses, objects the simulator removes, live aircraft on static stands and flights
// to the other park airport, every stand an adjustment planned holds its static aircraft once
// things settle (none refused for the one it replaced), no stand holds two statics at once,
// none outlives the user's departure, and replacements follow the wrapping week.
#include "static_adjustment_world.h"

#include "core/random_choice.h"
#include "support/program_state.h"

#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>
#include <rapidcheck/state.h>

#include <fmt/format.h>

#include <array>
#include <ostream>

using statictest::StandUse;
using statictest::StaticWorld;

namespace statictest {

void showValue(const StandUse& use, std::ostream& os)
{
    os << fmt::format("stand P{}: {} {}{} on {} {}:{}", use.stand + 1, use.reg, use.cs,
                      use.cs2.empty() ? "" : ":" + use.cs2, std::array<const char*, 8>{"", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"}[static_cast<std::size_t>(use.weekday)], use.from, use.to);
}

} // namespace statictest

namespace {

struct Model {
    int airport = 0;
    int liveArrivals = 0;
};

using Command = rc::state::Command<Model, StaticWorld>;

constexpr int kMostLiveArrivals = 2;

const char* const kDays[] = {"", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday", "Sunday"};

struct WeekPoint {
    int weekday = 1;
    int slot = 0;
};

void showValue(const WeekPoint& point, std::ostream& os)
{
    os << fmt::format("{} {:02}:{:02}", kDays[point.weekday], point.slot / 2, point.slot % 2 * 30);
}

// Mostly the week's end (Sunday evening, Monday morning), else any half hour.
rc::Gen<WeekPoint> lf_weekPoint()
{
    return rc::gen::weightedOneOf<WeekPoint>({
        {3, rc::gen::map(rc::gen::inRange(40, 48), [](int slot) { return WeekPoint{7, slot}; })},
        {3, rc::gen::map(rc::gen::inRange(0, 8), [](int slot) { return WeekPoint{1, slot}; })},
        {2, rc::gen::apply([](int day, int slot) { return WeekPoint{day, slot}; }, rc::gen::inRange(1, 8),
                           rc::gen::inRange(0, 48))},
    });
}

// Mostly the first three stands (two of them close enough to collide), so that uses meet.
rc::Gen<int> lf_stand()
{
    return rc::gen::weightedOneOf<int>(
        {{3, rc::gen::inRange(0, 3)}, {1, rc::gen::inRange(0, statictest::kStands)}});
}

// The uses of one airport's stands: a handful of aircraft, mostly around the week's end, some
// under a second callsign later in their stay.
rc::Gen<std::vector<StandUse>> lf_uses(int airport)
{
    return rc::gen::mapcat(rc::gen::inRange(8, 17), [airport](int count) {
        return rc::gen::map(
            rc::gen::container<std::vector<std::tuple<int, WeekPoint, int, bool>>>(
                static_cast<std::size_t>(count),
                rc::gen::tuple(lf_stand(), lf_weekPoint(), rc::gen::inRange(2, 11),
                               rc::gen::weightedOneOf<bool>({{3, rc::gen::just(false)}, {1, rc::gen::just(true)}}))),
            [airport](const std::vector<std::tuple<int, WeekPoint, int, bool>>& picks) {
                std::vector<StandUse> uses;
                for (std::size_t k = 0; k < picks.size(); ++k) {
                    const auto& [stand, from, length, second] = picks[k];
                    const int n = airport * 100 + static_cast<int>(k) + 1;
                    uses.push_back({stand, fmt::format("D-A{:03}", n), fmt::format("DLH{}", n),
                                    second ? fmt::format("DLH{}B", n) : std::string(), from.weekday, from.slot,
                                    std::min(from.slot + length, 47)});
                }
                return uses;
            });
    });
}

void lf_noBreach(const StaticWorld& world)
{
    if (world.breach())
        RC_FAIL(*world.breach());
}

struct TimeMoves : Command {
    // Mostly on by a few half hours, so that uses of one stand follow each other; else to any
    // half hour of the week.
    bool onward = *rc::gen::weightedOneOf<bool>({{3, rc::gen::just(true)}, {1, rc::gen::just(false)}});
    int halfHours = *rc::gen::inRange(1, 5);
    WeekPoint to = *lf_weekPoint();
    int minutes = *rc::gen::inRange(0, 30);

    void run(const Model&, StaticWorld& world) const override
    {
        if (onward)
            world.moveTimeBy(halfHours, minutes);
        else
            world.moveTimeTo(to.weekday, to.slot, minutes);
        lf_noBreach(world);
    }
    void show(std::ostream& os) const override
    {
        if (onward)
            os << fmt::format("time moves on by {} half hours, {} minutes into the last", halfHours, minutes);
        else
            os << fmt::format("time moves on to {} {:02}:{:02}", kDays[to.weekday], to.slot / 2,
                              to.slot % 2 * 30 + minutes);
    }
};

struct Adjustment : Command {
    bool byCountdown = *rc::gen::weightedOneOf<bool>({{4, rc::gen::just(false)}, {1, rc::gen::just(true)}});
    int framesStopSeconds = *rc::gen::weightedOneOf<int>({{1, rc::gen::just(0)}, {2, rc::gen::inRange(1, 4)}});

    void run(const Model&, StaticWorld& world) const override
    {
        world.adjust(byCountdown, framesStopSeconds);
        lf_noBreach(world);
    }
    void show(std::ostream& os) const override
    {
        os << (byCountdown ? "the renewal countdown runs out and parking is adjusted"
                           : "the user presses \"Now\" and parking is adjusted");
        if (framesStopSeconds > 0)
            os << ", the simulator sending no frames for " << framesStopSeconds << " s right after";
    }
};

struct Pause : Command {
    int seconds = *rc::gen::inRange(2, 45);

    void run(const Model&, StaticWorld& world) const override
    {
        world.pause(seconds);
        lf_noBreach(world);
    }
    void show(std::ostream& os) const override { os << "the simulator sends no frames for " << seconds << " s"; }
};

struct SimulatorRemoves : Command {
    std::size_t index = *rc::gen::inRange<std::size_t>(0, 8);

    void run(const Model&, StaticWorld& world) const override
    {
        world.simulatorRemovesAStatic(index);
        lf_noBreach(world);
    }
    void show(std::ostream& os) const override
    {
        os << "the simulator removes one of the static objects on its own (pick " << index << ")";
    }
};

struct LiveArrives : Command {
    std::size_t index = *rc::gen::inRange<std::size_t>(0, 8);

    void checkPreconditions(const Model& model) const override
    {
        RC_PRE(model.liveArrivals < kMostLiveArrivals);
    }
    void apply(Model& model) const override { ++model.liveArrivals; }
    void run(const Model&, StaticWorld& world) const override
    {
        world.liveArrivesOnAStatic(index);
        lf_noBreach(world);
    }
    void show(std::ostream& os) const override
    {
        os << "a live aircraft is first seen standing on a static's stand (pick " << index << ")";
    }
};

struct FlyToTheOtherAirport : Command {
    void apply(Model& model) const override
    {
        model.airport = 1 - model.airport;
        model.liveArrivals = 0;
    }
    void run(const Model&, StaticWorld& world) const override
    {
        world.flyToTheOtherAirport();
        lf_noBreach(world);
    }
    void show(std::ostream& os) const override { os << "the user flies away and lands at the other park airport"; }
};

} // namespace

RC_GTEST_PROP(StaticAdjustments, PlannedStandsHoldTheirStaticsOnePerStandAndTheWeekWraps, ())
{
    testsupport::resetBeforeEachTest();
    g_rng.seed(*rc::gen::arbitrary<std::uint32_t>());
    const std::vector<std::vector<StandUse>> uses = {*lf_uses(0), *lf_uses(1)};
    const WeekPoint start = *lf_weekPoint();
    StaticWorld world;
    world.start(uses, start.weekday, start.slot);
    lf_noBreach(world);
    const auto commands = *rc::gen::scale(
        0.1, rc::state::gen::commands(Model{}, rc::state::gen::execOneOfWithArgs<
                                                     TimeMoves, Adjustment, Adjustment, Pause, SimulatorRemoves,
                                                     LiveArrives, FlyToTheOtherAirport>()));
    rc::state::runAll(commands, Model{}, world);
}
