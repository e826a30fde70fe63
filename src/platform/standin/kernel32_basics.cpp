// kernel32 stand-in: the thread's last error, the process pseudo handle, local
// memory and the runtime's case-insensitive wide compare.
#include "platform/standin/kernel32.h"

#include <cstdlib>
#include <cwctype>

namespace {

thread_local DWORD l_lastError = ERROR_SUCCESS;

} // namespace

extern "C" DWORD WINAPI GetLastError()
{
    return l_lastError;
}

extern "C" void WINAPI SetLastError(DWORD dwErrCode)
{
    l_lastError = dwErrCode;
}

extern "C" HANDLE WINAPI GetCurrentProcess()
{
    return reinterpret_cast<HANDLE>(static_cast<LONG_PTR>(-1));
}

// Blocks handed out by the stand-ins as local memory come from malloc.
extern "C" HLOCAL WINAPI LocalFree(HLOCAL hMem)
{
    std::free(hMem);
    return nullptr;
}

extern "C" int _wcsicmp(const wchar_t* a, const wchar_t* b)
{
    for (;; ++a, ++b) {
        const auto ca = static_cast<wint_t>(std::towlower(static_cast<wint_t>(*a)));
        const auto cb = static_cast<wint_t>(std::towlower(static_cast<wint_t>(*b)));
        if (ca != cb || ca == 0) {
            return ca < cb ? -1 : (ca > cb ? 1 : 0);
        }
    }
}
