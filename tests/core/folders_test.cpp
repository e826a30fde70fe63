#include "core/folders.h"
#include "core/known_folders.h"
#include "platform/standin/shell32_control.h"
#include "support/log_capture.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

namespace fs = std::filesystem;
using testsupport::LogCapture;
using testsupport::TempFolder;
using testsupport::writeFile;

TEST(Folders, RemoveFilesKeepsSubfolders)
{
    TempFolder folder;
    writeFile(folder / "a.txt", "a");
    writeFile(folder / "b.XML", "b");
    fs::create_directories(folder / "sub");
    writeFile(folder.path() / "sub" / "c.txt", "c");
    gf_removeFilesFromDirectory(folder.path());
    EXPECT_FALSE(fs::exists(folder / "a.txt"));
    EXPECT_FALSE(fs::exists(folder / "b.XML"));
    EXPECT_TRUE(fs::exists(folder.path() / "sub" / "c.txt"));
    gf_removeFilesFromDirectory(folder / "missing");
}

TEST(Folders, RemoveXmlFilesOfTbloIgnoresLetterCase)
{
    TempFolder folder(true);
    fs::create_directories("tblo");
    writeFile("tblo/a.xml", "a");
    writeFile("tblo/b.XmL", "b");
    writeFile("tblo/keep.txt", "c");
    gf_removeXMLFilesFromDirectory();
    EXPECT_FALSE(fs::exists("tblo/a.xml"));
    EXPECT_FALSE(fs::exists("tblo/b.XmL"));
    EXPECT_TRUE(fs::exists("tblo/keep.txt"));
}

TEST(Folders, DirHasEntries)
{
    TempFolder folder;
    EXPECT_FALSE(gf_dirHasEntries(folder.path()));
    EXPECT_FALSE(gf_dirHasEntries(folder / "missing"));
    fs::create_directories(folder / "sub");
    EXPECT_TRUE(gf_dirHasEntries(folder.path()));
}

TEST(Folders, ListsStemsOfMyThirdpartyXmlFiles)
{
    TempFolder folder(true);
    EXPECT_TRUE(gf_listMyThirdpartyFiles().empty());
    fs::create_directories("airports/my_thirdparty/sub");
    writeFile("airports/my_thirdparty/EDDF.xml", "");
    writeFile("airports/my_thirdparty/KJFK.XML", "");
    writeFile("airports/my_thirdparty/notes.txt", "");
    writeFile("airports/my_thirdparty/sub/EGLL.xml", "");
    std::vector<std::string> stems = gf_listMyThirdpartyFiles();
    std::sort(stems.begin(), stems.end());
    EXPECT_EQ(stems, (std::vector<std::string>{"EDDF", "KJFK"}));
}

TEST(Folders, FindsFirstFileWithExtensionInSubfolders)
{
    TempFolder folder;
    fs::create_directories(folder / "a/b");
    writeFile(folder.path() / "a" / "b" / "scenery.BGL", "");
    const std::optional<fs::path> found = gf_findFirstFileWithExtension(folder.path(), ".bgl");
    ASSERT_TRUE(found);
    EXPECT_EQ(found->filename(), "scenery.BGL");
    EXPECT_FALSE(gf_findFirstFileWithExtension(folder.path(), ".xml"));
    EXPECT_FALSE(gf_findFirstFileWithExtension(folder / "missing", ".bgl"));
}

TEST(KnownFolders, AppDataFoldersFollowTheStandinRoot)
{
    TempFolder root;
    setenv("SKYWEAVER_STANDIN_ROOT", root.path().c_str(), 1);
    EXPECT_EQ(gf_appDataPath(), root.path() / "AppData" / "Roaming");
    EXPECT_EQ(gf_localAppDataPath(), root.path() / "AppData" / "Local");
    EXPECT_EQ(gf_knownFolderPath(FOLDERID_ProgramFilesX86), root.path() / "Program Files (x86)");
}

TEST(KnownFolders, FailureLogsAndGivesEmptyPath)
{
    TempFolder folder(true);
    LogCapture log;
    standin::setKnownFoldersFail(true);
    EXPECT_FALSE(gf_knownFolderPath(FOLDERID_ProgramFiles));
    EXPECT_TRUE(gf_appDataPath().empty());
    EXPECT_TRUE(gf_localAppDataPath().empty());
    const std::string logged = log.text();
    EXPECT_NE(logged.find("==> Could not find the AppData path\n"), std::string::npos);
    EXPECT_NE(logged.find("==> Could not find the Local AppData path\n"), std::string::npos);
}

TEST(KnownFolders, OpenParentFolderOpensTheFolderOfAnExistingPath)
{
    TempFolder folder;
    const fs::path file = folder.path() / "J\xC3\xB6rg" / "parameters.xml";
    fs::create_directories(file.parent_path());
    writeFile(file, "");
    standin::clearShellExecuteCalls();
    EXPECT_TRUE(gf_openParentFolder(file));
    EXPECT_FALSE(gf_openParentFolder(folder / "missing.xml"));
    const std::vector<standin::ShellExecuteCall> calls = standin::shellExecuteCalls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].operation, "open");
    EXPECT_EQ(calls[0].file, file.parent_path().string());
    EXPECT_EQ(calls[0].showCommand, SW_SHOWNORMAL);
}
