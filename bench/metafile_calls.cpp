// The costs this program's metafile drawing keeps bounded, each beside a peer in the same run:
// converting 300 runs of text given as glyph indices beside the same runs given as characters
// (the converter looked the font up once a record: 2 s), and printing at 300 dpi a Windows
// metafile of one polyline with a wide pen of 8 KB, 40 KB and 4 MB (one drawing call of the
// 8 KB one took half a minute) beside the same polyline with a pen of one pixel. A play has a
// second: the 4 MB one stops within it.
#include "bench/BenchApplication.h"
#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/WmfPlayer.h"
#include "tests/support/WidePenMetafiles.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QRawFont>

namespace {

using namespace metafile_fixture;

// 300 runs of "Hello" in Arial, as glyph indices or as characters.
std::string HelloRuns(bool glyphs) {
    std::string font;
    for (uint32_t v : {82u, 104u, 1u}) {
        WriteU32(font, v);
    }
    for (int32_t v : {-40, 0, 0, 0, 400}) {
        WriteU32(font, static_cast<uint32_t>(v));
    }
    font.append(8, '\0');
    for (char c : std::string("Arial")) {
        WriteU16(font, static_cast<uint8_t>(c));
    }
    font.resize(104, '\0');
    const QString hello = "Hello";
    const QList<quint32> indices = QRawFont::fromFont(QFont("Arial")).glyphIndexesForString(hello);
    std::string records = font + EmfRecord(37, {1});
    for (int i = 0; i < 300; ++i) {
        std::string text;
        for (int32_t v : {84, 108, 0, 0, -1, -1, 1, 0, 0, 20, 30 + i % 50, 5, 76, glyphs ? 0x10 : 0,
                          0, 0, -1, -1, 88}) {
            WriteU32(text, static_cast<uint32_t>(v));
        }
        for (int k = 0; k < 5; ++k) {
            WriteU16(text, glyphs ? indices[k] : hello[k].unicode());
        }
        WriteU16(text, 0);
        for (int32_t advance : {29, 22, 9, 9, 22}) {
            WriteU32(text, static_cast<uint32_t>(advance));
        }
        records += text;
    }
    return EmfOf(records + EmfRecord(14, {0, 16, 20}), 303);
}

void BM_ConvertRuns(benchmark::State& state) {
    const std::string emf = HelloRuns(state.range(0) == 1);
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

} // namespace

TARNWICK_BENCHMARK_MAIN(QGuiApplication)
