#include "support/log_capture.h"

#include "core/log.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace testsupport {

std::uintmax_t logEnd()
{
    gf_flushLog();
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size("Log.txt", error);
    return error ? 0 : size;
}

std::vector<std::string> logLinesFrom(std::uintmax_t offset)
{
    gf_flushLog();
    std::ifstream log("Log.txt", std::ios::binary);
    log.seekg(static_cast<std::streamoff>(offset));
    std::vector<std::string> lines;
    for (std::string line; std::getline(log, line);)
        lines.push_back(std::move(line));
    return lines;
}

LogCapture::LogCapture()
{
    gf_openLogFile();
}

LogCapture::~LogCapture()
{
    std::lock_guard lock(g_logMutex);
    g_logFile.close();
}

std::string LogCapture::text() const
{
    {
        std::lock_guard lock(g_logMutex);
        g_logFile.flush();
    }
    return readFile("Log.txt");
}

std::vector<std::string> LogCapture::lines() const
{
    std::vector<std::string> out;
    std::istringstream in(text());
    std::string line;
    std::getline(in, line);  // header
    while (std::getline(in, line)) {
        out.push_back(line);
    }
    return out;
}

bool LogCapture::contains(const std::string& line) const
{
    const auto all = lines();
    return std::find(all.begin(), all.end(), line) != all.end();
}

} // namespace testsupport
