#include "support/log_capture.h"

#include "core/log.h"
#include "support/temp_folder.h"

#include <algorithm>
#include <sstream>

namespace testsupport {

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
