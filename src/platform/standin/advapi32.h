// advapi32 stand-in: declarations of the calls the program makes.
#pragma once

#include "platform/standin/wintypes.h"


#define TOKEN_QUERY 0x0008

enum TOKEN_INFORMATION_CLASS {
    TokenUser = 1,
    TokenElevation = 20,
};

struct TOKEN_ELEVATION {
    DWORD TokenIsElevated;
};

extern "C" {

BOOL WINAPI OpenProcessToken(HANDLE ProcessHandle, DWORD DesiredAccess, PHANDLE TokenHandle);
BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass,
                                LPVOID TokenInformation, DWORD TokenInformationLength, PDWORD ReturnLength);

} // extern "C"
