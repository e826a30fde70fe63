#include "core/wsa_error_text.h"

#include <gtest/gtest.h>

TEST(WsaErrorText, CodeBlankAndText)
{
    struct Case {
        int code;
        const char* text;
    };
    const Case cases[] = {
        {10004, "10004 Interrupted system call"},
        {10040, "10040 Messenger too long"},
        {10058, "10058 Can't send numLines socket shutdown"},
        {10061, "10061 Connection refused"},
        {10101, "10101 Graceful shutdown in progress"},
        {11001, "11001 Host not found"},
        {11004, "11004 No host data of that type was found"},
        {5, "5 Unknown errror code"},
        {10072, "10072 Unknown errror code"},
        {-1, "-1 Unknown errror code"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(gf_wsaErrorText(c.code), c.text);
    }
}
