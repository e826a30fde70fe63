// The matching ladder for live aircraft and for static parked aircraft.
#include "liveries/livery_matching.h"
#include "core/run_state.h"

#include "core/log.h"
#include "core/random_choice.h"
#include "core/settings.h"
#include "engine/aircraft_names.h"
#include "liveries/regcodes.h"
#include "parking/stand.h"
#include "refdata/aircraft_db.h"
#include "refdata/similar_models.h"
#include "simlink/flight_plans.h"

#include <fmt/format.h>

std::array<std::int32_t, kMatchSteps> g_matchCounts{};

namespace {

constexpr int kMaxBoundPicks = 5;
constexpr std::string_view kGenericAirline = "ZZZ";
constexpr std::string_view kPrivateAirline = "PVT";

int lf_depth()
{
    return MATCHING_DEPTH.value;
}

int lf_stepNumber(MatchStep step)
{
    return static_cast<int>(step);
}

bool lf_failed(std::string_view title)
{
    return g_failedLiveries.contains(title);
}

bool lf_operatorKnown(const AircraftData& ac)
{
    return !gf_registrationOperator(ac.registration).empty();
}

bool lf_lightClass(Category category)
{
    return category == Category::Light || category == Category::Buzjet || category == Category::Rotorcraft;
}

// The refused-title test and the log line of the parked ladder; nothing is counted.
bool lf_acceptParked(AircraftData& ac, MatchStep step)
{
    if (lf_failed(ac.livery)) {
        ac.livery = {};
        return false;
    }
    gf_log(fmt::format("          {} ={}= {}", gf_acDescr(ac), lf_stepNumber(step), ac.livery));
    return true;
}

bool lf_liveAirlineSteps(AircraftData& ac)
{
    if (ac.airline.empty()) {
        return false;
    }
    if (lf_findAirlineModel(ac, {ac.airline, ac.type}) && lf_acceptMatch(ac, MatchStep::airlineModel)) {
        return true;
    }
    return lf_operatorKnown(ac) &&
           lf_findAirlineModel(ac, {gf_registrationAirline(ac.registration), ac.type}) &&
           lf_acceptMatch(ac, MatchStep::airlineModel);
}

bool lf_liveSimilarSteps(AircraftData& ac)
{
    if (ac.airline.empty()) {
        return false;
    }
    if (lf_findSimilarModel(ac, {ac.airline, ac.type}) && lf_acceptMatch(ac, MatchStep::similarAirlineModel)) {
        return true;
    }
    return lf_operatorKnown(ac) && lf_findSimilarModel(ac, {gf_registrationAirline(ac.registration), ac.type}) &&
           lf_acceptMatch(ac, MatchStep::similarAirlineModel);
}

bool lf_regcodeStep(AircraftData& ac, bool (*accept)(AircraftData&, MatchStep))
{
    if (!lf_findRegcodeLivery(ac)) {
        return false;
    }
    const bool unique = g_uniqueRegs.contains(ac.registration);
    return accept(ac, unique ? MatchStep::specialRegcode : MatchStep::regcode);
}

bool lf_privateStep(AircraftData& ac, bool (*accept)(AircraftData&, MatchStep))
{
    return ac.airline == kPrivateAirline && lf_findAirlineModel(ac, {std::string(kGenericAirline), ac.type}) &&
           accept(ac, MatchStep::genericAirline);
}

bool lf_parkedAirlineSteps(AircraftData& ac)
{
    if (lf_findAirlineModel(ac, {ac.airline, ac.type}) && lf_acceptParked(ac, MatchStep::airlineModel)) {
        return true;
    }
    return lf_operatorKnown(ac) &&
           lf_findAirlineModel(ac, {gf_registrationAirline(ac.registration), ac.type}) &&
           lf_acceptParked(ac, MatchStep::airlineModel);
}

// Every installed similar model of the aircraft's own pair, under its airline and then under the
// registration's airline; a refused title moves on to the next model.
bool lf_parkedSimilarSteps(AircraftData& ac)
{
    const std::vector<std::string> similar = gf_similarAirlineModels(ac.airline, ac.type);
    for (const std::string& model : similar) {
        if (lf_findAirlineModel(ac, {ac.airline, model}) && lf_acceptParked(ac, MatchStep::similarAirlineModel)) {
            return true;
        }
    }
    if (!lf_operatorKnown(ac)) {
        return false;
    }
    const std::string registrationAirline = gf_registrationAirline(ac.registration);
    for (const std::string& model : similar) {
        if (lf_findAirlineModel(ac, {registrationAirline, model}) &&
            lf_acceptParked(ac, MatchStep::similarAirlineModel)) {
            return true;
        }
    }
    return false;
}

bool lf_parkedLadder(AircraftData& ac)
{
    if (lf_regcodeStep(ac, lf_acceptParked)) {
        return true;
    }
    if (lf_depth() < 2) {
        return false;
    }
    if (lf_privateStep(ac, lf_acceptParked) || lf_parkedAirlineSteps(ac)) {
        return true;
    }
    if (lf_depth() < 3) {
        return false;
    }
    if (lf_parkedSimilarSteps(ac)) {
        return true;
    }
    MatchStep step = MatchStep::genericAirline;
    return lf_matchFallback(ac, step) && lf_acceptParked(ac, step);
}

} // namespace

