// shell32 stand-in: ShellExecuteW "open" on a file or folder. Every call is
// recorded for tests; on a desktop session the item is handed to xdg-open.
#include "platform/standin/shell32.h"
#include "platform/standin/shell32_control.h"
#include "platform/standin/standin_support.h"

#include <cstdlib>
#include <filesystem>
#include <mutex>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace {

namespace fs = std::filesystem;

// Result codes of ShellExecuteW (values as on Windows); success is above 32.
constexpr INT_PTR kFileNotFound = 2;
constexpr INT_PTR kNoAssociation = 31;
constexpr INT_PTR kOpened = 42;

std::mutex l_callsMutex;
std::vector<standin::ShellExecuteCall> l_calls;

std::string lf_text(LPCWSTR text)
{
    return text == nullptr ? std::string{} : standin::narrow(text);
}

bool lf_onDesktop()
{
    const char* display = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    return (display != nullptr && *display != '\0') || (wayland != nullptr && *wayland != '\0');
}

// Starts xdg-open in the background through a shell that returns at once, so
// no child is left to reap.
void lf_xdgOpen(const fs::path& item)
{
    const std::string itemText = item.string();
    const char* argv[] = {"sh", "-c", "command -v xdg-open >/dev/null && (xdg-open \"$1\" >/dev/null 2>&1 &)", "sh",
                          itemText.c_str(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, "sh", nullptr, nullptr, const_cast<char* const*>(argv), environ) == 0) {
        int status = 0;
        waitpid(pid, &status, 0);
    }
}

INT_PTR lf_execute(const std::string& operation, const fs::path& item)
{
    if (operation != "open" && !operation.empty()) {
        return kNoAssociation;
    }
    std::error_code error;
    if (item.empty() || !fs::exists(item, error)) {
        return kFileNotFound;
    }
    if (lf_onDesktop()) {
        lf_xdgOpen(item);
    }
    return kOpened;
}

} // namespace

namespace standin {

std::vector<ShellExecuteCall> shellExecuteCalls()
{
    std::lock_guard lock(l_callsMutex);
    return l_calls;
}

void clearShellExecuteCalls()
{
    std::lock_guard lock(l_callsMutex);
    l_calls.clear();
}

} // namespace standin

extern "C" HINSTANCE WINAPI ShellExecuteW(HWND, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                                          LPCWSTR lpDirectory, INT nShowCmd)
{
    standin::ShellExecuteCall call{lf_text(lpOperation), lf_text(lpFile), lf_text(lpParameters), lf_text(lpDirectory),
                                   nShowCmd, 0};
    const fs::path item = standin::widePath(lpFile);
    call.result = lf_execute(call.operation, item);
    {
        std::lock_guard lock(l_callsMutex);
        l_calls.push_back(call);
    }
    return reinterpret_cast<HINSTANCE>(static_cast<INT_PTR>(call.result));
}
