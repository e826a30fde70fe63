// Detection of the simulator's packages folder from the Steam folder or "UserCfg.opt".
#include "refdata/packages_folder.h"

#include "core/charset.h"
#include "core/folders.h"
#include "core/known_folders.h"
#include "core/log.h"
#include "core/parameters_xml.h"
#include "core/path_text.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/text_search.h"
#include "ui/control_text.h"

#include <fmt/format.h>

#include <system_error>
#include <vector>

namespace fs = std::filesystem;

namespace {

constexpr const char* kUserCfgOpt = "UserCfg.opt";

const char* lf_officialFolderName()
{
    return g_msfs2020 ? "Official" : "Official2024";
}

bool lf_isFolder(const fs::path& path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (ec && ec != std::errc::no_such_file_or_directory && ec != std::errc::not_a_directory) {
        throw fs::filesystem_error("status", path, ec);
    }
    return fs::is_directory(status);
}

// The value between the first pair of double quotes, else the whole line.
std::string lf_quotedValue(const std::string& line)
{
    const size_t open = line.find('"');
    const size_t close = open == std::string::npos ? std::string::npos : line.find('"', open + 1);
    if (close == std::string::npos) {
        return line;
    }
    return line.substr(open + 1, close - open - 1);
}

} // namespace

std::string lf_msfsPackageFamily()
{
    return g_msfs2020 ? "Microsoft.FlightSimulator_8wekyb3d8bbwe" : "Microsoft.Limitless_8wekyb3d8bbwe";
}

std::string lf_msfsFolderName()
{
    return g_msfs2020 ? "Microsoft Flight Simulator" : "Microsoft Flight Simulator 2024";
}

fs::path lf_findUserCfgOpt()
{
    const fs::path local = gf_localAppDataPath();
    const fs::path places[] = {
        local / "Packages" / lf_msfsPackageFamily() / "LocalCache" / kUserCfgOpt,
        gf_appDataPath() / lf_msfsFolderName() / kUserCfgOpt,
        local / "Packages" / "Microsoft.FlightDashboard_8wekyb3d8bbwe" / "LocalCache" / kUserCfgOpt,
        local / "MSFSPackages" / kUserCfgOpt,
    };
    for (const fs::path& place : places) {
        if (gf_pathExists(place)) {
            return place;
        }
        gf_log(fmt::format("MSFS detection, not found: {}", path_to_utf8(place)));
    }
    return {};
}

fs::path lf_steamPackagesPath()
{
    const fs::path packages = gf_appDataPath() / lf_msfsFolderName() / "Packages";
    if (!gf_pathExists(packages)) {
        return {};
    }
    gf_log(fmt::format("Steam packages: {}", path_to_utf8(packages)));
    return packages;
}

fs::path lf_packagesPathFromUserCfg()
{
    const fs::path userCfg = lf_findUserCfgOpt();
    if (userCfg.empty()) {
        gf_log("No UserCfg.opt found?");
        return {};
    }
    std::vector<std::string> lines;
    gf_readTextFileLines(gf_detectCharset(userCfg), userCfg, lines);
    for (const std::string& line : lines) {
        if (gf_contains(line, "InstalledPackagesPath")) {
            const std::string value = lf_quotedValue(line);
            gf_log(fmt::format("UserCfg.opt: InstalledPackagesPath={}", value));
            const fs::path folder = gf_utf8ToPath(value);
            return gf_pathExists(folder) ? folder : fs::path();
        }
    }
    gf_log("UserCfg.opt: InstalledPackagesPath=???");
    return {};
}

bool lf_isPackagesPath(const fs::path& path)
{
    return !path.empty() && lf_isFolder(path) && lf_isFolder(path / "Community") &&
           lf_isFolder(path / lf_officialFolderName());
}

bool gf_detectMsfsPackagesPath()
{
    fs::path packages = lf_steamPackagesPath();
    if (!lf_isPackagesPath(packages)) {
        packages = lf_packagesPathFromUserCfg();
        if (!lf_isPackagesPath(packages)) {
            return false;
        }
    }
    const std::string text = path_to_utf8(packages);
    gf_setStringParameter(gf_installPathSetting(), text);
    ALL_INSTALL_PATH.value = text;
    gf_setControlText(ALL_INSTALL_PATH);
    return true;
}

StringParameter& gf_installPathSetting()
{
    return g_msfs2020.load() ? MSFS_INSTALL_PATH : MSFS_2024_INSTALL_PATH;
}

fs::path gf_msfsPath(const fs::path& subPath)
{
    const std::string& stored = gf_installPathSetting().value;
    if (stored.empty()) {
        return {};
    }
    return gf_utf8ToPath(stored) / subPath;
}
