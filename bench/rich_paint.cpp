// Painting the visible page (1000 x 800) of the 1 MB notes document of the word-wrap
// benchmark at its top, middle and end on the Qt canvas: the background fill and the
// document's own painting, as a viewer's paint does. Beside it the same page of a document
// ten times larger (a paint must not grow with the document) and QTextDocument drawing the
// same clip of the same paragraphs in the same run. Then a page holding 20 metafile
// pictures beside the same page with the pictures as bitmaps: a metafile is played once, not
// at every paint.
#include "NotesDocument.h"

#include "platform/graphics/Metafile.h"
#include "platform/graphics/QtCanvas.h"
#include "tests/support/MetafileFixtures.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>

#include <benchmark/benchmark.h>

#include <map>

namespace {

constexpr int Width = 1000;
constexpr int Height = 800;
constexpr int Paragraphs = 10000;

const char* const Where[] = {"top", "middle", "end"};

// Formatted once per size and kept for all the runs.
bench::Notes& FormattedNotes(int paragraphs) {
    static auto& notes = bench::Keep<std::map<int, std::unique_ptr<bench::Notes>>>();
    auto& slot = notes[paragraphs];
    if (!slot) {
        slot = std::make_unique<bench::Notes>(paragraphs, Width, Height);
        QImage image(Width, Height, QImage::Format_RGB32);
        TQtCanvas canvas(&image, 96);
        slot->Doc->Format_(false, true, false, 0, canvas, false);
    }
    return *slot;
}

int Offset(int documentHeight, int where) {
    const int last = std::max(0, documentHeight - Height);
    return where == 0 ? 0 : where == 1 ? last / 2 : last;
}

// The page at the document's scroll position, painted over a cleared window each iteration.
void RepaintPage(benchmark::State& state, TCustomRNFormattedData& doc) {
    QImage image(Width, Height, QImage::Format_RGB32);
    TQtCanvas canvas(&image, 96);
    const TRect page = Rect(0, 0, Width, Height);
    for (auto _ : state) {
        canvas.Brush().SetColor(clWindow);
        canvas.Brush().SetStyle(TBrushStyle::bsSolid);
        canvas.FillRect(page);
        doc.PaintTo(canvas, page);
        benchmark::DoNotOptimize(image.constBits());
    }
}

void PaintPage(benchmark::State& state, int paragraphs) {
    bench::App();
    bench::Notes& notes = FormattedNotes(paragraphs);
    notes.Doc->VOffs = Offset(notes.Doc->DocumentHeight, static_cast<int>(state.range(0)));
    RepaintPage(state, *notes.Doc);
    state.SetLabel(Where[state.range(0)]);
    state.counters["draw_items"] = notes.Doc->DrawItems.Count();
}

void BM_PaintPage1MB(benchmark::State& state) {
    PaintPage(state, Paragraphs);
}
BENCHMARK(BM_PaintPage1MB)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_PaintPage10MB(benchmark::State& state) {
    PaintPage(state, 10 * Paragraphs);
}
BENCHMARK(BM_PaintPage10MB)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

void BM_QTextDocumentDrawPage(benchmark::State& state) {
    bench::App();
    static QTextDocument* doc = [] {
        auto* d = new QTextDocument;
        bench::FillTextDocument(*d, Paragraphs);
        d->setTextWidth(Width);
        d->documentLayout()->documentSize();
        return d;
    }();
    const int height = static_cast<int>(doc->documentLayout()->documentSize().height());
    const int offset = Offset(height, static_cast<int>(state.range(0)));
    QImage image(Width, Height, QImage::Format_RGB32);
    for (auto _ : state) {
        QPainter painter(&image);
        painter.fillRect(image.rect(), Qt::white);
        painter.translate(0, -offset);
        doc->drawContents(&painter, QRectF(0, offset, Width, Height));
        benchmark::DoNotOptimize(image.constBits());
    }
    state.SetLabel(Where[state.range(0)]);
}
BENCHMARK(BM_QTextDocumentDrawPage)->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

// Five paragraphs, each a short text with two Windows metafiles (100 x 50) and two enhanced
// ones (200 x 100) on one line, all on the page; or bitmaps of the same pictures.
std::unique_ptr<bench::Notes> PicturePage(bool metafiles) {
    auto notes = std::make_unique<bench::Notes>(0, Width, Height);
    const std::string sources[] = {metafile_fixture::Wmf(true), metafile_fixture::Emf()};
    for (int p = 0; p < 5; ++p) {
        notes->Doc->AddNL(bench::Runs[3].Text, 0, 0);
        for (int i = 0; i < 4; ++i) {
            auto metafile = std::make_unique<TMetafile>();
            metafile->LoadFromBytes(sources[i / 2]);
            if (metafiles) {
                notes->Doc->AddPictureEx("m", std::move(metafile), -1, TRNVAlign::rnvaBaseline);
                continue;
            }
            auto bitmap = std::make_unique<TBitmap>(metafile->Width(), metafile->Height());
            bitmap->Canvas().Draw(0, 0, *metafile);
            notes->Doc->AddPictureEx("b", std::move(bitmap), -1, TRNVAlign::rnvaBaseline);
        }
    }
    QImage image(Width, Height, QImage::Format_RGB32);
    TQtCanvas canvas(&image, 96);
    notes->Doc->Format_(false, true, false, 0, canvas, false);
    return notes;
}

void PaintPictures(benchmark::State& state, bool metafiles) {
    bench::App();
    std::unique_ptr<bench::Notes> notes = PicturePage(metafiles);
    RepaintPage(state, *notes->Doc);
    int shown = 0;
    for (int i = 0; i < notes->Doc->DrawItems.Count(); ++i) {
        const TRNDrawLineInfo& item = *notes->Doc->DrawItems[i];
        shown += !notes->Doc->GetItem(item.ItemNo).IsText() && item.Top + item.Height <= Height;
    }
    state.counters["pictures_on_page"] = shown;
}

void BM_PaintPageOfMetafiles(benchmark::State& state) {
    PaintPictures(state, true);
}
BENCHMARK(BM_PaintPageOfMetafiles)->Unit(benchmark::kMicrosecond);

void BM_PaintPageOfBitmaps(benchmark::State& state) {
    PaintPictures(state, false);
}
BENCHMARK(BM_PaintPageOfBitmaps)->Unit(benchmark::kMicrosecond);

} // namespace

TARNWICK_BENCHMARK_MAIN(QGuiApplication)
