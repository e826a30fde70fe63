// The walk of a scenery file: header checks, airport sections, airport records, and the
// link-or-generate decision for each accepted airport.
#include "parking/bgl_reader.h"

#include "core/scan_pool.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/sim_choice.h"
#include "core/text_strings.h"
#include "parking/bgl_records.h"
#include "refdata/airport_db.h"

#include <fmt/format.h>
#include <gsl/narrow>

#include <algorithm>
#include <array>
#include <cmath>
#include <fstream>
#include <set>
#include <string_view>

namespace {

constexpr std::uint32_t kHeaderSize = 0x38;
constexpr std::size_t kSectionTableWord = 14;
constexpr std::size_t kSectionEntryWords = 5;
constexpr std::uint32_t kAirportSection = 3;
constexpr std::uint32_t kSectionSkipFlag = 0x10000;
constexpr std::size_t kAirportIdentWord = 10;

bool lf_headerUsable(const std::vector<std::uint32_t>& words)
{
    if (words.size() <= kSectionTableWord || words[1] != kHeaderSize || words[5] == 0)
        return false;
    return kSectionTableWord + kSectionEntryWords * static_cast<std::uint64_t>(words[5]) <= words.size();
}

// Word index of the first record of an airport section; none when the section is not used.
std::optional<std::size_t> lf_firstRecord(const std::vector<std::uint32_t>& words, std::size_t entry)
{
    if (words[entry] != kAirportSection || (words[entry + 1] & kSectionSkipFlag) != 0)
        return std::nullopt;
    const std::size_t r = words[entry + 3] / 4 + 2;
    if (r >= words.size())
        return std::nullopt;
    return words[r] / 4;
}

// What the walks of one file have taken: the first records of their runs and the first words of
// the airport records met. A section entry that points at a run walked before is not walked
// again, and a run that reaches an airport met before ends there, since the rest of it was
// walked then; an airport is processed once. Only starts are claimed: the size a damaged or
// unaccepted record declares is arbitrary, and claiming its extent would hide every later
// section. Every record walked counts against the file's limit, which bounds the work.
class FileWalk {
public:
    explicit FileWalk(const BglScanContext& context) : m_context(context) {}

    // False when a run began here before.
    bool startRun(std::size_t index) { return m_runStarts.insert(index).second; }

    // Counts one record walked; false once the file's records are used up.
    bool countRecord()
    {
        if (m_records == kMaxFileRecords) {
            return false;
        }
        if (++m_records == kMaxFileRecords) {
            gf_bglLogLine(m_context, "==> Error: Maximum loop iterations reached (3) ");
        }
        return true;
    }

    // False when an airport record starting here was met before.
    bool claimAirport(std::size_t index) { return m_airports.insert(index).second; }

private:
    const BglScanContext& m_context;
    std::set<std::size_t> m_runStarts;
    std::set<std::size_t> m_airports;
    std::size_t m_records = 0;
};

void lf_walkSection(std::size_t index, const std::vector<std::uint32_t>& words, const std::filesystem::path& path,
                    const BglScanContext& context, FileWalk& walked)
{
    if (!walked.startRun(index)) {
        return;
    }
    for (std::size_t count = 0; index < words.size() && !gf_scanTaskGivenUp(); ++count) {
        if (count > kMaxWalkRecords) {
            gf_bglLogLine(context, "==> Error: Maximum loop iterations reached (2) ");
            return;
        }
        const BglRecordHeader header = gf_bglRecordHeader(words, index);
        const std::size_t sizeWords = header.size / 4;
        if (!walked.countRecord()) {
            return;
        }
        if (header.id == kAirportRecord) {
            if (sizeWords == 0) {
                gf_bglLogLine(context, fmt::format("==>    Warning: decodeSizeAtBoundary returned {} at o2 = {}",
                                                   header.size, index));
                return;
            }
            if (!walked.claimAirport(index)) {
                return;
            }
            if (index + kAirportIdentWord < words.size()) {
                if (auto ident = lf_decodeAirportIdent(words[index + kAirportIdentWord], context))
                    lf_processAirportRecord(index, words, sizeWords, *ident, path, context);
            }
        }
        if (sizeWords == 0)
            return;
        index += sizeWords;
    }
}

std::uint32_t lf_u32At(const std::string& bytes, std::size_t offset)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

// Decrements the running-task counter when the task ends, however it ends.
class TaskCount {
public:
    explicit TaskCount(std::atomic<std::int32_t>* counter) : m_counter(counter) {}
    ~TaskCount()
    {
        if (m_counter)
            m_counter->fetch_sub(1);
    }
    TaskCount(const TaskCount&) = delete;
    TaskCount& operator=(const TaskCount&) = delete;

private:
    std::atomic<std::int32_t>* m_counter;
};

// At most `limit` of the file's lines into the sink and one line saying that the rest was left
// out; none once its task was given up.
std::function<void(std::string)> lf_bounded(std::function<void(std::string)> sink, std::string_view prefix,
                                            std::size_t limit, const std::filesystem::path& path, std::size_t& lines)
{
    return [sink = std::move(sink), prefix, limit, &path, &lines](std::string line) {
        if (gf_scanTaskGivenUp() || lines > limit) {
            return;
        }
        if (++lines > limit) {
            line = fmt::format("{}more than {} lines for {}, the rest left out", prefix, limit, path_to_utf8(path));
        }
        sink(std::move(line));
    };
}

} // namespace

