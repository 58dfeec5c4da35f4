#include "platform/base/TextLineReader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

TEST(TextLineReader, EndsLinesAtCrLfOrCrLfWithoutATrailingEmptyLine) {
    const struct {
        std::string text;
        std::vector<std::string> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\r\n", {"a"}},
        {"a\r\nb", {"a", "b"}},
        {"a\nb\n", {"a", "b"}},
        {"a\rb\r", {"a", "b"}},
        {"a\r\rb", {"a", "", "b"}},
        {"a\n\rb", {"a", "", "b"}},
        {"\r\n\r\n", {"", ""}},
        {std::string("a\0b\n", 4), {std::string("a\0b", 3)}},
    };
    for (const auto& c : cases) {
        TTextLineReader reader(c.text);
        std::vector<std::string> lines;
        std::string_view line;
        while (reader.ReadLine(line)) {
            lines.emplace_back(line);
        }
        EXPECT_EQ(lines, c.lines) << c.text;
        EXPECT_TRUE(reader.AtEnd());
    }
}
