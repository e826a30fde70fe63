// shell32 and ole32 stand-in: declarations of the calls the program makes.
#pragma once

#include "platform/standin/wintypes.h"

#define SW_HIDE 0
#define SW_SHOWNORMAL 1
#define SW_SHOW 5

// Known folders (identifiers as on Windows).
extern "C" const KNOWNFOLDERID FOLDERID_RoamingAppData;
extern "C" const KNOWNFOLDERID FOLDERID_LocalAppData;
extern "C" const KNOWNFOLDERID FOLDERID_ProgramFiles;
extern "C" const KNOWNFOLDERID FOLDERID_ProgramFilesX86;

extern "C" {

HRESULT WINAPI SHGetKnownFolderPath(REFKNOWNFOLDERID rfid, DWORD dwFlags, HANDLE hToken, PWSTR* ppszPath);
void WINAPI CoTaskMemFree(LPVOID pv);
HINSTANCE WINAPI ShellExecuteW(HWND hwnd, LPCWSTR lpOperation, LPCWSTR lpFile, LPCWSTR lpParameters,
                               LPCWSTR lpDirectory, INT nShowCmd);
LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR lpCmdLine, int* pNumArgs);

} // extern "C"
