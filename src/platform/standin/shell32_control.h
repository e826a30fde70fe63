// Test control of the shell32 stand-in: known-folder failures and the record
// of ShellExecuteW calls.
#pragma once

#include <string>
#include <vector>

namespace standin {

struct ShellExecuteCall {
    std::string operation;
    std::string file;
    std::string parameters;
    std::string directory;
    int showCommand = 0;
    long long result = 0;
};

// While set, SHGetKnownFolderPath fails for every folder.
void setKnownFoldersFail(bool fail);
std::vector<ShellExecuteCall> shellExecuteCalls();
void clearShellExecuteCalls();

} // namespace standin
