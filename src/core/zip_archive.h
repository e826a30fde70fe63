// A small archive wrapper over libzip: a new archive filled from memory, or an existing
// one read entry by entry. Names inside the archive are UTF-8.
#pragma once

#include <cstdint>
#include <filesystem>
#include <list>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

struct zip;

struct ZipEntry {
    std::string name;
    std::uint64_t size = 0;
    bool isFile() const { return !name.empty() && name.back() != '/'; }
};

class ZipArchive {
public:
    enum class Mode { ReadOnly, New };

    explicit ZipArchive(std::filesystem::path path);
    // An archive still open is discarded: a new one is not written.
    ~ZipArchive();
    ZipArchive(const ZipArchive&) = delete;
    ZipArchive& operator=(const ZipArchive&) = delete;

    // New replaces whatever file is at the path when the archive is closed.
    bool open(Mode mode);
    bool isOpen() const { return m_archive != nullptr; }
    // Adds (or replaces) an entry with the bytes; they are written when the archive is closed.
    bool addData(const std::string& name, std::string bytes);
    // Writes a new archive; true when it was written.
    bool close();

    std::vector<ZipEntry> entries() const;
    std::optional<std::string> readEntry(const std::string& name) const;
    // Writes the entry's bytes to the stream in pieces of the given size, so a large entry is
    // never held whole: 0 on success, else the libzip error code (ZIP_ER_WRITE when the stream
    // fails, ZIP_ER_CRC for damaged data).
    int readEntryInPieces(const std::string& name, std::ostream& out, std::size_t pieceSize) const;

private:
    std::filesystem::path m_path;
    zip* m_archive = nullptr;
    // Entry data stays alive until the archive is written.
    std::list<std::string> m_buffers;
};
