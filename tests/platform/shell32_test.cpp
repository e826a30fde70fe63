// The shell32 stand-in: known folders and the Windows command-line rules.
#include "platform/win32.h"
#include "platform/standin/standin_support.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string knownFolder(REFKNOWNFOLDERID id)
{
    PWSTR text = nullptr;
    if (FAILED(SHGetKnownFolderPath(id, 0, nullptr, &text))) {
        return "FAILED";
    }
    const std::string out = standin::narrow(text);
    CoTaskMemFree(text);
    return out;
}

std::vector<std::string> split(const wchar_t* line)
{
    int count = 0;
    LPWSTR* argv = CommandLineToArgvW(line, &count);
    std::vector<std::string> args;
    for (int i = 0; i < count; ++i) {
        args.push_back(standin::narrow(argv[i]));
    }
    EXPECT_EQ(argv[count], nullptr);
    LocalFree(argv);
    return args;
}

} // namespace

TEST(Shell32, KnownFoldersUnderTheStandinRoot)
{
    setenv("SKYWEAVER_STANDIN_ROOT", "/tmp/r\xC3\xB6ot", 1);
    EXPECT_EQ(knownFolder(FOLDERID_RoamingAppData), "/tmp/r\xC3\xB6ot/AppData/Roaming");
    EXPECT_EQ(knownFolder(FOLDERID_LocalAppData), "/tmp/r\xC3\xB6ot/AppData/Local");
    EXPECT_EQ(knownFolder(FOLDERID_ProgramFiles), "/tmp/r\xC3\xB6ot/Program Files");
    EXPECT_EQ(knownFolder(FOLDERID_ProgramFilesX86), "/tmp/r\xC3\xB6ot/Program Files (x86)");
}

TEST(Shell32, KnownFoldersDefaultToTheXdgFolders)
{
    unsetenv("SKYWEAVER_STANDIN_ROOT");
    setenv("HOME", "/home/pilot", 1);
    unsetenv("XDG_CONFIG_HOME");
    setenv("XDG_DATA_HOME", "/data", 1);
    EXPECT_EQ(knownFolder(FOLDERID_RoamingAppData), "/home/pilot/.config");
    EXPECT_EQ(knownFolder(FOLDERID_LocalAppData), "/data");
    EXPECT_EQ(knownFolder(FOLDERID_ProgramFiles), "/data/Program Files");
    unsetenv("HOME");
    EXPECT_EQ(knownFolder(FOLDERID_RoamingAppData), "FAILED");
}

TEST(Shell32, CommandLineFollowsWindowsQuotingRules)
{
    struct Case {
        const wchar_t* line;
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {L"prog.exe --production", {"prog.exe", "--production"}},
        {L"\"C:\\Program Files\\sk.exe\" /production  x", {"C:\\Program Files\\sk.exe", "/production", "x"}},
        {L"p \"a b\" c", {"p", "a b", "c"}},
        {L"p a\\\\\\\"b", {"p", "a\\\"b"}},
        {L"p a\\\\\"b c\"", {"p", "a\\b c"}},
        {L"p a\\b\\\\c", {"p", "a\\b\\\\c"}},
        {L"p \"\" x", {"p", "", "x"}},
        {L"p \"say \"\"hi\"\"\"", {"p", "say \"hi\""}},
        {L"p\t\ta\t", {"p", "a"}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(split(c.line), c.args) << standin::narrow(c.line);
    }
}

TEST(Shell32, EmptyCommandLineGivesTheProgramPath)
{
    const std::vector<std::string> args = split(L"");
    ASSERT_EQ(args.size(), 1u);
    EXPECT_NE(args[0].find("tests_platform"), std::string::npos);
}

TEST(Shell32, ShellExecuteOfMissingItemFails)
{
    testsupport::TempFolder folder;
    const std::wstring missing = standin::widen((folder / "missing").string());
    EXPECT_LE(reinterpret_cast<INT_PTR>(ShellExecuteW(nullptr, L"open", missing.c_str(), nullptr, nullptr, SW_SHOWNORMAL)),
              32);
}
