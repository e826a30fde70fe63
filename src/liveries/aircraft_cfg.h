// Turning the [fltsim.N] sections of one aircraft.cfg into scanned liveries. Every scan task
// runs one of the two searches; what a file or section cannot give goes to the report lists.
#pragma once

#include "liveries/livery_data.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

// An IVAO MTL file: its path holds "ivao_x-csl" or "IVAO_MTL".
bool lf_isIvaoPath(std::string_view pathText);

// The task bodies. Each returns the file's liveries (possibly none); a fault is logged and
// passes on to the caller.
std::vector<LiveryData> lf_searchLiveriesinFile(std::int32_t folderIndex, std::filesystem::path path);
std::vector<LiveryData> lf_searchLiveriesinIVAOFile(std::int32_t folderIndex, std::filesystem::path path);
