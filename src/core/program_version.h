// The program's own version.
#pragma once

#include <string>

inline constexpr int kProgramVersionMajor = 11;
inline constexpr int kProgramVersionMinor = 10;
inline constexpr int kProgramVersionPatch = 8;
inline constexpr const char* kProductName = "Skyweaver";

// "11.10.8": the version as the meta headers of the program's files carry it.
inline std::string gf_programVersionText()
{
    return std::to_string(kProgramVersionMajor) + "." + std::to_string(kProgramVersionMinor) + "." +
           std::to_string(kProgramVersionPatch);
}
