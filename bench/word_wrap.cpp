// Word wrap of a 10,000-paragraph, 1 MB notes document in four text styles with a picture
// every 50 paragraphs, at 600 px: a full format on the fixed-metrics canvas, the same on the
// Qt canvas with Liberation Sans, and Qt's own QTextDocument laying out the same paragraphs
// with the same fonts and width in the same run.
#include "NotesDocument.h"

#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/QtCanvas.h"

#include <QAbstractTextDocumentLayout>

#include <benchmark/benchmark.h>

namespace {

constexpr int Paragraphs = 10000;
constexpr int Width = 600;

void Format(benchmark::State& state, TCanvas& canvas) {
    bench::Notes notes(Paragraphs, Width, 400);
    for (auto _ : state) {
        notes.Doc->Format_(false, true, false, 0, canvas, false);
        benchmark::DoNotOptimize(notes.Doc->DocumentHeight);
    }
    state.counters["draw_items"] = notes.Doc->DrawItems.Count();
    state.counters["height"] = notes.Doc->DocumentHeight;
}

void BM_FormatFakeCanvas(benchmark::State& state) {
    TFakeCanvas canvas;
    Format(state, canvas);
}
BENCHMARK(BM_FormatFakeCanvas)->Unit(benchmark::kMillisecond);

void BM_FormatQtCanvas(benchmark::State& state) {
    bench::App();
    QImage image(Width, 400, QImage::Format_RGB32);
    TQtCanvas canvas(&image, 96);
    Format(state, canvas);
}
BENCHMARK(BM_FormatQtCanvas)->Unit(benchmark::kMillisecond);

void BM_QTextDocumentLayout(benchmark::State& state) {
    bench::App();
    QTextDocument doc;
    bench::FillTextDocument(doc, Paragraphs);
    doc.setTextWidth(Width);
    for (auto _ : state) {
        doc.markContentsDirty(0, doc.characterCount());
        benchmark::DoNotOptimize(doc.documentLayout()->documentSize());
    }
    state.counters["height"] = doc.documentLayout()->documentSize().height();
}
BENCHMARK(BM_QTextDocumentLayout)->Unit(benchmark::kMillisecond);

} // namespace

TARNWICK_BENCHMARK_MAIN(QGuiApplication)
