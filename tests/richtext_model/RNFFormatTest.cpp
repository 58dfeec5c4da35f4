// The notes format: exact bytes, round trips through other style sheets, hand-built notes.

#include "RNFTestSupport.h"
#include "tests/support/NotesSheet.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/JPEGImage.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNUni.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <functional>

using namespace std::string_literals;

namespace {

// The default sheet with a Unicode style 6 and a style 7 whose name holds quotes; the default
// options, so that no style records are written.
class PlainDoc : public TSelectableDoc {
public:
    PlainDoc() {
        sheet.TextStyles()[sheet.AddTextStyle()].Unicode = true;           // style 6
        sheet.TextStyles()[sheet.AddTextStyle()].StyleName = "Say \"hi\""; // style 7
        Style = &sheet;
        images.Tag = 5;
        images.AddImage(QImage(16, 16, QImage::Format_ARGB32));
        images.AddImage(QImage(16, 16, QImage::Format_ARGB32));
    }
    TRNStyle sheet;
    TImageList images;
    const TImageList* RNFImageListNeeded(int tag) override {
        return tag == images.Tag ? &images : nullptr;
    }
};

std::string U16(std::u16string_view s) {
    return RNU_U16ToBytes(s);
}

struct GoldenCase {
    const char* name;
    std::function<void(PlainDoc&)> build;
    std::string bytes;
};

TEST(RNFFormat, WritesExactBytesAndReadsThemBack) {
    const GoldenCase cases[] = {
        {"empty document", [](PlainDoc&) {}, ""},
        {"three one-item paragraphs share a header",
         [](PlainDoc& d) {
             d.AddNL("a", 0, 0);
             d.AddNL("b", 0, 0);
             d.AddNL("c", 0, 0);
         },
         "-8 1 2\r\n0 3 0 0 0 0\r\na\r\nb\r\nc\r\n"},
        {"a continuation has its own record",
         [](PlainDoc& d) {
             d.AddNL("a", 0, 1);
             d.AddNL("b", 1, -1);
         },
         "-8 1 2\r\n0 1 1 0 0 0\r\na\r\n1 1 -1 1 0 0\r\nb\r\n"},
        {"a Unicode item ends with 29 20",
         [](PlainDoc& d) { d.AddNLWTag(u"\u00E9\u20AC", 6, 0, {}); },
         "-8 1 2\r\n6 1 0 8 0 0\r\n" + U16(u"\u00E9\u20AC") + "\x29\x20"s},
        {"a checkpoint record, then the end checkpoint after text",
         [](PlainDoc& d) {
             d.AddNamedCheckpointEx("top", true);
             d.AddNL("a", 0, 0);
             d.AddNamedCheckpointEx("end", false);
         },
         "-8 1 2\r\n-2 1 0 0 0 0 1\r\ntop\r\n0 1 0 0 0 0\r\na\r\n-2 1 0 0 0 0 0\r\nend\r\n"},
        {"tags, a page break, a line break and a rule",
         [](PlainDoc& d) {
             d.AddNLTag("a", 0, 0, 7);
             d.AddNLTag("b", 0, 0, 7);
             d.AddNL("c", 0, 0);
             d.SetPageBreaksBeforeItems(2, true);
             d.AddNL("d", 0, 0);
             d.GetItem(3).SetBR(true);
             d.AddBreakEx(2, TRNBreakStyle::rnbs3d, clRed);
         },
         "-8 1 2\r\n0 2 0 0 0 7\r\na\r\nb\r\n0 1 0 2 0 0\r\nc\r\n0 1 0 4 0 0\r\nd\r\n"
         "-1 0 0 0 0 0 255 2 2\r\n"},
        {"bullets and hotspots name their image list by its tag",
         [](PlainDoc& d) {
             d.AddBulletEx("b", 1, &d.images, 0);
             d.AddHotspotEx("h", 0, 1, &d.images, -1);
         },
         "-8 1 2\r\n-6 1 0 0 0 0 5 1\r\nb\r\n-4 1 -1 1 0 0 5 0 1\r\nh\r\n"},
        {"string tags write 0 for no tag",
         [](PlainDoc& d) {
             d.Options.Include(TRNOption::rnoTagsArePChars);
             d.AddNLTag("a", 0, 0, RNTag::String({}));
             d.AddNLTag("b", 0, 0, RNTag::String("key"));
         },
         "-8 1 2\r\n0 1 0 0 0 0\r\na\r\n0 1 0 0 0 key\r\nb\r\n"},
        {"style names with their quotes doubled",
         [](PlainDoc& d) {
             d.RNFOptions.Include(TRNFOption::rnfoUseStyleNames);
             d.AddNL("a", 7, 1);
         },
         "-8 1 2\r\n\"Say \"\"hi\"\"\" 1 \"Centered\" 0 0 0\r\na\r\n"},
    };
    for (const GoldenCase& c : cases) {
        SCOPED_TRACE(c.name);
        PlainDoc doc;
        c.build(doc);
        EXPECT_EQ(SaveNote(doc), c.bytes);
        PlainDoc again;
        again.Options = doc.Options;
        again.RNFOptions = doc.RNFOptions;
        ASSERT_TRUE(LoadNote(again, c.bytes)) << again.RNFError;
        EXPECT_EQ(ItemRows(again), ItemRows(doc));
        EXPECT_EQ(SaveNote(again), c.bytes);
    }
}

// Of two styles with one name, the name finds the first: the second is written by its number,
// so its Unicode text comes back in its own style and whole.
TEST(RNFFormat, StylesSharingANameKeepTheirItems) {
    const auto sameNames = [](PlainDoc& d) {
        d.RNFOptions.Include(TRNFOption::rnfoUseStyleNames);
        d.sheet.TextStyles()[6].StyleName = d.sheet.TextStyles()[0].StyleName;
        const std::string centered = d.sheet.ParaStyles()[1].StyleName;
        d.sheet.ParaStyles().Add().StyleName = centered;
    };
    PlainDoc doc;
    sameNames(doc);
    const int para = doc.sheet.ParaStyles().Count() - 1;
    doc.AddNL("eight", 0, 1);
    doc.AddNLWTag(u"\u00E9\u20AC\u041F\u4F60", 6, para, {});
    const std::string bytes = SaveNote(doc);
    const std::string name = "\"" + doc.sheet.TextStyles()[0].StyleName + "\"";
    EXPECT_NE(bytes.find(name + " 1 \"Centered\" 0 0 0\r\neight\r\n"), std::string::npos) << bytes;
    EXPECT_NE(bytes.find("\r\n6 1 " + std::to_string(para) + " 8 0 0\r\n"), std::string::npos)
        << bytes;

    PlainDoc again;
    sameNames(again);
    ASSERT_TRUE(LoadNote(again, bytes)) << again.RNFError;
    ASSERT_EQ(again.ItemCount(), 2);
    EXPECT_EQ(again.GetItemStyle(1), 6);
    EXPECT_EQ(again.GetItem(1).ParaNo, para);
    EXPECT_EQ(ItemRows(again), ItemRows(doc));
    EXPECT_EQ(SaveNote(again), bytes);
}

// A load that fails part way keeps what it read, normalised as a whole load is: a line-break
// item takes its paragraph's style whether or not a damaged record follows it.
TEST(RNFFormat, AFailedLoadNormalisesTheItemsItKeeps) {
    const std::string sound = "-8 1 2\r\n0 1 0 0 0 0\r\na\r\n0 1 1 4 0 0\r\nb\r\n";
    PlainDoc whole;
    ASSERT_TRUE(LoadNote(whole, sound)) << whole.RNFError;
    ASSERT_EQ(whole.ItemCount(), 2);
    EXPECT_EQ(whole.GetItemPara(1), 0);
    for (const std::string& damage :
         {"x 1 0 0 0 0\r\nc\r\n"s, "0 9 0 0 0 0\r\nc\r\n"s, "0 1 0 0 0 0\r\n"s}) {
        SCOPED_TRACE(damage);
        PlainDoc cut;
        EXPECT_FALSE(LoadNote(cut, sound + damage));
        EXPECT_EQ(ItemRows(cut), ItemRows(whole));
        EXPECT_EQ(SaveNote(cut), SaveNote(whole));
    }
}

TEST(RNFFormat, SelectionWritesOnlyTheSelectedCharacters) {
    const struct {
        int selection[4];
        std::string bytes;
    } cases[] = {
        {{0, 2, 0, 4}, "-8 1 2\r\n0 1 -1 0 0 0\r\nbc\r\n"},
        {{0, 3, 2, 2},
         "-8 1 2\r\n0 1 -1 0 0 0\r\ncd\r\n0 1 0 0 0 0\r\nef\r\n1 1 -1 1 0 0\r\ng\r\n"},
        {{0, 1, 3, 1},
         "-8 1 2\r\n-2 1 0 0 0 0 0\r\ncp\r\n0 2 0 0 0 0\r\nabcd\r\nef\r\n"
         "1 1 -1 1 0 0\r\ngh\r\n-1 0 0 0 0 0 536870911 0 1\r\n"},
    };
    for (const auto& c : cases) {
        PlainDoc doc;
        doc.AddNamedCheckpointEx("cp", false);
        doc.AddNL("abcd", 0, 0);
        doc.AddNL("ef", 0, 0);
        doc.AddNL("gh", 1, -1);
        doc.AddBreak();
        std::copy(std::begin(c.selection), std::end(c.selection), doc.selection);
        TMemoryStream stream;
        ASSERT_TRUE(doc.SaveRNFToStream(stream, true, clNone, nullptr));
        EXPECT_EQ(stream.Bytes(), c.bytes);
    }
}

TEST(RNFFormat, NoteRoundTripsThroughAnotherSheetByteForByte) {
    TNotesDocument note;
    BuildNotesEditorNote(note);
    bool ok = false;
    const std::string bytes = SaveNote(note, &ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(bytes.rfind("-8 1 2\r\n-9 2 0 0 2 0 1\r\nrns\r\n", 0), 0u);

    TNotesDocument other(false); // the default sheet, 6 text and 2 paragraph styles
    other.Sheet().Name = "rns";
    ASSERT_TRUE(LoadNote(other, bytes)) << other.RNFError;
    EXPECT_EQ(other.Sheet().TextStyles().Count(), 12);
    EXPECT_EQ(other.Sheet().ParaStyles()[6].StyleName, "Window Caption");
    EXPECT_EQ(ItemRows(other), ItemRows(note));
    EXPECT_EQ(other.CPCount, 3);
    EXPECT_EQ(SaveNote(other), bytes);
}

TEST(RNFFormat, InsertingMapsStylesAndReportsTheItemsItAdded) {
    TNotesDocument note;
    note.AddNL("x", 10, 8);
    const std::string bytes = SaveNote(note);

    // Mapping adds no style; merging adds the ones the document lacks.
    const struct {
        TRNFReaderStyleMode mode;
        bool adds;
    } cases[] = {{TRNFReaderStyleMode::rnf_sInsertMap, false},
                 {TRNFReaderStyleMode::rnf_sInsertMerge, true}};
    for (const auto& c : cases) {
        PlainDoc doc;
        doc.RNFTextStylesReadMode = doc.RNFParaStylesReadMode = c.mode;
        doc.AddNL("one", 0, 0);
        doc.AddNL("two", 0, 0);
        TMemoryStream stream;
        stream.WriteString(bytes);
        stream.SetPosition(0);
        TColor color = clNone;
        TRNFReadResult result;
        ASSERT_TRUE(
            doc.InsertRNFFromStream_(stream, 1, -1, false, false, false, color, nullptr, result));
        EXPECT_EQ(result.FirstItemNo, 1);
        EXPECT_EQ(result.ItemsInserted, 1);
        EXPECT_EQ(doc.GetItemText(1), "x");
        EXPECT_EQ(doc.sheet.TextStyles().Count() > 8, c.adds);
        const TFontInfo& style = doc.sheet.TextStyles()[doc.GetItemStyle(1)];
        EXPECT_EQ(style.StyleName == "Window Caption", c.adds);
        EXPECT_LT(doc.GetItemPara(1), doc.sheet.ParaStyles().Count());
    }
}

// Replacing the style sheet is for a document the read fills alone. Into a document that holds
// items already, the read's styles are merged, so those items keep what their styles mean and
// no 8-bit text ends up in a Unicode style.
TEST(RNFFormat, InsertingIntoItemsKeepsTheirStylesWhenReplacingIsAllowed) {
    TNotesDocument note;
    BuildNotesEditorNote(note);
    const std::string bytes = SaveNote(note);
    ASSERT_TRUE(note.Sheet().TextStyles()[11].Unicode);

    TNotesDocument doc(false);
    while (doc.Sheet().TextStyles().Count() < 12) {
        doc.Sheet().AddTextStyle();
    }
    doc.Sheet().TextStyles()[11].FontName = "Courier New";
    doc.AddNL("eight-bit", 11, 0);
    doc.AddNL("after", 0, 0);
    const std::string font = doc.Sheet().TextStyles()[11].FontName;
    TMemoryStream stream;
    stream.WriteString(bytes);
    stream.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(doc.InsertRNFFromStream(stream, 1, color, nullptr, true)) << doc.RNFError;
    ASSERT_EQ(doc.ItemCount(), 2 + note.ItemCount());
    const TFontInfo& kept = doc.Sheet().TextStyles()[doc.GetItemStyle(0)];
    EXPECT_EQ(doc.GetItemText(0), "eight-bit");
    EXPECT_FALSE(kept.Unicode);
    EXPECT_EQ(kept.FontName, font);
    for (int i = 0; i < doc.ItemCount(); ++i) {
        const TCustomRNItemInfo& item = doc.GetItem(i);
        if (item.IsText()) {
            EXPECT_EQ(doc.Sheet().TextStyles()[item.StyleNo].Unicode,
                      item.ItemOptions.Contains(TRNItemOption::rnioUnicode))
                << i << " " << doc.GetItemText(i);
        }
    }

    // Into an empty document the sheet is still replaced, as a load does.
    TNotesDocument empty(false);
    stream.SetPosition(0);
    ASSERT_TRUE(empty.InsertRNFFromStream(stream, 0, color, nullptr, true));
    EXPECT_EQ(empty.Sheet().TextStyles().Count(), note.Sheet().TextStyles().Count());
    EXPECT_EQ(ItemRows(empty), ItemRows(note));
}

TEST(RNFFormat, RuleInsertedIntoAParagraphEndsIt) {
    for (bool notes : {false, true}) {
        const char* what = notes ? "notes editor" : "defaults";
        TNotesDocument doc(notes);
        if (notes) {
            doc.Options = NotesDocumentOptions();
        } else {
            doc.RNFOptions = RNFDefaultOptions;
        }
        doc.AddNL("alpha", 0, 0);
        doc.AddNL("beta", 0, -1);
        ASSERT_TRUE(doc.GetItem(1).GetSameAsPrev()) << what;
        TNotesDocument rule(notes);
        rule.RNFOptions = doc.RNFOptions;
        rule.AddBreakEx(2, TRNBreakStyle::rnbsLine, clRed);
        TMemoryStream stream;
        stream.WriteString(SaveNote(rule));
        stream.SetPosition(0);
        TColor color = clNone;
        ASSERT_TRUE(doc.InsertRNFFromStream(stream, 1, color, nullptr, false)) << what;
        ASSERT_EQ(doc.ItemCount(), 3) << what;
        EXPECT_FALSE(doc.GetItem(2).GetSameAsPrev()) << what;
        EXPECT_EQ(doc.GetItem(2).ParaNo, 0) << what;

        // Saved, read and saved again, the document is the same bytes.
        const std::string saved = SaveNote(doc);
        TNotesDocument back(notes);
        back.Options = doc.Options;
        back.RNFOptions = doc.RNFOptions;
        ASSERT_TRUE(LoadNote(back, saved)) << what;
        EXPECT_EQ(ItemRows(back), ItemRows(doc)) << what;
        const std::string again = SaveNote(back);
        EXPECT_TRUE(again == saved)
            << what << ": " << again.size() << " bytes, not " << saved.size();
    }
}

struct FixtureCase {
    const char* name;
    std::string bytes;
    uint32_t options; // RNF options
    bool ok;
    std::vector<std::string> rows;
    uint32_t warnings;
};

TEST(RNFFormat, ReadsHandBuiltNotes) {
    const std::string collection = "0E0109" + RNFBytes2TextString("StyleName") + "0603" +
                                   RNFBytes2TextString("Big") + "04" + RNFBytes2TextString("Size") +
                                   "02140000";
    QImage pixels(2, 2, QImage::Format_RGB32);
    pixels.fill(qRgb(1, 2, 3));
    std::string bmp = TBitmap(pixels).SaveToBytes();
    std::string lowerHex = RNFBytes2TextString(bmp);
    for (char& c : lowerHex) {
        c = static_cast<char>(std::tolower(c));
    }
    const uint32_t zero = 16;
    const FixtureCase cases[] = {
        {"a style record",
         "-8 1 2\r\n-9 2 0 0 0 0 1\r\nrns\r\n" + collection + "\r\n0 1 0 0 0 0\r\nx\r\n",
         67,
         true,
         {"0/0/0/0:x"},
         0},
        {"item options masked with 15",
         "-8 1 2\r\n0 1 0 242 0 0\r\na\r\n",
         67,
         true,
         {"0/0/2/0:a"},
         0},
        {"LF-only lines", "-8 1 2\n0 2 0 0 0 0\na\nb\n", 67, true, {"0/0/0/0:a", "0/0/0/0:b"}, 0},
        {"CR-only lines", "-8 1 2\r0 1 1 0 0 0\ra\r", 67, true, {"0/1/0/0:a"}, 0},
        {"no version record: no item options", "1 1 0 0 7\r\na\r\n", 67, true, {"1/0/0/7:a"}, 0},
        {"lower-case hexadecimal",
         "-3 3 0 0 0 0 1\r\np\r\nTBitmap\r\n" + lowerHex + "\r\n",
         67,
         true,
         {"-3/0/0/0:p"},
         0},
        {"a style beyond the sheet fails", "-8 1 2\r\n15 1 0 0 0 0\r\na\r\n", 67, false, {}, 4},
        {"a style beyond the sheet reads as 0",
         "-8 1 2\r\n15 1 0 0 0 0\r\na\r\n",
         67 | zero,
         true,
         {"0/0/0/0:a"},
         4},
        {"an unknown style name reads as 0",
         "-8 1 2\r\n\"Nobody\" 1 \"Centered\" 0 0 0\r\na\r\n",
         67,
         true,
         {"0/1/0/0:a"},
         4},
        {"a name with a doubled quote",
         "-8 1 2\r\n\"Say \"\"hi\"\"\" 1 0 0 0 0\r\na\r\n",
         67,
         true,
         {"7/0/0/0:a"},
         0},
        {"an unknown kind is skipped with its checkpoint",
         "-8 1 2\r\n-2 1 0 0 0 0 0\r\ncp\r\n-77 2 0 0 0 0\r\nx\r\ny\r\n0 1 0 0 0 0\r\na\r\n",
         67,
         true,
         {"0/0/0/0:a"},
         0},
        {"Unicode text into an 8-bit style",
         "-8 1 2\r\n0 1 0 8 0 0\r\nA\0\x29\x20"s,
         67,
         true,
         {"0/0/0/0:A"},
         32},
        {"8-bit text into a Unicode style",
         "-8 1 2\r\n6 1 0 0 0 0\r\nA\r\n",
         67,
         true,
         {"6/0/8/0:A\0"s},
         16},
        {"an unknown picture class fails",
         "-3 3 0 0 0 0 1\r\np\r\nTPNG\r\n00\r\n",
         67,
         false,
         {},
         1},
        {"an unknown picture class is skipped",
         "-8 1 2\r\n-3 3 0 0 2 0 1\r\np\r\nTPNG\r\n\1\0\0\0Z"s,
         67 | 4,
         true,
         {},
         1},
    };
    for (const FixtureCase& c : cases) {
        SCOPED_TRACE(c.name);
        PlainDoc doc;
        doc.RNFOptions = TRNFOptions::FromBits(c.options);
        EXPECT_EQ(LoadNote(doc, c.bytes), c.ok) << doc.RNFError;
        EXPECT_EQ(doc.RNFError.empty(), c.ok);
        EXPECT_EQ(ItemRows(doc), c.rows);
        EXPECT_EQ(doc.RNFWarnings.Bits(), c.warnings);
    }
}

TEST(RNFFormat, OpaqueControlsAndUnsavedBodiesKeepTheirBytes) {
    PlainDoc doc;
    doc.RNFOptions = TRNFOptions::FromBits(64 | 2);
    const std::string stream = "TPF0\x07TButton\x02"
                               "b1\0\0"s;
    const std::string bytes = "-8 1 2\r\n-5 3 0 0 2 0 1\r\nctl\r\nTButton\r\n" +
                              std::string(1, static_cast<char>(stream.size())) + "\0\0\0"s +
                              stream + "-3 1 0 0 1 0 0\r\npic\r\n";
    ASSERT_TRUE(LoadNote(doc, bytes)) << doc.RNFError;
    // The picture without a body was not supplied by anyone, so only the control is there.
    ASSERT_EQ(doc.ItemCount(), 1);
    auto& control = doc.CheckItemClass<TRNControlItemInfo>(0);
    EXPECT_EQ(control.Control->ClassName(), "TButton");
    EXPECT_FALSE(control.Control->Visible());
    EXPECT_EQ(SaveNote(doc), bytes.substr(0, bytes.find("-3 ")));
}

TEST(RNFFormat, RefusedFirstItemFailsTheRead) {
    TRefusing<PlainDoc> doc;
    EXPECT_FALSE(LoadNote(doc, "-8 1 2\r\n0 1 0 0 0 0\r\na\r\n"));
    EXPECT_EQ(doc.ItemCount(), 0);
    EXPECT_NE(doc.RNFError.find("refused"), std::string::npos);
}

class TestBackground : public IRNBackground {
public:
    TBackgroundStyle GetStyle() const override { return style; }
    void SetStyle(TBackgroundStyle value) override { style = value; }
    TBitmap& Bitmap() override { return bitmap; }
    TBackgroundStyle style = TBackgroundStyle::bsNoBitmap;
    TBitmap bitmap;
};

TEST(RNFFormat, BackgroundRecordCarriesStyleColourAndPicture) {
    PlainDoc doc;
    doc.RNFOptions = TRNFOptions::FromBits(1 | 256 | 512); // bodies, save and load the background
    doc.AddNL("a", 0, 0);
    TestBackground back;
    back.style = TBackgroundStyle::bsTiled;
    back.bitmap.SetImage(QImage(2, 1, QImage::Format_RGB32));
    const std::string hex = RNFBytes2TextString(back.bitmap.SaveToBytes());
    TMemoryStream stream;
    ASSERT_TRUE(doc.SaveRNFToStream(stream, false, clRed, &back));
    EXPECT_EQ(stream.Bytes(),
              "-8 1 2\r\n-7 2 0 0 0 0 2 255\r\nTBitmap\r\n" + hex + "\r\n0 1 0 0 0 0\r\na\r\n");

    PlainDoc again;
    again.RNFOptions = doc.RNFOptions;
    TestBackground read;
    TColor color = clNone;
    stream.SetPosition(0);
    ASSERT_TRUE(again.LoadRNFFromStream(stream, color, &read));
    EXPECT_EQ(color, clRed);
    EXPECT_EQ(read.style, TBackgroundStyle::bsTiled);
    EXPECT_EQ(read.bitmap.SaveToBytes(), back.bitmap.SaveToBytes());
}

TEST(RNFFormat, UnwritableValuesFailTheWriteAndLeaveTheFile) {
    TempDir dir;
    const std::string path = (dir / "note.rnf").string();
    const std::function<void(PlainDoc&)> spoil[] = {
        [](PlainDoc& d) { d.SetItemTag(0, RNTag::String("two words")); },
        [](PlainDoc& d) { d.SetItemTag(0, RNTag::String("line\r\nend")); },
        [](PlainDoc& d) {
            d.RNFOptions.Include(TRNFOption::rnfoUseStyleNames);
            d.sheet.TextStyles()[0].StyleName = "two\nlines";
        },
    };
    for (const auto& change : spoil) {
        PlainDoc doc;
        doc.Options.Include(TRNOption::rnoTagsArePChars);
        doc.AddNL("a", 0, 0);
        ASSERT_TRUE(doc.SaveRNF(path, false, clNone, nullptr));
        const std::string saved = ReadFileBytes(path);
        change(doc);
        EXPECT_FALSE(doc.SaveRNF(path, false, clNone, nullptr)) << (&change - spoil);
        EXPECT_EQ(ReadFileBytes(path), saved) << (&change - spoil);
    }
    PlainDoc loaded;
    TColor color = clNone;
    ASSERT_TRUE(loaded.LoadRNF(path, color, nullptr));
    EXPECT_EQ(loaded.GetItemText(0), "a");
    EXPECT_THROW(loaded.LoadRNF((dir / "missing.rnf").string(), color, nullptr), EStreamError);
}

TEST(RNFFormat, PropertyFormIsTheLengthThenTheNote) {
    // A short note and one longer than the writer gathers before writing, both behind bytes
    // already in the stream.
    for (size_t length : {4u, 3000u}) {
        PlainDoc doc;
        doc.AddNL(std::string(length, 'a'), 0, 0);
        doc.AddNL("b", 0, 0);
        const std::string note = SaveNote(doc);
        TMemoryStream form;
        form.WriteString("head");
        ASSERT_TRUE(doc.DataWriter(form));
        const auto n = static_cast<uint32_t>(note.size());
        const std::string count{static_cast<char>(n), static_cast<char>(n >> 8),
                                static_cast<char>(n >> 16), static_cast<char>(n >> 24)};
        EXPECT_EQ(form.Bytes(), "head" + count + note) << length;
        EXPECT_EQ(form.Position(), form.Size()) << length;
    }
}

TEST(RNFFormat, PropertyFormReadsAlikeFromStreamAndBytes) {
    PlainDoc source;
    source.AddNL("cell", 0, 0);
    TMemoryStream written;
    ASSERT_TRUE(source.DataWriter(written));
    const std::string whole = written.Bytes();
    struct Case {
        std::string bytes;
        bool ok;
        int items;
        int64_t position; // where the stream is left
    };
    const Case cases[] = {
        {whole + "tail", true, 1, static_cast<int64_t>(whole.size())},
        {"\0\0\0\0tail"s, true, 0, 4},
        {"\x20\0\0\0-8 1 2\r\n"s, false, 0, 4},
        {"\x01\x02"s, false, 0, 2},
    };
    for (const Case& c : cases) {
        TMemoryStream stream;
        stream.WriteString(c.bytes);
        stream.SetPosition(0);
        PlainDoc fromStream, fromBytes;
        EXPECT_EQ(fromStream.DataReader(stream), c.ok) << c.bytes;
        EXPECT_EQ(fromBytes.DataReader(std::string_view(c.bytes)), c.ok) << c.bytes;
        EXPECT_EQ(stream.Position(), c.position) << c.bytes;
        EXPECT_EQ(fromStream.RNFError, fromBytes.RNFError) << c.bytes;
        EXPECT_EQ(fromStream.ItemCount(), c.items) << c.bytes;
        EXPECT_EQ(ItemRows(fromBytes), ItemRows(fromStream)) << c.bytes;
    }
}

} // namespace
