// Paths under the app-data folder, worked out when first asked for.
#include "core/program_folders.h"

#include "core/known_folders.h"

namespace {

std::filesystem::path lf_appFolder()
{
    return gf_appDataPath() / "Skyweaver";
}

std::filesystem::path lf_parametersPath()
{
    return g_appFolder / "parameters.xml";
}

} // namespace

const std::filesystem::path& FirstUsePath::get() const
{
    std::lock_guard lock(m_mutex);
    if (!m_path) {
        m_path = m_builder();
    }
    return *m_path;
}

void FirstUsePath::forget() const
{
    std::lock_guard lock(m_mutex);
    m_path.reset();
}

const FirstUsePath g_appFolder(lf_appFolder);
const FirstUsePath g_parametersPath(lf_parametersPath);
