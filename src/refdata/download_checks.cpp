// Content checks of downloaded files: data files decrypt, archives list their entries, JSON parses.
#include "refdata/download_checks.h"

#include "core/zip_archive.h"
#include "refdata/data_crypt.h"

#include <nlohmann/json.hpp>

#include <fstream>

std::string gf_checkDataFile(const std::filesystem::path& file)
{
    std::filesystem::path plain = file;
    plain += ".check";
    const bool decrypted = gf_streamDecrypt(file, plain);
    gf_removeFileWithWarning(plain);
    return decrypted ? std::string() : "the data file does not decrypt";
}

std::string gf_checkZipFile(const std::filesystem::path& file)
{
    ZipArchive archive(file);
    if (!archive.open(ZipArchive::Mode::ReadOnly)) {
        return "the archive does not open";
    }
    return archive.entries().empty() ? "the archive lists no entries" : std::string();
}

std::string gf_checkJsonFile(const std::filesystem::path& file)
{
    std::ifstream in(file);
    return nlohmann::json::accept(in) ? std::string() : "the file is not JSON";
}
