// The start-up processing of scanned liveries and its summary in the log.
#include "liveries/livery_processing.h"

#include "core/log.h"
#include "platform/win32.h"
#include "core/parameters_xml.h"
#include "core/settings.h"
#include "core/text_strings.h"
#include "engine/aircraft_names.h"
#include "liveries/liveries_scanned_xml.h"
#include "liveries/livery_data.h"
#include "liveries/livery_tables.h"
#include "liveries/regcodes.h"
#include "refdata/aircraft_db.h"
#include "refdata/similar_models.h"
#include "simlink/flight_plans.h"
#include "ui/panel_repaint.h"
#include "ui/status_panel_counts.h"
#include "ui/control_text.h"

#include <fmt/format.h>

#include <algorithm>

namespace {

constexpr std::size_t kModelsPerLine = 20;

struct CategoryTitles {
    std::vector<std::string> models;
    std::size_t pax = 0;
    std::size_t cargo = 0;
};

CategoryTitles lf_categoryTitles(Category category)
{
    CategoryTitles found;
    for (std::size_t kind : {kPax, kCargo}) {
        for (const auto& [model, titles] : g_modelTitles[kind]) {
            if (gf_aircraftSizeClass(model) == category) {
                (kind == kCargo ? found.cargo : found.pax) += titles.size();
                found.models.push_back(model);
            }
        }
    }
    std::sort(found.models.begin(), found.models.end());
    found.models.erase(std::unique(found.models.begin(), found.models.end()), found.models.end());
    return found;
}

// The setting a category without liveries switches off, with the reason logged.
struct CategorySwitch {
    BoolGuiParameter* setting;
    const char* reason;
};

std::optional<CategorySwitch> lf_categorySwitch(Category category)
{
    switch (category) {
    case Category::Light:
        return CategorySwitch{&LIGHT_AIRCRAFT, "{} temporarily switched off because you do not have light aircraft installed"};
    case Category::HighPerf:
        return CategorySwitch{&HIGH_PERF_AIRCRAFT,
                              "{} temporarily switched off because you do not have High Perf aircraft installed"};
    case Category::Rotorcraft:
        return CategorySwitch{&HELICOPTERS, "{} temporarily switched off because you do not have Helicopters installed"};
    default:
        return std::nullopt;
    }
}

void lf_switchOffCategory(Category category)
{
    const auto categorySwitch = lf_categorySwitch(category);
    if (!categorySwitch) {
        return;
    }
    BoolGuiParameter& setting = *categorySwitch->setting;
    if (setting.value) {
        setting.value = false;
        gf_saveBoolParameter(setting);
        gf_log(fmt::format(fmt::runtime(categorySwitch->reason), setting.name));
    }
    gf_setCheckBox(setting);
    EnableWindow(setting.hwnd, FALSE);
}

// A restart keeps the tables: the categories without liveries stay switched off.
void lf_keepCategoriesSwitchedOff()
{
    for (Category category : {Category::Light, Category::HighPerf, Category::Rotorcraft}) {
        const CategoryTitles found = lf_categoryTitles(category);
        if (found.pax == 0 && found.cargo == 0) {
            lf_switchOffCategory(category);
        }
    }
}

void lf_buildTables()
{
    lf_buildLiveryTable();
    lf_buildAirlineModelTables();
    lf_processInlineRegcodes();
    lf_processOfflineRegcodes();
    gf_log(fmt::format("{} registration codes", g_regcodeMap.size()));
    lf_buildModelTables();
    gf_log(fmt::format("{} airlines, {} pax aircraft models and {} cargo aircraft models", g_liveryTable.size(),
                       g_modelTitles[kPax].size(), g_modelTitles[kCargo].size()));
    gf_buildSimilarModels();
    for (std::uint32_t category = 0; category < kCategoryCount; ++category) {
        lf_logCategory(static_cast<Category>(category));
    }
    lf_logGenericLiveries();
}

} // namespace

void gf_processScannedLiveries()
{
    if (g_liveriesProcessed) {
        gf_log("Processing scanned liveries skipped; already done in previous start-up");
        lf_keepCategoriesSwitchedOff();
    } else {
        lf_readLiveriesScannedXml();
        g_scannedLiveryCount = static_cast<std::uint32_t>(g_scannedLiveries.size());
        gf_repaintPanelHeader();
        // The tables hold views into each other: they are rebuilt together from empty. The
        // titles the simulator refused go with the tables they came from: new tables (a new
        // scan, another simulator's packages) give every title its chance again.
        gf_clearLiveryTables();
        g_failedLiveries.clear();
        lf_buildTables();
        g_liveriesProcessed = true;
        gf_repaintPanelHeader();
    }
    g_scannedLiveries.clear();
    g_scannedLiveries.shrink_to_fit();
}

void gf_dropLiveryTablesIfAsked()
{
    if (g_liveryRebuildRequested.exchange(false)) {
        gf_clearLiveryTables();
        g_liveriesProcessed = false;
    }
}

void lf_logCategory(Category category)
{
    const CategoryTitles found = lf_categoryTitles(category);
    const std::string& name = gf_categoryName(category);
    if (found.pax == 0 && found.cargo == 0) {
        gf_log(fmt::format("Category {}: No livery found", name));
        lf_switchOffCategory(category);
        return;
    }
    const std::string cargoPart =
        found.cargo > 0 ? fmt::format(" and {} cargo liverie{}", found.cargo, gf_plural(found.cargo)) : std::string();
    gf_log(fmt::format("Category {}: {} pax liverie{}{}", name, found.pax, gf_plural(found.pax), cargoPart));
    lf_collectCategoryModels(category == Category::Light, category == Category::Buzjet,
                             category == Category::Rotorcraft, found.models);
}

void lf_collectCategoryModels(bool light, bool buzjet, bool rotorcraft, const std::vector<std::string>& models)
{
    std::vector<std::string>* list = light ? &g_lightModels : buzjet ? &g_buzjetModels
                                                  : rotorcraft ? &g_rotorcraftModels : nullptr;
    for (std::size_t first = 0; first < models.size(); first += kModelsPerLine) {
        std::string line = "  ";
        const std::size_t last = std::min(models.size(), first + kModelsPerLine);
        for (std::size_t i = first; i < last; ++i) {
            line += models[i];
            if (i + 1 < last) {
                line += ",";
            }
        }
        gf_log(line);
    }
    if (list != nullptr) {
        list->insert(list->end(), models.begin(), models.end());
    }
}

void lf_logGenericLiveries()
{
    std::vector<std::string> models;
    if (const auto generic = g_liveryTable.find(std::string_view("ZZZ")); generic != g_liveryTable.end()) {
        for (const auto& entry : generic->second) {
            models.push_back(entry.first);
        }
    }
    if (models.empty()) {
        gf_log("No generic liveries");
        return;
    }
    std::sort(models.begin(), models.end());
    models.erase(std::unique(models.begin(), models.end()), models.end());
    gf_log(fmt::format("{} model{} have a generic livery", models.size(), gf_plural(models.size())));
    lf_collectCategoryModels(false, false, false, models);
}
