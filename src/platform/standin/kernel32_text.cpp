// kernel32 stand-in: code-page conversions. Here wchar_t holds UTF-32, so the
// "wide" side is one code point per unit. CP_UTF8 is strict with the
// invalid-characters flags (0 and ERROR_NO_UNICODE_TRANSLATION) and otherwise
// replaces bad input with U+FFFD; CP_ACP is Windows-1252.
#include "platform/standin/kernel32.h"

#include <array>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Windows-1252 bytes 0x80..0x9F. The five bytes the code page leaves undefined
// (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the same value, as
// Windows converts them; no byte of the code page is invalid.
constexpr std::array<char16_t, 32> kCp1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

char32_t lf_cp1252ToUnicode(unsigned char byte)
{
    return (byte >= 0x80 && byte < 0xA0) ? kCp1252High[byte - 0x80] : byte;
}

std::optional<unsigned char> lf_unicodeToCp1252(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) {
        return static_cast<unsigned char>(cp);
    }
    for (unsigned i = 0; i < kCp1252High.size(); ++i) {
        if (kCp1252High[i] == cp) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

bool lf_isScalar(char32_t cp)
{
    return cp <= 0x10FFFF && (cp < 0xD800 || cp > 0xDFFF);
}

// Decodes one UTF-8 sequence at text[i]; advances i. nullopt for an invalid
// sequence, after which i stands behind the longest valid prefix (at least one byte).
std::optional<char32_t> lf_decodeUtf8(const unsigned char* text, std::size_t size, std::size_t& i)
{
    const unsigned char lead = text[i++];
    if (lead < 0x80) {
        return lead;
    }
    int more = 0;
    char32_t cp = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        more = 1;
        cp = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        more = 2;
        cp = lead & 0x0F;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        more = 3;
        cp = lead & 0x07;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return std::nullopt;
    }
    for (int k = 0; k < more; ++k) {
        if (i >= size || text[i] < low || text[i] > high) {
            return std::nullopt;
        }
        cp = (cp << 6) | (text[i++] & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return cp;
}

int lf_encodeUtf8(char32_t cp, char* out)
{
    if (cp < 0x80) {
        out[0] = static_cast<char>(cp);
        return 1;
    }
    if (cp < 0x800) {
        out[0] = static_cast<char>(0xC0 | (cp >> 6));
        out[1] = static_cast<char>(0x80 | (cp & 0x3F));
        return 2;
    }
    if (cp < 0x10000) {
        out[0] = static_cast<char>(0xE0 | (cp >> 12));
        out[1] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out[2] = static_cast<char>(0x80 | (cp & 0x3F));
        return 3;
    }
    out[0] = static_cast<char>(0xF0 | (cp >> 18));
    out[1] = static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out[2] = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out[3] = static_cast<char>(0x80 | (cp & 0x3F));
    return 4;
}

int lf_fail(DWORD error)
{
    SetLastError(error);
    return 0;
}

// Copies the converted text into the caller's buffer, or answers a size query.
template <typename Unit>
int lf_deliver(const std::basic_string<Unit>& converted, Unit* out, int capacity)
{
    const int needed = static_cast<int>(converted.size());
    if (capacity == 0) {
        return needed;
    }
    if (needed > capacity) {
        return lf_fail(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(out, converted.data(), converted.size() * sizeof(Unit));
    return needed;
}

std::optional<std::wstring> lf_utf8ToWide(const unsigned char* text, std::size_t size, bool strict)
{
    std::wstring out;
    out.reserve(size);
    for (std::size_t i = 0; i < size;) {
        const std::optional<char32_t> cp = lf_decodeUtf8(text, size, i);
        if (!cp && strict) {
            return std::nullopt;
        }
        out.push_back(static_cast<wchar_t>(cp.value_or(kReplacement)));
    }
    return out;
}

std::wstring lf_cp1252ToWide(const unsigned char* text, std::size_t size)
{
    std::wstring out;
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        out.push_back(static_cast<wchar_t>(lf_cp1252ToUnicode(text[i])));
    }
    return out;
}

std::optional<std::string> lf_wideToUtf8(const wchar_t* text, std::size_t size, bool strict)
{
    std::string out;
    out.reserve(size);
    char buffer[4];
    for (std::size_t i = 0; i < size; ++i) {
        char32_t cp = static_cast<char32_t>(text[i]);
        if (!lf_isScalar(cp)) {
            if (strict) {
                return std::nullopt;
            }
            cp = kReplacement;
        }
        out.append(buffer, static_cast<std::size_t>(lf_encodeUtf8(cp, buffer)));
    }
    return out;
}

std::string lf_wideToCp1252(const wchar_t* text, std::size_t size, char defaultChar, bool& usedDefault)
{
    std::string out;
    out.reserve(size);
    for (std::size_t i = 0; i < size; ++i) {
        const std::optional<unsigned char> byte = lf_unicodeToCp1252(static_cast<char32_t>(text[i]));
        usedDefault = usedDefault || !byte;
        out.push_back(byte ? static_cast<char>(*byte) : defaultChar);
    }
    return out;
}

} // namespace

extern "C" int WINAPI MultiByteToWideChar(UINT CodePage, DWORD dwFlags, LPCCH lpMultiByteStr, int cbMultiByte,
                                          LPWSTR lpWideCharStr, int cchWideChar)
{
    if (lpMultiByteStr == nullptr || cbMultiByte == 0 || cbMultiByte < -1 || cchWideChar < 0 ||
        (cchWideChar > 0 && lpWideCharStr == nullptr)) {
        return lf_fail(ERROR_INVALID_PARAMETER);
    }
    // -1: the text ends at its terminator, which is converted too.
    const std::size_t size = cbMultiByte == -1 ? std::strlen(lpMultiByteStr) + 1 : static_cast<std::size_t>(cbMultiByte);
    const auto* bytes = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    std::optional<std::wstring> wide;
    if (CodePage == CP_UTF8) {
        if ((dwFlags & ~static_cast<DWORD>(MB_ERR_INVALID_CHARS)) != 0) {
            return lf_fail(ERROR_INVALID_FLAGS);
        }
        wide = lf_utf8ToWide(bytes, size, (dwFlags & MB_ERR_INVALID_CHARS) != 0);
        if (!wide) {
            return lf_fail(ERROR_NO_UNICODE_TRANSLATION);
        }
    } else if (CodePage == CP_ACP || CodePage == 1252) {
        wide = lf_cp1252ToWide(bytes, size);
    } else {
        return lf_fail(ERROR_INVALID_PARAMETER);
    }
    return lf_deliver(*wide, lpWideCharStr, cchWideChar);
}

extern "C" int WINAPI WideCharToMultiByte(UINT CodePage, DWORD dwFlags, LPCWCH lpWideCharStr, int cchWideChar,
                                          LPSTR lpMultiByteStr, int cbMultiByte, LPCCH lpDefaultChar,
                                          LPBOOL lpUsedDefaultChar)
{
    if (lpWideCharStr == nullptr || cchWideChar == 0 || cchWideChar < -1 || cbMultiByte < 0 ||
        (cbMultiByte > 0 && lpMultiByteStr == nullptr)) {
        return lf_fail(ERROR_INVALID_PARAMETER);
    }
    const std::size_t size = cchWideChar == -1 ? std::wcslen(lpWideCharStr) + 1 : static_cast<std::size_t>(cchWideChar);
    std::optional<std::string> bytes;
    if (CodePage == CP_UTF8) {
        // UTF-8 takes neither a default character nor other flags.
        if ((dwFlags & ~static_cast<DWORD>(WC_ERR_INVALID_CHARS)) != 0 || lpDefaultChar != nullptr ||
            lpUsedDefaultChar != nullptr) {
            return lf_fail(ERROR_INVALID_PARAMETER);
        }
        bytes = lf_wideToUtf8(lpWideCharStr, size, (dwFlags & WC_ERR_INVALID_CHARS) != 0);
        if (!bytes) {
            return lf_fail(ERROR_NO_UNICODE_TRANSLATION);
        }
    } else if (CodePage == CP_ACP || CodePage == 1252) {
        bool usedDefault = false;
        bytes = lf_wideToCp1252(lpWideCharStr, size, lpDefaultChar ? *lpDefaultChar : '?', usedDefault);
        if (lpUsedDefaultChar != nullptr) {
            *lpUsedDefaultChar = usedDefault ? TRUE : FALSE;
        }
    } else {
        return lf_fail(ERROR_INVALID_PARAMETER);
    }
    return lf_deliver(*bytes, lpMultiByteStr, cbMultiByte);
}
