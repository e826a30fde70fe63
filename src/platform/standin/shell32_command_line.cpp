// shell32 stand-in: CommandLineToArgvW with the Windows quoting rules. The
// program name ends at the next quote (when it starts with one) or blank, with
// no escapes; in the arguments 2n backslashes before a quote give n and the
// quote opens or closes a quoted block, 2n+1 give n and a literal quote,
// backslashes before anything else stay as they are, and "" inside a quoted
// block gives one literal quote.
#include "platform/standin/shell32.h"
#include "platform/standin/kernel32.h"
#include "platform/standin/standin_support.h"

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

bool lf_blank(wchar_t c)
{
    return c == L' ' || c == L'\t';
}

std::wstring lf_programName(std::wstring_view line, std::size_t& i)
{
    std::wstring name;
    if (i < line.size() && line[i] == L'"') {
        const std::size_t end = line.find(L'"', i + 1);
        name = line.substr(i + 1, end == std::wstring_view::npos ? std::wstring_view::npos : end - i - 1);
        i = end == std::wstring_view::npos ? line.size() : end + 1;
        return name;
    }
    while (i < line.size() && !lf_blank(line[i])) {
        name.push_back(line[i++]);
    }
    return name;
}

std::wstring lf_argument(std::wstring_view line, std::size_t& i)
{
    std::wstring arg;
    bool quoted = false;
    while (i < line.size() && (quoted || !lf_blank(line[i]))) {
        std::size_t backslashes = 0;
        while (i < line.size() && line[i] == L'\\') {
            ++backslashes;
            ++i;
        }
        if (i < line.size() && line[i] == L'"') {
            arg.append(backslashes / 2, L'\\');
            if (backslashes % 2 == 1) {
                arg.push_back(L'"');
            } else if (quoted && i + 1 < line.size() && line[i + 1] == L'"') {
                arg.push_back(L'"');
                ++i;
            } else {
                quoted = !quoted;
            }
            ++i;
            continue;
        }
        arg.append(backslashes, L'\\');
        if (i < line.size() && (quoted || !lf_blank(line[i]))) {
            arg.push_back(line[i++]);
        }
    }
    return arg;
}

std::vector<std::wstring> lf_splitCommandLine(std::wstring_view line)
{
    std::size_t i = 0;
    std::vector<std::wstring> args{lf_programName(line, i)};
    for (;;) {
        while (i < line.size() && lf_blank(line[i])) {
            ++i;
        }
        if (i >= line.size()) {
            return args;
        }
        args.push_back(lf_argument(line, i));
    }
}

std::wstring lf_executablePath()
{
    std::error_code error;
    const std::filesystem::path exe = std::filesystem::read_symlink("/proc/self/exe", error);
    return standin::widen(exe.string());
}

} // namespace

// One block, freed with LocalFree: the pointer array (null-terminated), then the texts.
extern "C" LPWSTR* WINAPI CommandLineToArgvW(LPCWSTR lpCmdLine, int* pNumArgs)
{
    if (pNumArgs == nullptr) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    const std::vector<std::wstring> args = (lpCmdLine == nullptr || *lpCmdLine == L'\0')
                                               ? std::vector<std::wstring>{lf_executablePath()}
                                               : lf_splitCommandLine(lpCmdLine);
    std::size_t units = 0;
    for (const std::wstring& arg : args) {
        units += arg.size() + 1;
    }
    const std::size_t pointerBytes = (args.size() + 1) * sizeof(LPWSTR);
    auto* block = static_cast<unsigned char*>(std::malloc(pointerBytes + units * sizeof(wchar_t)));
    if (block == nullptr) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    auto* argv = reinterpret_cast<LPWSTR*>(block);
    auto* text = reinterpret_cast<wchar_t*>(block + pointerBytes);
    for (std::size_t k = 0; k < args.size(); ++k) {
        argv[k] = text;
        std::memcpy(text, args[k].c_str(), (args[k].size() + 1) * sizeof(wchar_t));
        text += args[k].size() + 1;
    }
    argv[args.size()] = nullptr;
    *pNumArgs = static_cast<int>(args.size());
    return argv;
}
