// Livery matching: the title of an installed livery for an aircraft, by a ladder of steps
// from its registration down to a similar model of any airline.
#pragma once

#include "engine/aircraft_records.h"
#include "liveries/livery_tables.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

struct Stand;

enum class MatchStep : std::int32_t {
    specialRegcode, regcode, airlineModel, similarAirlineModel, genericAirline, anyAirline, similarAnyAirline
};
inline constexpr std::size_t kMatchSteps = 7;

// An (airline, model) pair looked up in the airline model tables.
struct MatchKey {
    std::string airline;
    std::string model;
};

// Matches of live aircraft per step.
extern std::array<std::int32_t, kMatchSteps> g_matchCounts;

// Sets the aircraft's livery, or leaves it empty when nothing matches.
void gf_matchLivery(AircraftData& ac);
// The livery of a planned static aircraft at the stand; true when it has one.
bool gf_matchParkedLivery(AircraftData& ac, const Stand& stand);

void lf_chooseLivery(AircraftData& ac, const TitleViews& candidates);
bool lf_findRegcodeLivery(AircraftData& ac);
bool lf_findInTable(AircraftData& ac, const MatchKey& key, std::size_t table);
bool lf_findAirlineModel(AircraftData& ac, const MatchKey& key);
bool lf_findSimilarModel(AircraftData& ac, MatchKey key);
bool lf_findAnyAirline(AircraftData& ac, std::string_view model);
bool lf_acceptMatch(AircraftData& ac, MatchStep step);
bool lf_matchFallback(AircraftData& ac, MatchStep& step);

// Log blocks of the periodic job and the shut-down.
void gf_writeLiveryMatchingSummary();
void gf_logNoMatchList();
