// Reading regcode files: the user's ".TXT" files and the AIG regcode XML.
#include "liveries/regcodes.h"

#include "core/log.h"
#include "core/path_text.h"
#include "core/program_folders.h"
#include "core/text_lines.h"
#include "core/text_strings.h"
#include "core/xml_file.h"
#include "core/xml_meta.h"
#include "core/xml_row.h"
#include "refdata/data_crypt.h"

#include <fmt/format.h>

#include <array>
#include <exception>
#include <string_view>

namespace {

constexpr std::size_t kShortestRegistration = 3;
constexpr std::size_t kLongestRegistration = 12;

// The attributes of one "livery" row of the AIG file: title, reg, special.
constexpr std::array<std::string_view, 3> kAigLiveryAttributes{"title", "reg", "special"};

bool lf_validLength(const std::string& registration)
{
    return registration.size() >= kShortestRegistration && registration.size() <= kLongestRegistration;
}

const char* lf_liveryWord(std::size_t count)
{
    return count == 1 ? "livery" : "liveries";
}

// The registrations of a line with a title and a registration field; false after a fault.
bool lf_readRegistrations(const std::vector<std::string>& fields, const std::string& file,
                          std::list<RegcodeRecord>& records)
{
    if (fields[1].empty()) {
        return true;
    }
    const std::vector<std::string> regs = gf_split(fields[1], ',');
    if (regs.size() == 1) {
        if (!lf_validLength(regs[0])) {
            gf_logMarked(fmt::format("wrong regcode length '{}' in {}", regs[0], file));
            return false;
        }
        records.push_back({fields[0], {regs[0]}, true});
        return true;
    }
    bool ok = true;
    RegcodeRecord record{fields[0], {}, fields.size() == 3 && fields[2] == "#"};
    for (const std::string& reg : regs) {
        if (lf_validLength(reg)) {
            record.regs.push_back(reg);
        } else {
            gf_logMarked(fmt::format("wrong regcode length '{}' in {}", reg, file));
            ok = false;
        }
    }
    if (record.regs.empty()) {
        gf_logMarked(fmt::format("{} ; regs empty?", record.title));
        return false;
    }
    records.push_back(std::move(record));
    return ok;
}

bool lf_readRegcodeLine(const std::string& line, const std::string& file, std::list<RegcodeRecord>& records)
{
    const std::vector<std::string> fields = gf_split(line, ';');
    if (fields.size() == 1) {
        records.push_back({fields[0], {}, false});
        return true;
    }
    if (fields.size() == 2 || fields.size() == 3) {
        return lf_readRegistrations(fields, file, records);
    }
    gf_logMarked(fmt::format("{}: wrong format '{}'", file, line));
    return false;
}

bool lf_readRegcodeFile(const std::filesystem::path& path, std::list<RegcodeRecord>& records)
{
    const std::string file = path_to_utf8(path);
    gf_log(fmt::format("Processing regcodes file '{}'", file));
    std::vector<std::string> lines;
    if (const ReadLinesResult read = gf_readAllLines(path, lines, 256); !read) {
        throw std::runtime_error(fmt::format("{}: {}", file, read.error));
    }
    bool ok = true;
    for (const std::string& line : lines) {
        if (!gf_trim(line).empty()) {
            ok = lf_readRegcodeLine(line, file, records) && ok;
        }
    }
    return ok;
}

bool lf_isRegcodeFile(const std::filesystem::directory_entry& entry)
{
    return entry.is_regular_file() && gf_equalsNoCase(path_to_utf8(entry.path().extension()), ".TXT");
}

} // namespace

std::string gf_xmlAttrString(const pugi::xml_node& node, const char* name)
{
    return node.attribute(name).as_string();
}

bool gf_readRegcodeFiles(const std::filesystem::path& folder, std::list<RegcodeRecord>& records)
{
    try {
        bool ok = true;
        for (const auto& entry : std::filesystem::directory_iterator(folder)) {
            if (lf_isRegcodeFile(entry)) {
                ok = lf_readRegcodeFile(entry.path(), records) && ok;
            }
        }
        gf_log(fmt::format("{} {}", records.size(), lf_liveryWord(records.size())));
        return ok;
    } catch (const std::exception& e) {
        gf_log(fmt::format("Error reading regcode files in {}, what: {}", path_to_utf8(folder), e.what()));
        return false;
    }
}

bool gf_readAigRegcodesXml(std::list<RegcodeRecord>& records)
{
    const std::filesystem::path path = folders::aigRegcodesXml();
    pugi::xml_document document;
    if (!gf_loadXmlFile(document, path)) {
        gf_log(fmt::format("Failed to load {}", path_to_utf8(path)));
        return false;
    }
    if (!gf_readXmlMeta(document, true)) {
        return false;
    }
    const pugi::xml_node aig = document.child("root").child("AIG-regcodes");
    if (!aig) {
        gf_logMarked("No <AIG-regcodes> node found in XML.");
        return false;
    }
    bool ok = true;
    std::size_t count = 0;
    const std::string* previousTitle = nullptr;
    for (const pugi::xml_node livery : aig.children("livery")) {
        const auto [title, reg, special] = gf_rowAttributes(livery, kAigLiveryAttributes);
        const std::string_view titleText = title.as_string();
        if (previousTitle != nullptr && titleText == *previousTitle) {
            gf_logMarked(fmt::format("Duplicate title '{}' (same as previous)", titleText));
            ok = false;
            continue;
        }
        RegcodeRecord& record = records.emplace_back();
        record.title = titleText;
        record.regs = gf_splitCommaList(reg.as_string());
        record.special = special.as_bool(false);
        previousTitle = &record.title;
        ++count;
    }
    gf_log(fmt::format("{} {} read from {}", count, lf_liveryWord(count), path_to_utf8(path)));
    gf_removeFileWithWarning(path);
    return ok;
}
