#include "core/zip_archive.h"

#include "core/path_text.h"

#include <zip.h>

#include <sstream>
#include <utility>

namespace {

constexpr std::size_t kEntryPieceBytes = 0x10000;

} // namespace

ZipArchive::ZipArchive(std::filesystem::path path) : m_path(std::move(path)) {}

ZipArchive::~ZipArchive()
{
    if (m_archive)
        zip_discard(m_archive);
}

bool ZipArchive::open(Mode mode)
{
    if (m_archive)
        return false;
    int error = 0;
    const int flags = mode == Mode::New ? (ZIP_CREATE | ZIP_TRUNCATE) : ZIP_RDONLY;
    m_archive = zip_open(path_to_utf8(m_path).c_str(), flags, &error);
    return m_archive != nullptr;
}

bool ZipArchive::addData(const std::string& name, std::string bytes)
{
    if (!m_archive)
        return false;
    const std::string& kept = m_buffers.emplace_back(std::move(bytes));
    zip_source_t* source = zip_source_buffer(m_archive, kept.data(), kept.size(), 0);
    if (!source)
        return false;
    if (zip_file_add(m_archive, name.c_str(), source, ZIP_FL_OVERWRITE | ZIP_FL_ENC_UTF_8) < 0) {
        zip_source_free(source);
        return false;
    }
    return true;
}

bool ZipArchive::close()
{
    if (!m_archive)
        return false;
    if (zip_close(m_archive) != 0) {
        zip_discard(m_archive);
        m_archive = nullptr;
        m_buffers.clear();
        return false;
    }
    m_archive = nullptr;
    m_buffers.clear();
    return true;
}

std::vector<ZipEntry> ZipArchive::entries() const
{
    std::vector<ZipEntry> result;
    if (!m_archive)
        return result;
    const zip_int64_t count = zip_get_num_entries(m_archive, 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t stat;
        if (zip_stat_index(m_archive, static_cast<zip_uint64_t>(i), 0, &stat) == 0 && (stat.valid & ZIP_STAT_NAME))
            result.push_back({stat.name, (stat.valid & ZIP_STAT_SIZE) ? stat.size : 0});
    }
    return result;
}

std::optional<std::string> ZipArchive::readEntry(const std::string& name) const
{
    if (!m_archive)
        return std::nullopt;
    zip_stat_t stat;
    if (zip_stat(m_archive, name.c_str(), 0, &stat) != 0 || !(stat.valid & ZIP_STAT_SIZE))
        return std::nullopt;
    // Read in pieces rather than into a buffer of the size the archive claims: a damaged
    // header may claim gigabytes for a few stored bytes.
    std::ostringstream bytes;
    if (readEntryInPieces(name, bytes, kEntryPieceBytes) != 0 || bytes.view().size() != stat.size)
        return std::nullopt;
    return std::move(bytes).str();
}

int ZipArchive::readEntryInPieces(const std::string& name, std::ostream& out, std::size_t pieceSize) const
{
    if (!m_archive)
        return ZIP_ER_INVAL;
    zip_file_t* file = zip_fopen(m_archive, name.c_str(), 0);
    if (!file)
        return zip_error_code_zip(zip_get_error(m_archive));
    std::vector<char> piece(pieceSize);
    int error = 0;
    for (;;) {
        const zip_int64_t read = zip_fread(file, piece.data(), piece.size());
        if (read < 0) {
            error = zip_error_code_zip(zip_file_get_error(file));
            break;
        }
        if (read == 0)
            break;
        if (!out.write(piece.data(), static_cast<std::streamsize>(read))) {
            error = ZIP_ER_WRITE;
            break;
        }
    }
    zip_fclose(file);
    return error;
}
