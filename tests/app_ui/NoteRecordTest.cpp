// A note kept in a node record: written into the record's notes, through the tree file and
// back, and saved again byte for byte. This is the one place that links the binder and the
// rich-text model.

#include "app/binder/PageInfo.h"
#include "app/binder/TreeFile.h"
#include "platform/base/Stream.h"
#include "tests/support/NotesSheet.h"

#include <gtest/gtest.h>

namespace {

TEST(NoteRecord, NoteSurvivesTheRecordAndTheTreeFileByteForByte) {
    TNotesDocument note;
    BuildNotesEditorNote(note);
    TMemoryStream written;
    ASSERT_TRUE(note.SaveRNFToStream(written, false, clNone, nullptr));
    const std::string& bytes = written.Bytes();
    ASSERT_NE(bytes.find('#'), std::string::npos);

    TTreeNodes tree;
    auto record = std::make_unique<TPageInfo>();
    record->Kind = NodeKind::Notes;
    record->Notes.AppendRaw(bytes.data(), bytes.size());
    tree.AddObject(nullptr, "note", std::move(record));
    TTreeNodes loaded;
    TreeLoadContext context;
    ASSERT_EQ(LoadTreeDump(loaded, TreeFileBytes(tree), context), TreeLoadResult::Loaded);
    const std::string stored = NodeRecord(loaded.Item(0))->Notes.Bytes();
    ASSERT_EQ(stored, bytes);

    TNotesDocument editor(false);
    editor.Sheet().Name = "rns";
    TMemoryStream in;
    in.WriteString(stored);
    in.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(editor.LoadRNFFromStream(in, color, nullptr)) << editor.RNFError;
    TMemoryStream again;
    ASSERT_TRUE(editor.SaveRNFToStream(again, false, clNone, nullptr));
    EXPECT_EQ(again.Bytes(), bytes);
}

} // namespace
