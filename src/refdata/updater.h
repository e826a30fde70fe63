// The start-up check of "versions.json": newer data files are downloaded, newer scan versions
// switch their scan on, a newer program is prepared as an installer in "new_version".
#pragma once

#include "core/version_data.h"

#include <nlohmann/json_fwd.hpp>

#include <filesystem>
#include <optional>
#include <string>

// The whole check; false only when a new program version was prepared and the run must end.
bool gf_checkForUpdates();

// The downloaded "versions.json", removed once read; a file that is not JSON reads as a
// discarded value. Nothing when it cannot be opened (logged).
std::optional<nlohmann::json> lf_readVersionsFile(const std::filesystem::path& file);
// The version under the key; nothing (logged) when it is not there.
std::optional<VersionData> lf_webVersion(const nlohmann::json& versions, const std::string& key);
// Downloads, unzips and places the installer of the web version in "new_version".
bool lf_downloadInstaller(const VersionData& web);
// Unzips the installer of the downloaded archive as "install_new_version.exe"; true when the
// file is the one of this archive (an earlier one stays when the unzip fails).
bool lf_unzipInstaller(const std::filesystem::path& archivePath);
// Unpacks the downloaded "my_simaddon2024.zip" into "airports/my_simaddon" and stores its
// version; false (logged) when the archive does not open, so the old files stay.
bool lf_unpackMySimAddon(const VersionData& web);
// Updates "airports/my_simaddon" from "my_simaddon2024.zip"; true when it was unpacked.
bool lf_downloadMySimAddon(const VersionData& web);
// "airports/my_simaddon" is missing, not a folder, or empty.
bool lf_mySimAddonMissing();
// Whether the installer needs administrator rights for the program folder.
std::string gf_installerRightsMessage(const std::filesystem::path& programFolder);

void lf_logUpdated(const std::string& key, const VersionData& version);
void lf_logUpToDate(const std::string& key);
void lf_logVersionNotFound(const std::string& key);
