// The Windows known folders (app data, Program Files) and opening a folder in the shell.
#pragma once

#include "platform/win32.h"

#include <filesystem>
#include <optional>

std::optional<std::filesystem::path> gf_knownFolderPath(REFKNOWNFOLDERID folderId);
// Roaming app data; logs "Could not find the AppData path" and gives an empty path on failure.
std::filesystem::path gf_appDataPath();
// Local app data; logs "Could not find the Local AppData path" and gives an empty path on failure.
std::filesystem::path gf_localAppDataPath();
// Opens the folder that holds the path in File Explorer; false when the path
// does not exist, has no parent or the shell fails.
bool gf_openParentFolder(const std::filesystem::path& path);
