// A temporary folder for one test, removed at the end; optionally the working folder.
#pragma once

#include <filesystem>
#include <string>

namespace testsupport {

class TempFolder {
public:
    // With enter set, the working folder moves into the new folder until destruction.
    explicit TempFolder(bool enter = false);
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return m_path; }
    std::filesystem::path operator/(const std::string& name) const { return m_path / name; }

private:
    std::filesystem::path m_path;
    std::filesystem::path m_previous;
};

// Whole file as bytes; empty when missing.
std::string readFile(const std::filesystem::path& path);
void writeFile(const std::filesystem::path& path, const std::string& bytes);

} // namespace testsupport
