// Downloads into a temporary file that replaces the target only after a complete, checked
// transfer; every transfer has time limits and ends on a stop.
#include "refdata/download.h"

#include "core/file_replace.h"
#include "core/log.h"
#include "core/path_text.h"
#include "core/program_version.h"
#include "core/stop_flags.h"

#include <fmt/format.h>

#include <exception>
#include <fstream>
#include <mutex>
#include <system_error>

namespace {

// Redirects are followed this many times at most, and only to http or https.
constexpr long kMaxRedirects = 5;
constexpr long kHttpOk = 200;

std::mutex g_downloadHostMutex;
std::string g_downloadHostText = "https://www.tarnwick.com";
DownloadLimits g_downloadLimitValues;

// libcurl's write callback: hands the received block to the output stream.
size_t lf_writeBlock(char* data, size_t size, size_t count, void* stream)
{
    auto& out = *static_cast<std::ofstream*>(stream);
    const size_t bytes = size * count;
    out.write(data, static_cast<std::streamsize>(bytes));
    return out ? bytes : 0;
}

// libcurl's progress callback, called about once a second also while nothing arrives: a
// non-zero answer ends the transfer, so a stop never waits for the network.
int lf_stopCheck(void* cancel, curl_off_t, curl_off_t, curl_off_t, curl_off_t)
{
    const auto* flag = static_cast<const std::atomic<bool>*>(cancel);
    return g_stopRequested.load() || g_exitRequested.load() || (flag != nullptr && flag->load()) ? 1 : 0;
}

void lf_setLimits(CURL* curl, const DownloadRules& rules)
{
    const DownloadLimits limits = gf_downloadLimits();
    curl_easy_setopt(curl, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(curl, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(limits.connectTimeout.count() * 1000));
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_LIMIT, limits.lowSpeedBytesPerSecond);
    curl_easy_setopt(curl, CURLOPT_LOW_SPEED_TIME, static_cast<long>(limits.lowSpeedTime.count()));
    const long cap = rules.smallFile ? static_cast<long>(limits.smallFileCap.count() * 1000) : 0L;
    curl_easy_setopt(curl, CURLOPT_TIMEOUT_MS, cap);
    curl_easy_setopt(curl, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(curl, CURLOPT_XFERINFOFUNCTION, &lf_stopCheck);
    curl_easy_setopt(curl, CURLOPT_XFERINFODATA, rules.cancel);
}

void lf_setRedirects(CURL* curl)
{
    curl_easy_setopt(curl, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(curl, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(curl, CURLOPT_MAXREDIRS, kMaxRedirects);
    curl_easy_setopt(curl, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
}

CURLcode lf_perform(CURL* curl, const std::string& url, std::ofstream& out, const DownloadRules& rules)
{
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_USERAGENT, "SKWV");
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, &lf_writeBlock);
    curl_easy_setopt(curl, CURLOPT_WRITEDATA, &out);
    curl_easy_setopt(curl, CURLOPT_FAILONERROR, 1L);
    lf_setRedirects(curl);
    lf_setLimits(curl, rules);
    return curl_easy_perform(curl);
}

// Why the finished transfer is no good: curl's text, a reply other than 200, a failed
// write or a failed content check; empty when the file may replace the target.
std::string lf_failure(CURL* curl, CURLcode result, const std::ofstream& out, const std::filesystem::path& temporary,
                       const DownloadRules& rules)
{
    if (result != CURLE_OK) {
        return curl_easy_strerror(result);
    }
    long status = 0;
    curl_easy_getinfo(curl, CURLINFO_RESPONSE_CODE, &status);
    if (status != kHttpOk) {
        return fmt::format("HTTP reply {} is not 200 OK", status);
    }
    if (!out) {
        return "write error";
    }
    if (rules.check) {
        if (const std::string reason = rules.check(temporary); !reason.empty()) {
            return "content check failed: " + reason;
        }
    }
    return {};
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

DownloadLimits gf_downloadLimits()
{
    const std::lock_guard lock(g_downloadHostMutex);
    return g_downloadLimitValues;
}

void gf_setDownloadLimits(const DownloadLimits& limits)
{
    const std::lock_guard lock(g_downloadHostMutex);
    g_downloadLimitValues = limits;
}

bool gf_download(const CurlHandle& curl, const std::string& url, const std::filesystem::path& target, bool binary,
                 const DownloadRules& rules)
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
        const CURLcode result = lf_perform(curl.get(), url, out, rules);
        out.close();
        if (const std::string reason = lf_failure(curl.get(), result, out, temporary, rules); !reason.empty()) {
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

bool gf_downloadFile(const std::string& fileName, const std::filesystem::path& target, const ContentCheck& check)
{
    const std::string url =
        fmt::format("{}{}/{}", gf_downloadHost() + "/downloads/", kProgramVersionMajor, fileName);
    const CurlHandle curl(curl_easy_init());
    if (gf_download(curl, url, target, true, DownloadRules{false, check, nullptr})) {
        gf_log(fmt::format("Downloaded '{}' to '{}'", url, path_to_utf8(target)));
        return true;
    }
    gf_logMarked(fmt::format("Downloading '{}' failed !", url));
    return false;
}
