// The start-up check of "versions.json": newer data files are downloaded, newer scan versions
// switch their scan on, a newer program is prepared as an installer in "new_version".
#pragma once

#include "core/version_data.h"

#include <filesystem>
#include <string>

// The whole check; false only when a new program version was prepared and the run must end.
bool gf_checkForUpdates();

// Downloads, unzips and places the installer of the web version in "new_version".
bool lf_downloadInstaller(const VersionData& web);
// Updates "airports/my_simaddon" from "my_simaddon2024.zip"; true when it was unpacked.
bool lf_downloadMySimAddon(const VersionData& web);
// "airports/my_simaddon" is missing, not a folder, or empty.
bool lf_mySimAddonMissing();
// Whether the installer needs administrator rights for the program folder.
std::string gf_installerRightsMessage(const std::filesystem::path& programFolder);

void lf_logUpdated(const std::string& key, const VersionData& version);
void lf_logUpToDate(const std::string& key);
void lf_logVersionNotFound(const std::string& key);
