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
    std::call_once(m_once, [this] { m_path = m_builder(); });
    return m_path;
}

const FirstUsePath g_appFolder(lf_appFolder);
const FirstUsePath g_parametersPath(lf_parametersPath);
