// Helpers shared by the stand-ins: the folder tree they are rooted in and
// wide text (UTF-32 here) to and from UTF-8.
#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace standin {

// The folder named by SKYWEAVER_STANDIN_ROOT; nothing when it is unset or empty.
std::optional<std::filesystem::path> standinRoot();
// The user's home folder ($HOME); nothing when unset.
std::optional<std::filesystem::path> homeFolder();

std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view wide);
std::filesystem::path widePath(const wchar_t* wide);

// A copy of the text in one malloc block with its terminator, for the calls
// whose result the caller frees (CoTaskMemFree, LocalFree).
wchar_t* mallocWideCopy(std::wstring_view text);

} // namespace standin
