// advapi32 stand-in: the process token answers whether the process is
// elevated, which here means that it runs as root.
#include "platform/standin/advapi32.h"
#include "platform/standin/advapi32_control.h"
#include "platform/standin/kernel32.h"
#include "platform/standin/kernel32_objects.h"

#include <atomic>
#include <unistd.h>

namespace {

// -1: follow the user id; 0 or 1: set by a test.
std::atomic<int> l_elevatedOverride{-1};
std::atomic<bool> l_tokenFails{false};

bool lf_elevated()
{
    const int forced = l_elevatedOverride.load();
    return forced >= 0 ? forced == 1 : geteuid() == 0;
}

} // namespace

namespace standin {

void setElevated(std::optional<bool> elevated)
{
    l_elevatedOverride.store(elevated ? (*elevated ? 1 : 0) : -1);
}

void setTokenQueryFails(bool fail)
{
    l_tokenFails.store(fail);
}

} // namespace standin

extern "C" BOOL WINAPI OpenProcessToken(HANDLE, DWORD, PHANDLE TokenHandle)
{
    if (TokenHandle == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (l_tokenFails.load()) {
        *TokenHandle = nullptr;
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    *TokenHandle = standin::addKernelObject({standin::KernelObject::Kind::Token, -1, {}});
    return TRUE;
}

extern "C" BOOL WINAPI GetTokenInformation(HANDLE TokenHandle, TOKEN_INFORMATION_CLASS TokenInformationClass,
                                           LPVOID TokenInformation, DWORD TokenInformationLength, PDWORD ReturnLength)
{
    const std::optional<standin::KernelObject> token = standin::findKernelObject(TokenHandle);
    if (!token || token->kind != standin::KernelObject::Kind::Token) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (TokenInformationClass != TokenElevation) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    if (ReturnLength != nullptr) {
        *ReturnLength = sizeof(TOKEN_ELEVATION);
    }
    if (TokenInformation == nullptr || TokenInformationLength < sizeof(TOKEN_ELEVATION)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    static_cast<TOKEN_ELEVATION*>(TokenInformation)->TokenIsElevated = lf_elevated() ? 1 : 0;
    return TRUE;
}
