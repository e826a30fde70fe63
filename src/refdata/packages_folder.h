// The simulator's packages folder (the folder holding "Community" and the official packages),
// found where Steam and Microsoft Store installations record it.
#pragma once

#include "core/parameter.h"

#include <filesystem>
#include <string>

// Steam's packages folder first, then the "InstalledPackagesPath" of "UserCfg.opt"; a valid
// folder is stored in the selected simulator's setting and in ALL_INSTALL_PATH. False when none.
bool gf_detectMsfsPackagesPath();

// The install-path setting of the selected simulator: MSFS_INSTALL_PATH or MSFS_2024_INSTALL_PATH.
StringParameter& gf_installPathSetting();

std::string lf_msfsPackageFamily();
std::string lf_msfsFolderName();
// The first "UserCfg.opt" of the four places where installations keep it; empty for none.
std::filesystem::path lf_findUserCfgOpt();
std::filesystem::path lf_steamPackagesPath();
std::filesystem::path lf_packagesPathFromUserCfg();
// A folder that holds "Community" and the selected simulator's official folder.
bool lf_isPackagesPath(const std::filesystem::path& path);

// The stored packages folder of the selected simulator joined with the sub-path; empty while
// no packages folder is stored.
std::filesystem::path gf_msfsPath(const std::filesystem::path& subPath);
