// Merging a learned park file: its per-airport settings, changed stands, observed uses and
// manually created stands; or, when handmade, its own stand list.
#include "core/airport_settings.h"
#include "core/log.h"
#include "core/parameters_document.h"
#include "core/path_text.h"
#include "core/settings.h"
#include "core/text_strings.h"
#include "core/version_data.h"
#include "core/xml_file.h"
#include "core/xml_meta.h"
#include "parking/apf.h"
#include "parking/learned_kept_aside.h"
#include "parking/park_file_load.h"
#include "platform/win32.h"
#include "ui/control_text.h"
#include "ui/range_control.h"
#include "ui/status_line.h"

#include <fmt/format.h>

#include <algorithm>
#include <cmath>
#include <exception>

namespace {

void lf_logSetting(const Parameter& setting, std::string_view value)
{
    gf_log(fmt::format("{:24}: {}", setting.name, value));
}

// True when the file carries the setting.
bool lf_applyCheckBox(const pugi::xml_node& document, BoolGuiParameter& setting)
{
    const auto stored = gf_findBoolParameter(document, setting.name);
    if (stored) {
        setting.value = *stored;
        gf_setCheckBox(setting);
        lf_logSetting(setting, gf_parameterText(*stored));
    }
    return stored.has_value();
}

void lf_applyList(IntGuiParameter& setting, std::int32_t stored)
{
    setting.value = std::clamp(stored, setting.minValue, setting.maxValue);
    gf_selectListValue(setting);
    lf_logSetting(setting, fmt::format("{}", setting.value));
}

void lf_applyMaxFit(std::int32_t stored)
{
    MAX_FIT.value = std::clamp(stored, 0, 47);
    gf_applyMaxFit();
    gf_log(fmt::format("{:24}: {} (max number of half hours, is {:.1F} hrs decimal)", MAX_FIT.name, MAX_FIT.value,
                       MAX_FIT_FL.value.load()));
}

// The per-airport settings the learned file carries, in the order of the park file header.
void lf_applyLearnedSettings(const pugi::xml_node& document)
{
    if (const auto stored = gf_findIntParameter(document, "MAX_LIVE_SEL")) {
        lf_applyList(MAX_LIVE_SEL, *stored);
    }
    if (const auto stored = gf_findIntParameter(document, "RANGE")) {
        gf_setRangeNm(std::clamp(*stored, RANGE.minValue, RANGE.maxValue));
        EnableWindow(RANGE.hwnd, TRUE);
        lf_logSetting(RANGE, fmt::format("{}", RANGE.value));
    }
    if (lf_applyCheckBox(document, AUTO_RANGE)) {
        gf_applyRange();
    }
    lf_applyList(parking_percentage, gf_findIntParameter(document, "parking_percentage").value_or(30));
    lf_applyCheckBox(document, WEEK);
    lf_applyCheckBox(document, PARK_SOFT);
    if (const auto stored = gf_findIntParameter(document, "MAX_FIT")) {
        lf_applyMaxFit(*stored);
    }
    lf_applyCheckBox(document, INITIAL_LOAD_ONLY);
    EnableWindow(BUTTON_NOW.hwnd, INITIAL_LOAD_ONLY.value ? FALSE : TRUE);
}

Stand* lf_findStand(std::vector<Stand>& stands, const std::string& id)
{
    const auto found = std::find_if(stands.begin(), stands.end(), [&](const Stand& s) { return s.id == id; });
    return found == stands.end() ? nullptr : &*found;
}

void lf_readManualStand(const pugi::xml_node& parkpos, std::string id, std::vector<Stand>& stands,
                        const std::string& path)
{
    if (lf_findStand(stands, id) != nullptr) {
        // Kept whole: under another reference (or once this one drops the id) it is a stand again.
        gf_logMarked(fmt::format("manually created standid {} already exists in {}", id, path));
        gf_keepLearnedStand(parkpos, true);
        return;
    }
    const bool noPosition = std::abs(parkpos.attribute("latitude").as_double(0.0)) <= 0.0001 &&
                            std::abs(parkpos.attribute("longitude").as_double(0.0)) <= 0.0001;
    if (noPosition || parkpos.attribute("radius").as_double(0.0) == 0.0) {
        gf_logMarked(fmt::format("manually created standid {} misses correct attributes in {}", id, path));
        return;
    }
    const size_t before = stands.size();
    lf_readParkpos(parkpos, std::move(id), 0);
    if (stands.size() > before) {
        stands.back().manual = true;
    }
}

// A handmade file keeps the stands that were created by hand as such.
void lf_markManualStands(const pugi::xml_node& document, std::vector<Stand>& stands)
{
    for (const pugi::xml_node parkpos : document.child("root").child("parkpositions").children("parkpos")) {
        if (!parkpos.attribute("manual").as_bool(false)) {
            continue;
        }
        if (Stand* stand = lf_findStand(stands, gf_trim(parkpos.attribute("id").as_string()))) {
            stand->manual = true;
        }
    }
}

void lf_mergeLearnedStands(const pugi::xml_node& document, std::vector<Stand>& stands, bool ignoreOptions,
                           const std::string& path)
{
    for (const pugi::xml_node parkpos : document.child("root").child("parkpositions").children("parkpos")) {
        std::string id = gf_trim(parkpos.attribute("id").as_string());
        if (parkpos.attribute("manual").as_bool(false)) {
            lf_readManualStand(parkpos, std::move(id), stands, path);
        } else if (Stand* stand = lf_findStand(stands, id)) {
            lf_readLearnedParkpos(parkpos, *stand, ignoreOptions);
        } else {
            gf_log(fmt::format("learned stand {} in {} not found?", id, path));
            gf_keepLearnedStand(parkpos, !ignoreOptions);
        }
    }
}

// False when the file could not be read whole.
bool lf_mergeLearnedFile(const std::filesystem::path& path, const ParkFileHeader& header, std::vector<Stand>& stands,
                         bool& handmade)
{
    const std::string pathText = path_to_utf8(path);
    pugi::xml_document document;
    if (const auto loaded = gf_loadXmlFile(document, path, pugi::parse_default); !loaded) {
        const std::string cause = gf_xmlLoadFailure(loaded, path);
        if (gf_save1GenerationOf(path)) {
            gf_log(fmt::format("{} found, but could not be loaded, saved as *.0.xml: {}", pathText, cause));
        } else {
            gf_log(fmt::format("{} found, but could not be loaded, nor saved as *.0.xml: {}", pathText, cause));
        }
        return false;
    }
    gf_log(fmt::format("Read from learned airport file: '{}'", pathText));
    const auto meta = gf_readXmlMeta(document, true);
    if (!meta) {
        return false;
    }
    const bool ignoreOptions = VersionData(meta->version) < VersionData(11, 10, 0);
    if (ignoreOptions) {
        gf_log("\nThis learned file was created with and older SKWV version than 11.10.0,\nAll flights will be "
               "cleared, except for a handmade file\n");
    }
    const std::string name = gf_findStringParameter(document, "airport_name").value_or("");
    if (name != header.airportName) {
        gf_showMessage(fmt::format("Warning: learned file airport name: '{}' differs from archived file airport "
                                   "name: '{}'",
                                   name, header.airportName),
                       true);
    }
    lf_applyLearnedSettings(document);
    handmade = gf_findBoolParameter(document, "handmade").value_or(false);
    if (handmade) {
        // A handmade file replaces the reference stands; one that fails part way leaves the
        // reference stands whole rather than some of its own.
        std::vector<Stand> reference = stands;
        try {
            stands.clear();
            lf_readParkpositions(document);
        } catch (...) {
            stands = std::move(reference);
            handmade = false;
            throw;
        }
        lf_markManualStands(document, stands);
        gf_log(fmt::format("{:24}: {}", "handmade", "true"));
        return true;
    }
    lf_mergeLearnedStands(document, stands, ignoreOptions, pathText);
    return true;
}

} // namespace

bool lf_readLearned(const std::filesystem::path& path, const ParkFileHeader& header, std::vector<Stand>& stands,
                    bool& handmade)
{
    try {
        return lf_mergeLearnedFile(path, header, stands, handmade);
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {}", "lf_readLearned", e.what()));
    }
    return false;
}
