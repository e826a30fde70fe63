// Opens "Log.txt" in the working folder for one test and reads back what was logged.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

// Where the lines logged from now on start in "Log.txt" (what is buffered written first), and
// the lines written from such a point on.
std::uintmax_t logEnd();
std::vector<std::string> logLinesFrom(std::uintmax_t offset);

class LogCapture {
public:
    LogCapture();   // gf_openLogFile in the current working folder
    ~LogCapture();  // closes the log
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    // The lines written after the header line.
    std::vector<std::string> lines() const;
    // The whole log, header line included.
    std::string text() const;
    // Whether a line equal to the text was written.
    bool contains(const std::string& line) const;
};

} // namespace testsupport
