// Downloads from the download host through libcurl's easy interface.
#pragma once

#include <curl/curl.h>

#include <filesystem>
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

// Fetches the URL into the target (binary or text mode). The bytes go to a temporary file
// beside the target, which replaces the target only when the whole transfer succeeded, so a
// failed download never damages a good file. Logs one line and gives false on failure.
bool gf_download(const CurlHandle& curl, const std::string& url, const std::filesystem::path& target, bool binary);

// Fetches a data file from the program's major-version folder under "/downloads/".
bool gf_downloadFile(const std::string& fileName, const std::filesystem::path& target);
