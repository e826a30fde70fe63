// The start-up's own preparations: the data folders it makes and cleans, and the install
// path it keeps as the packages folder.
#include "app/app_steps.h"
#include "app/exit_reason.h"
#include "app/start_up_state.h"
#include "core/program_folders.h"
#include "core/settings.h"
#include "refdata/aircraft_db.h"
#include "support/livery_fixtures.h"
#include "support/log_capture.h"
#include "support/reference_xml.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

namespace {

// A working folder with its reference data and a restart's start-up (no update check),
// with the install path stored as the user typed it: its "Community" folder.
class InitApplication : public ::testing::Test {
protected:
    InitApplication() : work(true)
    {
        ::setenv("SKYWEAVER_STANDIN_ROOT", root.path().c_str(), 1);
        fs::create_directories(work.path() / "docs");
        testsupport::writeSmallReferenceData(work.path());
        fs::create_directories(root.path() / "MSFS" / "Community");
        fs::create_directories(g_appFolder.get());
        writeFile(g_parametersPath.get(),
                  "<?xml version=\"1.0\"?>\n<root><parameters>"
                  "<parameter name=\"MSFS_INSTALL_PATH\" value=\"" +
                      packages() + "\\Community\"/></parameters></root>\n");
        g_isRestart = true;
    }

    std::string packages() const { return (root.path() / "MSFS").string(); }

    TempFolder root;
    TempFolder work;
    testsupport::LogCapture log;
};

} // namespace

TEST_F(InitApplication, MakesEveryDataFolderAndRemovesTheObsoleteRegcodeFiles)
{
    writeFile("input/AIG-regcodes0.xml", "<old/>");
    writeFile("input/AIG-regcodes00.xml", "<old/>");

    lf_initApplication();

    for (const char* folder :
         {"output", "output/info", "output/errors", "input", "input/my_regcodes", "airports", "airports/learned",
          "airports/learned/stock", "airports/learned/simaddon", "airports/learned/thirdparty", "airports/stock",
          "airports/simaddon", "airports/thirdparty", "airports/my_thirdparty", "airports/my_simaddon"}) {
        EXPECT_TRUE(fs::is_directory(folder)) << folder;
    }
    EXPECT_FALSE(fs::exists("input/AIG-regcodes0.xml"));
    EXPECT_FALSE(fs::exists("input/AIG-regcodes00.xml"));
    EXPECT_TRUE(fs::exists("input/airports.enc"));  // the data files stay
}

TEST_F(InitApplication, InstallPathEndingInCommunityKeepsItsPackagesFolder)
{
    lf_initApplication();

    EXPECT_EQ(MSFS_INSTALL_PATH.value.load(), packages());
    EXPECT_EQ(ALL_INSTALL_PATH.value.load(), packages());
    const std::string stored = readFile(g_parametersPath.get());
    EXPECT_NE(stored.find("name=\"MSFS_INSTALL_PATH\" value=\"" + packages() + "\""), std::string::npos) << stored;
}

// The aircraft database is read once per process: a restart keeps the tables it read.
TEST_F(InitApplication, RestartDoesNotReadTheAircraftDatabaseAgain)
{
    lf_initApplication();
    ASSERT_TRUE(gf_isKnownAircraftType("A320"));
    fs::remove("input/dbase.enc");
    lf_resetForRestart();

    EXPECT_NO_THROW(lf_initApplication());
    EXPECT_TRUE(gf_isKnownAircraftType("A320"));
}
