// The user aircraft's title and ATC model: the type they name, its half wing
// span for the proximity rules, and the panel's title text.
#include "core/log.h"
#include "core/run_state.h"
#include "core/user_error.h"
#include "engine/aircraft_names.h"
#include "refdata/aircraft_db.h"
#include "simlink/sim_dispatch.h"
#include "simlink/user_aircraft.h"
#include "ui/panel_repaint.h"
#include "ui/sim_panel_state.h"
#include "ui/status_line.h"

#include <array>
#include <fmt/format.h>
#include <mutex>

namespace {

constexpr std::size_t kTitleCharacters = 48;
constexpr double kMetersPerNm = 1852.0;

// The last title received (SimClient thread; cleared by the restart reset).
std::string lf_lastUserTitle;

// The first characters of a UTF-8 text, never cut inside a character.
std::string lf_firstCharacters(const std::string& text, std::size_t count)
{
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const bool continuation = (static_cast<unsigned char>(text[i]) & 0xC0) == 0x80;
        if (!continuation && characters++ == count) {
            return text.substr(0, i);
        }
    }
    return text;
}

double lf_spanOrLargest(std::string_view type)
{
    const double span = gf_wingspan(type);
    return span != 0.0 ? span : g_largestHalfWingspan;
}

// The 4-, 3- or 2-character type just before ".0.text" that has its own span.
std::string lf_typeBeforeTextSuffix(const std::string& model, std::size_t suffix)
{
    for (std::size_t length : {4u, 3u, 2u}) {
        if (suffix < length) {
            continue;
        }
        const std::string candidate = model.substr(suffix - length, length);
        const auto span = g_halfWingspans.find(candidate);
        if (span != g_halfWingspans.end() && span->second != 0.0) {
            return candidate;
        }
    }
    return model;
}

std::string lf_typeOf737(const std::string& model)
{
    static constexpr std::array<std::pair<const char*, const char*>, 4> variants = {{
        {"DG 737-800", "B738"}, {"DG 737-700", "B737"}, {"DG 737-600", "B736"}, {"DG 737-900", "B739"}}};
    if (lf_lastUserTitle.size() >= 10) {
        for (const auto& [marker, type] : variants) {
            if (lf_lastUserTitle.find(marker) != std::string::npos) {
                return type;
            }
        }
    }
    return model;
}

// The ICAO type an ATC model names, by the first rule that matches.
std::string lf_typeOfModel(const std::string& model)
{
    static constexpr std::array<std::pair<const char*, const char*>, 4> named = {
        {{"A350-900", "A359"}, {"N738B", "B38M"}, {"777", "772"}, {"A330-200 (RR)", "A332"}}};
    for (const auto& [name, type] : named) {
        if (model == name) {
            return type;
        }
    }
    if (const auto suffix = model.find(".0.text"); model.size() > 6 && suffix != std::string::npos) {
        return lf_typeBeforeTextSuffix(model, suffix);
    }
    if (model.starts_with("$$:") && model.size() > 4) {
        return model.substr(3);
    }
    if (model == "737") {
        return lf_typeOf737(model);
    }
    return model;
}

void lf_setUserTypeKnown(bool known)
{
    g_panelUserTypeKnown.store(known);
    gf_repaintPanelHeader();
}

// The Aerosoft A319/A320/A321 titles name their type when the model does not.
std::string lf_typeFromTitle()
{
    if (lf_lastUserTitle.size() < 13) {
        return {};
    }
    for (const char* type : {"A319", "A320", "A321"}) {
        if (lf_lastUserTitle.starts_with(fmt::format("Aerosoft {}", type))) {
            return type;
        }
    }
    return {};
}

void lf_noModel()
{
    gf_setPanelUserTitle("Unknown (encrypted?) aircraft");
    gf_repaintPanelHeader();
    gf_showMessage("171: No model info from your user aircraft received in SimConnect, CRJ7 is taken instead", true);
    g_userHalfSpan.store(lf_spanOrLargest("CRJ7"));
}

// The type's span and the log line about it.
std::string lf_takeType(const std::string& type)
{
    std::string line = "SimConnect: User aircraft model: " + type;
    if (type.find("camerapod") != std::string::npos || type.find("Crew Vessel") != std::string::npos) {
        lf_setUserTypeKnown(true);
        g_userHalfSpan.store(gf_wingspan("E190"));
        return line;
    }
    // A type without any span takes the largest, which keeps the proximity rules cautious.
    const double span = type.size() < 5 ? lf_spanOrLargest(type) : g_largestHalfWingspan;
    g_userHalfSpan.store(span);
    if (span != g_largestHalfWingspan) {
        lf_setUserTypeKnown(true);
        return line + fmt::format(", half wing span: {:.1F} meter", span * kMetersPerNm) +
               fmt::format(", category: {}", gf_categoryName(gf_aircraftSizeClass(type)));
    }
    if (const std::string deduced = lf_typeFromTitle(); !deduced.empty()) {
        g_userHalfSpan.store(lf_spanOrLargest(deduced));
        return "SimConnect: User aircraft model deduced from title: " + deduced;
    }
    lf_setUserTypeKnown(false);
    gf_showMessage("User aircraft wing span unknown, max is taken instead, please report in my Forum!", true);
    return line;
}

} // namespace

void lf_onUserAcTitle(const std::string& received)
{
    const std::string title = lf_firstCharacters(received, kTitleCharacters);
    if (title.empty()) {
        gf_log("! Title of your aircraft is empty?");
        return;
    }
    if (title == lf_lastUserTitle) {
        return;
    }
    gf_setPanelUserTitle(title);
    gf_repaintPanelHeader();
    lf_lastUserTitle = title;
    gf_logIndented("SimConnect: User aircraft title: " + title);
}

void lf_onUserAcModel(const std::string& model)
{
    try {
        if (model.empty()) {
            lf_noModel();
            return;
        }
        gf_logIndented(fmt::format("model raw: {}", model));
        gf_logIndented(lf_takeType(lf_typeOfModel(model)));
    } catch (const vtx::UserErrorException&) {
        throw;
    } catch (...) {
        throw vtx::UserErrorException(73, "It looks like you have not selected an aircraft as user vehicle");
    }
}

namespace {

const RunStateRegistration lf_runState{
    RUN_STATE(RunStateArea::Simulator, lf_lastUserTitle),
};

} // namespace
