// Reading and writing text files as lines.
#include "core/text_lines.h"

#include <fstream>
#include <iterator>
#include <sstream>

namespace {

// At least the number of lines gf_splitLines makes of the text.
std::size_t lf_lineCount(std::string_view text)
{
    std::size_t count = 1;
    for (std::size_t end = text.find('\n'); end != std::string_view::npos; end = text.find('\n', end + 1)) {
        ++count;
    }
    return count;
}

} // namespace

void gf_splitLines(std::string_view text, std::vector<std::string>& lines)
{
    if (text.starts_with("\xEF\xBB\xBF")) {
        text.remove_prefix(3);
    }
    lines.reserve(lines.size() + lf_lineCount(text));
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (line.ends_with('\r')) {
            line.remove_suffix(1);
        }
        lines.emplace_back(line);
        if (end == std::string_view::npos) {
            return;
        }
        text.remove_prefix(end + 1);
    }
}

void gf_readStreamLines(std::istream& stream, std::vector<std::string>& lines)
{
    std::ostringstream content;
    content << stream.rdbuf();
    gf_splitLines(content.view(), lines);
}

ReadLinesResult gf_readAllLines(const std::filesystem::path& path, std::vector<std::string>& lines, std::size_t hint)
{
    std::ifstream file(path, std::ios::in | std::ios::binary);
    if (!file) {
        return {false, "open_failed"};
    }
    lines.clear();
    lines.reserve(hint);
    gf_readStreamLines(file, lines);
    return {true, {}};
}

bool gf_writeTextFile(const std::filesystem::path& path, std::string_view text, bool newline)
{
    std::ofstream file(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!file) {
        return false;
    }
    file << text;
    if (newline) {
        file << '\n';
    }
    file.flush();
    return static_cast<bool>(file);
}

bool gf_writeLines(const std::filesystem::path& path, const std::vector<std::string>& lines)
{
    std::ofstream file(path, std::ios::out | std::ios::trunc | std::ios::binary);
    if (!file) {
        return false;
    }
    for (const std::string& line : lines) {
        file << line << '\n';
    }
    file.flush();
    return static_cast<bool>(file);
}
