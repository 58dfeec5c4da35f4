// Notes of enhanced metafiles opened in the notes editor of the real main window, as selecting
// their node opens them: 10 and 50 different pictures, and 50 copies of one, each set beside the
// same note with its pictures as small PNGs (their pixels). Measured, each beside its peer in
// the same iteration:
// - the first paint (text and frames), beside the note of PNGs (target: at most 1.2 times);
// - every picture drawn (the pictures prepared and the view painted again), beside the same
//   pictures converted one after another in a forked child and drawn with Qt's SVG renderer in
//   this process, as the program did before (target: no later), the conversions the preparer
//   made (target for the copies: 1) and the longest the event loop waited meanwhile (target:
//   at most 50 ms);
// - the longest wait of the event loop while the note is opened and scrolled through as it
//   fills in (target: at most 50 ms).
#include "platform/base/BoundedChild.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileRecords.h"
#include "platform/graphics/MetafileSvg.h"
#include "tests/support/HostileMetafiles.h"

#include "PictureBench.h"

#include <QEventLoop>
#include <QPainter>
#include <QSvgRenderer>

#include <map>
#include <vector>

namespace {

// The side of each picture in screen pixels, and the text lines after them to scroll through.
constexpr int Side = 48;
constexpr int LinesAfter = 300;

// One ellipse filling the picture, in a strong red whose green tells picture `i` from the others.
uint32_t PictureColour(int i) {
    return 0xC00000 | static_cast<uint32_t>(i * 5 % 256) << 8 | 0x60;
}

struct PictureSet {
    const char* Name;
    int Count;
    bool Copies;
};
const PictureSet Sets[] = {
    {"10 different", 10, false}, {"50 different", 50, false}, {"50 copies", 50, true}};

// The metafiles of a set, in the order the note shows them.
std::vector<std::string> Metafiles(const PictureSet& set) {
    std::vector<std::string> pictures;
    for (int i = 0; i < set.Count; ++i) {
        pictures.push_back(hostile_metafile::SlowEmf(1, PictureColour(set.Copies ? 0 : i), Side));
    }
    return pictures;
}

// A few lines of text, the pictures in one paragraph, then lines to scroll through.
void WriteNote(TRichNoteEdit& editor, int pictures,
               const std::function<std::unique_ptr<TGraphic>(int)>& picture) {
    for (int line = 0; line < 3; ++line) {
        editor.AddNL("A note of pictures, line " + std::to_string(line), 0, 0);
    }
    editor.AddNL("Pictures: ", 0, 0);
    for (int i = 0; i < pictures; ++i) {
        editor.AddPictureEx("", picture(i), -1, TRNVAlign::rnvaBaseline);
    }
    for (int line = 0; line < LinesAfter; ++line) {
        editor.AddNL("The text after the pictures goes on, line " + std::to_string(line), 0, 0);
    }
}

struct NoteNodes {
    std::vector<std::string> Emfs;
    TTreeNode* Emf = nullptr;
    TTreeNode* Png = nullptr;
};

struct NotesWindow : bench::PictureWindow {
    std::vector<NoteNodes> Nodes;

