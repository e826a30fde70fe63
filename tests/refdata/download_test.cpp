#include "core/log.h"
#include "refdata/download.h"
#include "support/http_server.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <fmt/format.h>
#include <gtest/gtest.h>

using testsupport::HttpReply;
using testsupport::HttpServer;
using testsupport::LogCapture;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

class Download : public ::testing::Test {
protected:
    TempFolder folder{true};
    LogCapture log;
    HttpServer server;

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

TEST_F(Download, HttpErrorKeepsTheGoodFile)
{
    writeFile("dbase.enc", "good");
    EXPECT_FALSE(fetch("/missing.enc", "dbase.enc"));

    EXPECT_EQ(readFile("dbase.enc"), "good");
    EXPECT_FALSE(std::filesystem::exists("dbase.enc.tmp"));
    EXPECT_TRUE(log.contains(fmt::format("Download error: '{}' for {}/missing.enc",
                                         curl_easy_strerror(CURLE_HTTP_RETURNED_ERROR), server.base())));
}

TEST_F(Download, HttpErrorCreatesNoTargetFile)
{
    EXPECT_FALSE(fetch("/missing.enc", "dbase.enc"));
    EXPECT_FALSE(std::filesystem::exists("dbase.enc"));
}

TEST_F(Download, CutTransferKeepsTheGoodFile)
{
    writeFile("airports.enc", "good");
    server.serve("/airports.enc", HttpReply{200, "partial", 1000});

    EXPECT_FALSE(fetch("/airports.enc", "airports.enc"));

    EXPECT_EQ(readFile("airports.enc"), "good");
    EXPECT_FALSE(std::filesystem::exists("airports.enc.tmp"));
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
