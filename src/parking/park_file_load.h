// Loading the park airport: the reference park file, the learned file merged over it, and the
// header values of the loaded file.
#pragma once

#include "parking/stand.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

// Header values of the park airport's loaded park file (main loop thread).
struct ParkFileHeader {
    std::string airportName;
    std::string publisher;
    std::int32_t altitude = -1; // feet
    double altitudeFt = -1.0;
    // The simulator the file was loaded for (1: 2020, 2: 2024); its learned file is saved for it
    // even when a switch to the other one closes the airport.
    int sim = 0;
};
extern ParkFileHeader g_parkFileHeader;

// Loads the park airport's stands into g_stands from the reference (downloading archived
// files), merges its learned file and fills the header. The status text, empty when fine.
// vtx::UserErrorException (65, 93, 94) passes to the caller.
std::string gf_readApf(const std::string& reference, ParkFileHeader& header);

// The park airport's learned file could not be read whole (unloadable, refused, or a fault
// part way): leaving the airport keeps that file as it is instead of saving over it.
extern bool g_keepLearnedFile;

// Merges a learned file over the stands of the reference file; a handmade learned file
// replaces them. Faults are logged, never thrown; false when the file was not read whole.
bool lf_readLearned(const std::filesystem::path& path, const ParkFileHeader& header, std::vector<Stand>& stands,
                    bool& handmade);
