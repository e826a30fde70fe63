// Helpers shared by the stand-ins.
#include "platform/standin/standin_support.h"

#include "platform/standin/kernel32.h"

#include <cstdlib>
#include <cstring>
#include <new>

namespace standin {

namespace {

std::optional<std::filesystem::path> lf_envFolder(const char* name)
{
    const char* value = std::getenv(name);
    if (value == nullptr || *value == '\0') {
        return std::nullopt;
    }
    return std::filesystem::path(std::u8string(reinterpret_cast<const char8_t*>(value)));
}

} // namespace

std::optional<std::filesystem::path> standinRoot()
{
    return lf_envFolder("SKYWEAVER_STANDIN_ROOT");
}

std::optional<std::filesystem::path> homeFolder()
{
    return lf_envFolder("HOME");
}

std::wstring widen(std::string_view utf8)
{
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int units = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring out(static_cast<std::size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), units);
    return out;
}

std::string narrow(std::wstring_view wide)
{
    if (wide.empty()) {
        return {};
    }
    const int size = static_cast<int>(wide.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, out.data(), bytes, nullptr, nullptr);
    return out;
}

std::filesystem::path widePath(const wchar_t* wide)
{
    const std::string utf8 = narrow(wide == nullptr ? std::wstring_view{} : std::wstring_view{wide});
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

wchar_t* mallocWideCopy(std::wstring_view text)
{
    auto* block = static_cast<wchar_t*>(std::malloc((text.size() + 1) * sizeof(wchar_t)));
    if (block == nullptr) {
        throw std::bad_alloc();
    }
    std::memcpy(block, text.data(), text.size() * sizeof(wchar_t));
    block[text.size()] = L'\0';
    return block;
}

} // namespace standin
