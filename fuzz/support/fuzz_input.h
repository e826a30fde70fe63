// What every fuzz target shares: a private working folder in RAM (files for readers
// that take a path), the input as text, and the one-time set-up of the program.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

namespace fuzzsupport {

// The process's own folder under /dev/shm (the temporary folder when there is none); it is
// the working folder and the stand-in root from the first call on, and removed at exit.
const std::filesystem::path& ramFolder();

// The input as bytes.
inline std::string_view bytes(const std::uint8_t* data, std::size_t size)
{
    return {reinterpret_cast<const char*>(data), size};
}

// Writes the input as the file at the path relative to the RAM folder (folders created) and
// returns its full path.
std::filesystem::path writeInput(const std::filesystem::path& relative, std::string_view input);

// Empties the RAM folder, so each input starts from the same files.
void clearRamFolder();

// Once per process: RAM folder, sodium, the log closed (its writers stay silent).
void initProgram();

// Once per process, for the readers that look codes up: initProgram, then the aircraft and
// airport databases from the small reference fixtures.
void initProgramWithReferenceData();

} // namespace fuzzsupport
