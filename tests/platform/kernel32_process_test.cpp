// The kernel32 stand-in: the single-instance mutex, the command line and the
// file calls of the folder write test.
#include "platform/win32.h"
#include "platform/standin/kernel32_control.h"
#include "platform/standin/standin_support.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;
using testsupport::readFile;
using testsupport::TempFolder;

namespace {

// Runs CreateMutexA in a child process; true when the child saw ERROR_ALREADY_EXISTS.
bool otherProcessSeesMutex(const char* name)
{
    const pid_t child = fork();
    if (child == 0) {
        CreateMutexA(nullptr, FALSE, name);
        _exit(GetLastError() == ERROR_ALREADY_EXISTS ? 1 : 0);
    }
    int status = 0;
    waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 1;
}

std::vector<std::string> splitCommandLine()
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &count);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) {
        args.push_back(standin::narrow(argv[i]));
    }
    LocalFree(argv);
    return args;
}

} // namespace

TEST(Kernel32Process, SecondCopyOfTheNamedMutexSeesAlreadyExists)
{
    TempFolder root;
    setenv("SKYWEAVER_STANDIN_ROOT", root.path().c_str(), 1);
    EXPECT_FALSE(otherProcessSeesMutex("Local\\$SKWV$"));
    HANDLE mutex = CreateMutexA(nullptr, FALSE, "Local\\$SKWV$");
    ASSERT_NE(mutex, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_TRUE(fs::exists(root.path() / "standin-locks" / "Local_$SKWV$.lock"));
    EXPECT_TRUE(otherProcessSeesMutex("Local\\$SKWV$"));
    HANDLE again = CreateMutexA(nullptr, FALSE, "Local\\$SKWV$");
    EXPECT_NE(again, nullptr);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
    EXPECT_FALSE(otherProcessSeesMutex("Local\\Other"));
    // Closing the owning handle frees the name.
    EXPECT_TRUE(CloseHandle(mutex));
    EXPECT_FALSE(otherProcessSeesMutex("Local\\$SKWV$"));
}

TEST(Kernel32Process, SeparateRootsNeverSeeEachOther)
{
    TempFolder first;
    TempFolder second;
    setenv("SKYWEAVER_STANDIN_ROOT", first.path().c_str(), 1);
    ASSERT_NE(CreateMutexA(nullptr, FALSE, "Local\\$SKWV$"), nullptr);
    setenv("SKYWEAVER_STANDIN_ROOT", second.path().c_str(), 1);
    EXPECT_FALSE(otherProcessSeesMutex("Local\\$SKWV$"));
}

TEST(Kernel32Process, CommandLineRoundTripsThroughTheWindowsRules)
{
    const char* argv[] = {"/opt/Sky Weaver/skyweaver", "--production", "a b", "say \"hi\"", "", "C:\\dir\\", "x\\\\"};
    standin::setCommandLine(7, argv);
    EXPECT_EQ(splitCommandLine(), std::vector<std::string>(argv, argv + 7));
    EXPECT_EQ(standin::narrow(standin::commandLineArguments()),
              "--production \"a b\" \"say \\\"hi\\\"\" \"\" C:\\dir\\ x\\\\");
}

TEST(Kernel32Process, CommandLineDefaultsToTheProcessArguments)
{
    const std::vector<std::string> args = splitCommandLine();
    ASSERT_FALSE(args.empty());
    EXPECT_NE(args[0].find("tests_platform"), std::string::npos);
}

TEST(Kernel32Files, WriteTestFileIsWrittenAndDeletedOnClose)
{
    TempFolder folder;
    const std::wstring name = standin::widen((folder / ".write_test.tmp").string());
    HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    const char byte = 'x';
    DWORD written = 0;
    EXPECT_TRUE(WriteFile(file, &byte, 1, &written, nullptr));
    EXPECT_EQ(written, 1u);
    EXPECT_EQ(readFile(folder / ".write_test.tmp"), "x");
    EXPECT_TRUE(CloseHandle(file));
    EXPECT_FALSE(fs::exists(folder / ".write_test.tmp"));
    SetLastError(0);
    EXPECT_FALSE(CloseHandle(file));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST(Kernel32Files, DeniedAndMissingFoldersFailWithWindowsErrors)
{
    TempFolder folder;
    standin::denyWritesUnder(folder / "Program Files");
    fs::create_directories(folder / "Program Files" / "Skyweaver");
    const std::wstring denied = standin::widen((folder / "Program Files" / "Skyweaver" / "t.tmp").string());
    EXPECT_EQ(CreateFileW(denied.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    const std::wstring missing = standin::widen((folder / "missing" / "t.tmp").string());
    EXPECT_EQ(CreateFileW(missing.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
    // A sibling whose name merely starts the same is not under the denied folder.
    fs::create_directories(folder / "Program Files (x86)");
    const std::wstring sibling = standin::widen((folder / "Program Files (x86)" / "t.tmp").string());
    HANDLE file = CreateFileW(sibling.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE);
    CloseHandle(file);
    standin::denyWritesUnder({});
    HANDLE allowed = CreateFileW(denied.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    EXPECT_NE(allowed, INVALID_HANDLE_VALUE);
    CloseHandle(allowed);
}

TEST(Kernel32Basics, CaseInsensitiveWideCompare)
{
    EXPECT_EQ(_wcsicmp(L"--PRODUCTION", L"--production"), 0);
    EXPECT_NE(_wcsicmp(L"--production", L"--no-production"), 0);
    EXPECT_LT(_wcsicmp(L"a", L"B"), 0);
}
