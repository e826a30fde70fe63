// The kernel objects behind the stand-ins' HANDLE values: lock files of named
// mutexes, open files and process tokens.
#pragma once

#include "platform/standin/wintypes.h"

#include <filesystem>
#include <optional>

namespace standin {

struct KernelObject {
    enum class Kind { Mutex, File, Token };
    Kind kind = Kind::File;
    int fd = -1;
    std::filesystem::path deleteOnClose;
};

HANDLE addKernelObject(const KernelObject& object);
std::optional<KernelObject> findKernelObject(HANDLE handle);
// Removes the object from the table; nothing when the handle is not one of ours.
std::optional<KernelObject> takeKernelObject(HANDLE handle);

} // namespace standin
