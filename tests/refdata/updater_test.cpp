#include "app/exit_reason.h"
#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "core/stop_flags.h"
#include "core/version_data.h"
#include "platform/standin/advapi32_control.h"
#include "platform/standin/kernel32_control.h"
#include "refdata/download.h"
#include "refdata/updater.h"
#include "support/http_server.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"
#include "support/zip_fixture.h"
#include "ui/status_line.h"

#include <fmt/format.h>
#include <gtest/gtest.h>
#include <zip.h>

#include <chrono>
#include <cstdlib>
#include <thread>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using namespace testsupport;

namespace {

std::string entry(const std::string& key, const std::string& version)
{
    const VersionData v(version);
    return "\"" + key + "\": {\"major\": " + std::to_string(v.major) + ", \"minor\": " + std::to_string(v.minor) +
           ", \"patch\": " + std::to_string(v.patch) + "}";
}

class Updater : public ::testing::Test {
protected:
    TempFolder work{true};
    TempFolder root;
    LogCapture log;
    HttpServer server;

    Updater()
    {
        testsupport::useAppDataRoot(root.path());
        fs::create_directories(folders::input());
        gf_writeParameters(true);
        gf_setDownloadHost(server.base());
        g_msfs2020 = true;
    }

    ~Updater() override
    {
        g_stopRequested = false;
        g_exitRequested = false;
        gf_setDownloadLimits({});
    }

    // The bytes of a data file encrypted with the program's key.
    static std::string encrypted(const std::string& plain)
    {
        TempFolder other;
        return readFile(writeEncryptedInput(other.path(), "data.enc", plain));
    }

    std::string storedSetting(const std::string& name) const
    {
        const std::string xml = readFile(g_parametersPath);
        const std::string key = "name=\"" + name + "\" value=\"";
        const auto at = xml.find(key);
        return at == std::string::npos ? "?" : xml.substr(at + key.size(), xml.find('"', at + key.size()) - at - key.size());
    }

    void publish(const std::vector<std::string>& entries)
    {
        std::string json = "{";
        for (const auto& e : entries) {
            json += (json.size() > 1 ? ", " : "") + e;
        }
        server.serve("/downloads/versions.json", json + "}");
    }

    std::vector<std::string> requested() const
    {
        std::vector<std::string> paths;
        for (const auto& request : server.requests()) {
            paths.push_back(request.path);
        }
        return paths;
    }
};

} // namespace

TEST(VersionText, ReadsNumbersOrJsonAndLogsFaults)
{
    TempFolder work(true);
    LogCapture log;
    const struct {
        std::string text;
        VersionData expected;
    } cases[] = {
        {"", {}},
        {"11.10.8", {11, 10, 8}},
        {R"({"major": 2, "minor": 3, "patch": 4})", {2, 3, 4}},
        {R"({"major": 2, "patch": "4"})", {2, 0, 0}},
        {"1.2", {}},
        {"99999999999.1.1", {}},
        {"{broken", {}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VersionData(c.text), c.expected) << c.text;
    }
    EXPECT_TRUE(log.contains("VersionData exception: invalid version format"));
    EXPECT_TRUE(log.contains("VersionData exception: parse error in version string"));
    EXPECT_EQ(gf_versionString({11, 10, 8}), "11.10.8");
}

