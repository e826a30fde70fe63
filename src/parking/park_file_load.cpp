// Loading the park airport's park file: reference, header, stands, learned file, and the
// settings and panel values that follow from them.
#include "parking/park_file_load.h"
#include "core/run_state.h"

#include "core/airport_settings.h"
#include "core/log.h"
#include "core/parameters_document.h"
#include "core/run_state.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/user_error.h"
#include "core/xml_file.h"
#include "core/xml_meta.h"
#include "engine/stand_lookup.h"
#include "parking/airport_settings_snapshot.h"
#include "parking/apf.h"
#include "parking/apf_sources.h"
#include "parking/park_airport.h"
#include "parking/static_parking.h"
#include "refdata/airport_db.h"
#include "ui/control_text.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"
#include "ui/window_controls.h"

#include <fmt/format.h>

#include <exception>
#include <mutex>

ParkFileHeader g_parkFileHeader;
bool g_keepLearnedFile = false;

namespace {

constexpr const char* kFunction = "gf_readApf";

// The local file of the reference; archived references have been fetched off the main loop.
std::string lf_localFile(const std::string& reference, std::filesystem::path& local)
{
    if (reference.rfind(kAirportsPrefix, 0) == 0) {
        local = gf_referencePath(reference);
        return {};
    }
    local = gf_fetchedApfPath();
    return gf_takeFetchedApf(reference);
}

void lf_readHeader(const pugi::xml_document& document, ParkFileHeader& header)
{
    g_rtTrafficWeek = gf_findIntParameter(document, "RT_traffic_week").value_or(0);
    header.publisher = gf_findStringParameter(document, "publisher").value_or("");
    const auto altitude = gf_findIntParameter(document, "altitude");
    if (!altitude) {
        throw vtx::UserErrorException(65, std::string("Parameter ") + "altitude" + " not found");
    }
    header.altitude = *altitude;
    header.altitudeFt = static_cast<double>(*altitude);
    header.airportName = gf_findStringParameter(document, "airport_name").value_or("");
}

void lf_readQualityFactors(const pugi::xml_document& document)
{
    const auto real = gf_findIntParameter(document, "Qf_real");
    const auto soft = gf_findIntParameter(document, "Qf_soft");
    if (real && soft) {
        g_Qf_real = *real;
        g_Qf_soft = *soft;
    }
}

void lf_setCheckBox(BoolGuiParameter& setting, bool value)
{
    setting.value = value;
    gf_setCheckBox(setting);
}

// Without a learned file: few observed uses but soft ones give the soft week mode and the
// longest fit; many observed uses switch it off.
void lf_modeFromQualityFactors()
{
    if (g_Qf_real <= 2 && g_Qf_soft > 0) {
        lf_setCheckBox(PARK_SOFT, true);
        lf_setCheckBox(WEEK, true);
        // The fit reads the half-hour index; the hours follow it into the list and the log.
        MAX_FIT.value = MAX_FIT.maxValue;
        gf_applyMaxFit();
    } else if (g_Qf_real > 45) {
        lf_setCheckBox(PARK_SOFT, false);
        lf_setCheckBox(WEEK, false);
    }
}

// Without a learned file: airports with one or two stands in the database fill them all or half.
void lf_parkingPercentageFromDatabase()
{
    const Airport* airport = gf_findAirport(g_parkAirport);
    const std::int32_t stands = airport != nullptr ? airport->stands : 0;
    parking_percentage.value = stands == 1 ? 100 : stands == 2 ? 50 : 30;
    gf_log(fmt::format("{:24}: {}%", parking_percentage.name, parking_percentage.value));
    gf_selectListValue(parking_percentage);
    gf_enableControl(parking_percentage);
}

// Merges the learned file of the reference when there is one; gives its path.
std::filesystem::path lf_readLearnedFor(const std::string& reference, ParkFileHeader& header)
{
    const std::filesystem::path learned = lf_resolveArchivePath(reference, header.publisher);
    std::error_code ec;
    if (!learned.empty() && std::filesystem::is_regular_file(learned, ec)) {
        g_keepLearnedFile = !lf_readLearned(learned, header, g_stands, g_apfHandmade);
        std::tie(g_Qf_real, g_Qf_soft) = gf_computeQualityFactors();
        if (g_apfHandmade) {
            gf_log("A handmade airport file overruled the archived file!");
        }
        return learned;
    }
    gf_log("learned does not exist");
    lf_modeFromQualityFactors();
    lf_parkingPercentageFromDatabase();
    return {};
}

void lf_showLoaded(const std::string& source, const ParkFileHeader& header)
{
    gf_log(fmt::format("Airport file read from '{}' for {}", source, header.airportName));
    MainWindow& panel = g_mainWindowState;
    panel.handmade = g_apfHandmade;
    {
        const std::lock_guard lock(panel.parkTextMutex);
        panel.parking.name2 = header.publisher;
        panel.parking.stands = static_cast<std::int32_t>(g_stands.size());
        panel.parking.qualityText = gf_qualityText(g_Qf_real, g_Qf_soft);
        panel.parking.weekNumber = g_rtTrafficWeek;
    }
    gf_log(fmt::format("{:24}: {}", "publisher", header.publisher));
    gf_log(fmt::format("{:24}: {} ft", "altitude", header.altitude));
    gf_log(fmt::format("{:24}: {}", "number of stands", g_stands.size()));
    gf_log(gf_qualityText(g_Qf_real, g_Qf_soft));
    gf_log(fmt::format("{:24}: {}", "RT traffic week", g_rtTrafficWeek));
    gf_enableControl(BUTTON_FLUSH_STATIC);
    const HWND window = g_mainWindow.load();
    if (window != nullptr) {
        const RECT band{0, 392, 880, 448};
        InvalidateRect(window, &band, TRUE);
    }
}

std::string lf_readApf(const std::string& reference, ParkFileHeader& header)
{
    g_apfHandmade = false;
    g_keepLearnedFile = false;
    header.sim = gf_simNumber();
    std::filesystem::path local;
    if (std::string status = lf_localFile(reference, local); !status.empty()) {
        return status;
    }
    pugi::xml_document document;
    if (!gf_loadXmlFile(document, local, pugi::parse_default)) {
        return fmt::format("{}: could not load file: {}", reference, path_to_utf8(local));
    }
    if (!gf_readXmlMeta(document, true)) {
        return fmt::format("{}: refused to load", reference);
    }
    lf_readHeader(document, header);
    lf_readParkpositions(document);
    lf_readQualityFactors(document);
    gf_takeAirportSettingsSnapshot();
    const std::filesystem::path learned = lf_readLearnedFor(reference, header);
    gf_numberStandsAndFindNeighbours(g_stands);
    lf_showLoaded(g_apfHandmade ? path_to_utf8(learned) : reference, header);
    if (g_stands.empty()) {
        return "no stands found";
    }
    // Only a read that ended well lets leaving the airport save its learned file.
    gf_setParkFileLoaded(true);
    return "";
}

} // namespace

std::string gf_readApf(const std::string& reference, ParkFileHeader& header)
{
    if (reference.empty()) {
        return fmt::format("{}: xml is empty", kFunction);
    }
    if (g_parkAirport.empty()) {
        return fmt::format("{}: no park airport set", kFunction);
    }
    // Whatever the read did to the stands, answers looked up before it no longer hold.
    struct ForgetLookups {
        ~ForgetLookups() { gf_standsChanged(); }
    } forgetLookups;
    try {
        return lf_readApf(reference, header);
    } catch (const vtx::UserErrorException&) {
        throw;
    } catch (const std::exception& e) {
        return fmt::format("{}: {}", kFunction, e.what());
    }
}

namespace {

const RunStateRegistration lf_runState{
    {"g_parkFileHeader", RunStateArea::Engine, [] { g_parkFileHeader = {}; },
     [] {
         const ParkFileHeader& h = g_parkFileHeader;
         return fmt::format("'{}' '{}' {} {} {}", h.airportName, h.publisher, h.altitude, h.altitudeFt, h.sim);
     }},
    RUN_STATE(RunStateArea::Engine, g_keepLearnedFile),
};

} // namespace
