// Building, querying and clearing the livery tables.
#include "liveries/livery_tables.h"

#include "core/random_choice.h"
#include "liveries/livery_data.h"
#include "liveries/regcodes.h"
#include "refdata/similar_models.h"

#include <algorithm>
#include <iterator>
#include <map>

LiveryTable g_liveryTable;
AirlineModelTitles g_airlineModelTitles;
ModelTitles g_modelTitles;
std::vector<std::string> g_lightModels;
std::vector<std::string> g_buzjetModels;
std::vector<std::string> g_rotorcraftModels;
bool g_liveriesProcessed = false;
std::atomic<bool> g_liveryRebuildRequested{false};

namespace {

// Every stored title by its text, so that regcode processing finds a title without walking
// the whole table for each registration. Built with the table, cleared with it.
std::unordered_map<std::string_view, std::string_view, Fnv1aHash> g_titleIndex;

constexpr std::size_t kWorkingEntries = 4048;

void lf_indexTitles()
{
    g_titleIndex.clear();
    g_titleIndex.reserve(g_scannedLiveries.size());
    for (const auto& [airline, models] : g_liveryTable) {
        for (const auto& [model, entries] : models) {
            for (const LiveryEntry& entry : entries) {
                g_titleIndex.emplace(entry.title, entry.title);
            }
        }
    }
}

std::string lf_randomOf(const std::vector<std::string>& models)
{
    return models.empty() ? std::string() : models[gf_randomIndex(models.size())];
}

template <class T>
void lf_reserveAtLeast(std::vector<T>& list, std::size_t capacity)
{
    if (list.capacity() < capacity) {
        list.reserve(capacity);
    }
}

} // namespace

void lf_buildLiveryTable()
{
    // One working vector for all models: each model's liveries are moved out of it into a
    // vector of their exact size, so no model holds the working capacity.
    std::vector<LiveryEntry> entries;
    entries.reserve(kWorkingEntries);
    TextMap<std::vector<LiveryEntry>> models;
    const std::size_t count = g_scannedLiveries.size();
    for (std::size_t i = 0; i < count; ++i) {
        const LiveryData& livery = g_scannedLiveries[i];
        entries.push_back({livery.title, livery.cargo});
        const bool lastOfAirline = i + 1 == count || g_scannedLiveries[i + 1].airl != livery.airl;
        const bool lastOfModel = lastOfAirline || g_scannedLiveries[i + 1].type != livery.type;
        if (lastOfModel) {
            models.try_emplace(livery.type, std::make_move_iterator(entries.begin()),
                               std::make_move_iterator(entries.end()));
            entries.clear();
        }
        if (lastOfAirline) {
            if (!models.empty()) {
                g_liveryTable.try_emplace(livery.airl, std::move(models));
            }
            models = {};
        }
    }
    lf_indexTitles();
}

void lf_buildAirlineModelTables()
{
    for (const auto& [airline, models] : g_liveryTable) {
        std::array<TextMap<TitleViews>, 2> byKind;
        for (const auto& [model, entries] : models) {
            const auto cargo = static_cast<std::size_t>(
                std::count_if(entries.begin(), entries.end(), [](const LiveryEntry& entry) { return entry.cargo; }));
            std::array<TitleViews, 2> titles;
            titles[kPax].reserve(entries.size() - cargo);
            titles[kCargo].reserve(cargo);
            for (const LiveryEntry& entry : entries) {
                titles[entry.cargo ? kCargo : kPax].push_back(entry.title);
            }
            for (std::size_t kind : {kPax, kCargo}) {
                if (!titles[kind].empty()) {
                    byKind[kind].try_emplace(model, std::move(titles[kind]));
                }
            }
        }
        for (std::size_t kind : {kPax, kCargo}) {
            if (!byKind[kind].empty()) {
                g_airlineModelTitles[kind].try_emplace(airline, std::move(byKind[kind]));
            }
        }
    }
}

void lf_buildModelTables()
{
    // The titles of each model in the table's own order, the models in ascending order, as a
    // sort of the flattened table by model that keeps equal models in order would give.
    std::map<std::string_view, std::array<TitleViews, 2>> byModel;
    for (const auto& [airline, models] : g_liveryTable) {
        for (const auto& [model, entries] : models) {
            std::array<TitleViews, 2>& titles = byModel[model];
            for (const LiveryEntry& entry : entries) {
                titles[entry.cargo ? kCargo : kPax].push_back(entry.title);
            }
        }
    }
    for (auto& [model, titles] : byModel) {
        for (std::size_t kind : {kPax, kCargo}) {
            if (!titles[kind].empty()) {
                g_modelTitles[kind].try_emplace(std::string(model), std::move(titles[kind]));
            }
        }
    }
}

void gf_reserveLiveryLists()
{
    lf_reserveAtLeast(g_boundTitles, 4096);
    lf_reserveAtLeast(g_lightModels, 64);
    lf_reserveAtLeast(g_buzjetModels, 128);
    lf_reserveAtLeast(g_rotorcraftModels, 32);
}

void gf_clearLiveryTables()
{
    g_lightModels.clear();
    g_buzjetModels.clear();
    g_rotorcraftModels.clear();
    g_uniqueRegs.clear();
    lf_clearBoundTitles();
    g_regcodeMap.clear();
    for (auto& table : g_modelTitles) {
        table.clear();
    }
    for (auto& table : g_airlineModelTitles) {
        table.clear();
    }
    g_titleIndex.clear();
    g_liveryTable.clear();
    gf_clearSimilarModels();
}

std::string_view lf_findTitle(std::string_view title)
{
    const auto found = g_titleIndex.find(title);
    return found == g_titleIndex.end() ? std::string_view() : found->second;
}

bool gf_hasLivery(std::string_view airline, std::string_view model)
{
    const auto byAirline = g_liveryTable.find(airline);
    return byAirline != g_liveryTable.end() && byAirline->second.find(model) != byAirline->second.end();
}

std::vector<std::string> gf_liveryAirlines()
{
    std::vector<std::string> airlines;
    airlines.reserve(g_liveryTable.size());
    for (const auto& entry : g_liveryTable) {
        airlines.push_back(entry.first);
    }
    return airlines;
}

std::string gf_randomLightModel()
{
    return lf_randomOf(g_lightModels);
}

std::string gf_randomBuzjetModel()
{
    return lf_randomOf(g_buzjetModels);
}

std::string gf_randomRotorcraftModel()
{
    return lf_randomOf(g_rotorcraftModels);
}
