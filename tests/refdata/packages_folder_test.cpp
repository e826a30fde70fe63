#include "core/parameters_document.h"
#include "core/parameters_xml.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "core/sim_choice.h"
#include "refdata/packages_folder.h"
#include "support/log_capture.h"
#include "support/program_state.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

class PackagesFolder : public ::testing::Test {
protected:
    TempFolder work{true};
    TempFolder root;
    LogCapture log;

    PackagesFolder()
    {
        testsupport::useAppDataRoot(root.path());
        gf_writeParameters(true);
    }

    fs::path roaming() const { return root.path() / "AppData" / "Roaming"; }
    fs::path local() const { return root.path() / "AppData" / "Local"; }

    static fs::path packagesWith(const fs::path& folder, std::initializer_list<const char*> subfolders)
    {
        for (const char* sub : subfolders) {
            fs::create_directories(folder / sub);
        }
        return folder;
    }

    std::string stored(const char* name) const
    {
        pugi::xml_document document;
        document.load_file(g_parametersPath.get().c_str());
        return gf_findStringParameter(document, name).value_or("<none>");
    }
};

} // namespace

TEST_F(PackagesFolder, SteamFolderWithoutTheOfficialFolderFallsBackToUserCfg)
{
    g_msfs2020 = false;
    packagesWith(roaming() / "Microsoft Flight Simulator 2024" / "Packages", {"Community", "Official"});
    const fs::path store = packagesWith(work / "Store Packages", {"Community", "Official2024"});
    writeFile(local() / "Packages" / "Microsoft.Limitless_8wekyb3d8bbwe" / "LocalCache" / "UserCfg.opt",
              "Version 1\nInstalledPackagesPath \"" + store.string() + "\"\n");

    ASSERT_TRUE(gf_detectMsfsPackagesPath());

    EXPECT_EQ(stored("MSFS_2024_INSTALL_PATH"), store.string());
    EXPECT_EQ(stored("MSFS_INSTALL_PATH"), "");
    EXPECT_EQ(ALL_INSTALL_PATH.value, store.string());
    EXPECT_EQ(gf_msfsPath("Community"), store / "Community");
    EXPECT_TRUE(log.contains("UserCfg.opt: InstalledPackagesPath=" + store.string()));
}

TEST_F(PackagesFolder, SteamFolderOfMsfs2020NeedsNoOfficial2024)
{
    g_msfs2020 = true;
    const fs::path steam =
        packagesWith(roaming() / "Microsoft Flight Simulator" / "Packages", {"Community", "Official"});

    ASSERT_TRUE(gf_detectMsfsPackagesPath());

    EXPECT_EQ(stored("MSFS_INSTALL_PATH"), steam.string());
    EXPECT_TRUE(log.contains("Steam packages: " + steam.string()));
}

TEST_F(PackagesFolder, NothingFoundIsReportedPlaceByPlace)
{
    g_msfs2020 = true;
    EXPECT_FALSE(gf_detectMsfsPackagesPath());

    const auto lines = log.lines();
    const std::vector<std::string> expected{
        "MSFS detection, not found: " +
            (local() / "Packages/Microsoft.FlightSimulator_8wekyb3d8bbwe/LocalCache/UserCfg.opt").string(),
        "MSFS detection, not found: " + (roaming() / "Microsoft Flight Simulator/UserCfg.opt").string(),
        "MSFS detection, not found: " +
            (local() / "Packages/Microsoft.FlightDashboard_8wekyb3d8bbwe/LocalCache/UserCfg.opt").string(),
        "MSFS detection, not found: " + (local() / "MSFSPackages/UserCfg.opt").string(),
        "No UserCfg.opt found?"};
    ASSERT_GE(lines.size(), expected.size());
    EXPECT_EQ(std::vector<std::string>(lines.end() - 5, lines.end()), expected);
    EXPECT_EQ(stored("MSFS_INSTALL_PATH"), "");
}

TEST_F(PackagesFolder, UserCfgLineWithoutQuotesIsTakenWhole)
{
    g_msfs2020 = true;
    const fs::path folder = packagesWith(work / "P", {"Community", "Official"});
    writeFile(local() / "MSFSPackages" / "UserCfg.opt", "InstalledPackagesPath " + folder.string() + "\n");

    EXPECT_FALSE(gf_detectMsfsPackagesPath());
    EXPECT_TRUE(log.contains("UserCfg.opt: InstalledPackagesPath=InstalledPackagesPath " + folder.string()));
}