TEST_F(Updater, DataFilesFollowTheWebVersionsAndNeverDowngrade)
{
    AIRPORTS_VERSION.value = "1.0.0";
    AIG_VERSION.value = "2.0.0";
    DBASE_VERSION.value = "3.0.0";
    const std::string newAirports = encrypted("<root>new airports</root>");
    const std::string dbase = encrypted("<root>dbase</root>");
    writeFile("input/airports.enc", "old airports");
    writeFile("input/AIG-regcodes.enc", "newer aig");
    server.serve("/downloads/11/airports.enc", newAirports);
    server.serve("/downloads/11/dbase.enc", dbase);
    server.serve("/downloads/11/AIG-regcodes.enc", "older aig");
    publish({entry("msfs", "11.10.8"), entry("airports", "1.1.0"), entry("aig", "1.9.9"), entry("dbase", "3.0.0"),
             entry("liveries", "0.0.0"), entry("addons", "0.0.0")});

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_EQ(readFile("input/airports.enc"), newAirports);
    EXPECT_EQ(readFile("input/AIG-regcodes.enc"), "newer aig");
    EXPECT_EQ(readFile("input/dbase.enc"), dbase);  // same version, but the file was missing
    EXPECT_EQ(AIRPORTS_VERSION.value, "1.1.0");
    EXPECT_EQ(AIG_VERSION.value, "2.0.0");
    EXPECT_FALSE(fs::exists("versions.json"));
    EXPECT_TRUE(log.contains("msfs program version at web = 11.10.8"));
    EXPECT_TRUE(log.contains("msfs version up-to-date"));
    EXPECT_TRUE(log.contains("airports updated to 1.1.0"));
    EXPECT_TRUE(log.contains("aig version up-to-date"));
    EXPECT_TRUE(log.contains("dbase updated to 3.0.0"));
    EXPECT_FALSE(log.contains("==> simaddon version not found"));  // MSFS 2020: not asked for
    const std::string stored = readFile(g_parametersPath);
    EXPECT_NE(stored.find(R"(name="AIRPORTS_VERSION" value="1.1.0")"), std::string::npos);
}

TEST_F(Updater, EqualVersionsWithTheFilesInPlaceDownloadNothing)
{
    AIRPORTS_VERSION.value = "1.1.0";
    AIG_VERSION.value = "2.0.0";
    DBASE_VERSION.value = "3.0.0";
    LIV_SCAN_VERSION.value = "5.0.0";
    ADDONS_SCAN_VERSION.value = "5.0.1";
    SCAN_LIVERIES.value = false;
    SCAN_AIRPORTS.value = false;
    for (const char* file : {"input/airports.enc", "input/AIG-regcodes.enc", "input/dbase.enc"}) {
        writeFile(file, "installed");
        server.serve(std::string("/downloads/11/") + (file + 6), "from the web");
    }
    fs::create_directories(folders::output());
    writeFile(folders::liveriesScannedXml(), "<root/>");
    publish({entry("msfs", "11.10.8"), entry("airports", "1.1.0"), entry("aig", "2.0.0"), entry("dbase", "3.0.0"),
             entry("liveries", "5.0.0"), entry("addons", "5.0.1")});

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_EQ(requested(), std::vector<std::string>{"/downloads/versions.json"});
    for (const char* file : {"input/airports.enc", "input/AIG-regcodes.enc", "input/dbase.enc"}) {
        EXPECT_EQ(readFile(file), "installed") << file;
    }
    EXPECT_FALSE(SCAN_LIVERIES.value);
    EXPECT_FALSE(SCAN_AIRPORTS.value);
    for (const char* key : {"msfs", "airports", "aig", "dbase", "liveries", "addons"}) {
        EXPECT_TRUE(log.contains(std::string(key) + " version up-to-date")) << key;
    }
    EXPECT_FALSE(g_stopRequested.load());
}

TEST_F(Updater, NewerScanVersionsSwitchTheScansOn)
{
    SCAN_LIVERIES.value = false;
    SCAN_AIRPORTS.value = false;
    LIV_SCAN_VERSION.value = "5.0.0";
    ADDONS_SCAN_VERSION.value = "5.0.0";
    publish({entry("liveries", "5.0.0"), entry("addons", "5.0.1")});

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_TRUE(SCAN_LIVERIES.value);  // LiveriesScanned.xml is missing
    EXPECT_TRUE(SCAN_AIRPORTS.value);
    EXPECT_EQ(ADDONS_SCAN_VERSION.value, "5.0.1");
    EXPECT_TRUE(log.contains("==> msfs version not found"));
    EXPECT_TRUE(log.contains("==> dbase version not found"));
    const std::string stored = readFile(g_parametersPath);
    EXPECT_NE(stored.find(R"(name="SCAN_AIRPORTS" value="true")"), std::string::npos);
    EXPECT_NE(stored.find(R"(name="ADDONS_SCAN_VERSION" value="5.0.1")"), std::string::npos);
}

