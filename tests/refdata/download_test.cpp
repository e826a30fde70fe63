#include "core/log.h"
#include "core/stop_flags.h"
#include "refdata/download.h"
#include "support/http_server.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

using namespace std::chrono_literals;
using testsupport::HttpReply;
using testsupport::HttpServer;
using testsupport::LogCapture;
using testsupport::readFile;
using testsupport::redirectTo;
using testsupport::stalling;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

class Download : public ::testing::Test {
protected:
    TempFolder folder{true};
    LogCapture log;
    HttpServer server;

    ~Download() override
    {
        g_stopRequested = false;
        g_exitRequested = false;
        gf_setDownloadLimits({});
    }

    bool fetch(const std::string& path, const std::string& target, bool binary = true)
    {
        const CurlHandle curl(curl_easy_init());
        return gf_download(curl, server.base() + path, target, binary);
    }
};

} // namespace

TEST_F(Download, StoresTheBytesAndNamesItself)
{
    const std::string bytes("line\r\n\0\x01\xff end", 13);
    server.serve("/downloads/versions.json", bytes);

    ASSERT_TRUE(fetch("/downloads/versions.json", "versions.json"));

    EXPECT_EQ(readFile("versions.json"), bytes);
    EXPECT_FALSE(std::filesystem::exists("versions.json.tmp"));
    ASSERT_EQ(server.requests().size(), 1u);
    EXPECT_EQ(server.requests()[0].userAgent, "SKWV");
}

// Hosts that misbehave, each with the reason the download ends.
struct Misbehaviour {
    const char* name;
    HttpReply reply;
    CURLcode reason;
};

std::vector<Misbehaviour> misbehaviours()
{
    return {
        {"silent host", stalling(0), CURLE_OPERATION_TIMEDOUT},
        {"stall after the first bytes", stalling(120), CURLE_OPERATION_TIMEDOUT},
        {"404", HttpReply{404, "missing", -1}, CURLE_HTTP_RETURNED_ERROR},
        {"500", HttpReply{500, "broken", -1}, CURLE_HTTP_RETURNED_ERROR},
        {"302 loop", redirectTo("/dbase.enc"), CURLE_TOO_MANY_REDIRECTS},
        {"body shorter than its length", HttpReply{200, "partial", 1000}, CURLE_PARTIAL_FILE},
    };
}

TEST_F(Download, MisbehavingHostEndsWithinItsLimitsAndKeepsTheGoodFile)
{
    gf_setDownloadLimits({2s, 1000, 2s, 2s});
    writeFile("dbase.enc", "good");
    for (const Misbehaviour& row : misbehaviours()) {
        server.serve("/dbase.enc", row.reply);
        const auto start = std::chrono::steady_clock::now();

        EXPECT_FALSE(fetch("/dbase.enc", "dbase.enc")) << row.name;

        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << row.name;
        EXPECT_EQ(readFile("dbase.enc"), "good") << row.name;
        EXPECT_FALSE(std::filesystem::exists("dbase.enc.tmp")) << row.name;
        EXPECT_TRUE(log.contains(fmt::format("Download error: '{}' for {}/dbase.enc", curl_easy_strerror(row.reason),
                                             server.base())))
            << row.name;
    }
}

TEST_F(Download, CloseEndsEveryDownloadWithinTwoSeconds)
{
    writeFile("dbase.enc", "good");
    for (const Misbehaviour& row : misbehaviours()) {
        for (std::atomic<bool>* flag : {&g_stopRequested, &g_exitRequested}) {
            server.serve("/dbase.enc", row.reply);
            *flag = false;
            std::jthread closer([flag] {
                std::this_thread::sleep_for(300ms);
                *flag = true;
            });
            const auto start = std::chrono::steady_clock::now();

            EXPECT_FALSE(fetch("/dbase.enc", "dbase.enc")) << row.name;

            closer.join();
            EXPECT_LT(std::chrono::steady_clock::now() - start, 2300ms) << row.name;
            EXPECT_EQ(readFile("dbase.enc"), "good") << row.name;
            EXPECT_FALSE(std::filesystem::exists("dbase.enc.tmp")) << row.name;
            *flag = false;
        }
    }
    EXPECT_TRUE(log.contains(fmt::format("Download error: '{}' for {}/dbase.enc",
                                         curl_easy_strerror(CURLE_ABORTED_BY_CALLBACK), server.base())));
}

