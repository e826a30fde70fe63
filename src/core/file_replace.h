// Replacing a good file safely: write beside it under a temporary name, then rename over it.
#pragma once

#include <filesystem>
#include <functional>

// The name a file is written under before it replaces the target: the target's name + ".tmp".
std::filesystem::path gf_temporaryNameFor(const std::filesystem::path& target);

// Calls write with the temporary name; when it reports success, renames the temporary file over
// the target. On any failure the temporary file is removed, the target stays as it was, and the
// cause is logged. True when the target now holds the new content.
bool gf_replaceFile(const std::filesystem::path& target, const std::function<bool(const std::filesystem::path&)>& write);
