// The kernel object table and CloseHandle.
#include "platform/standin/kernel32_objects.h"

#include "platform/standin/kernel32.h"

#include <map>
#include <mutex>
#include <unistd.h>

namespace standin {
namespace {

std::mutex l_objectsMutex;
std::map<std::uintptr_t, KernelObject> l_objects;
// Handle values are small multiples of 4, as on Windows.
std::uintptr_t l_nextHandle = 0x100;

} // namespace

HANDLE addKernelObject(const KernelObject& object)
{
    std::lock_guard lock(l_objectsMutex);
    const std::uintptr_t value = l_nextHandle;
    l_nextHandle += 4;
    l_objects.emplace(value, object);
    return reinterpret_cast<HANDLE>(value);
}

std::optional<KernelObject> findKernelObject(HANDLE handle)
{
    std::lock_guard lock(l_objectsMutex);
    const auto found = l_objects.find(reinterpret_cast<std::uintptr_t>(handle));
    return found == l_objects.end() ? std::nullopt : std::optional<KernelObject>(found->second);
}

std::optional<KernelObject> takeKernelObject(HANDLE handle)
{
    std::lock_guard lock(l_objectsMutex);
    const auto found = l_objects.find(reinterpret_cast<std::uintptr_t>(handle));
    if (found == l_objects.end()) {
        return std::nullopt;
    }
    KernelObject object = found->second;
    l_objects.erase(found);
    return object;
}

} // namespace standin

extern "C" BOOL WINAPI CloseHandle(HANDLE hObject)
{
    const std::optional<standin::KernelObject> object = standin::takeKernelObject(hObject);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (object->fd >= 0) {
        close(object->fd);
    }
    if (!object->deleteOnClose.empty()) {
        std::error_code error;
        std::filesystem::remove(object->deleteOnClose, error);
    }
    return TRUE;
}