    NotesWindow() {
        for (const PictureSet& set : Sets) {
            NoteNodes nodes;
            nodes.Emfs = Metafiles(set);
            nodes.Emf = AddNote(set.Name, [&](TRichNoteEdit& editor) {
                WriteNote(editor, set.Count, [&](int i) {
                    auto picture = std::make_unique<TMetafile>();
                    picture->LoadFromBytes(nodes.Emfs[static_cast<size_t>(i)]);
                    return picture;
                });
            });
            nodes.Png = AddNote(std::string(set.Name) + " PNG", [&](TRichNoteEdit& editor) {
                WriteNote(editor, set.Count, [&](int i) {
                    QImage pixels(Side, Side, QImage::Format_RGB32);
                    pixels.fill(QColor::fromRgb(PictureColour(set.Copies ? 0 : i)));
                    auto picture = std::make_unique<TBitmap>();
                    picture->SetImage(pixels);
                    return picture;
                });
            });
            Nodes.push_back(std::move(nodes));
        }
    }
};

NotesWindow* window = nullptr;

double MillisSince(const QElapsedTimer& clock) {
    return static_cast<double>(clock.nsecsElapsed()) / 1e6;
}

// Serves the event loop for `millis`, as it runs between a user's inputs.
void ServeFor(int millis) {
    QEventLoop loop;
    QTimer::singleShot(millis, &loop, &QEventLoop::quit);
    loop.exec();
}

// Whether the editor shows every picture of `set` drawn: most of each picture's frame in its
// colour.
bool AllDrawn(const PictureSet& set) {
    const QImage shot = window->Editor().grab().toImage().convertToFormat(QImage::Format_RGB32);
    std::map<QRgb, int> pixels;
    for (int y = 0; y < shot.height(); ++y) {
        const auto* row = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
        for (int x = 0; x < shot.width(); ++x) {
            ++pixels[row[x] & 0xFFFFFF];
        }
    }
    const int least = Side * Side * 6 / 10;
    for (int i = 0; i < set.Count; ++i) {
        const int copies = set.Copies ? set.Count : 1;
        if (pixels[PictureColour(set.Copies ? 0 : i)] < least * copies) {
            return false;
        }
    }
    return true;
}

// The peer of the drawing: each picture converted in a child forked for it, one after another,
// and its SVG drawn here; how many were drawn.
int DrawnByForkedChildren(const std::vector<std::string>& emfs) {
    int drawn = 0;
    for (const std::string& emf : emfs) {
        const TChildOutcome converted = RunBoundedChild(
            [&] { return MetafileToSvg(emf, ReadMetafileLayout(emf), Side, Side); });
        QSvgRenderer renderer(QByteArray::fromStdString(converted.Answer));
        QImage image(Side, Side, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        renderer.render(&painter);
        painter.end();
        drawn += renderer.isValid() && image.pixel(Side / 2, Side / 2) != 0;
    }
    return drawn;
}

void BM_FirstPaint(benchmark::State& state) {
    const NoteNodes& nodes = window->Nodes[static_cast<size_t>(state.range(0))];
    double emf = 0;
    double png = 0;
    for (auto _ : state) {
        window->StartCold();
        QElapsedTimer clock;
        clock.start();
        window->OpenAndPaint(nodes.Png);
        png += MillisSince(clock);

        window->StartCold();
        clock.start();
        window->OpenAndPaint(nodes.Emf);
        const double took = MillisSince(clock);
        emf += took;
        state.SetIterationTime(took / 1e3);
    }
    const auto n = static_cast<double>(state.iterations());
    state.SetLabel(Sets[state.range(0)].Name);
    state.counters["EMF ms"] = emf / n;
    state.counters["PNG peer ms"] = png / n;
    state.counters["ratio (<=1.2)"] = emf / png;
}

void BM_AllDrawn(benchmark::State& state) {
    const PictureSet& set = Sets[state.range(0)];
    const NoteNodes& nodes = window->Nodes[static_cast<size_t>(state.range(0))];
    double prepared = 0;
    double forked = 0;
    double longestWait = 0;
    int conversions = 0;
    bool drawn = true;
    for (auto _ : state) {
        window->StartCold();
        const int before = PicturePreparer().Counts().Conversions;
        QElapsedTimer clock;
        clock.start();
        {
            bench::EventLoopWatch watch;
            window->OpenAndPaint(nodes.Emf);
            if (!WaitForPictures()) {
                state.SkipWithError("the pictures were not prepared in two minutes");
                break;
            }
            longestWait = std::max(longestWait, watch.LongestWaitMs());
        }
        const double took = MillisSince(clock);
        prepared += took;
        state.SetIterationTime(took / 1e3);
        conversions = PicturePreparer().Counts().Conversions - before;
        drawn = drawn && AllDrawn(set);

        window->StartCold();
        clock.start();
        window->OpenAndPaint(nodes.Png);
        if (DrawnByForkedChildren(nodes.Emfs) != set.Count) {
            state.SkipWithError("the forked converter did not draw every picture");
            break;
        }
        forked += MillisSince(clock);
    }
    if (!drawn) {
        state.SkipWithError("a picture was not drawn");
    }
    const auto n = static_cast<double>(state.iterations());
    state.SetLabel(set.Name);
    state.counters["all drawn ms"] = prepared / n;
    state.counters["forked peer ms"] = forked / n;
    state.counters["ratio (<=1)"] = prepared / forked;
    state.counters["conversions"] = conversions;
    state.counters["longest wait ms (<=50)"] = longestWait;
}

// Opened, then scrolled down through the note and back while its pictures are prepared, a step
// every 16 ms, as a wheel turned steadily does; then served until every picture is drawn.
void BM_ScrollWhileFilling(benchmark::State& state) {
    const NoteNodes& nodes = window->Nodes[static_cast<size_t>(state.range(0))];
    double longestWait = 0;
    for (auto _ : state) {
        window->StartCold();
        bench::EventLoopWatch watch;
        window->OpenAndPaint(nodes.Emf);
        TRichNoteEdit& editor = window->Editor();
        const int end = editor.GetVScrollMax();
        constexpr int Steps = 40;
        for (int step = 0; step <= 2 * Steps; ++step) {
            editor.SetVScrollPos(end * (step <= Steps ? step : 2 * Steps - step) / Steps);
            ServeFor(16);
        }
        if (end <= 0 || !WaitForPictures()) {
            state.SkipWithError("the note did not scroll, or its pictures were not prepared");
            break;
        }
        longestWait = std::max(longestWait, watch.LongestWaitMs());
    }
    state.SetLabel(Sets[state.range(0)].Name);
    state.counters["longest wait ms (<=50)"] = longestWait;
}

BENCHMARK(BM_FirstPaint)
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(5);
BENCHMARK(BM_AllDrawn)
    ->DenseRange(0, 2)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
BENCHMARK(BM_ScrollWhileFilling)->DenseRange(0, 2)->Unit(benchmark::kMillisecond)->Iterations(2);

} // namespace

int main(int argc, char** argv) {
    return bench::RunWithMainWindow(argc, argv, [] {
        NotesWindow shown;
        window = &shown;
        benchmark::RunSpecifiedBenchmarks();
        window = nullptr;
    });
}
