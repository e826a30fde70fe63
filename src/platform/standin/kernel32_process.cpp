// kernel32 stand-in: the process's command line and named mutexes. A named
// mutex is a lock file under the stand-in root held with flock for as long as
// the handle is open, so a second process (or a second create in this one)
// sees ERROR_ALREADY_EXISTS, as the single-instance guard expects.
#include "platform/standin/kernel32.h"
#include "platform/standin/kernel32_control.h"
#include "platform/standin/kernel32_objects.h"
#include "platform/standin/standin_support.h"

#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <mutex>
#include <string>
#include <sys/file.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::mutex l_commandLineMutex;
bool l_commandLineSet = false;
std::wstring l_commandLine;
std::wstring l_arguments;

// Quotes one argument so that the Windows splitting rules give it back unchanged.
std::wstring lf_quoteArgument(const std::wstring& arg)
{
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
        return arg;
    }
    std::wstring out = L"\"";
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? 2 * backslashes + 1 : backslashes, L'\\');
        backslashes = 0;
        out.push_back(c);
    }
    out.append(2 * backslashes, L'\\');
    out.push_back(L'"');
    return out;
}

// The program name ends at the next quote or blank and takes no escapes.
std::wstring lf_quoteProgram(const std::wstring& program)
{
    return program.find_first_of(L" \t") == std::wstring::npos ? program : L"\"" + program + L"\"";
}

void lf_buildCommandLine(const std::vector<std::string>& argv)
{
    l_commandLine.clear();
    l_arguments.clear();
    for (std::size_t i = 0; i < argv.size(); ++i) {
        const std::wstring wide = standin::widen(argv[i]);
        if (i == 0) {
            l_commandLine = lf_quoteProgram(wide);
            continue;
        }
        if (!l_arguments.empty()) {
            l_arguments.push_back(L' ');
        }
        l_arguments += lf_quoteArgument(wide);
    }
    if (!l_arguments.empty()) {
        l_commandLine += L' ' + l_arguments;
    }
    l_commandLineSet = true;
}

// Without a call to setCommandLine the kernel's record of the arguments serves.
void lf_ensureCommandLine()
{
    if (l_commandLineSet) {
        return;
    }
    std::ifstream file("/proc/self/cmdline", std::ios::binary);
    std::vector<std::string> argv;
    for (std::string arg; std::getline(file, arg, '\0');) {
        argv.push_back(arg);
    }
    lf_buildCommandLine(argv);
}

fs::path lf_lockFolder()
{
    if (const std::optional<fs::path> root = standin::standinRoot()) {
        return *root / "standin-locks";
    }
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    const fs::path base = runtime != nullptr && *runtime == '/' ? fs::path(runtime) : fs::temp_directory_path();
    return base / "skyweaver-standin-locks";
}

std::string lf_lockFileName(const char* name)
{
    std::string file = name;
    for (char& c : file) {
        if (c == '\\' || c == '/') {
            c = '_';
        }
    }
    return file + ".lock";
}

} // namespace

namespace standin {

void setCommandLine(int argc, const char* const* argv)
{
    std::lock_guard lock(l_commandLineMutex);
    lf_buildCommandLine(std::vector<std::string>(argv, argv + argc));
}

void forgetCommandLine()
{
    std::lock_guard lock(l_commandLineMutex);
    l_commandLineSet = false;
}

const wchar_t* commandLineArguments()
{
    std::lock_guard lock(l_commandLineMutex);
    lf_ensureCommandLine();
    return l_arguments.c_str();
}

} // namespace standin

extern "C" LPWSTR WINAPI GetCommandLineW()
{
    std::lock_guard lock(l_commandLineMutex);
    lf_ensureCommandLine();
    return l_commandLine.data();
}

extern "C" HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES, BOOL, LPCSTR lpName)
{
    if (lpName == nullptr || *lpName == '\0') {
        SetLastError(ERROR_SUCCESS);
        return standin::addKernelObject({standin::KernelObject::Kind::Mutex, -1, {}});
    }
    std::error_code error;
    const fs::path folder = lf_lockFolder();
    fs::create_directories(folder, error);
    const fs::path lockFile = folder / lf_lockFileName(lpName);
    const int fd = open(lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0) {
        SetLastError(ERROR_ACCESS_DENIED);
        return nullptr;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const bool held = errno == EWOULDBLOCK;
        close(fd);
        if (!held) {
            SetLastError(ERROR_ACCESS_DENIED);
            return nullptr;
        }
        // Windows hands out a handle to the existing mutex and says so.
        HANDLE existing = standin::addKernelObject({standin::KernelObject::Kind::Mutex, -1, {}});
        SetLastError(ERROR_ALREADY_EXISTS);
        return existing;
    }
    HANDLE handle = standin::addKernelObject({standin::KernelObject::Kind::Mutex, fd, {}});
    SetLastError(ERROR_SUCCESS);
    return handle;
}
