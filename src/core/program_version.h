// The program's own version.
#pragma once

inline constexpr int kProgramVersionMajor = 11;
inline constexpr int kProgramVersionMinor = 10;
inline constexpr int kProgramVersionPatch = 8;
inline constexpr const char* kProductName = "Skyweaver";