TEST_F(Updater, NewProgramVersionIsPreparedAndEndsTheRun)
{
    server.serve("/downloads/release/setup_Skyweaver_d_v12.0.0.zip", zipBytes({{"setup.exe", "MZ installer"}}));
    server.serve("/downloads/docs/ReleaseNotes.pdf", "%PDF");
    publish({entry("msfs", "12.0.0"), entry("dbase", "9.0.0")});

    EXPECT_FALSE(gf_checkForUpdates());

    EXPECT_EQ(readFile("new_version/install_new_version.exe"), "MZ installer");
    EXPECT_EQ(readFile("new_version/ReleaseNotes.pdf"), "%PDF");
    EXPECT_EQ(readFile("new_version/README.txt"),
              "A new version is available.\nThe installer can be executed normally (no Administrator rights "
              "required).\n");
    EXPECT_FALSE(fs::exists("setup_Skyweaver_d_v12.0.0.zip"));
    EXPECT_FALSE(fs::exists("install_new_version.exe"));
    EXPECT_EQ(gf_exitReason(), ExitReason::NewVersion);
    EXPECT_EQ(g_restartDelaySeconds, 0);
    EXPECT_FALSE(log.contains("==> dbase version not found"));  // the rest is left for the new version
    EXPECT_EQ(requested().back(), "/downloads/docs/ReleaseNotes.pdf");
}

TEST_F(Updater, FailedInstallerDownloadIsShownAndTheStartGoesOn)
{
    server.serve("/downloads/release/setup_Skyweaver_d_v12.0.0.zip", "not a zip");
    publish({entry("msfs", "12.0.0"), entry("addons", "0.0.0")});

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_EQ(gf_statusLineText().message,
              "The downloading/unzipping of the new version failed? Try manually via the Tarnwick website.");
    EXPECT_TRUE(log.contains(
        fmt::format("Download error: 'content check failed: the archive does not open' for "
                    "{}/downloads/release/setup_Skyweaver_d_v12.0.0.zip",
                    server.base())));
    EXPECT_TRUE(log.contains("Downloading program installer file version 12.0.0 failed"));
    EXPECT_TRUE(log.contains("==> install_new_version.exe does not exists?"));
    EXPECT_TRUE(log.contains("addons version up-to-date"));
    EXPECT_EQ(gf_exitReason(), ExitReason{0});
}

TEST_F(Updater, InstallerThatFailsItsChecksumIsNotOffered)
{
    std::string zip = zipBytes({{"setup.exe", "MZ installer"}});
    zip[zip.find("PK\x01\x02") + 16] ^= 0x5A;  // the entry's CRC in the central directory
    server.serve("/downloads/release/setup_Skyweaver_d_v12.0.0.zip", zip);
    publish({entry("msfs", "12.0.0")});

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_TRUE(log.contains(fmt::format("==> Unzipping error code: {}", ZIP_ER_CRC)));
    EXPECT_FALSE(fs::exists("install_new_version.exe"));
    EXPECT_FALSE(fs::exists("new_version/install_new_version.exe"));
    EXPECT_EQ(gf_exitReason(), ExitReason{0});
}

TEST_F(Updater, FailedInstallerAttemptKeepsWhatEarlierRunsLeft)
{
    writeFile("new_version/install_new_version.exe", "MZ prepared by an earlier run");
    writeFile("install_new_version.exe", "MZ left over");
    std::string damaged = zipBytes({{"setup.exe", "MZ installer"}});
    damaged[damaged.find("PK\x01\x02") + 16] ^= 0x5A;
    const std::vector<HttpReply> attempts = {HttpReply{404, "missing", -1}, HttpReply{200, damaged, -1}};
    for (const HttpReply& attempt : attempts) {
        server.serve("/downloads/release/setup_Skyweaver_d_v12.0.0.zip", attempt);
        publish({entry("msfs", "12.0.0")});

        EXPECT_TRUE(gf_checkForUpdates()) << attempt.status;

        EXPECT_EQ(readFile("new_version/install_new_version.exe"), "MZ prepared by an earlier run");
        EXPECT_EQ(readFile("install_new_version.exe"), "MZ left over");
        EXPECT_FALSE(fs::exists("install_new_version.exe.tmp"));
        EXPECT_EQ(gf_exitReason(), ExitReason{0});
    }
}

// Hosts that misbehave while a newer data file is fetched.
struct DataFileHost {
    const char* name;
    HttpReply reply;
};

