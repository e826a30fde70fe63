// Downloads from the download host through libcurl's easy interface.
#pragma once

#include <curl/curl.h>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

// Owns one curl easy handle; the handle is released with curl_easy_cleanup.
struct CurlHandleDeleter {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using CurlHandle = std::unique_ptr<CURL, CurlHandleDeleter>;

// The download host: scheme and host name without a trailing slash. Tests point it at a
// server of their own.
std::string gf_downloadHost();
void gf_setDownloadHost(std::string host);

// The limits every transfer keeps, so that no host can hold the program: a connection must be
// made within the connect time-out, a transfer slower than the low speed for the low-speed
// time ends, and small files must be complete within their cap. Tests shorten them.
struct DownloadLimits {
    std::chrono::seconds connectTimeout{15};
    long lowSpeedBytesPerSecond = 1000;
    std::chrono::seconds lowSpeedTime{30};
    std::chrono::seconds smallFileCap{120};
};
DownloadLimits gf_downloadLimits();
void gf_setDownloadLimits(const DownloadLimits& limits);

// Checks a downloaded file for what it must be before it replaces the target: empty when it
// is good, else the reason.
using ContentCheck = std::function<std::string(const std::filesystem::path&)>;

// How one download is made. Small files (versions.json, release notes, park files) have an
// overall time cap; data files and the installer do not. A download ends as soon as the run's
// stop flags or the cancel flag are raised.
struct DownloadRules {
    bool smallFile = true;
    ContentCheck check;
    const std::atomic<bool>* cancel = nullptr;
};

// Fetches the URL into the target (binary or text mode), following redirects within http and
// https. Success is a 200 reply with its whole body that passes the content check. The bytes
// go to a temporary file beside the target, which replaces the target only on success, so a
// failed download never damages a good file and leaves nothing behind. Logs one line and
// gives false on failure.
bool gf_download(const CurlHandle& curl, const std::string& url, const std::filesystem::path& target, bool binary,
                 const DownloadRules& rules = {});

// Fetches a data file from the program's major-version folder under "/downloads/"; the check
// decides whether the downloaded file may replace the working one.
bool gf_downloadFile(const std::string& fileName, const std::filesystem::path& target, const ContentCheck& check = {});
