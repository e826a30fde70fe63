// "Log.txt": one plain-text log for every thread, with three older generations.
#pragma once

#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <string_view>

extern std::ofstream g_logFile;
extern std::mutex g_logMutex;

// Keeps up to three generations of "Log.txt", opens a new one and writes its header line.
// Throws std::runtime_error when the file cannot be opened.
void gf_openLogFile();

void gf_log(std::string_view text);
void gf_logMarked(std::string_view text);
void gf_logIndented(std::string_view text);
void gf_logUnlessQuitting(std::string_view text);
// Writes what was logged so far to the file, when it is open.
void gf_flushLog();

std::string gf_starBanner(int starsWidth, int textWidth, bool leadingNewline, bool trailingNewline,
                          std::string_view text = {});

// The file name of generation n: n characters '0' inserted before the last '.' of the path.
std::filesystem::path gf_generationName(const std::filesystem::path& path, int generation);
bool gf_save1GenerationOf(const std::filesystem::path& path);
bool gf_saveUpto3GenerationsOf(const std::filesystem::path& path);
void gf_copyGeneration(const std::filesystem::path& source, const std::filesystem::path& target, bool& ok);
