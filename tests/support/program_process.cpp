#include "support/program_process.h"

#include "support/temp_folder.h"

#include <csignal>
#include <cstdlib>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace testsupport {

namespace {

std::vector<std::string> lf_environment(const std::map<std::string, std::string>& extra)
{
    std::map<std::string, std::string> merged;
    for (char** entry = environ; *entry != nullptr; ++entry) {
        const std::string text(*entry);
        const auto equals = text.find('=');
        if (equals != std::string::npos) {
            merged[text.substr(0, equals)] = text.substr(equals + 1);
        }
    }
    for (const auto& [name, value] : extra) {
        merged[name] = value;
    }
    std::vector<std::string> out;
    for (const auto& [name, value] : merged) {
        out.push_back(name + "=" + value);
    }
    return out;
}

std::vector<char*> lf_pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    for (std::string& text : texts) {
        pointers.push_back(text.data());
    }
    pointers.push_back(nullptr);
    return pointers;
}

} // namespace

ProgramProcess::ProgramProcess(const std::filesystem::path& workingFolder, const std::vector<std::string>& arguments,
                               const std::map<std::string, std::string>& environment)
    : m_workingFolder(workingFolder)
{
    std::vector<std::string> argv{SKYWEAVER_BINARY};
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    std::vector<std::string> envp = lf_environment(environment);
    std::vector<char*> argvPointers = lf_pointers(argv);
    std::vector<char*> envpPointers = lf_pointers(envp);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addchdir_np(&actions, workingFolder.c_str());
    const int result = posix_spawn(&m_pid, SKYWEAVER_BINARY, &actions, nullptr, argvPointers.data(),
                                   envpPointers.data());
    posix_spawn_file_actions_destroy(&actions);
    if (result != 0) {
        throw std::runtime_error("cannot start " + std::string(SKYWEAVER_BINARY));
    }
}

ProgramProcess::~ProgramProcess()
{
    if (!m_exitCode && m_pid > 0) {
        ::kill(m_pid, SIGKILL);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
    }
}

void ProgramProcess::signal(int signalNumber) const
{
    ::kill(m_pid, signalNumber);
}

std::optional<int> ProgramProcess::waitForExit(std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!m_exitCode) {
        int status = 0;
        const pid_t done = ::waitpid(m_pid, &status, WNOHANG);
        if (done == m_pid) {
            m_exitCode = WIFEXITED(status) ? static_cast<int>(static_cast<signed char>(WEXITSTATUS(status)))
                                           : 128 + WTERMSIG(status);
            break;
        }
        if (std::chrono::steady_clock::now() >= deadline) {
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return m_exitCode;
}

bool ProgramProcess::waitForLogLine(const std::string& text, std::chrono::milliseconds timeout,
                                    std::size_t from) const
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (log().find(text, from) == std::string::npos) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

std::string ProgramProcess::log() const
{
    return readFile(m_workingFolder / "Log.txt");
}

} // namespace testsupport
