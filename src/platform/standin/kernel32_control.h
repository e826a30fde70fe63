// Control of the kernel32 stand-in: the process's command line, and folders
// whose files tests make unwritable (root ignores permissions).
#pragma once

#include <filesystem>

namespace standin {

// Builds the command line that GetCommandLineW returns from main's arguments,
// quoted so that CommandLineToArgvW gives them back.
void setCommandLine(int argc, const char* const* argv);
// Back to the kernel's record of the process's arguments.
void forgetCommandLine();
// The command line after the program name, as wWinMain receives it.
const wchar_t* commandLineArguments();

// CreateFileW refuses to create or open files under this folder (empty path: none).
void denyWritesUnder(const std::filesystem::path& folder);

} // namespace standin
