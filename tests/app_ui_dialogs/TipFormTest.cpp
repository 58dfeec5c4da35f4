#include "app/ui/dialogs/tip.h"

#include "tests/support/FormControls.h"

#include <QPushButton>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TTipClock DayOfMonth(int day) {
    return [day] { return QDate(2026, 3, day); };
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& line : lines) {
        text += line;
    }
    return text;
}

} // namespace

TEST(TipForm, FirstTipFollowsTheDayOfTheMonthAndNextWrapsAfterTheLast) {
    const struct {
        int Day, Tip, Next;
    } cases[] = {{25, 6, 7}, {5, 5, 6}, {19, 0, 1}, {31, 12, 13}, {18, 18, 0}};
    for (const auto& c : cases) {
        TForm1 form(nullptr, DayOfMonth(c.Day), "", nullptr);
        EXPECT_EQ(form.TipIndex(), c.Tip) << "day " << c.Day;
        Control<QPushButton>(form, "Button2")->click();
        EXPECT_EQ(form.TipIndex(), c.Next) << "day " << c.Day;
        EXPECT_EQ(Joined(form.ShownLines()), TipText(c.Next));
    }
}

TEST(TipForm, TipsAreCutAfterBlanksIntoAtMostFourShownLines) {
    // Day 2 shows tip 2: two lines, the second ending in "corner" in full.
    TForm1 second(nullptr, DayOfMonth(2), "", nullptr);
    EXPECT_EQ(second.ShownLines(),
              (std::vector<std::string>{"navigate through you saved pages by clicking ",
                                        "arrow button at the bottom right hand corner", "", ""}));

    int longest = 0;
    for (int tip = 1; tip < TipCount; ++tip) {
        if (TipText(tip).size() > TipText(longest).size()) {
            longest = tip;
        }
    }
    TForm1 form(nullptr, DayOfMonth(longest), "", nullptr);
    const std::vector<std::string> lines = CutTipLines(TipText(longest));
    ASSERT_GT(lines.size(), 2u);
    EXPECT_LE(lines.size(), 4u);
    EXPECT_EQ(Joined(form.ShownLines()), TipText(longest)); // nothing lost
    for (size_t i = 0; i + 1 < lines.size(); ++i) {
        EXPECT_EQ(lines[i].back(), ' ') << lines[i];
    }
}
