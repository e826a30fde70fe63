// The application on the GUI thread: the production option, the window class, the app-data
// folder, the main window and the Win32 message loop.
#include "app/run_application.h"

#include "app/command_line.h"
#include "core/stop_flags.h"

#include "core/log.h"
#include "core/program_folders.h"
#include "ui/main_window.h"
#include "ui/main_window_handle.h"
#include "ui/panel_repaint.h"
#include "ui/window_messages.h"

#include <filesystem>
#include <fmt/format.h>

namespace {

constexpr UINT kTitleStringId = 101;
constexpr int kTitleLength = 100;
constexpr WORD kIconId = 100;

// The arguments of this process's command line, split by the shell's quoting rules.
std::vector<std::wstring> lf_commandLineArguments()
{
    std::vector<std::wstring> arguments;
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    if (argv == nullptr) {
        return arguments;
    }
    for (int i = 0; i < count; ++i) {
        arguments.emplace_back(argv[i]);
    }
    LocalFree(static_cast<HLOCAL>(argv));
    return arguments;
}

bool lf_registerWindowClass(HINSTANCE instance, const wchar_t* className)
{
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof(WNDCLASSEXW);
    windowClass.style = CS_HREDRAW | CS_VREDRAW;
    windowClass.lpfnWndProc = mainWndProc;
    windowClass.hInstance = instance;
    windowClass.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(kIconId));
    windowClass.hIconSm = windowClass.hIcon;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH));
    windowClass.lpszClassName = className;
    return RegisterClassExW(&windowClass) != 0;
}

bool lf_ensureAppFolder()
{
    try {
        const std::filesystem::path& folder = g_appFolder.get();
        if (std::filesystem::status(folder).type() == std::filesystem::file_type::not_found) {
            std::filesystem::create_directories(folder);
        }
        return true;
    } catch (const std::filesystem::filesystem_error& e) {
        gf_log(fmt::format("Failed to create directory: {}", e.what()));
        return false;
    }
}

int lf_runMessageLoop()
{
    MSG message{};
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}

} // namespace

int gf_runApplication(HINSTANCE instance)
{
    const std::optional<bool> production = gf_productionOption(lf_commandLineArguments());
    wchar_t title[kTitleLength] = {};
    if (LoadStringW(instance, kTitleStringId, title, kTitleLength) == 0) {
        gf_log("Failed to load application title");
        return 0;
    }
    if (!lf_registerWindowClass(instance, title)) {
        gf_log("Failed to register window class");
        return 0;
    }
    if (!lf_ensureAppFolder()) {
        return 0;
    }
    if (!initInstance(instance, title)) {
        gf_logMarked("initInstance failed");
        return 0;
    }
    if (production.value_or(false)) {
        g_productionMode.store(true);
    }
    if (g_mainWindow.load() != nullptr) {
        PostMessageW(g_mainWindow.load(), WM_APP_START_UP, 0, 0);
    }
    return lf_runMessageLoop();
}
