// The simulator's packages folder: the folder that holds "Community" and the official
// packages, as stored in the settings of the selected simulator.
#pragma once

#include <filesystem>

// The stored packages folder of the selected simulator joined with the sub-path; empty while
// no packages folder is stored.
std::filesystem::path gf_msfsPath(const std::filesystem::path& subPath);
