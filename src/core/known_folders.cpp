// Known folders through the shell, converted to paths without wide-string paths.
#include "core/known_folders.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/text_convert.h"

namespace fs = std::filesystem;

std::optional<fs::path> gf_knownFolderPath(REFKNOWNFOLDERID folderId)
{
    PWSTR text = nullptr;
    const HRESULT result = SHGetKnownFolderPath(folderId, 0, nullptr, &text);
    std::optional<fs::path> folder;
    try {
        if (SUCCEEDED(result) && text != nullptr) {
            folder = gf_utf8ToPath(wide_to_utf8(text));
        }
    } catch (const std::exception&) {
        folder.reset();
    }
    CoTaskMemFree(text);
    return folder;
}

fs::path gf_appDataPath()
{
    if (std::optional<fs::path> folder = gf_knownFolderPath(FOLDERID_RoamingAppData)) {
        return *folder;
    }
    gf_logMarked("Could not find the AppData path");
    return {};
}

fs::path gf_localAppDataPath()
{
    if (std::optional<fs::path> folder = gf_knownFolderPath(FOLDERID_LocalAppData)) {
        return *folder;
    }
    gf_logMarked("Could not find the Local AppData path");
    return {};
}

bool gf_openParentFolder(const fs::path& path)
{
    try {
        std::error_code error;
        if (!fs::exists(path, error) || !path.has_parent_path()) {
            return false;
        }
        const std::wstring parent = utf8_to_wide(path_to_utf8(path.parent_path()));
        const HINSTANCE result = ShellExecuteW(nullptr, L"open", parent.c_str(), nullptr, nullptr, SW_SHOWNORMAL);
        return reinterpret_cast<INT_PTR>(result) > 32;
    } catch (const std::exception&) {
        return false;
    }
}
