// Enter in the edit boxes: the blocked callsign, the destination and the Community path.
#include "app/exit_reason.h"
#include "core/parameters_xml.h"
#include "core/path_text.h"
#include "core/program_version.h"
#include "core/settings.h"
#include "core/text_strings.h"
#include "engine/life_cycle.h"
#include "parking/park_airports.h"
#include "parking/park_load_backoff.h"
#include "refdata/airport_db.h"
#include "refdata/packages_folder.h"
#include "ui/command_handlers.h"
#include "ui/control_actions.h"
#include "ui/control_requests.h"
#include "ui/control_text.h"
#include "ui/status_line.h"

#include <filesystem>
#include <fmt/format.h>
#include <mutex>
#include <system_error>

namespace fs = std::filesystem;

namespace {

constexpr std::size_t kShortestCallsign = 4;
constexpr std::size_t kLongestCallsign = 8;
constexpr std::size_t kIcaoLength = 4;

bool lf_isBlockSelection(const std::string& callsign)
{
    const std::lock_guard lock(g_parametersMutex);
    return CALLSIGN_2_OBJECTID.value == callsign;
}

void lf_blockTypedCallsign(const std::string& typed)
{
    const std::string callsign = gf_upperCase(typed);
    if (callsign == BLOCK_CALLSIGN.value) {
        gf_showMessage(fmt::format("callsign '{}' was already set ...", callsign), true);
        return;
    }
    if (lf_isBlockSelection(callsign)) {
        gf_resetBlockCallsign();
    }
    lf_setBlockCallsign(callsign);
}

void lf_applyDestination(const std::string& code)
{
    if (!DESTINATION.value.empty()) {
        gf_setStringParameter(DESTINATION, code);
        g_destinationAirportSet.store(false);
        gf_showMessage("destination set to empty", true);
    }
    EnableWindow(BUTTON_REREAD.hwnd, TRUE);
}

void lf_checkDestination(const std::string& typed)
{
    if (typed.size() != kIcaoLength) {
        gf_showMessage(fmt::format("destination '{}' is not valid", typed), true);
        return;
    }
    const std::string code = gf_upperCase(typed);
    if (code == DESTINATION.value) {
        gf_showMessage(fmt::format("destination '{}' was already set ...", code), true);
        return;
    }
    const Airport* airport = gf_findAirport(code);
    if (airport == nullptr) {
        gf_showMessage(fmt::format("destination '{}' is unknown ...", code), true);
        return;
    }
    gf_setDestination(code, *airport);
}

void lf_communityPathFound()
{
    gf_showMessage(fmt::format("Community path found, {} will restart ...", kProductName), true);
    // The path mends the error that stopped the start-up, so it also ends the wait after it.
    gf_requestMendingRestart(ExitReason::NewSettings, 3);
}

// The typed path without its trailing separators.
std::string lf_trimSeparators(std::string path)
{
    while (!path.empty() && (path.back() == '\\' || path.back() == '/')) {
        path.pop_back();
    }
    return path;
}

// The last component of a path typed with either separator.
std::string lf_lastComponent(const std::string& path)
{
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool lf_isFolder(const fs::path& path)
{
    std::error_code error;
    return fs::is_directory(path, error);
}

// The packages folder of the typed path (the folder holding "Community"); empty with a
// message when there is none.
std::string lf_packagesFolderOf(const std::string& typed)
{
    const std::string trimmed = lf_trimSeparators(typed);
    const std::string last = lf_lastComponent(trimmed);
    if (gf_upperCase(last) == "COMMUNITY") {
        const std::string parent = trimmed.substr(0, trimmed.size() - last.size());
        if (parent.empty() || !lf_isFolder(gf_utf8ToPath(trimmed))) {
            gf_showMessage("This path does not contain a valid Community folder (unexpected).", true);
            return {};
        }
        return lf_trimSeparators(parent);
    }
    if (!lf_isFolder(gf_utf8ToPath(typed) / "Community")) {
        gf_showMessage("This path exists but is not a path to Community ...", true);
        return {};
    }
    return typed;
}

// The packages folder of a typed path that exists; empty with a message otherwise.
std::string lf_existingPackagesFolder(const std::string& typed)
{
    std::error_code error;
    const fs::file_status status = fs::status(gf_utf8ToPath(typed), error);
    if (error && error != std::errc::no_such_file_or_directory) {
        gf_showMessage(fmt::format("Cannot access install path '{}': {}", typed, error.message()), true);
        return {};
    }
    if (!fs::exists(status)) {
        gf_showMessage(fmt::format("This install path does not exist: {}", typed), true);
        return {};
    }
    return lf_packagesFolderOf(typed);
}

} // namespace

void lf_restartForNewSettings(int delaySeconds)
{
    gf_requestStop(ExitReason::NewSettings, delaySeconds);
}

void lf_onBlockCallsignEntered()
{
    gf_clearMessage();
    const std::string typed = lf_getTextFromId(BLOCK_CALLSIGN.controlId);
    if (typed.empty()) {
        if (!BLOCK_CALLSIGN.value.empty()) {
            lf_unblockCallsign();
        }
        return;
    }
    if (typed.size() >= kShortestCallsign && typed.size() <= kLongestCallsign) {
        lf_blockTypedCallsign(typed);
    } else {
        gf_showMessage(fmt::format("callsign '{}' is not valid", typed), true);
    }
    gf_setControlText(BLOCK_CALLSIGN);
}

void lf_unblockCallsign()
{
    if (BLOCK_CALLSIGN.value.empty()) {
        return;
    }
    const std::string old = BLOCK_CALLSIGN.value;
    gf_setStringParameter(BLOCK_CALLSIGN, "");
    gf_setControlText(BLOCK_CALLSIGN);
    EnableWindow(BUTTON_UNBLOCK.hwnd, FALSE);
    gf_showMessage(fmt::format("no more blocking of live aircraft '{}'", old), true);
    g_blockCallsignRequested.store(true);
}

void lf_setBlockCallsign(const std::string& callsign)
{
    gf_setStringParameter(BLOCK_CALLSIGN, callsign);
    gf_setControlText(BLOCK_CALLSIGN);
    EnableWindow(BUTTON_UNBLOCK.hwnd, TRUE);
    g_blockCallsignRequested.store(true);
}

void lf_onDestinationEntered()
{
    gf_clearMessage();
    const std::string typed = lf_getTextFromId(DESTINATION.controlId);
    if (typed.empty()) {
        lf_applyDestination(typed);
    } else {
        lf_checkDestination(typed);
    }
    gf_setControlText(DESTINATION);
}

void gf_setDestination(std::string_view code, const Airport& airport)
{
    gf_setStringParameter(DESTINATION, code);
    gf_setControlText(DESTINATION);
    gf_showMessage(fmt::format("New destination: {}", code), true);
    gf_addParkAirport(std::string(code), airport);
    gf_clearParkLoadBackOff();
    g_destinationAirportSet.store(true);
    EnableWindow(BUTTON_REREAD.hwnd, FALSE);
}

void lf_onCommunityPathEntered()
{
    gf_clearStatusError();
    gf_clearMessage();
    const std::string typed = lf_getTextFromId(ALL_INSTALL_PATH.controlId);
    if (typed.empty()) {
        if (!ALL_INSTALL_PATH.value.empty()) {
            gf_setStringParameter(ALL_INSTALL_PATH, "");
        }
        return;
    }
    const std::string packages = lf_existingPackagesFolder(typed);
    if (!packages.empty()) {
        // Stored where the start-up reads it, as a detected packages folder is.
        gf_setStringParameter(gf_installPathSetting(), packages);
        gf_setStringParameter(ALL_INSTALL_PATH, packages);
    }
    gf_setControlText(ALL_INSTALL_PATH);
    if (!packages.empty()) {
        lf_communityPathFound();
    }
}
