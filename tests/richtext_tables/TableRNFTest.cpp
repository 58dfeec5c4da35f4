#include "tests/richtext_view/ViewFixture.h"

#include "TableFixture.h"
#include "TableStreams.h"

#include "platform/base/Stream.h"
#include "platform/graphics/ComponentStream.h"
#include "richtext/model/RNFMisc.h"
#include "richtext/model/RNItemRegistry.h"

#include <functional>

namespace {

std::string SaveItem(TRNTableItemInfo& t, TCustomRNData& doc) {
    TMemoryStream out;
    t.SaveRNF(out, doc, 0, 0, "");
    return out.Bytes();
}

std::string StreamOf(TRNTableItemInfo& t) {
    TMemoryStream out;
    t.SaveToStream(out);
    return out.Bytes();
}

void LoadStream(TRNTableItemInfo& t, const std::string& bytes) {
    TMemoryStream in;
    in.WriteString(bytes);
    in.SetPosition(0);
    t.LoadFromStream(in);
}

// The first item's text of every slot in row-major order; "-" for a covered slot.
std::vector<std::string> CellTexts(const TRNTableItemInfo& t) {
    std::vector<std::string> texts;
    for (int r = 0; r < t.Rows.Count(); ++r) {
        for (int c = 0; c < t.Rows.Get(r)->Count(); ++c) {
            const TRNTableCellData* cell = t.Cells(r, c);
            texts.push_back(cell ? cell->GetItemText(0) : "-");
        }
    }
    return texts;
}

std::unique_ptr<TRNTableItemInfo> TableWithTexts(TableDoc& d, int rows, int cols,
                                                 const std::vector<std::string>& texts) {
    auto t = d.Make(rows, cols);
    for (size_t i = 0; i < texts.size(); ++i) {
        SetTextOf(*t->Cells(static_cast<int>(i) / cols, static_cast<int>(i) % cols), texts[i]);
    }
    return t;
}

TEST(TableRNF, ANew2x2TableWritesItsRecordByteForByte) {
    TableDoc d;
    auto t = d.Make(2, 2);
    const std::string separator = std::string("\x06\x02\r\n", 4);
    const std::string td =
        std::string("\x02\x01\x02\x01", 4) + Short("TD") + Short("") + std::string("\0\0", 2);
    const std::string stream = "TPF0" + Short("TRNTableSW") + Short("") +
                               Short("T.TextRowSeparator") + separator +
                               Short("T.TextColSeparator") + separator + Short("C") +
                               "\x02\x02\x02\x02\x01" + td + td + td + td + std::string(3, '\0');
    const uint32_t n = static_cast<uint32_t>(stream.size());
    const std::string length{static_cast<char>(n), static_cast<char>(n >> 8), '\0', '\0'};
    EXPECT_EQ(SaveItem(*t, d.Doc), "-60 3 0 0 2 0 \r\n\r\n1\r\n" + length + stream);
    EXPECT_EQ(StreamOf(*t), stream);

    // Without the binary option the same stream is one line of upper-case hexadecimal.
    d.Doc.RNFOptions.Exclude(TRNFOption::rnfoSaveBinary);
    const std::string text = SaveItem(*t, d.Doc);
    const std::string hexLine = text.substr(text.find("1\r\n") + 3);
    EXPECT_EQ(text.substr(0, 16), "-60 3 0 0 0 0 \r\n");
    ASSERT_EQ(hexLine.substr(hexLine.size() - 2), "\r\n");
    EXPECT_EQ(hexLine.substr(0, 8), "54504630");
    EXPECT_EQ(hexLine.find_first_not_of("0123456789ABCDEF"), hexLine.size() - 2);
    std::string decoded;
    ASSERT_TRUE(RNFTextString2Bytes(hexLine.substr(0, hexLine.size() - 2), decoded));
    EXPECT_EQ(decoded, stream);
}

// An empty separator is a value of its own: left out of the stream it read back as a new
// table's CR LF.
TEST(TableRNF, EmptySeparatorsRoundTrip) {
    TableDoc d;
    for (const auto& [row, col] : {std::pair<std::string, std::string>{"", ""},
                                   {"", "|"},
                                   {"\n", ""},
                                   {std::string("\0", 1), "\r\n"}}) {
        auto t = d.Make(1, 2);
        t->TextRowSeparator = row;
        t->TextColSeparator = col;
        const std::string bytes = StreamOf(*t);
        EXPECT_NE(bytes.find(Short("T.TextRowSeparator") + "\x06" + Short(row)), std::string::npos);
        EXPECT_NE(bytes.find(Short("T.TextColSeparator") + "\x06" + Short(col)), std::string::npos);
        auto back = d.Make(1, 1);
        LoadStream(*back, bytes);
        EXPECT_EQ(back->TextRowSeparator, row);
        EXPECT_EQ(back->TextColSeparator, col);
        EXPECT_EQ(StreamOf(*back), bytes);
    }
}

TEST(TableRNF, AMergedTableWithEveryKindOfValueRoundTripsByteForByte) {
    TableDoc d;
    auto t = TableWithTexts(d, 3, 3, {"", "", "x", "", "", "y", "z", "", "w"});
    t->Rows.MergeCells(0, 0, 2, 2, true);
    t->Options.Include(TRNTableOption::rntoRTFSaveCellPixelBestWidth);
    t->BorderStyle = TRNTableBorderStyle::rntbColor;
    t->BorderColor = clRed;
    t->Color = RGB(1, 2, 3);
    t->HOutermostRule = true;
    t->BestWidth = -129;
    t->CellPadding = 128;
    t->CellBorderWidth = 40000;
    t->TextColSeparator = "|";
    t->Cells(0, 0)->Color = clYellow;
    t->Cells(0, 0)->BestHeight = 30;
    t->Cells(2, 2)->VisibleBorders.Top = false;
    const std::string bytes = StreamOf(*t);

    // Each kind of value as the stream spells it.
    const std::string expected[] = {
        Short("T.Options") + "\x0B" + Short("rntoEditing") + Short("rntoRowSizing") +
            Short("rntoColSizing") + Short("rntoRowSelect") + Short("rntoColSelect") +
            Short("rntoRTFSaveCellPixelBestWidth") + '\0',
        Short("T.BestWidth") + "\x03\x7F\xFF",
        Short("T.Color") + std::string("\x04\x01\x02\x03\x00", 5),
        Short("T.TextColSeparator") + "\x06\x01|",
        Short("T.BorderColor") + "\x07" + Short("clRed"),
        Short("T.BorderStyle") + "\x07" + Short("rntbColor"),
        Short("T.CellBorderWidth") + std::string("\x04\x40\x9C\x00\x00", 5),
        Short("T.CellPadding") + std::string("\x03\x80\x00", 3),
        Short("T.HOutermostRule") + "\x09",
        Short("C") + "\x02\x03\x02\x03\x01\x02\x02\x02\x02" + Short("TD") + Short("") +
            Short("C.Color") + "\x07" + Short("clYellow") + Short("C.BestHeight") + "\x02\x1E" +
            '\0',
        Short("C.VisibleBorders.Top") + "\x08",
    };
    size_t from = 0;
    for (const std::string& piece : expected) {
        size_t at = bytes.find(piece, from);
        ASSERT_NE(at, std::string::npos) << piece;
        from = at + piece.size();
    }
    size_t records = 0;
    for (size_t at = bytes.find(Short("TD")); at != std::string::npos;
         at = bytes.find(Short("TD"), at + 1)) {
        ++records;
    }
    EXPECT_EQ(records, 6u);

    auto back = d.Make(1, 1);
    LoadStream(*back, bytes);
    EXPECT_TRUE(GridIsSound(back->Rows));
    EXPECT_EQ(CellTexts(*back),
              (std::vector<std::string>{"", "-", "x", "-", "-", "y", "z", "", "w"}));
    EXPECT_EQ(back->Cells(0, 0)->ColSpan, 2);
    EXPECT_EQ(back->Cells(0, 0)->RowSpan, 2);
    EXPECT_EQ(StreamOf(*back), bytes);
}

TABLE_OPTIONS_SUITE(TableRNFRoundTrip);

TEST_P(TableRNFRoundTrip, ANoteWithNestedTablesRoundTripsInBothSaveTypes) {
    RegisterTableItemClass();
    for (bool binary : {true, false}) {
        TableDoc d(GetParam());
        if (!binary) {
            d.Doc.RNFOptions.Exclude(TRNFOption::rnfoSaveBinary);
        }
        d.Doc.AddNL("before", 0, 0);
        auto outer = TableWithTexts(d, 1, 2, {"", "right"});
        TRNTableCellData& host = *outer->Cells(0, 0);
        host.Clear();
        auto inner = std::make_unique<TRNTableItemInfo>(2, 1, &host);
        SetTextOf(*inner->Cells(1, 0), "deep");
        host.AddItem("", std::move(inner));
        d.Doc.AddItem("", std::move(outer));
        d.Doc.AddNL("after", 0, 0);
        TMemoryStream note;
        ASSERT_TRUE(d.Doc.SaveRNFToStream(note, false, clNone, nullptr));

        TableDoc e(GetParam());
        e.Doc.RNFOptions = d.Doc.RNFOptions;
        note.SetPosition(0);
        TColor color = clNone;
        ASSERT_TRUE(e.Doc.LoadRNFFromStream(note, color, nullptr)) << e.Doc.RNFError;
        ASSERT_EQ(e.Doc.ItemCount(), 3);
        EXPECT_EQ(e.Doc.GetItemText(2), "after");
        auto& t = e.Doc.CheckItemClass<TRNTableItemInfo>(1);
        EXPECT_EQ(t.Cells(0, 1)->GetItemText(0), "right");
        auto& nested = t.Cells(0, 0)->CheckItemClass<TRNTableItemInfo>(0);
        EXPECT_EQ(CellTexts(nested), (std::vector<std::string>{"", "deep"}));
        EXPECT_FALSE(e.Doc.RNFWarnings.Contains(TRNFWarning::rnfwTableDamaged));
        TMemoryStream again;
        ASSERT_TRUE(e.Doc.SaveRNFToStream(again, false, clNone, nullptr));
        EXPECT_EQ(again.Bytes(), note.Bytes());
    }
}

TEST(TableRNF, AMalformedHexadecimalLineFailsTheLine) {
    for (std::string_view line : {"545", "5450463Z"}) {
        TableDoc d;
        auto t = d.Make(1, 1);
        std::string name;
        TRNFReadMode mode = TRNFReadMode::rmText;
        TRNFReadState state = TRNFReadState::rstData;
        EXPECT_FALSE(t->ReadRNFLine(line, d.Doc, 0, 2, 3, name, mode, state)) << line;
    }
}

std::string Patch(std::string bytes, const std::string& from, const std::string& to) {
    size_t at = bytes.find(from);
    EXPECT_NE(at, std::string::npos);
    return at == std::string::npos ? bytes : bytes.replace(at, from.size(), to);
}

std::string RowOf(const std::vector<std::string>& texts) {
    TableDoc d;
    auto t = TableWithTexts(d, 1, static_cast<int>(texts.size()), texts);
    return StreamOf(*t);
}

// Replaces the 4 bytes `skip` bytes after `marker`.
std::string SetLength(std::string bytes, const std::string& marker, size_t skip, uint32_t value) {
    size_t at = bytes.find(marker) + marker.size() + skip;
    for (int i = 0; i < 4; ++i) {
        bytes[at + static_cast<size_t>(i)] = static_cast<char>(value >> (8 * i));
    }
    return bytes;
}

TEST(TableRNF, DamagedTablesKeepWhatWasReadAndTheRestOfTheNoteLoads) {
    RegisterTableItemClass();
    const std::string counts13 = Short("C") + "\x02\x01\x02\x03";
    const std::string counts15 = Short("C") + "\x02\x01\x02\x05";
    const std::string data = Short("C.Data") + "\x0A";
    struct Case {
        const char* What;
        std::string Stream;
        std::vector<std::string> Texts;
    } cases[] = {
        {"one cell too few",
         Patch(RowOf({"a", "b", "c"}), counts13, Short("C") + "\x02\x02\x02\x02"),
         {"a", "b", "c", ""}},
        {"one cell too many",
         Patch(RowOf({"a", "b", "c", "d", "e"}), counts15, Short("C") + "\x02\x02\x02\x02"),
         {"a", "b", "c", "d"}},
        {"no rows", Patch(RowOf({"a", "b", "c"}), counts13, Short("C") + "\x02\x00\x02\x03"), {""}},
        {"a billion cells",
         Patch(RowOf({"a", "b", "c"}), counts13,
               Short("C") + std::string("\x04\xA0\x86\x01\x00\x04\x10\x27\x00\x00", 10)),
         {""}},
        {"a binary length past the end",
         SetLength(RowOf({"a", "b", "c"}), data, 0, 0x7FFFFFFF),
         {"", "", ""}},
        {"a cell width beyond any page",
         Patch(RowOf({"a", "b", "c"}), Short("C.Data"),
               Short("C.BestWidth") + std::string("\x04\xFF\xFF\xFF\x7F", 5) + Short("C.Data")),
         {"", "", ""}},
        {"a border beyond any page",
         Patch(RowOf({"a"}), Short("C"),
               Short("T.BorderWidth") + std::string("\x04\xA1\x86\x01\x00", 5) + Short("C")),
         {""}},
        // The binary value's length is kept; the document's own length inside it is broken.
        {"a document length past the end",
         SetLength(RowOf({"a", "b", "c"}), data, 4, 0x7FFFFFF0),
         {"", "b", "c"}},
    };
    for (const Case& c : cases) {
        TableDoc d;
        TMemoryStream note;
        note.WriteString(NoteWithTableStream(c.Stream));
        note.SetPosition(0);
        TColor color = clNone;
        ASSERT_TRUE(d.Doc.LoadRNFFromStream(note, color, nullptr)) << c.What << d.Doc.RNFError;
        ASSERT_EQ(d.Doc.ItemCount(), 3) << c.What;
        EXPECT_EQ(d.Doc.GetItemText(2), "after") << c.What;
        EXPECT_TRUE(d.Doc.RNFWarnings.Contains(TRNFWarning::rnfwTableDamaged)) << c.What;
        auto& t = d.Doc.CheckItemClass<TRNTableItemInfo>(1);
        EXPECT_TRUE(GridIsSound(t.Rows)) << c.What;
        EXPECT_EQ(CellTexts(t), c.Texts) << c.What;
    }
}

int CellCount(const TRNTableItemInfo& t) {
    int count = 0;
    t.Rows.ForEachCell([&](const TRNTableCellData&) { ++count; });
    return count;
}

// The spans and counts as the stream spells them: 16-bit integers.
std::string Int16(int value) {
    return std::string{'\x03', static_cast<char>(value), static_cast<char>(value >> 8)};
}

std::string LoadNote(TableDoc& d, const std::string& stream) {
    TMemoryStream note;
    note.WriteString(NoteWithTableStream(stream));
    note.SetPosition(0);
    TColor color = clNone;
    EXPECT_TRUE(d.Doc.LoadRNFFromStream(note, color, nullptr)) << d.Doc.RNFError;
    return d.Doc.ItemCount() == 3 ? d.Doc.GetItemText(2) : "";
}

// A grid is declared before its cells: a declaration its bytes cannot back costs nothing.
TEST(TableRNF, AGridLargerThanItsBytesIsNotBuilt) {
    RegisterTableItemClass();
    const std::string bare = "TPF0" + Short("TRNTableSW") + Short("") + Short("C") + Int16(1000) +
                             Int16(1000) + std::string("\x01\x00\x00\x00", 4);
    ASSERT_EQ(bare.size(), 28u);
    {
        TableDoc d;
        auto t = d.Make(1, 1);
        EXPECT_THROW(LoadStream(*t, bare), EReadError);
        EXPECT_TRUE(GridIsSound(t->Rows));
        EXPECT_LE(t->Rows.Count() * t->Rows.ColCount(), 1);
    }
    // One cell read, then the list ends: the cell is kept, the rest of the grid is not made.
    const std::string oneCell = Patch(RowOf({"a"}), Short("C") + "\x02\x01\x02\x01",
                                      Short("C") + Int16(1000) + Int16(1000));
    for (const auto& [stream, text] :
         {std::pair<std::string, std::string>{bare, ""}, {oneCell, "a"}}) {
        TableDoc d;
        EXPECT_EQ(LoadNote(d, stream), "after");
        EXPECT_TRUE(d.Doc.RNFWarnings.Contains(TRNFWarning::rnfwTableDamaged));
        auto& t = d.Doc.CheckItemClass<TRNTableItemInfo>(1);
        EXPECT_TRUE(GridIsSound(t.Rows));
        EXPECT_LE(t.Rows.Count() * t.Rows.ColCount(), 1);
        EXPECT_EQ(CellCount(t), 1);
        EXPECT_EQ(t.Cells(0, 0)->GetItemText(0), text);
    }
}

// A damaged stream keeps the rows read; unread cells are made only as many as the bytes could
// have described, and no merge reaches past the rows kept.
TEST(TableRNF, ADamagedLargeGridKeepsTheRowsRead) {
    RegisterTableItemClass();
    struct Case {
        const char* What;
        std::string Stream;
        int Rows, Cols;
        std::vector<std::string> Texts;
    } cases[] = {
        {"the row being read is filled",
         Patch(RowOf({"a", "b", "c", "d"}), Short("C") + "\x02\x01\x02\x04",
               Short("C") + Int16(1000) + "\x02\x03"),
         2,
         3,
         {"a", "b", "c", "d", "", ""}},
        {"the row being read is too wide to fill",
         Patch(RowOf({"top", "x"}), Short("C") + "\x02\x01\x02\x02\x01\x02\x01\x02\x01",
               Short("C") + Int16(1000) + Int16(1000) + "\x01" + Int16(1000) + "\x02\x02"),
         2,
         1000,
         {}},
        {"the first row is cut to its cells",
         Patch(RowOf({"a", "b"}), Short("C") + "\x02\x01\x02\x02",
               Short("C") + "\x02\x01" + std::string("\x04\xA0\x86\x01\x00", 5)),
         1,
         2,
         {"a", "b"}},
    };
    for (const Case& c : cases) {
        TableDoc d;
        EXPECT_EQ(LoadNote(d, c.Stream), "after") << c.What;
        EXPECT_TRUE(d.Doc.RNFWarnings.Contains(TRNFWarning::rnfwTableDamaged)) << c.What;
        auto& t = d.Doc.CheckItemClass<TRNTableItemInfo>(1);
        EXPECT_TRUE(GridIsSound(t.Rows)) << c.What;
        EXPECT_EQ(t.Rows.Count(), c.Rows) << c.What;
        EXPECT_EQ(t.Rows.ColCount(), c.Cols) << c.What;
        if (!c.Texts.empty()) {
            EXPECT_EQ(CellTexts(t), c.Texts) << c.What;
        }
    }
    TableDoc d;
    LoadNote(d, cases[1].Stream);
    auto& t = d.Doc.CheckItemClass<TRNTableItemInfo>(1);
    EXPECT_EQ(CellCount(t), 1);
    EXPECT_EQ(t.Cells(0, 0)->GetItemText(0), "top");
    EXPECT_EQ(t.Cells(0, 0)->ColSpan, 1000);
    EXPECT_EQ(t.Cells(0, 0)->RowSpan, 2);
}

// A 3 x 93 grid whose 33 bytes end inside its first cell, which spans 2 columns: the one row
// kept holds one slot, and the cell read spans no more than that. The note shows it.
TEST(TableRNF, AStreamEndingInsideAWideFirstCellKeepsAGridThatLaysOutAndPaints) {
    RegisterTableItemClass();
    const std::string stream = WideFirstCellCutShort();
    ASSERT_EQ(stream.size(), 33u);
    Viewer v(600);
    TMemoryStream note;
    note.WriteString(NoteWithTableStream(stream));
    note.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(v.D().LoadRNFFromStream(note, color, nullptr)) << v.D().RNFError;
    EXPECT_TRUE(v.Host.RNFWarnings.Contains(TRNFWarning::rnfwTableDamaged));
    ASSERT_EQ(v.D().ItemCount(), 3);
    const auto& t = v.D().CheckItemClass<TRNTableItemInfo>(1);
    ASSERT_TRUE(GridIsSound(t.Rows));
    EXPECT_EQ(std::make_pair(t.Rows.Count(), t.Rows.ColCount()), std::make_pair(1, 1));
    EXPECT_EQ(t.Cells(0, 0)->ColSpan, 1);
    v.Format();
    EXPECT_EQ(t.FormattingInfo.ColWidths.Count(), 1);
    EXPECT_GT(t.GetWidth(), 0);
    v.D().PaintTo(v.Canvas, Rect(0, 0, v.Host.ClientWidth, v.Host.ClientHeight));
    EXPECT_EQ(v.D().GetItemText(2), "after");
}

// Few bytes may describe a large grid whole: one cell spanning all of it.
TEST(TableRNF, ALargeGridMergedIntoOneCellReadsAndRoundTrips) {
    RegisterTableItemClass();
    const std::string stream =
        Patch(RowOf({"all"}), Short("C") + "\x02\x01\x02\x01\x01\x02\x01\x02\x01",
              Short("C") + Int16(1000) + Int16(1000) + "\x01" + Int16(1000) + Int16(1000));
    TableDoc d;
    auto t = d.Make(1, 1);
    LoadStream(*t, stream);
    ASSERT_EQ(t->Rows.Count(), 1000);
    ASSERT_EQ(t->Rows.ColCount(), 1000);
    EXPECT_TRUE(GridIsSound(t->Rows));
    EXPECT_EQ(CellCount(*t), 1);
    EXPECT_EQ(t->Cells(0, 0)->GetItemText(0), "all");
    EXPECT_EQ(t->Cells(0, 0)->RowSpan, 1000);
    EXPECT_EQ(StreamOf(*t), stream);

    TableDoc e;
    EXPECT_EQ(LoadNote(e, stream), "after");
    EXPECT_FALSE(e.Doc.RNFWarnings.Contains(TRNFWarning::rnfwTableDamaged));
    EXPECT_EQ(StreamOf(e.Doc.CheckItemClass<TRNTableItemInfo>(1)), stream);
}

// The spans and texts of every slot, "-" for a covered one.
std::vector<std::string> Shape(const TRNTableItemInfo& t) {
    std::vector<std::string> shape;
    for (int r = 0; r < t.Rows.Count(); ++r) {
        for (int c = 0; c < t.Rows.Get(r)->Count(); ++c) {
            const TRNTableCellData* cell = t.Cells(r, c);
            shape.push_back(cell ? std::to_string(cell->ColSpan) + "x" +
                                       std::to_string(cell->RowSpan) + cell->GetItemText(0)
                                 : "-");
        }
    }
    return shape;
}

// Grids of every shape the edits make read back slot for slot; the same streams with their
// spans changed at random or cut short still give a sound grid.
TEST_P(TableRNFRoundTrip, EditedGridsReadBackAndDamagedOnesStaySound) {
    RegisterTableItemClass();
    std::mt19937 rng(4912);
    for (int round = 0; round < 150; ++round) {
        TableDoc d(GetParam());
        auto t = d.Make(1 + static_cast<int>(rng() % 5), 1 + static_cast<int>(rng() % 5));
        // Merges among them move text from cell to cell.
        t->Rows.ForEachCell([&](TRNTableCellData& cell) { SetTextOf(cell, "edited"); });
        for (int edit = 0; edit < 6; ++edit) {
            RandomGridEdit(t->Rows, rng);
        }
        int n = 0;
        t->Rows.ForEachCell([&](TRNTableCellData& cell) { SetTextOf(cell, std::to_string(n++)); });
        const std::string bytes = StreamOf(*t);
        auto back = d.Make(1, 1);
        LoadStream(*back, bytes);
        ASSERT_TRUE(GridIsSound(back->Rows)) << round;
        EXPECT_EQ(Shape(*back), Shape(*t)) << round;

        std::string spans = bytes;
        for (size_t at = spans.find(Short("TD")); at != std::string::npos;
             at = spans.find(Short("TD"), at + 1)) {
            if (rng() % 3 == 0) {
                spans[at - 3] = static_cast<char>(static_cast<int>(rng() % 9) - 2);
                spans[at - 1] = static_cast<char>(static_cast<int>(rng() % 9) - 2);
            }
        }
        const std::string cut =
            bytes.substr(0, bytes.find(Short("C") + "\x02") + 8 + rng() % (bytes.size() - 60));
        for (const std::string& damaged : {spans, cut}) {
            TableDoc e(GetParam());
            EXPECT_EQ(LoadNote(e, damaged), "after") << round;
            EXPECT_TRUE(GridIsSound(e.Doc.CheckItemClass<TRNTableItemInfo>(1).Rows)) << round;
        }
    }
}

TEST(TableRNF, TablesNestedBeyond64LevelsAreCutThereWithAWarning) {
    RegisterTableItemClass();
    TableDoc d;
    auto top = d.Make(1, 1);
    TRNTableItemInfo* t = top.get();
    for (int level = 1; level < 100; ++level) {
        TRNTableCellData& cell = *t->Cells(0, 0);
        cell.Clear();
        auto inner = std::make_unique<TRNTableItemInfo>(1, 1, &cell);
        t = inner.get();
        cell.AddItem("", std::move(inner));
    }
    SetTextOf(*t->Cells(0, 0), "bottom");
    d.Doc.AddItem("", std::move(top));
    d.Doc.AddNL("after", 0, 0);
    TMemoryStream note;
    ASSERT_TRUE(d.Doc.SaveRNFToStream(note, false, clNone, nullptr));

    TableDoc e;
    note.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(e.Doc.LoadRNFFromStream(note, color, nullptr)) << e.Doc.RNFError;
    EXPECT_EQ(e.Doc.GetItemText(1), "after");
    EXPECT_TRUE(e.Doc.RNFWarnings.Contains(TRNFWarning::rnfwTableDamaged));
    int depth = 1;
    const TCustomRNData* doc = e.Doc.CheckItemClass<TRNTableItemInfo>(0).Cells(0, 0);
    while (auto* nested = dynamic_cast<TRNTableItemInfo*>(&doc->GetItem(0))) {
        ++depth;
        doc = nested->Cells(0, 0);
    }
    EXPECT_EQ(depth, 65); // the 65th table is there, empty
    EXPECT_EQ(doc->GetItemText(0), "");
}

} // namespace