void lf_chooseLivery(AircraftData& ac, const TitleViews& candidates)
{
    if (candidates.empty()) {
        return;
    }
    // A registration-bound title belongs to its own aircraft: try a few picks to avoid one.
    for (int pick = 0; pick < kMaxBoundPicks; ++pick) {
        ac.livery = candidates[gf_randomIndex(candidates.size())];
        if (!gf_isBoundTitle(ac.livery)) {
            return;
        }
    }
    TitleViews free;
    for (const std::string_view title : candidates) {
        if (!gf_isBoundTitle(title)) {
            free.push_back(title);
        }
    }
    if (!free.empty()) {
        ac.livery = free[gf_randomIndex(free.size())];
    }
}

bool lf_findRegcodeLivery(AircraftData& ac)
{
    if (ac.registration.empty()) {
        return false;
    }
    const auto found = g_regcodeMap.find(std::string_view(ac.registration));
    ac.livery = found == g_regcodeMap.end() ? std::string_view() : found->second;
    return !ac.livery.empty();
}

bool lf_findInTable(AircraftData& ac, const MatchKey& key, std::size_t table)
{
    const auto& byAirline = g_airlineModelTitles[table];
    const auto airline = byAirline.find(std::string_view(key.airline));
    if (airline == byAirline.end()) {
        return false;
    }
    const auto model = airline->second.find(std::string_view(key.model));
    if (model == airline->second.end() || model->second.empty()) {
        return false;
    }
    lf_chooseLivery(ac, model->second);
    return true;
}

bool lf_findAirlineModel(AircraftData& ac, const MatchKey& key)
{
    if (ac.cargo != 0 && lf_findInTable(ac, key, kCargo)) {
        return true;
    }
    return lf_findInTable(ac, key, kPax);
}

bool lf_findSimilarModel(AircraftData& ac, MatchKey key)
{
    for (const std::string& model : gf_similarAirlineModels(key.airline, key.model)) {
        if (gf_aircraftSizeClass(model) != ac.category) {
            continue;
        }
        key.model = model;
        if (lf_findAirlineModel(ac, key)) {
            return true;
        }
    }
    return false;
}

bool lf_findAnyAirline(AircraftData& ac, std::string_view model)
{
    const auto& byModel = g_modelTitles[ac.cargo != 0 ? kCargo : kPax];
    const auto found = byModel.find(model);
    if (found == byModel.end() || found->second.empty()) {
        return false;
    }
    lf_chooseLivery(ac, found->second);
    return true;
}

bool lf_acceptMatch(AircraftData& ac, MatchStep step)
{
    if (lf_failed(ac.livery)) {
        ac.livery = {};
        return false;
    }
    ++g_matchCounts[static_cast<std::size_t>(step)];
    gf_log(fmt::format("          {} ={}= {}", gf_acDescr(ac), lf_stepNumber(step), ac.livery));
    ac.fsltl = ac.livery.find("FSLTL_") != std::string_view::npos ? 1 : 0;
    return true;
}

bool lf_matchFallback(AircraftData& ac, MatchStep& step)
{
    const MatchKey generic{std::string(kGenericAirline), ac.type};
    if (lf_depth() == 4 && ac.livery.empty() && lf_findAirlineModel(ac, generic)) {
        step = MatchStep::genericAirline;
        return true;
    }
    if (!lf_lightClass(ac.category)) {
        return false;
    }
    if (ac.airline != kPrivateAirline && lf_findAirlineModel(ac, generic)) {
        step = MatchStep::genericAirline;
        return true;
    }
    if (lf_findAnyAirline(ac, ac.type)) {
        step = MatchStep::anyAirline;
        return true;
    }
    const std::vector<std::string> similar = gf_similarModels(ac.type);
    for (const std::string& model : similar) {
        if (lf_findAnyAirline(ac, model)) {
            step = MatchStep::similarAnyAirline;
            return true;
        }
    }
    return false;
}

void gf_matchLivery(AircraftData& ac)
{
    ac.livery = {};
    if (lf_regcodeStep(ac, lf_acceptMatch) || lf_depth() < 2) {
        return;
    }
    if (lf_privateStep(ac, lf_acceptMatch) || lf_liveAirlineSteps(ac) || lf_depth() < 3) {
        return;
    }
    if (lf_liveSimilarSteps(ac)) {
        return;
    }
    MatchStep step = MatchStep::genericAirline;
    if (lf_matchFallback(ac, step)) {
        lf_acceptMatch(ac, step);
    }
}

bool gf_matchParkedLivery(AircraftData& ac, const Stand& stand)
{
    if (!ac.livery.empty()) {
        gf_log(fmt::format("          {} =s= {}", gf_acDescr(ac), ac.livery));
        return true;
    }
    ac.cargo = stand.cargo ? 1 : 0;
    if (lf_parkedLadder(ac)) {
        return true;
    }
    gf_log(fmt::format("{:8}: {} no livery match ...", stand.id, gf_acDescrLong(ac)));
    return false;
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Engine, g_matchCounts),
};

} // namespace
