// kernel32 stand-in: CreateFileW, WriteFile, as far as the program's write test
// of a folder needs them. Tests can deny writes under a folder, because root
// ignores permissions.
#include "platform/standin/kernel32.h"
#include "platform/standin/kernel32_control.h"
#include "platform/standin/kernel32_objects.h"
#include "platform/standin/standin_support.h"

#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <unistd.h>

namespace {

namespace fs = std::filesystem;

std::mutex l_denyMutex;
fs::path l_deniedFolder;

bool lf_denied(const fs::path& file)
{
    std::lock_guard lock(l_denyMutex);
    if (l_deniedFolder.empty()) {
        return false;
    }
    const fs::path relative = file.lexically_normal().lexically_relative(l_deniedFolder);
    return !relative.empty() && *relative.begin() != "..";
}

int lf_openFlags(DWORD access, DWORD disposition)
{
    int flags = O_CLOEXEC;
    const bool reads = (access & GENERIC_READ) != 0;
    const bool writes = (access & GENERIC_WRITE) != 0;
    flags |= reads && writes ? O_RDWR : (writes ? O_WRONLY : O_RDONLY);
    switch (disposition) {
    case CREATE_NEW:
        return flags | O_CREAT | O_EXCL;
    case CREATE_ALWAYS:
        return flags | O_CREAT | O_TRUNC;
    case OPEN_ALWAYS:
        return flags | O_CREAT;
    default:
        return flags;
    }
}

DWORD lf_windowsError(int error, const fs::path& file)
{
    switch (error) {
    case ENOENT: {
        std::error_code ec;
        return fs::is_directory(file.parent_path(), ec) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    case ENOTDIR:
        return ERROR_PATH_NOT_FOUND;
    case EEXIST:
        return ERROR_FILE_EXISTS;
    case ENOSPC:
        return ERROR_DISK_FULL;
    default:
        return ERROR_ACCESS_DENIED;
    }
}

} // namespace

namespace standin {

void denyWritesUnder(const fs::path& folder)
{
    std::lock_guard lock(l_denyMutex);
    l_deniedFolder = folder.lexically_normal();
}

} // namespace standin

extern "C" HANDLE WINAPI CreateFileW(LPCWSTR lpFileName, DWORD dwDesiredAccess, DWORD, LPSECURITY_ATTRIBUTES,
                                     DWORD dwCreationDisposition, DWORD dwFlagsAndAttributes, HANDLE)
{
    if (lpFileName == nullptr || *lpFileName == L'\0') {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    const fs::path file = standin::widePath(lpFileName);
    if (lf_denied(file)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    const int fd = open(file.c_str(), lf_openFlags(dwDesiredAccess, dwCreationDisposition), 0644);
    if (fd < 0) {
        SetLastError(lf_windowsError(errno, file));
        return INVALID_HANDLE_VALUE;
    }
    const bool deleteOnClose = (dwFlagsAndAttributes & FILE_FLAG_DELETE_ON_CLOSE) != 0;
    SetLastError(ERROR_SUCCESS);
    return standin::addKernelObject({standin::KernelObject::Kind::File, fd, deleteOnClose ? file : fs::path()});
}

extern "C" BOOL WINAPI WriteFile(HANDLE hFile, LPCVOID lpBuffer, DWORD nNumberOfBytesToWrite,
                                 LPDWORD lpNumberOfBytesWritten, LPOVERLAPPED)
{
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = 0;
    }
    const std::optional<standin::KernelObject> object = standin::findKernelObject(hFile);
    if (!object || object->kind != standin::KernelObject::Kind::File) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    const ssize_t written = write(object->fd, lpBuffer, nNumberOfBytesToWrite);
    if (written < 0) {
        SetLastError(errno == ENOSPC ? ERROR_DISK_FULL : ERROR_WRITE_FAULT);
        return FALSE;
    }
    if (lpNumberOfBytesWritten != nullptr) {
        *lpNumberOfBytesWritten = static_cast<DWORD>(written);
    }
    return TRUE;
}
