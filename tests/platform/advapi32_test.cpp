// The advapi32 stand-in: elevation of the process token.
#include "platform/win32.h"
#include "platform/standin/advapi32_control.h"

#include <gtest/gtest.h>

#include <optional>
#include <unistd.h>

namespace {

std::optional<bool> queryElevation()
{
    HANDLE token = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) {
        return std::nullopt;
    }
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    const BOOL ok = GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size);
    CloseHandle(token);
    if (!ok || size != sizeof elevation) {
        return std::nullopt;
    }
    return elevation.TokenIsElevated != 0;
}

} // namespace

TEST(Advapi32, ElevatedExactlyWhenRunningAsRoot)
{
    EXPECT_EQ(queryElevation(), std::optional<bool>(geteuid() == 0));
    standin::setElevated(false);
    EXPECT_EQ(queryElevation(), std::optional<bool>(false));
    standin::setElevated(true);
    EXPECT_EQ(queryElevation(), std::optional<bool>(true));
}

TEST(Advapi32, FailuresAreReported)
{
    standin::setTokenQueryFails(true);
    EXPECT_EQ(queryElevation(), std::nullopt);
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    standin::setTokenQueryFails(false);
    HANDLE token = nullptr;
    ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
    TOKEN_ELEVATION elevation{};
    DWORD size = 0;
    EXPECT_FALSE(GetTokenInformation(token, TokenElevation, &elevation, 1, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
    EXPECT_EQ(size, sizeof elevation);
    CloseHandle(token);
    EXPECT_FALSE(GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size));
    EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}
