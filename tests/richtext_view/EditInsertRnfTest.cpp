// Notes read into the editor at the caret: what the editor shows afterwards is what it saves.
#include "EditForm.h"

#include <gtest/gtest.h>

namespace {

// The items a note's bytes make in a fresh editor.
std::string Reloaded(const std::string& rnf) {
    EditForm g("");
    TMemoryStream stream;
    stream.WriteString(rnf);
    stream.SetPosition(0);
    EXPECT_TRUE(g.Edit->LoadRNFFromStream(stream));
    g.Edit->Format();
    return Describe(g);
}

} // namespace

// A rule read into the middle of a paragraph ends it: the rest of the split paragraph starts
// a paragraph of its own after the rule, as the saved note has it.
TEST(EditInsertRnf, ARuleInsideAParagraphEndsIt) {
    const struct {
        const char* name;
        std::function<void(TRichNoteEdit&)> build;
        std::string items;
    } cases[] = {
        {"text then a rule",
         [](TRichNoteEdit& e) {
             e.AddNL("from", 0, 0);
             e.AddBreakEx(2, TRNBreakStyle::rnbs3d, clRed);
         },
         "|'xfrom'|break|'y'"},
        {"two paragraphs then a rule",
         [](TRichNoteEdit& e) {
             e.AddNL("one", 0, 0);
             e.AddNL("two", 0, 0);
             e.AddBreakEx(1, TRNBreakStyle::rnbsLine, clBlue);
         },
         "|'xone'|'two'|break|'y'"},
        {"a rule inside the note, text after it",
         [](TRichNoteEdit& e) {
             e.AddNL("a", 0, 0);
             e.AddBreakEx(1, TRNBreakStyle::rnbsLine, clBlue);
             e.AddNL("b", 0, 0);
         },
         "|'xa'|break|'by'"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string rnf = RnfOf(c.build);
        EditForm f;
        f.Caret(0, 2);
        const std::string after = UndoRedo(f, [&] {
            EXPECT_TRUE(f.InsertFrom(&TRichNoteEdit::InsertRNFFromStreamEd, rnf));
        });
        EXPECT_EQ(Describe(f), c.items);
        EXPECT_EQ(Reloaded(after), Describe(f));
    }
}
