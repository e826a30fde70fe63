// The kernel32 stand-in's code-page conversions, as Windows answers them.
#include "platform/win32.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

int toWide(UINT codePage, DWORD flags, const std::string& bytes, std::wstring& out)
{
    const int units = MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (units <= 0) {
        return units;
    }
    out.assign(static_cast<std::size_t>(units), L'\0');
    return MultiByteToWideChar(codePage, flags, bytes.data(), static_cast<int>(bytes.size()), out.data(), units);
}

} // namespace

TEST(Kernel32Text, StrictUtf8RefusesInvalidSequencesWithLastError)
{
    struct Case {
        const char* bytes;
        const char* why;
    };
    const Case cases[] = {{"\xC0\x80", "overlong two-byte"},  {"\xE0\x9F\xBF", "overlong three-byte"},
                          {"\xED\xA0\x80", "surrogate"},       {"\xF4\x90\x80\x80", "above U+10FFFF"},
                          {"\xF5\x80\x80\x80", "lead F5"},     {"\x80", "lone continuation"},
                          {"ab\xE2\x82", "cut at the end"},    {"\xC3\x28", "bad continuation"}};
    for (const Case& c : cases) {
        std::wstring out;
        SetLastError(0);
        EXPECT_EQ(toWide(CP_UTF8, MB_ERR_INVALID_CHARS, c.bytes, out), 0) << c.why;
        EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION)) << c.why;
    }
}

TEST(Kernel32Text, LenientUtf8ReplacesInvalidBytes)
{
    std::wstring out;
    ASSERT_EQ(toWide(CP_UTF8, 0, "a\xFF" "b", out), 3);
    EXPECT_EQ(out, std::wstring(L"a") + static_cast<wchar_t>(0xFFFD) + L"b");
}

TEST(Kernel32Text, SizeQueryTerminatorAndShortBuffer)
{
    const char* text = "\xC3\xA9t\xC3\xA9";
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text, -1, nullptr, 0), 4);
    wchar_t small[2];
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, small, 2), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    wchar_t full[4];
    ASSERT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, -1, full, 4), 4);
    EXPECT_EQ(std::wstring(full), L"\u00e9t\u00e9");
    SetLastError(0);
    EXPECT_EQ(MultiByteToWideChar(CP_UTF8, 0, text, 0, nullptr, 0), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST(Kernel32Text, WideToUtf8StrictRefusesSurrogatesAndEncodesAllPlanes)
{
    const std::wstring good = L"\u00e9\u20ac\U0001F6E9";
    char buffer[16];
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, good.data(), static_cast<int>(good.size()),
                                          buffer, sizeof buffer, nullptr, nullptr);
    EXPECT_EQ(std::string(buffer, static_cast<std::size_t>(bytes)), "\xC3\xA9\xE2\x82\xAC\xF0\x9F\x9B\xA9");
    const std::wstring bad(1, static_cast<wchar_t>(0xDC00));
    SetLastError(0);
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, bad.data(), 1, nullptr, 0, nullptr, nullptr), 0);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NO_UNICODE_TRANSLATION));
    EXPECT_EQ(WideCharToMultiByte(CP_UTF8, 0, bad.data(), 1, nullptr, 0, nullptr, nullptr), 3);
}

TEST(Kernel32Text, AnsiCodePageIsWindows1252BothWays)
{
    std::wstring out;
    ASSERT_EQ(toWide(CP_ACP, MB_ERR_INVALID_CHARS, "\x80\x81\x8D\x8F\x90\x9D\x9F\xE9", out), 8);
    EXPECT_EQ(out, (std::wstring{static_cast<wchar_t>(0x20AC), static_cast<wchar_t>(0x81), static_cast<wchar_t>(0x8D),
                                 static_cast<wchar_t>(0x8F), static_cast<wchar_t>(0x90), static_cast<wchar_t>(0x9D),
                                 static_cast<wchar_t>(0x178), static_cast<wchar_t>(0xE9)}));
    const std::wstring wide = L"\u20ac\u00e9\u4e2d";
    char buffer[8];
    BOOL usedDefault = FALSE;
    ASSERT_EQ(WideCharToMultiByte(CP_ACP, 0, wide.data(), 3, buffer, sizeof buffer, nullptr, &usedDefault), 3);
    EXPECT_EQ(std::string(buffer, 3), "\x80\xE9?");
    EXPECT_TRUE(usedDefault);
}

TEST(Kernel32Text, LastErrorIsPerThread)
{
    SetLastError(ERROR_ALREADY_EXISTS);
    DWORD seenOnOtherThread = 99;
    std::thread([&] { seenOnOtherThread = GetLastError(); }).join();
    EXPECT_EQ(seenOnOtherThread, 0u);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
}
