// Folder housekeeping: cleaning, emptiness, and the ".XML" files of the data folders.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

// Whether the path exists; a status query that fails for another reason than a missing
// entry throws std::filesystem::filesystem_error named "exists".
bool gf_pathExists(const std::filesystem::path& path);
// Removes every regular file of the folder (subfolders stay); failures are logged, never thrown.
void gf_removeFilesFromDirectory(const std::filesystem::path& folder);
// The same for the ".XML" files (any letter case) of the "tblo" folder.
void gf_removeXMLFilesFromDirectory();
// The folder exists and holds at least one entry.
bool gf_dirHasEntries(const std::filesystem::path& folder);
// Stems of the ".XML" files of "airports/my_thirdparty"; empty when the folder is missing.
std::vector<std::string> gf_listMyThirdpartyFiles();
// The first regular file met in a walk of the folder and its subfolders whose
// extension equals the given one, letter case ignored.
std::optional<std::filesystem::path> gf_findFirstFileWithExtension(const std::filesystem::path& folder,
                                                                   std::string_view extension);