TEST_F(Download, DataFileWithoutCapOutlivesTheSmallFileCap)
{
    gf_setDownloadLimits({2s, 1, 10s, 1s});
    server.serve("/small.xml", stalling(60));
    server.serve("/large.zip", stalling(60));
    const CurlHandle curl(curl_easy_init());
    auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(gf_download(curl, server.base() + "/small.xml", "small.xml", true, DownloadRules{true, {}, nullptr}));
    EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);

    std::atomic<bool> cancel{false};
    std::jthread canceller([&cancel] {
        std::this_thread::sleep_for(2500ms);
        cancel = true;
    });
    start = std::chrono::steady_clock::now();
    EXPECT_FALSE(gf_download(curl, server.base() + "/large.zip", "large.zip", true, DownloadRules{false, {}, &cancel}));
    EXPECT_GE(std::chrono::steady_clock::now() - start, 2500ms);  // ended by the cancel, not by a cap
    EXPECT_TRUE(log.contains(fmt::format("Download error: '{}' for {}/large.zip",
                                         curl_easy_strerror(CURLE_ABORTED_BY_CALLBACK), server.base())));
}

TEST_F(Download, RedirectToAGoodFileIsFollowed)
{
    server.serve("/downloads/11/dbase.enc", redirectTo("/mirror/dbase.enc"));
    server.serve("/mirror/dbase.enc", "cipher");

    ASSERT_TRUE(fetch("/downloads/11/dbase.enc", "dbase.enc"));

    EXPECT_EQ(readFile("dbase.enc"), "cipher");
    EXPECT_FALSE(std::filesystem::exists("dbase.enc.tmp"));
}

TEST_F(Download, OnlyA200ReplyWithAGoodContentCounts)
{
    writeFile("dbase.enc", "good");
    server.serve("/no-content", HttpReply{204, "", -1});
    server.serve("/moved", HttpReply{302, "<html>Moved</html>", -1});  // a redirect without a place to go
    server.serve("/html", "<html>Moved</html>");
    const ContentCheck noHtml = [](const std::filesystem::path& file) {
        return readFile(file).starts_with("<html>") ? std::string("not a data file") : std::string();
    };
    const CurlHandle curl(curl_easy_init());
    const std::string base = server.base();

    EXPECT_FALSE(gf_download(curl, base + "/no-content", "dbase.enc", true));
    EXPECT_FALSE(gf_download(curl, base + "/moved", "dbase.enc", true));
    EXPECT_FALSE(gf_download(curl, base + "/html", "dbase.enc", true, DownloadRules{false, noHtml, nullptr}));

    EXPECT_EQ(readFile("dbase.enc"), "good");
    EXPECT_FALSE(std::filesystem::exists("dbase.enc.tmp"));
    EXPECT_TRUE(log.contains(fmt::format("Download error: 'HTTP reply 204 is not 200 OK' for {}/no-content", base)));
    EXPECT_TRUE(log.contains(fmt::format("Download error: 'HTTP reply 302 is not 200 OK' for {}/moved", base)));
    EXPECT_TRUE(log.contains(fmt::format("Download error: 'content check failed: not a data file' for {}/html", base)));
}

TEST_F(Download, HttpErrorCreatesNoTargetFile)
{
    EXPECT_FALSE(fetch("/missing.enc", "dbase.enc"));
    EXPECT_FALSE(std::filesystem::exists("dbase.enc"));
}

TEST_F(Download, MissingFolderFailsBeforeAnyRequest)
{
    server.serve("/x.xml", "x");
    EXPECT_FALSE(fetch("/x.xml", "nowhere/x.xml"));

    EXPECT_TRUE(log.contains("Could not open output file: nowhere/x.xml"));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(Download, NoHandleFailsAtOnce)
{
    EXPECT_FALSE(gf_download(CurlHandle{}, server.base() + "/x", "x", true));
    EXPECT_FALSE(std::filesystem::exists("x"));
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(Download, DataFileComesFromTheMajorVersionFolder)
{
    gf_setDownloadHost(server.base());
    server.serve("/downloads/11/dbase.enc", "cipher");
    std::filesystem::create_directory("input");

    ASSERT_TRUE(gf_downloadFile("dbase.enc", "input/dbase.enc"));
    EXPECT_FALSE(gf_downloadFile("AIG-regcodes.enc", "input/AIG-regcodes.enc"));

    EXPECT_EQ(readFile("input/dbase.enc"), "cipher");
    const std::string base = server.base() + "/downloads/11/";
    EXPECT_TRUE(log.contains(fmt::format("Downloaded '{}dbase.enc' to 'input/dbase.enc'", base)));
    EXPECT_TRUE(log.contains(fmt::format("==> Downloading '{}AIG-regcodes.enc' failed !", base)));
}
