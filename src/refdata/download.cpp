// Downloads into a temporary file that replaces the target only after a complete transfer.
#include "refdata/download.h"

#include "core/file_replace.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/program_version.h"

#include <fmt/format.h>

#include <exception>
#include <fstream>
#include <mutex>
#include <system_error>

namespace {

std::mutex g_downloadHostMutex;
std::string g_downloadHostText = "https://www.tarnwick.com";

// libcurl's write callback: hands the received block to the output stream.
size_t lf_writeBlock(char* data, size_t size, size_t count, void* stream)
{
    auto& out = *static_cast<std::ofstream*>(stream);
    const size_t bytes = size * count;
    out.write(data, static_cast<std::streamsize>(bytes));
    return out ? bytes : 0;
}

CURLcode lf_perform(CURL* curl, const std::string& url, std::ofstream& out)
{
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "SKWV");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &lf_writeBlock);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &out);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    return curl_easy_perform(curl);
}

void lf_removeQuietly(const std::filesystem::path& path)
{
    std::error_code ec;
    std::filesystem::remove(path, ec);
}

} // namespace

std::string gf_downloadHost()
{
    const std::lock_guard lock(g_downloadHostMutex);
    return g_downloadHostText;
}

void gf_setDownloadHost(std::string host)
{
    const std::lock_guard lock(g_downloadHostMutex);
    g_downloadHostText = std::move(host);
}

bool gf_download(const CurlHandle& curl, const std::string& url, const std::filesystem::path& target, bool binary)
{
    if (!curl) {
        return false;
    }
    const std::filesystem::path temporary = gf_temporaryNameFor(target);
    try {
        std::ofstream out(temporary, binary ? std::ios::binary | std::ios::trunc : std::ios::trunc);
        if (!out) {
            gf_log(fmt::format("Could not open output file: {}", path_to_utf8(target)));
            return false;
        }
        const CURLcode result = lf_perform(curl.get(), url, out);
        out.close();
        if (result != CURLE_OK || !out) {
            const char* reason = result != CURLE_OK ? curl_easy_strerror(result) : "write error";
            gf_log(fmt::format("Download error: '{}' for {}", reason, url));
            lf_removeQuietly(temporary);
            return false;
        }
        std::filesystem::rename(temporary, target);
        return true;
    } catch (const std::exception& e) {
        gf_log(fmt::format("Downloader exception: '{}', {} => {}", e.what(), url, path_to_utf8(target)));
        lf_removeQuietly(temporary);
        return false;
    }
}

bool gf_downloadFile(const std::string& fileName, const std::filesystem::path& target)
{
    const std::string url =
        fmt::format("{}{}/{}", gf_downloadHost() + "/downloads/", kProgramVersionMajor, fileName);
    const CurlHandle curl(curl_easy_init());
    if (gf_download(curl, url, target, true)) {
        gf_log(fmt::format("Downloaded '{}' to '{}'", url, path_to_utf8(target)));
        return true;
    }
    gf_logMarked(fmt::format("Downloading '{}' failed !", url));
    return false;
}