TEST_F(Updater, DataFileReplacesTheWorkingOneOnlyWhenGoodAndComplete)
{
    gf_setDownloadLimits({2s, 1000, 2s, 2s});
    const std::string working = encrypted("<root>working</root>");
    const std::string newer = encrypted("<root>" + std::string(5000, 'n') + "</root>");
    server.serve("/mirror/dbase.enc", newer);
    const DataFileHost hosts[] = {
        {"silent host", stalling(0)},
        {"stall after the first bytes", stalling(200, newer)},
        {"404", HttpReply{404, "missing", -1}},
        {"500", HttpReply{500, "broken", -1}},
        {"302 loop", redirectTo("/downloads/11/dbase.enc")},
        {"HTML instead of a data file", HttpReply{200, "<html>Moved</html>", -1}},
        {"body shorter than its length", HttpReply{200, newer.substr(0, 100), 5000}},
    };
    for (const DataFileHost& host : hosts) {
        writeFile("input/dbase.enc", working);
        gf_setStringParameter(DBASE_VERSION, "3.0.0");
        server.serve("/downloads/11/dbase.enc", host.reply);
        publish({entry("dbase", "3.1.0")});
        const auto start = std::chrono::steady_clock::now();

        EXPECT_TRUE(gf_checkForUpdates()) << host.name;

        EXPECT_LT(std::chrono::steady_clock::now() - start, 5s) << host.name;
        EXPECT_EQ(readFile("input/dbase.enc"), working) << host.name;
        EXPECT_EQ(storedSetting("DBASE_VERSION"), "3.0.0") << host.name;
        EXPECT_FALSE(fs::exists("input/dbase.enc.tmp")) << host.name;
        EXPECT_EQ(gf_exitReason(), ExitReason{0}) << host.name;
    }
    EXPECT_TRUE(log.contains(fmt::format("Download error: 'content check failed: the data file does not decrypt' "
                                         "for {}/downloads/11/dbase.enc",
                                         server.base())));

    server.serve("/downloads/11/dbase.enc", redirectTo("/mirror/dbase.enc"));
    EXPECT_TRUE(gf_checkForUpdates());
    EXPECT_EQ(readFile("input/dbase.enc"), newer);
    EXPECT_EQ(storedSetting("DBASE_VERSION"), "3.1.0");
}

TEST_F(Updater, CloseDuringAnyDownloadEndsTheCheckWithinTwoSeconds)
{
    const std::string working = encrypted("<root>working</root>");
    const std::vector<HttpReply> hosts = {stalling(0), stalling(200, encrypted("<root>" + std::string(5000, 'n') + "</root>"))};
    for (const std::string path : {"/downloads/versions.json", "/downloads/11/dbase.enc"}) {
        for (const HttpReply& host : hosts) {
            writeFile("input/dbase.enc", working);
            gf_setStringParameter(DBASE_VERSION, "3.0.0");
            g_exitRequested = false;
            g_stopRequested = false;
            publish({entry("dbase", "3.1.0"), entry("aig", "1.0.0")});
            server.serve(path, host);
            std::jthread closer([] {
                std::this_thread::sleep_for(500ms);
                gf_requestUserExit();
            });
            const auto start = std::chrono::steady_clock::now();

            EXPECT_TRUE(gf_checkForUpdates()) << path;

            closer.join();
            EXPECT_LT(std::chrono::steady_clock::now() - start, 2500ms) << path;
            EXPECT_EQ(readFile("input/dbase.enc"), working) << path;
            EXPECT_EQ(storedSetting("DBASE_VERSION"), "3.0.0") << path;
            EXPECT_FALSE(fs::exists("input/dbase.enc.tmp")) << path;
            EXPECT_FALSE(fs::exists("versions.json.tmp")) << path;
            EXPECT_EQ(gf_exitReason(), ExitReason::UserClosedSim) << path;
            g_exitReason = 0;
        }
    }
}

TEST_F(Updater, VersionsJsonThatIsNotJsonChangesNothing)
{
    server.serve("/downloads/versions.json", "<html>captive portal</html>");
    EXPECT_TRUE(gf_checkForUpdates());
    EXPECT_TRUE(log.contains("==> Downloading version info from my web site failed!"));
    EXPECT_FALSE(fs::exists("versions.json"));
}

