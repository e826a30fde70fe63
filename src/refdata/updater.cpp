// The start-up comparison of the installed versions with "versions.json" from the download host.
#include "refdata/updater.h"

#include "app/exit_reason.h"
#include "core/folders.h"
#include "core/known_folders.h"
#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/text_lines.h"
#include "platform/win32.h"
#include "refdata/download.h"
#include "refdata/download_checks.h"
#include "ui/control_text.h"
#include "ui/main_window_handle.h"
#include "ui/status_line.h"

#include <fmt/format.h>
#include <nlohmann/json.hpp>

#include <fstream>
#include <optional>

namespace fs = std::filesystem;

namespace {

constexpr const char* kVersionsJson = "versions.json";

std::optional<nlohmann::json> lf_readVersionsJson()
{
    const CurlHandle curl(curl_easy_init());
    if (!gf_download(curl, gf_downloadHost() + "/downloads/" + kVersionsJson, kVersionsJson, false,
                     DownloadRules{true, &gf_checkJsonFile, nullptr})) {
        gf_logMarked("Downloading version info from my web site failed!");
        return std::nullopt;
    }
    return lf_readVersionsFile(kVersionsJson);
}

// The new program version is prepared: release notes, the rights note, File Explorer, the stop.
void lf_offerNewVersion()
{
    const fs::path notes = folders::newVersion() / "ReleaseNotes.pdf";
    const CurlHandle curl(curl_easy_init());
    if (!gf_download(curl, gf_downloadHost() + "/downloads/docs/ReleaseNotes.pdf", notes, true)) {
        gf_logMarked(fmt::format("could not download {} to {}", "ReleaseNotes.pdf", "new_version"));
    }
    const std::string rights = gf_installerRightsMessage(fs::current_path());
    gf_log(rights);
    gf_flushLog();
    gf_writeTextFile(folders::newVersion() / "README.txt", rights, true);
    if (!gf_openParentFolder(folders::newVersion() / "install_new_version.exe")) {
        MessageBoxW(nullptr, L"Could not open File Explorer at new version", L"SKWV", 0x30);
        gf_showMessage("Opening file explorer at the new version failed? Try manually via the Tarnwick website.",
                       true);
    }
    gf_requestStop(ExitReason::NewVersion, 0);
}

// False when a new program version was prepared and the run ends.
bool lf_checkProgram(const VersionData& web)
{
    gf_log(fmt::format("{} program version at web = {}", "msfs", gf_versionString(web)));
    if (!(web > g_programVersion)) {
        lf_logUpToDate("msfs");
        return true;
    }
    if (!lf_downloadInstaller(web)) {
        gf_showMessage("The downloading/unzipping of the new version failed? Try manually via the Tarnwick website.",
                       true);
        return true;
    }
    lf_offerNewVersion();
    return false;
}

void lf_checkDataFile(const std::string& key, StringParameter& setting, const char* fileName, const VersionData& web)
{
    const fs::path target = folders::input() / fileName;
    if (VersionData(setting.value.load()) < web || !gf_pathExists(target)) {
        if (gf_downloadFile(fileName, target, &gf_checkDataFile)) {
            gf_setStringParameter(setting, gf_versionString(web));
            lf_logUpdated(key, web);
        }
        return;
    }
    lf_logUpToDate(key);
}

void lf_switchScanOn(const std::string& key, BoolGuiParameter& scan, StringParameter& version, const VersionData& web)
{
    scan.value = true;
    gf_saveBoolParameter(scan);
    gf_setCheckBox(scan);
    if (const HWND window = g_mainWindow.load()) {
        const RECT controls{0, 112, 880, 392};
        InvalidateRect(window, &controls, TRUE);
    }
    gf_setStringParameter(version, gf_versionString(web));
    lf_logUpdated(key, web);
}

void lf_checkScan(const std::string& key, BoolGuiParameter& scan, StringParameter& version, const VersionData& web,
                  bool outputMissing)
{
    if (VersionData(version.value.load()) < web || outputMissing) {
        lf_switchScanOn(key, scan, version, web);
    } else {
        lf_logUpToDate(key);
    }
}

} // namespace

std::optional<nlohmann::json> lf_readVersionsFile(const fs::path& file)
{
    std::ifstream in(file);
    if (!in) {
        gf_logMarked("Cannot open versions.json");
        return std::nullopt;
    }
    nlohmann::json versions = nlohmann::json::parse(in, nullptr, false);
    in.close();
    fs::remove(file);
    return versions;
}

std::optional<VersionData> lf_webVersion(const nlohmann::json& versions, const std::string& key)
{
    if (!versions.is_object() || !versions.contains(key)) {
        lf_logVersionNotFound(key);
        return std::nullopt;
    }
    return gf_versionFromJson(versions[key]);
}

void lf_logUpdated(const std::string& key, const VersionData& version)
{
    gf_log(fmt::format("{} updated to {}", key, gf_versionString(version)));
}

void lf_logUpToDate(const std::string& key)
{
    gf_log(fmt::format("{} version up-to-date", key));
}

void lf_logVersionNotFound(const std::string& key)
{
    gf_logMarked(fmt::format("{} version not found", key));
}

bool gf_checkForUpdates()
{
    const std::optional<nlohmann::json> versions = lf_readVersionsJson();
    if (!versions) {
        return true;
    }
    if (const auto web = lf_webVersion(*versions, "msfs"); web && !lf_checkProgram(*web)) {
        return false;
    }
    if (!g_msfs2020) {
        if (const auto web = lf_webVersion(*versions, "simaddon")) {
            lf_downloadMySimAddon(*web) ? lf_logUpdated("simaddon", *web) : lf_logUpToDate("simaddon");
        }
    }
    if (const auto web = lf_webVersion(*versions, "airports")) {
        lf_checkDataFile("airports", AIRPORTS_VERSION, "airports.enc", *web);
    }
    if (const auto web = lf_webVersion(*versions, "aig")) {
        lf_checkDataFile("aig", AIG_VERSION, "AIG-regcodes.enc", *web);
    }
    if (const auto web = lf_webVersion(*versions, "liveries")) {
        lf_checkScan("liveries", SCAN_LIVERIES, LIV_SCAN_VERSION, *web, !gf_pathExists(folders::liveriesScannedXml()));
    }
    if (const auto web = lf_webVersion(*versions, "addons")) {
        lf_checkScan("addons", SCAN_AIRPORTS, ADDONS_SCAN_VERSION, *web, false);
    }
    if (const auto web = lf_webVersion(*versions, "dbase")) {
        lf_checkDataFile("dbase", DBASE_VERSION, "dbase.enc", *web);
    }
    return true;
}
