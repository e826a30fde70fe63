// Log writers and the generation copies of files set aside before replacing them.
#include "core/log.h"

#include "core/clock.h"
#include "core/path_text.h"
#include "core/program_version.h"
#include "core/stop_flags.h"
#include "core/time_text.h"

#include <fmt/format.h>
#include <stdexcept>
#include <system_error>

std::ofstream g_logFile;
std::mutex g_logMutex;

namespace {

constexpr const char* kLogFileName = "Log.txt";

// Returns whether the path exists; a failing test is logged and counts as failure.
bool lf_exists(const std::filesystem::path& path, bool& ok)
{
    std::error_code ec;
    const bool found = std::filesystem::exists(path, ec);
    if (ec) {
        gf_logMarked(fmt::format("exists({}): {}", path_to_utf8(path), ec.message()));
        ok = false;
        return false;
    }
    return found;
}

} // namespace

void gf_openLogFile()
{
    const std::filesystem::path path(kLogFileName);
    gf_saveUpto3GenerationsOf(path);
    {
        std::lock_guard lock(g_logMutex);
        g_logFile.open(path, std::ios::out | std::ios::trunc | std::ios::binary);
        if (!g_logFile.is_open()) {
            g_logFile.setstate(std::ios::failbit);
            throw std::runtime_error("Failed to write file " + path_to_utf8(path));
        }
    }
    gf_log(fmt::format("{} (utc) {} version {}.{}.{} for {}", gf_timeText(clk::utcNowSeconds()), kProductName,
                       kProgramVersionMajor, kProgramVersionMinor, kProgramVersionPatch, "MSFS 2020/2024"));
}

void gf_log(std::string_view text)
{
    std::lock_guard lock(g_logMutex);
    if (g_logFile.is_open()) {
        g_logFile << text << '\n';
    }
}

void gf_logMarked(std::string_view text)
{
    std::lock_guard lock(g_logMutex);
    if (g_logFile.is_open()) {
        g_logFile << "==> " << text << '\n';
        g_logFile.flush();
    }
}

void gf_flushLog()
{
    std::lock_guard lock(g_logMutex);
    if (g_logFile.is_open()) {
        g_logFile.flush();
    }
}

void gf_logIndented(std::string_view text)
{
    std::lock_guard lock(g_logMutex);
    if (g_logFile.is_open()) {
        g_logFile << "          " << text << '\n';
    }
}

void gf_logUnlessQuitting(std::string_view text)
{
    if (!g_stopRequested.load() && !g_exitRequested.load()) {
        gf_log(text);
    }
}

std::string gf_starBanner(int starsWidth, int textWidth, bool leadingNewline, bool trailingNewline,
                          std::string_view text)
{
    int total = starsWidth + textWidth;
    total += total % 2;
    std::string result = leadingNewline ? "\n" : "";
    if (text.empty()) {
        result.append(static_cast<std::size_t>(std::max(total, 0)), '*');
    } else if (total > static_cast<int>(text.size()) + 2) {
        const std::string stars(static_cast<std::size_t>(total / 2 - 1), '*');
        result += stars + " " + std::string(text) + " " + stars;
    } else {
        result = std::string(text);
    }
    if (trailingNewline) {
        result += "\n";
    }
    return result;
}

std::filesystem::path gf_generationName(const std::filesystem::path& path, int generation)
{
    std::string text = path_to_utf8(path);
    const auto dot = text.rfind('.');
    if (dot == std::string::npos) {
        return {};
    }
    text.insert(dot, static_cast<std::size_t>(generation), '0');
    return gf_utf8ToPath(text);
}

void gf_copyGeneration(const std::filesystem::path& source, const std::filesystem::path& target, bool& ok)
{
    if (!lf_exists(source, ok)) {
        return;
    }
    std::error_code ec;
    std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing, ec);
    if (ec) {
        gf_logMarked(fmt::format("copy {} -> {} failed: {}", path_to_utf8(source), path_to_utf8(target), ec.message()));
        ok = false;
    }
}

bool gf_save1GenerationOf(const std::filesystem::path& path)
{
    if (path_to_utf8(path).rfind('.') == std::string::npos) {
        gf_logMarked(fmt::format("gf_save1GenerationOf: no dot in filename: {}", path_to_utf8(path)));
        return false;
    }
    bool ok = true;
    gf_copyGeneration(path, gf_generationName(path, 1), ok);
    return ok;
}

bool gf_saveUpto3GenerationsOf(const std::filesystem::path& path)
{
    if (path_to_utf8(path).rfind('.') == std::string::npos) {
        gf_logMarked(fmt::format("gf_saveUpto3GenerationsOf: no dot in filename: {}", path_to_utf8(path)));
        return false;
    }
    bool ok = true;
    gf_copyGeneration(gf_generationName(path, 2), gf_generationName(path, 3), ok);
    gf_copyGeneration(gf_generationName(path, 1), gf_generationName(path, 2), ok);
    gf_copyGeneration(path, gf_generationName(path, 1), ok);
    return ok;
}
