// The costs this program's metafile drawing keeps bounded, each beside a peer in the same run:
// converting 300 runs of text given as glyph indices beside the same runs given as characters
// (the converter looked the font up once a record: 2 s), and printing at 300 dpi a Windows
// metafile of one polyline with a wide pen of 8 KB, 40 KB and 4 MB (one drawing call of the
// 8 KB one took half a minute) beside the same polyline with a pen of one pixel. A play has a
// second: the 4 MB one stops within it. And a Windows metafile printed into a PDF as a print
// prints it, weighed first and then played straight onto the page, beside one play onto the page.
#include "bench/BenchApplication.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/PictureShowing.h"
#include "platform/graphics/QtCanvas.h"
#include "platform/graphics/WmfPlayer.h"
#include "tests/support/TextRunMetafiles.h"
#include "tests/support/WidePenMetafiles.h"

#include <QBuffer>
#include <QGuiApplication>
#include <QPainter>
#include <QPdfWriter>

namespace {

void BM_ConvertRuns(benchmark::State& state) {
    const std::string emf = text_run_metafile::TextRunsEmf(300, "Hello", state.range(0) == 1);
    for (auto _ : state) {
        const std::string svg = ConvertWithinBounds(emf, 200, 100);
        if (svg.empty()) {
            state.SkipWithError("not converted");
            break;
        }
    }
}
// 1: glyph indices; 0: the peer, characters.
BENCHMARK(BM_ConvertRuns)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_PrintWidePolyline(benchmark::State& state) {
    const auto points = static_cast<int>(state.range(0));
    const std::string wmf = wide_pen::Wmf(points, state.range(1) == 1 ? 100 : 0);
    const TMetafileLayout layout = ReadMetafileLayout(wmf);
    const int page = wide_pen::Frame * 300 / 96;
    QImage image(page, page, QImage::Format_RGB32);
    for (auto _ : state) {
        image.fill(Qt::white);
        QPainter painter(&image);
        state.counters["finished"] = PlayWmf(wmf, layout, painter, QRectF(0, 0, page, page), 1000);
    }
}
// Points (8 KB, 40 KB, 4 MB), and 1: the wide pen; 0: the peer, a pen of one pixel.
BENCHMARK(BM_PrintWidePolyline)
    ->ArgsProduct({wide_pen::ReproducerPoints(), {1, 0}})
    ->Unit(benchmark::kMillisecond);

void BM_PrintStraightIntoAPdf(benchmark::State& state) {
    const std::string wmf = wide_pen::Wmf(static_cast<int>(state.range(0)), 1);
    TMetafile picture;
    picture.LoadFromBytes(wmf);
    const int page = wide_pen::Frame * 300 / 96;
    for (auto _ : state) {
        QBuffer out;
        out.open(QIODevice::WriteOnly);
        QPdfWriter pdf(&out);
        pdf.setResolution(300);
        QPainter painter(&pdf);
        if (state.range(1) == 1) {
            TQtCanvas canvas(&painter, TSize{page, page}, 300, 300);
            const TPictureJob job;
            canvas.StretchDraw(Rect(0, 0, page, page), picture);
        } else {
            PlayWmf(wmf, picture.Layout(), painter, QRectF(0, 0, page, page), 1000);
        }
        painter.end();
        state.counters["bytes"] = static_cast<double>(out.size());
    }
}
// Points of a polyline with a pen of one pixel (within the edges a page takes), and 1: printed as
// a print prints it; 0: the peer, played once onto the page.
BENCHMARK(BM_PrintStraightIntoAPdf)
    ->ArgsProduct({{2000, 20000}, {1, 0}})
    ->Unit(benchmark::kMillisecond);

} // namespace

TARNWICK_BENCHMARK_MAIN(QGuiApplication)
