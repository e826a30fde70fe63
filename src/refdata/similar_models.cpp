// Similar models from the similar-type groups, limited to installed models.
#include "refdata/similar_models.h"

#include "core/log.h"
#include "core/random_choice.h"
#include "core/text_strings.h"
#include "liveries/livery_tables.h"
#include "refdata/aircraft_db.h"

#include <fmt/format.h>

#include <set>

namespace {

TextMap<std::vector<std::string>> g_installedSimilarModels;
TextMap<TextMap<std::vector<std::string>>> g_airlineSimilarModels;
const std::vector<std::string> g_noModels;
std::vector<std::string> g_fallbackModel;

bool lf_installed(std::string_view type)
{
    return g_modelTitles[kPax].contains(type) || g_modelTitles[kCargo].contains(type);
}

// "M,P1,P2": each member of a group followed by its installed partners.
std::set<std::string> lf_installedGroupTexts()
{
    std::set<std::string> texts;
    for (const std::vector<std::string>& group : g_similarTypeGroups) {
        for (const std::string& member : group) {
            std::string text = member;
            for (const std::string& partner : group) {
                if (partner != member && lf_installed(partner)) {
                    text += "," + partner;
                }
            }
            if (text.find(',') != std::string::npos) {
                texts.insert(std::move(text));
            }
        }
    }
    return texts;
}

void lf_buildAirlineSimilarModels()
{
    for (const std::string& airline : gf_liveryAirlines()) {
        TextMap<std::vector<std::string>> byType;
        for (const auto& [type, similar] : g_installedSimilarModels) {
            if (gf_hasLivery(airline, type)) {
                continue;
            }
            std::vector<std::string> flown;
            for (const std::string& candidate : similar) {
                if (gf_hasLivery(airline, candidate)) {
                    flown.push_back(candidate);
                }
            }
            if (!flown.empty()) {
                byType.try_emplace(type, std::move(flown));
            }
        }
        if (!byType.empty()) {
            g_airlineSimilarModels.try_emplace(airline, std::move(byType));
        }
    }
}

std::string lf_categoryFallback(std::string_view type)
{
    switch (gf_aircraftSizeClass(type)) {
    case Category::Light:
        return gf_randomLightModel();
    case Category::Buzjet:
        return gf_randomBuzjetModel();
    case Category::Rotorcraft:
        return gf_randomRotorcraftModel();
    default:
        return {};
    }
}

} // namespace

void gf_buildSimilarModels()
{
    for (const std::string& text : lf_installedGroupTexts()) {
        std::vector<std::string> pieces = gf_split(text, ',');
        std::string key = std::move(pieces.front());
        pieces.erase(pieces.begin());
        g_installedSimilarModels.try_emplace(std::move(key), std::move(pieces));
    }
    lf_buildAirlineSimilarModels();
    gf_log(fmt::format("{} similar model definitions", g_installedSimilarModels.size()));
}

void gf_clearSimilarModels()
{
    g_installedSimilarModels.clear();
    g_airlineSimilarModels.clear();
    g_fallbackModel.clear();
}

const std::vector<std::string>& gf_similarModels(std::string_view type)
{
    if (const auto found = g_installedSimilarModels.find(type); found != g_installedSimilarModels.end()) {
        gf_shuffle(found->second);
        return found->second;
    }
    std::string pick = lf_categoryFallback(type);
    if (pick.empty()) {
        return g_noModels;
    }
    g_fallbackModel.assign(1, std::move(pick));
    return g_fallbackModel;
}

const std::vector<std::string>& gf_similarAirlineModels(std::string_view airline, std::string_view type)
{
    const auto byAirline = g_airlineSimilarModels.find(airline);
    if (byAirline == g_airlineSimilarModels.end()) {
        return g_noModels;
    }
    const auto found = byAirline->second.find(type);
    if (found == byAirline->second.end()) {
        return g_noModels;
    }
    gf_shuffle(found->second);
    return found->second;
}
