// Conversions between UTF-8 (the program's text), wide strings (Win32 calls) and
// the ANSI code page.
#pragma once

#include <string>
#include <string_view>

// Throws std::runtime_error("wide_to_utf8: invalid UTF-16") on invalid input.
std::string wide_to_utf8(std::wstring_view text);
// Throws std::runtime_error("utf8_to_wide: invalid UTF-8") on invalid input.
std::wstring utf8_to_wide(std::string_view text);
// Text in the ANSI code page to UTF-8; never throws, gives an empty text when
// nothing converts.
std::string gf_ansiToUtf8(std::string_view text);
// UTF-16 code units (already in host byte order) to UTF-8. Throws
// std::runtime_error("wide_to_utf8: invalid UTF-16") on an unpaired surrogate.
std::string utf16_to_utf8(std::u16string_view units);
// The same, never throwing: an unpaired surrogate becomes U+FFFD.
std::string gf_utf16ToUtf8Lossy(std::u16string_view units);
