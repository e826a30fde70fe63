#include "core/text_lines.h"
#include "support/temp_folder.h"

#include <gtest/gtest.h>

using testsupport::readFile;
using testsupport::TempFolder;
using testsupport::writeFile;

TEST(TextLines, SplitLinesRules)
{
    struct Case {
        const char* why;
        std::string text;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"empty", "", {}},
        {"final newline adds nothing", "a\nb\n", {"a", "b"}},
        {"last piece without newline", "a\nb", {"a", "b"}},
        {"one CR dropped", "a\r\r\nb\r\n", {"a\r", "b"}},
        {"BOM dropped", "\xEF\xBB\xBFx\n", {"x"}},
        {"empty lines kept", "\n\nz", {"", "", "z"}},
        {"CR alone is no line end", "a\rb", {"a\rb"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> lines;
        gf_splitLines(c.text, lines);
        EXPECT_EQ(lines, c.lines) << c.why;
    }
}

TEST(TextLines, ReadAllLinesReplacesLinesOrReportsOpenFailed)
{
    TempFolder folder;
    writeFile(folder / "a.txt", "one\r\ntwo\n");
    std::vector<std::string> lines{"old"};
    const ReadLinesResult read = gf_readAllLines(folder / "a.txt", lines, 16);
    EXPECT_TRUE(read);
    EXPECT_EQ(lines, (std::vector<std::string>{"one", "two"}));
    const ReadLinesResult missing = gf_readAllLines(folder / "missing.txt", lines, 16);
    EXPECT_FALSE(missing);
    EXPECT_EQ(missing.error, "open_failed");
}

TEST(TextLines, WritersTruncateAndEndLinesWithLf)
{
    TempFolder folder;
    writeFile(folder / "out.txt", "a much longer old content\n");
    EXPECT_TRUE(gf_writeLines(folder / "out.txt", {"EDDF", "", "KJFK"}));
    EXPECT_EQ(readFile(folder / "out.txt"), "EDDF\n\nKJFK\n");
    EXPECT_TRUE(gf_writeTextFile(folder / "t.txt", "x", true));
    EXPECT_EQ(readFile(folder / "t.txt"), "x\n");
    EXPECT_TRUE(gf_writeTextFile(folder / "t.txt", "y", false));
    EXPECT_EQ(readFile(folder / "t.txt"), "y");
    EXPECT_FALSE(gf_writeLines(folder / "no" / "such" / "folder.txt", {"a"}));
    EXPECT_FALSE(gf_writeTextFile(folder / "no" / "such.txt", "a", true));
}
