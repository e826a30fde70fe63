// The process entry off Windows: hands control to the program's wWinMain, as
// the Windows C runtime does.
#include "app/win_main.h"

int main()
{
    static wchar_t emptyCommandLine[] = L"";
    return wWinMain(nullptr, nullptr, emptyCommandLine, 1);
}
