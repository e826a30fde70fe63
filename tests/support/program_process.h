// Runs the skyweaver executable in a working folder of its own, for end-to-end tests:
// environment, signals, exit code and what it wrote to "Log.txt".
#pragma once

#include <chrono>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace testsupport {

class ProgramProcess {
public:
    // Starts the program with the arguments in the working folder; the environment gets the
    // given variables on top of this process's own.
    ProgramProcess(const std::filesystem::path& workingFolder, const std::vector<std::string>& arguments,
                   const std::map<std::string, std::string>& environment);
    // Ends a program that still runs (SIGKILL) and reaps it.
    ~ProgramProcess();
    ProgramProcess(const ProgramProcess&) = delete;
    ProgramProcess& operator=(const ProgramProcess&) = delete;

    void signal(int signalNumber) const;
    // The exit code once the program has ended within the time; none while it still runs.
    // A program ended by a signal reports 128 + the signal number.
    std::optional<int> waitForExit(std::chrono::milliseconds timeout);
    // Waits until "Log.txt" of the working folder holds the text at or after the offset.
    bool waitForLogLine(const std::string& text, std::chrono::milliseconds timeout, std::size_t from = 0) const;
    std::string log() const;

private:
    std::filesystem::path m_workingFolder;
    int m_pid = -1;
    std::optional<int> m_exitCode;
};

} // namespace testsupport