TEST_F(Updater, SimAddonArchiveBecomesLinkFilesForMsfs2024)
{
    g_msfs2020 = false;
    server.serve("/downloads/derivavize24/my_simaddon2024.zip",
                 zipBytes({{"my_simaddon/", ""}, {"my_simaddon/EDDF.xml", "archive/simaddon/EDDF.xml"}}));
    publish({entry("simaddon", "1.0.0")});

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_EQ(readFile("airports/my_simaddon/EDDF.txt"), "archive/simaddon/EDDF.xml");
    EXPECT_EQ(DERIVAVIZE24_VERSION.value, "1.0.0");
    EXPECT_TRUE(log.contains("my_simaddon2024.zip unzipped 1 files"));
    EXPECT_TRUE(log.contains("simaddon updated to 1.0.0"));
    EXPECT_FALSE(fs::exists("my_simaddon2024.zip"));
}

TEST_F(Updater, SimAddonEntryClaimingHugeSizeIsSkippedAndTheOthersUnpacked)
{
    g_msfs2020 = false;
    const std::string zip =
        zipBytes({{"my_simaddon/EDDF.xml", "archive/simaddon/EDDF.xml"}, {"my_simaddon/EGLL.xml", "archive/x.xml"}});
    server.serve("/downloads/derivavize24/my_simaddon2024.zip", withClaimedSize(zip, 1, std::uint64_t{1} << 63));
    publish({entry("simaddon", "1.0.0")});

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_EQ(readFile("airports/my_simaddon/EDDF.txt"), "archive/simaddon/EDDF.xml");
    EXPECT_FALSE(fs::exists("airports/my_simaddon/EGLL.txt"));
    EXPECT_TRUE(log.contains("==> Failed to write file: airports/my_simaddon/EGLL.txt"));
    EXPECT_TRUE(log.contains("my_simaddon2024.zip unzipped 1 files"));
    EXPECT_EQ(DERIVAVIZE24_VERSION.value, "1.0.0");
}

TEST_F(Updater, DamagedSimAddonArchiveKeepsTheInstalledFiles)
{
    g_msfs2020 = false;
    writeFile("airports/my_simaddon/EGLL.txt", "archive/simaddon/EGLL.xml");
    server.serve("/downloads/derivavize24/my_simaddon2024.zip", "damaged");
    publish({entry("simaddon", "2.0.0")});

    EXPECT_TRUE(gf_checkForUpdates());

    EXPECT_EQ(readFile("airports/my_simaddon/EGLL.txt"), "archive/simaddon/EGLL.xml");
    EXPECT_TRUE(log.contains("simaddon version up-to-date"));
    EXPECT_EQ(DERIVAVIZE24_VERSION.value, "");
}

TEST_F(Updater, UnreachableHostLeavesEverythingAsItIs)
{
    gf_setDownloadHost("http://127.0.0.1:1");
    EXPECT_TRUE(gf_checkForUpdates());
    EXPECT_TRUE(log.contains("==> Downloading version info from my web site failed!"));
}

TEST(InstallerRights, AdministratorOnlyForAnUnwritableProgramFilesFolder)
{
    TempFolder root;
    ::setenv("SKYWEAVER_STANDIN_ROOT", root.path().c_str(), 1);
    const fs::path program = root.path() / "Program Files" / "Skyweaver";
    fs::create_directories(program);
    const std::string normal =
        "A new version is available.\nThe installer can be executed normally (no Administrator rights required).";

    standin::setElevated(false);
    EXPECT_EQ(gf_installerRightsMessage(program), normal);  // writable
    standin::denyWritesUnder(program);
    EXPECT_EQ(gf_installerRightsMessage(program), "A new version is available. Run the installer as Administrator");
    standin::setElevated(true);
    EXPECT_EQ(gf_installerRightsMessage(program), normal);
    standin::setTokenQueryFails(true);
    EXPECT_EQ(gf_installerRightsMessage(program), "A new version is available. Run the installer as Administrator");
    standin::denyWritesUnder(root.path() / "elsewhere");
    EXPECT_EQ(gf_installerRightsMessage(root.path() / "elsewhere"), normal);  // not under Program Files
}
