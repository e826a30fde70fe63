#include "app/command_line.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

TEST(ProductionOption, LastMatchingArgumentWinsCaseInsensitively)
{
    struct Row {
        std::vector<std::wstring> arguments;
        std::optional<bool> expected;
    };
    const std::vector<Row> rows = {
        {{L"skyweaver.exe"}, std::nullopt},
        {{L"skyweaver.exe", L"--production"}, true},
        {{L"skyweaver.exe", L"/production"}, true},
        {{L"skyweaver.exe", L"--PRODUCTION"}, true},
        {{L"skyweaver.exe", L"--production", L"--no-production"}, false},
        {{L"skyweaver.exe", L"/NO-PRODUCTION", L"/Production"}, true},
        {{L"skyweaver.exe", L"-production", L"production", L"--productionx"}, std::nullopt},
        {{L"skyweaver.exe", L"--production", L"other"}, true},
        // The program name itself is never taken as an option.
        {{L"--production"}, std::nullopt},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(gf_productionOption(row.arguments), row.expected) << row.arguments.size();
    }
}
