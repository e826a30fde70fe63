// shell32/ole32 stand-in: known folders rooted at SKYWEAVER_STANDIN_ROOT
// (AppData/Roaming, AppData/Local, "Program Files", "Program Files (x86)"),
// else at the XDG folders of the user.
#include "platform/standin/shell32.h"
#include "platform/standin/shell32_control.h"
#include "platform/standin/standin_support.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <optional>

extern "C" const KNOWNFOLDERID FOLDERID_RoamingAppData{
    0x3EB685DB, 0x65F9, 0x4CF6, {0xA0, 0x3A, 0xE3, 0xEF, 0x65, 0x72, 0x9F, 0x3D}};
extern "C" const KNOWNFOLDERID FOLDERID_LocalAppData{
    0xF1B32785, 0x6FBA, 0x4FCF, {0x9D, 0x55, 0x7B, 0x8E, 0x7F, 0x15, 0x70, 0x91}};
extern "C" const KNOWNFOLDERID FOLDERID_ProgramFiles{
    0x905E63B6, 0xC1BF, 0x494E, {0xB2, 0x9C, 0x65, 0xB7, 0x32, 0xD3, 0xD2, 0x1A}};
extern "C" const KNOWNFOLDERID FOLDERID_ProgramFilesX86{
    0x7C5A40EF, 0xA0FB, 0x4BFC, {0x87, 0x4A, 0xC0, 0xF2, 0xE0, 0xB9, 0xFA, 0x8E}};

namespace {

namespace fs = std::filesystem;

std::atomic<bool> l_foldersFail{false};

bool lf_same(const GUID& a, const GUID& b)
{
    return std::memcmp(&a, &b, sizeof(GUID)) == 0;
}

std::optional<fs::path> lf_xdgFolder(const char* variable, const char* underHome)
{
    const char* value = std::getenv(variable);
    if (value != nullptr && *value == '/') {
        return fs::path(std::u8string(reinterpret_cast<const char8_t*>(value)));
    }
    const std::optional<fs::path> home = standin::homeFolder();
    if (!home) {
        return std::nullopt;
    }
    return *home / underHome;
}

// The stand-in root's layout mirrors a Windows user's folders.
std::optional<fs::path> lf_folderUnderRoot(const fs::path& root, REFKNOWNFOLDERID id)
{
    if (lf_same(id, FOLDERID_RoamingAppData)) {
        return root / "AppData" / "Roaming";
    }
    if (lf_same(id, FOLDERID_LocalAppData)) {
        return root / "AppData" / "Local";
    }
    if (lf_same(id, FOLDERID_ProgramFiles)) {
        return root / "Program Files";
    }
    if (lf_same(id, FOLDERID_ProgramFilesX86)) {
        return root / "Program Files (x86)";
    }
    return std::nullopt;
}

std::optional<fs::path> lf_xdgKnownFolder(REFKNOWNFOLDERID id)
{
    if (lf_same(id, FOLDERID_RoamingAppData)) {
        return lf_xdgFolder("XDG_CONFIG_HOME", ".config");
    }
    const std::optional<fs::path> data = lf_xdgFolder("XDG_DATA_HOME", ".local/share");
    if (!data || lf_same(id, FOLDERID_LocalAppData)) {
        return data;
    }
    return lf_folderUnderRoot(*data, id);
}

} // namespace

namespace standin {

void setKnownFoldersFail(bool fail)
{
    l_foldersFail.store(fail);
}

} // namespace standin

extern "C" HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD, HANDLE, PWSTR* ppszPath)
{
    if (ppszPath == nullptr) {
        return E_INVALIDARG;
    }
    *ppszPath = nullptr;
    if (l_foldersFail.load()) {
        return E_FAIL;
    }
    const std::optional<fs::path> root = standin::standinRoot();
    const std::optional<fs::path> folder = root ? lf_folderUnderRoot(*root, rfid) : lf_xdgKnownFolder(rfid);
    if (!folder) {
        return E_FAIL;
    }
    const std::u8string text = folder->lexically_normal().u8string();
    *ppszPath = standin::mallocWideCopy(standin::widen(std::string(text.begin(), text.end())));
    return S_OK;
}

extern "C" void WINAPI CoTaskMemFree(LPVOID pv)
{
    std::free(pv);
}
