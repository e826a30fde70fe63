// Opening the folder of "parameters.xml" and the folder of the manual in the shell.
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/text_convert.h"
#include "ui/main_window.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace {

// ShellExecuteW reports success with a value above 32.
constexpr INT_PTR kShellExecuteOk = 32;

bool lf_openFolder(const std::filesystem::path& folder, const wchar_t* failure)
{
    bool opened = false;
    try {
        const std::wstring wide = utf8_to_wide(path_to_utf8(folder));
        const auto result = reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", wide.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
        opened = result > kShellExecuteOk;
    } catch (const std::runtime_error&) {
        opened = false;
    }
    if (!opened) {
        MessageBoxW(nullptr, failure, L"SKWV", MB_OK | MB_ICONEXCLAMATION);
    }
    return opened;
}

} // namespace

bool gf_openParametersFolder()
{
    return lf_openFolder(g_parametersPath.get().parent_path(), L"Could not open folder with parameters.xml");
}

bool gf_openManual()
{
    std::error_code error;
    const std::filesystem::path docs = std::filesystem::absolute(folders::docs(), error);
    return lf_openFolder(error ? folders::docs() : docs, L"Could not open local folder with Manual");
}

bool gf_openTbloFolder()
{
    std::error_code error;
    const std::filesystem::path tblo = std::filesystem::absolute(folders::tblo(), error);
    return lf_openFolder(error ? folders::tblo() : tblo, L"Could not open File Explorer at tblo.zip.");
}
