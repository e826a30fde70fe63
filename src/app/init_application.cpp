// Initialisation of a run: settings and their controls, data folders, the update check,
// the reference data, the simulator's packages folder and RealTraffic on this PC.
#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/start_up_state.h"
#include "app/tick_state.h"

#include "core/known_folders.h"
#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/setting_lists.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/stop_flags.h"
#include "core/half_hours.h"
#include "core/user_error.h"
#include "platform/win32.h"
#include "refdata/aircraft_db.h"
#include "refdata/airport_db.h"
#include "refdata/packages_folder.h"
#include "refdata/updater.h"
#include "ui/busy_state.h"
#include "ui/control_actions.h"
#include "ui/control_requests.h"
#include "ui/control_text.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"
#include "ui/panel_repaint.h"
#include "ui/window_messages.h"
#include "ui/status_line.h"

#include <filesystem>
#include <fmt/format.h>
#include <stdexcept>
#include <string>

namespace {

namespace fs = std::filesystem;

constexpr std::string_view kCommunitySuffix = "\\Community";

void lf_selectIntEntry(const IntGuiParameter& setting)
{
    EnableWindow(setting.hwnd, TRUE);
    gf_fillIntCombo(setting);
}

// The hour list of MAX_FIT_FL, its entries as "{:.1f}", with the value selected.
void lf_fillMaxFitList()
{
    const HWND list = MAX_FIT_FL.hwnd;
    EnableWindow(list, TRUE);
    SendMessageW(list, CB_RESETCONTENT, 0, 0);
    const float value = MAX_FIT_FL.value;
    for (std::size_t i = 0; i < MAX_FIT_FL.optionValues.size(); ++i) {
        const std::wstring text = gf_formatFloatW(L"{:.1f}", MAX_FIT_FL.optionValues[i]);
        SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
        if (MAX_FIT_FL.optionValues[i] == value) {
            SendMessageW(list, CB_SETCURSEL, i, 0);
        }
    }
}

// The lists that depend on a check box are usable only in its state: the range list while
// the range is manual, the height list while it is automatic, the package order while the
// liveries are chosen automatically and no scan is pending.
void lf_enableDependentLists()
{
    EnableWindow(RANGE.hwnd, AUTO_RANGE.value ? FALSE : TRUE);
    EnableWindow(AR_ABOVE_HEIGHT.hwnd, AUTO_RANGE.value ? TRUE : FALSE);
    EnableWindow(AI_PACKAGE_SELECTOR.hwnd, LIG_AUTOMATIC.value && !SCAN_LIVERIES.value ? TRUE : FALSE);
}

// The install-path setting holds the packages folder, not its "Community" folder.
void lf_stripCommunityFolder()
{
    StringParameter& setting = gf_installPathSetting();
    const std::string path = setting.value;
    if (!path.ends_with(kCommunitySuffix)) {
        return;
    }
    std::string shortened = path;
    shortened.erase(shortened.find(kCommunitySuffix), kCommunitySuffix.size());
    gf_setStringParameter(setting, shortened);
}

void lf_createFolder(const fs::path& folder)
{
    if (!fs::is_directory(folder)) {
        fs::create_directories(folder);
    }
}

void lf_removeObsoleteFile(const fs::path& file)
{
    std::error_code ec;
    fs::remove(file, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        throw fs::filesystem_error("remove", file, ec);
    }
}

void lf_prepareDataFolders()
{
    for (const fs::path& folder :
         {folders::output(), folders::outputInfo(), folders::outputErrors(), folders::input(),
          folders::myRegcodes(), folders::airports(), folders::learned(), folders::learnedStock(),
          folders::learnedSimaddon(), folders::learnedThirdparty(), folders::airports() / folders::stock(),
          folders::airports() / folders::simaddon(), folders::airports() / folders::thirdparty(),
          folders::myThirdparty(), folders::mySimaddon()}) {
        lf_createFolder(folder);
    }
    lf_removeObsoleteFile(folders::input() / "AIG-regcodes0.xml");
    lf_removeObsoleteFile(folders::input() / "AIG-regcodes00.xml");
}

void lf_readReferenceData()
{
    if (!g_dataFilesRead.load()) {
        const bool read = gf_readDbase();
        g_dataFilesRead.store(true);
        if (!read) {
            throw std::runtime_error("reading data files failed!");
        }
    }
    if (!gf_readAirports()) {
        throw std::runtime_error("reading airports failed!");
    }
}

void lf_takeInstallPath()
{
    ALL_INSTALL_PATH.value = gf_installPathSetting().value.load();
    EnableWindow(ALL_INSTALL_PATH.hwnd, TRUE);
    gf_setControlText(ALL_INSTALL_PATH);
    if (ALL_INSTALL_PATH.value.empty() && !gf_detectMsfsPackagesPath()) {
        throw vtx::UserErrorException(
            150, "No install path detected. Type the full path to your Community folder above, then press Enter");
    }
}

void lf_detectRealTraffic()
{
    const fs::path jar = gf_appDataPath() / folders::insideSystems() / "RealTraffic.jar";
    std::error_code ec;
    const bool found = fs::exists(jar, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
        throw fs::filesystem_error("exists", jar, ec);
    }
    g_realTrafficOnThisPC.store(found);
    gf_showMessage(fmt::format("RealTraffic {}detected at this PC", found ? "" : "not "), true);
    gf_flushLog();
}

} // namespace

void lf_initControls()
{
    for (BoolGuiParameter* setting : boolGuiParameters) {
        EnableWindow(setting->hwnd, TRUE);
    }
    for (IntGuiParameter* setting : intGuiParameters) {
        lf_selectIntEntry(*setting);
    }
    lf_selectIntEntry(parking_percentage);
    for (StringGuiParameter* setting : stringGuiParameters) {
        EnableWindow(setting->hwnd, TRUE);
    }
    lf_fillMaxFitList();
    for (const ChoiceParameter* list : {&SIM_CHOICE, &AI_PACKAGE_SELECTOR}) {
        EnableWindow(list->hwnd, TRUE);
        gf_fillChoiceCombo(*list);
    }
    lf_enableDependentLists();
    // "tblo" opens the folder of the scan's zip, or says that it cannot.
    EnableWindow(BUTTON_TBLO.hwnd, TRUE);
}

bool lf_stopForProductionMode()
{
    g_exitCode.store(0);
    return gf_requestUserExit();
}

void lf_initApplication()
{
    gf_initParameters();
    gf_repaintPanelHeader();
    gf_flushLog();
    lf_initControls();
    lf_stripCommunityFolder();
    lf_prepareDataFolders();
    if (!g_isRestart.load() && !gf_checkForUpdates()) {
        return;
    }
    g_weekTime.exchange(gf_weekdayAndHalfHour());
    lf_readReferenceData();
    lf_takeInstallPath();
    gf_repaintControlArea();
    if (g_productionMode.load()) {
        lf_stopForProductionMode();
        return;
    }
    lf_detectRealTraffic();
}
