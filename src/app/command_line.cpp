// The production option of the command line.
#include "app/command_line.h"

#include "platform/win32.h"

std::optional<bool> gf_productionOption(const std::vector<std::wstring>& arguments)
{
    std::optional<bool> option;
    for (std::size_t i = 1; i < arguments.size(); ++i) {
        const wchar_t* argument = arguments[i].c_str();
        if (_wcsicmp(argument, L"--production") == 0 || _wcsicmp(argument, L"/production") == 0) {
            option = true;
        } else if (_wcsicmp(argument, L"--no-production") == 0 || _wcsicmp(argument, L"/no-production") == 0) {
            option = false;
        }
    }
    return option;
}
