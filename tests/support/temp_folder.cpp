#include "support/temp_folder.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <random>
#include <sstream>

namespace testsupport {

TempFolder::TempFolder(bool enter)
{
    static std::atomic<int> counter{0};
    std::random_device rd;
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    m_path = std::filesystem::temp_directory_path() /
             ("skyweaver-test-" + std::to_string(stamp) + "-" + std::to_string(rd()) + "-" +
              std::to_string(counter++));
    std::filesystem::create_directories(m_path);
    if (enter) {
        m_previous = std::filesystem::current_path();
        std::filesystem::current_path(m_path);
    }
}

TempFolder::~TempFolder()
{
    std::error_code ec;
    if (!m_previous.empty()) {
        std::filesystem::current_path(m_previous, ec);
    }
    std::filesystem::remove_all(m_path, ec);
}

std::string readFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void writeFile(const std::filesystem::path& path, const std::string& bytes)
{
    if (path.has_parent_path()) {
        std::filesystem::create_directories(path.parent_path());
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

} // namespace testsupport
