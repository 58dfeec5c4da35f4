// A keystroke in the 10,000-paragraph notes document of word_wrap: one character inserted in
// the middle paragraph, then FormatParas of that paragraph, beside a full format of the same
// document in the same run. The same at ten times the document shows what the size costs:
// with no line added nothing below moves; a line added shifts every later draw item.
// Also SearchText for a word absent from the 1 MB document, beside QTextDocument::find.
#include "NotesDocument.h"

#include "platform/graphics/FakeCanvas.h"

#include <benchmark/benchmark.h>

namespace {

constexpr int Width = 600;

// Inserts one character into the first item of the middle paragraph and rewraps it; a
// character that adds a line is taken out again each time so that every round sees the same
// document.
void Keystroke(benchmark::State& state, int paragraphs, bool addsLine) {
    TFakeCanvas canvas;
    bench::Notes notes(paragraphs, Width, 400);
    notes.Doc->Canvas = &canvas;
    notes.Doc->Format_(false, true, false, 0, canvas, false);
    int itemNo = notes.Doc->ItemCount() / 2;
    while (notes.Doc->GetItem(itemNo).GetSameAsPrev()) {
        --itemNo;
    }
    itemNo += addsLine ? 2 : 0;
    std::string& text = notes.Doc->Items()[itemNo].Text;
    const std::string original = text;
    const std::string grown = addsLine ? original + std::string(60, 'w') : original + "x";
    auto rewrap = [&](const std::string& to) {
        text = to;
        int d = -1;
        notes.Doc->Item2FirstDrawItem(itemNo, d);
        notes.Doc->FormatParas(d, d, 0);
    };
    const int height = notes.Doc->DocumentHeight;
    for (auto _ : state) {
        rewrap(grown);
        state.PauseTiming();
        rewrap(original);
        state.ResumeTiming();
    }
    rewrap(grown);
    state.counters["height_added"] = notes.Doc->DocumentHeight - height;
    state.counters["draw_items"] = notes.Doc->DrawItems.Count();
}

void BM_KeystrokeSameLines(benchmark::State& state) {
    Keystroke(state, static_cast<int>(state.range(0)), false);
}
BENCHMARK(BM_KeystrokeSameLines)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_KeystrokeLineAdded(benchmark::State& state) {
    Keystroke(state, static_cast<int>(state.range(0)), true);
}
BENCHMARK(BM_KeystrokeLineAdded)->Arg(10000)->Arg(100000)->Unit(benchmark::kMicrosecond);

void BM_FullFormat(benchmark::State& state) {
    TFakeCanvas canvas;
    bench::Notes notes(10000, Width, 400);
    for (auto _ : state) {
        notes.Doc->Format_(false, true, false, 0, canvas, false);
        benchmark::DoNotOptimize(notes.Doc->DocumentHeight);
    }
}
BENCHMARK(BM_FullFormat)->Unit(benchmark::kMicrosecond);

constexpr const char* Absent = "quixotic";

void BM_SearchTextAbsent(benchmark::State& state) {
    TFakeCanvas canvas;
    bench::Notes notes(10000, Width, 400);
    notes.Doc->Canvas = &canvas;
    notes.Doc->Format_(false, true, false, 0, canvas, false);
    const bool matchCase = state.range(0) != 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(notes.Doc->SearchText(true, matchCase, Absent));
    }
}
BENCHMARK(BM_SearchTextAbsent)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_QTextDocumentFindAbsent(benchmark::State& state) {
    bench::App();
    QTextDocument doc;
    bench::FillTextDocument(doc, 10000);
    const QTextDocument::FindFlags flags =
        state.range(0) != 0 ? QTextDocument::FindCaseSensitively : QTextDocument::FindFlags{};
    for (auto _ : state) {
        benchmark::DoNotOptimize(doc.find(QString::fromLatin1(Absent), 0, flags).isNull());
    }
}
BENCHMARK(BM_QTextDocumentFindAbsent)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

} // namespace

TARNWICK_BENCHMARK_MAIN(QGuiApplication)
