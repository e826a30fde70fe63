#include "core/text_search.h"

#include <gtest/gtest.h>

TEST(ContainsNoCase, AsciiLettersIgnoreCase)
{
    struct Row {
        const char* text;
        const char* needle;
        bool found;
    };
    for (const Row row : {Row{"Community/Microsoft-Airport-EDDF", "microsoft-airport", true},
                          Row{"asobo-airport-kjfk", "ASOBO-AIRPORT", true}, Row{"abc", "", true}, Row{"", "", true},
                          Row{"", "a", false}, Row{"ab", "abc", false}, Row{"a-b", "a_b", false},
                          Row{"\xc3\x84rger", "\xc3\xa4rger", false}}) {
        EXPECT_EQ(gf_containsNoCase(row.text, row.needle), row.found) << row.text << " / " << row.needle;
    }
}
