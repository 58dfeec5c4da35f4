#include "platform/widgets/FileFilter.h"

#include <gtest/gtest.h>

TEST(FileFilter, PairsBecomeTheDialogsForm) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"Binder Files|*.bdf", "Binder Files (*.bdf)"},
        {"Html files (*.htm;*.html)|*.htm; *.html|All|*.*", "Html files (*.htm *.html);;All (*.*)"},
        {"Text (*.txt)|*.txt", "Text (*.txt)"},
        {"Anything", "Anything (*)"},
        {"|*.rnf", "*.rnf (*.rnf)"},
        {"Rich text|*.rtf|", "Rich text (*.rtf);;* (*)"},
    };
    for (const auto& [filter, expected] : cases) {
        EXPECT_EQ(ConvertFileFilter(filter), expected) << filter;
    }
}
