// The selected simulator's packages folder from the settings.
#include "refdata/packages_folder.h"

#include "core/path_text.h"
#include "core/settings.h"
#include "core/sim_choice.h"

std::filesystem::path gf_msfsPath(const std::filesystem::path& subPath)
{
    const std::string& stored = g_msfs2020.load() ? MSFS_INSTALL_PATH.value : MSFS_2024_INSTALL_PATH.value;
    if (stored.empty()) {
        return {};
    }
    return gf_utf8ToPath(stored) / subPath;
}
