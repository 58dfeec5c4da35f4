// Layout and painting of a 100 x 20 table (2,000 cells). Targets: a full pass over one-word
// cells under 5 ms; with a 200-character paragraph a cell, at most 1.5 times formatting the
// same paragraphs as one plain document at the cells' width; a pass at an unchanged width
// under 10 us; painting a clip of 10 rows at most a fifth of painting the whole table.

#include "NotesDocument.h"
#include "platform/graphics/QtCanvas.h"
#include "richtext/tables/RNTable.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int Rows = 100, Cols = 20, DocWidth = 2000;

std::string Paragraph() {
    std::string text;
    while (text.size() < 200) {
        text += "binder notes ";
    }
    return text.substr(0, 200);
}

// The outermost document: the cells measure with its canvas and its style sheet.
class RootView : public bench::NotesView {
public:
    RootView(TRNDataList* list, TRNStyle* sheet) : NotesView(list, DocWidth, 400), Sheet(sheet) {}
    TRNStyle* GetRNStyle() const override { return Sheet; }
    TRNStyle* Sheet;
};

struct TableDoc {
    QImage Image{DocWidth, 400, QImage::Format_RGB32};
    TQtCanvas Canvas{&Image, 96};
    bench::Notes Notes{0, DocWidth, 400};
    TRNDataList NoParent{nullptr};
    RootView Root{&NoParent, &Notes.Sheet};
    TRNTableItemInfo Table;

    explicit TableDoc(const std::string& text) : Table(Rows, Cols, nullptr) {
        bench::App();
        Root.Canvas = &Canvas;
        Table.Rows.MainRNData = &Root;
        for (int r = 0; r < Rows; ++r) {
            Table.Rows.Get(r)->RNData = &Root;
            for (int c = 0; c < Cols; ++c) {
                Table.Cells(r, c)->Clear();
                Table.Cells(r, c)->AddNL(text, 0, 0);
            }
        }
    }
    void Layout() {
        Table.NeedsReformat = true;
        Table.OnDocWidthChange(DocWidth, nullptr, false);
    }
};

void BM_TableLayoutOneWordCells(benchmark::State& state) {
    TableDoc d("word");
    for (auto _ : state) {
        d.Layout();
    }
}
BENCHMARK(BM_TableLayoutOneWordCells)->Unit(benchmark::kMillisecond);

void BM_TableLayoutParagraphCells(benchmark::State& state) {
    TableDoc d(Paragraph());
    for (auto _ : state) {
        d.Layout();
    }
}
BENCHMARK(BM_TableLayoutParagraphCells)->Unit(benchmark::kMillisecond);

// The reference: the same paragraphs in one plain document at the cells' width.
void BM_PlainParagraphsAtCellWidth(benchmark::State& state) {
    TableDoc d(Paragraph());
    d.Layout();
    QImage image(DocWidth, 400, QImage::Format_RGB32);
    TQtCanvas canvas(&image, 96);
    bench::Notes plain(0, d.Table.Cells(0, 0)->GetWidth(), 400);
    plain.Doc->Canvas = &canvas;
    for (int i = 0; i < Rows * Cols; ++i) {
        plain.Doc->AddNL(Paragraph(), 0, 0);
    }
    for (auto _ : state) {
        plain.Doc->Format_(false, true, false, 0, canvas, false);
    }
}
BENCHMARK(BM_PlainParagraphsAtCellWidth)->Unit(benchmark::kMillisecond);

void BM_TableLayoutSameWidth(benchmark::State& state) {
    TableDoc d("word");
    d.Layout();
    for (auto _ : state) {
        d.Table.OnDocWidthChange(DocWidth, nullptr, false);
    }
}
BENCHMARK(BM_TableLayoutSameWidth)->Unit(benchmark::kMicrosecond);

void BM_TablePaint(benchmark::State& state) {
    TableDoc d("word");
    d.Layout();
    TRNStyle style;
    const bool clipped = state.range(0) != 0;
    int bottom = clipped ? d.Table.FormattingInfo.RowStarts[10] : d.Table.GetHeight();
    QImage image(DocWidth, bottom, QImage::Format_RGB32);
    TQtCanvas canvas(&image, 96);
    TRect clip = Rect(0, 0, DocWidth, bottom);
    for (auto _ : state) {
        d.Table.PaintTo(0, 0, 0, Rows, canvas, {}, style, d.Table.FormattingInfo, clip);
    }
}
BENCHMARK(BM_TablePaint)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

} // namespace

TARNWICK_BENCHMARK_MAIN(QGuiApplication)
