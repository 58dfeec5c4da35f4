// A note kept in a node record: written into the record's notes, through the tree file and
// back, and saved again byte for byte. This is the one place that links the binder and the
// rich-text model.

#include "app/binder/PageInfo.h"
#include "app/binder/TreeFile.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JPEGImage.h"
#include "tests/richtext_model/NotesSheet.h"

#include <gtest/gtest.h>

namespace {

TEST(NoteRecord, NoteSurvivesTheRecordAndTheTreeFileByteForByte) {
    QImage pixels(6, 4, QImage::Format_RGB32);
    pixels.fill(qRgb('#', 0, '#')); // "#" ends a field header and NUL ends a string field
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->SetImage(pixels);
    TNotesDocument note;
    note.AddNamedCheckpointEx("top", false);
    note.AddNL("Heading", 1, 6);
    note.AddNLWTag(u"\u00E9t\u00E9", 11, 0, {});
    note.AddBreak();
    note.AddPictureEx("bmp", std::make_unique<TBitmap>(pixels), 0, TRNVAlign::rnvaBaseline);
    note.AddPictureEx("jpg", std::move(jpeg), -1, TRNVAlign::rnvaMiddle);
    note.AddNL("end", 0, 0);
    note.AddNamedCheckpointEx("tail", false);
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