void gf_bglLogLine(const BglScanContext& context, std::string line)
{
    if (context.addLogLine) {
        context.addLogLine(std::move(line));
    } else {
        gf_log(line);
    }
}

bool lf_bglHasAirportSection(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    in.seekg(0, std::ios::end);
    const std::streamoff size = in.tellg();
    if (size < static_cast<std::streamoff>(kHeaderSize) + 1)
        return false;
    std::string header(kHeaderSize, '\0');
    in.seekg(0);
    if (!in.read(header.data(), kHeaderSize))
        return false;
    const std::uint32_t sections = lf_u32At(header, 20);
    if (sections < 1 || sections > static_cast<std::uint64_t>(size - kHeaderSize) / 20)
        return false;
    std::string table(static_cast<std::size_t>(sections) * 20, '\0');
    if (!in.read(table.data(), static_cast<std::streamsize>(table.size())))
        return false;
    for (std::size_t i = 0; i < sections; ++i)
        if (lf_u32At(table, 20 * i) == kAirportSection)
            return true;
    return false;
}

std::vector<std::uint32_t> lf_readBglFile(std::istream& in)
{
    // Read in blocks rather than byte by byte; padded in place.
    std::string bytes;
    std::array<char, 16 * 1024> block{};
    while (in.read(block.data(), static_cast<std::streamsize>(block.size())) || in.gcount() > 0)
        bytes.append(block.data(), static_cast<std::size_t>(in.gcount()));
    bytes.resize((bytes.size() + 3) / 4 * 4, '\0');
    std::vector<std::uint32_t> words(bytes.size() / 4);
    for (std::size_t i = 0; i < words.size(); ++i)
        words[i] = lf_u32At(bytes, 4 * i);
    return words;
}

void lf_processBGLfile(const std::filesystem::path& path, const BglScanContext& context)
{
    const TaskCount taskCount(context.runningTasks);
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return;
        const std::vector<std::uint32_t> words = lf_readBglFile(in);
        if (!lf_headerUsable(words))
            return;
        std::size_t lines = 0;
        std::size_t logLines = 0;
        BglScanContext bounded = context;
        bounded.addMessage = lf_bounded(context.addMessage, "===> ", kMaxFileMessages, path, lines);
        bounded.addLogLine = lf_bounded([](std::string line) { gf_log(line); }, "==> ", kMaxFileLogLines, path,
                                        logLines);
        FileWalk walked(bounded);
        for (std::size_t i = 0; i < words[5] && !gf_scanTaskGivenUp(); ++i) {
            if (const auto first = lf_firstRecord(words, kSectionTableWord + kSectionEntryWords * i))
                lf_walkSection(*first, words, path, bounded, walked);
        }
    } catch (const std::exception& e) {
        gf_log(fmt::format("{}: {}", "lf_processBGLfile", e.what()));
    }
}

std::optional<std::string> lf_decodeIcao(std::uint32_t raw)
{
    constexpr std::size_t kMaxLength = 10;
    std::string ident;
    for (std::uint32_t value = raw >> 5; value != 0; value /= 38) {
        const std::uint32_t digit = value % 38;
        if (digit < 2 || ident.size() == kMaxLength)
            return std::nullopt;
        ident.insert(ident.begin(), digit < 12 ? static_cast<char>('0' + digit - 2) : static_cast<char>('A' + digit - 12));
    }
    return ident;
}

std::optional<std::string> lf_checkRTAirport(const std::string& ident, const BglScanContext& context)
{
    std::string code = gf_upperCase(ident);
    if (code.size() != 4)
        return std::nullopt;
    if (!gf_isKnownAirport(code)) {
        context.addMessage(fmt::format("{} is not an airport supported by RealTraffic ", code));
        return std::nullopt;
    }
    return code;
}

std::optional<std::string> lf_decodeAirportIdent(std::uint32_t raw, const BglScanContext& context)
{
    const auto ident = lf_decodeIcao(raw);
    if (!ident)
        return std::nullopt;
    return lf_checkRTAirport(*ident, context);
}

std::int32_t lf_readAirportElevation(std::size_t record, const std::vector<std::uint32_t>& words)
{
    constexpr std::size_t kElevationWord = 5;
    if (record + kElevationWord >= words.size())
        return 0;
    const double millimetres = words[record + kElevationWord];
    const auto feet = gsl::narrow<std::int32_t>(std::llround(millimetres * 3.2808399 / 1000.0));
    return feet + 20 > 10020 ? 0 : feet;
}

double gf_bglLatitude(std::uint32_t raw)
{
    return 90.0 - raw * 3.3527612686157227e-7;
}

double gf_bglLongitude(std::uint32_t raw)
{
    return raw * 4.470348358154297e-7 - 180.0;
}
