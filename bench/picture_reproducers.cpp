// Every picture that once stalled the window, a print or the tests, each alone in a note of the
// notes editor of the real main window: shown (opened, painted, and served until it is
// prepared), printed through the notes print path onto a PDF at 300 dpi, and exported as the
// note's HTML. Each from a cold start (nothing prepared, nothing remembered). Per picture and
// action: the time (target: at most 2 s), the peak memory above the picture's own pixels, ours
// and the converting processes' (target: at most 256 MB), and the longest the event loop
// waited (target: at most 50 ms); whether a shown picture came out drawn or as its frame.
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/widgets/Printer.h"
#include "richtext/view/PtblRN.h"
#include "tests/support/HostileSamples.h"
#include "tests/support/ProgressiveJpeg.h"
#include "tests/support/TextRunMetafiles.h"

#include "PictureBench.h"

#include <QPrinter>

#include <filesystem>
#include <vector>

namespace {

struct Reproducer {
    std::string Name;
    std::string Bytes;
    bool Jpeg = false;
};

std::vector<Reproducer> Reproducers() {
    using namespace hostile_metafile;
    std::vector<Reproducer> list = {
        {"EMF of 300,000 rectangles", RectanglesEmf(300000)},
        {"EMF of 300 glyph-index runs", text_run_metafile::TextRunsEmf(300, "Hello", true)},
        {"EMF text holding ]]>", text_run_metafile::TextRunsEmf(1, "a]]>b", false)},
        {"JPEG 4000 x 4000 in 704 scans", progressive_jpeg::Encoded(4000, 704), true},
        {"JPEG 8000 x 8000 in 704 scans", progressive_jpeg::Encoded(8000, 704), true},
    };
    for (int64_t points : wide_pen::ReproducerPoints()) {
        list.push_back({"WMF wide-pen polyline of " + std::to_string(points) + " points",
                        wide_pen::Wmf(static_cast<int>(points), 100)});
    }
    for (bool enhanced : {true, false}) {
        for (THostile& hostile : HostileSamples(enhanced)) {
            list.push_back({hostile.Name, std::move(hostile.Bytes)});
        }
    }
    return list;
}

std::unique_ptr<TGraphic> Picture(const Reproducer& reproducer) {
    std::unique_ptr<TGraphic> picture;
    if (reproducer.Jpeg) {
        picture = std::make_unique<TJPEGImage>();
    } else {
        picture = std::make_unique<TMetafile>();
    }
    picture->LoadFromBytes(reproducer.Bytes);
    return picture;
}

struct ReproducerWindow : bench::PictureWindow {
    std::vector<Reproducer> List = Reproducers();
    std::vector<TTreeNode*> Nodes;
    std::vector<double> PixelsMb;

    ReproducerWindow() {
        for (const Reproducer& reproducer : List) {
            std::unique_ptr<TGraphic> measured;
            try {
                measured = Picture(reproducer);
            } catch (const EInvalidGraphic&) {
                // Refused as it is read: no note can hold it.
                Nodes.push_back(nullptr);
                PixelsMb.push_back(0);
                continue;
            }
            PixelsMb.push_back(4.0 * measured->Width() * measured->Height() / (1 << 20));
            Nodes.push_back(AddNote(reproducer.Name, [&](TRichNoteEdit& editor) {
                editor.AddNL("A picture: ", 0, 0);
                editor.AddPictureEx("", Picture(reproducer), -1, TRNVAlign::rnvaBaseline);
                editor.AddNL("and the text after it.", 0, 0);
            }));
        }
    }
};

ReproducerWindow* window = nullptr;

enum class Action { Show, Print, Export };

// What one action on one picture took.
struct Measured {
    double Millis = 0;
    double OwnAboveMb = 0;
    double ChildrenMb = 0;
    double LongestWaitMs = 0;
};

// Runs `act` from a cold start and measures it; with the note of reproducer `index` open
// already unless `opens`.
Measured Measure(size_t index, bool opens, const std::function<bool()>& act,
                 benchmark::State& state) {
    window->StartCold();
    if (!opens) {
        window->OpenAndPaint(window->Nodes[index]);
        WaitForPictures();
        PicturePreparer().Forget();
    }
    const long before = bench::StatusKb("VmRSS:");
    bench::ResetPeak();
    Measured measured;
    QElapsedTimer clock;
    clock.start();
    bench::EventLoopWatch watch;
    if (!act()) {
        state.SkipWithError("the action failed");
    }
    measured.Millis = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    measured.LongestWaitMs = watch.LongestWaitMs();
    measured.ChildrenMb = watch.ChildrenPeakMb();
    measured.OwnAboveMb = std::max(0.0, static_cast<double>(bench::PeakKb() - before) / 1024 -
                                            window->PixelsMb[index]);
    return measured;
}

bool Show(size_t index) {
    window->OpenAndPaint(window->Nodes[index]);
    return WaitForPictures();
}

// Through the print object as the print command uses it, onto a PDF printer at 300 dpi.
bool Print(const std::string& file) {
    QPrinter device(QPrinter::HighResolution);
    device.setResolution(300);
    device.setOutputFormat(QPrinter::PdfFormat);
    device.setOutputFileName(QString::fromStdString(file));
    const std::unique_ptr<TPrinter> saved = SetPrinter(std::make_unique<TQtPrinter>(&device));
    TRNPrint& print = window->Window->NotesPart().Commands().RNPrint1();
    print.AssignSource(window->Editor());
    const bool printed = print.FormatPages({}) > 0;
    if (printed) {
        print.Print("Tarnwick File", 1, false);
    }
    print.Clear();
    SetPrinter(nullptr);
    return printed && std::filesystem::file_size(file) > 0;
}

// As the export command writes HTML, the picture into an image file beside it.
bool Export(const std::string& file) {
    return window->Editor().SaveHTML(file, "Demo File", "img", {});
}

void BM_Picture(benchmark::State& state) {
    const auto index = static_cast<size_t>(state.range(0));
    const auto action = static_cast<Action>(state.range(1));
    bench::TempStore folder;
    Measured measured;
    bool drawn = false;
    if (window->Nodes[index] == nullptr) {
        for (auto _ : state) {
        }
        state.SetLabel(window->List[index].Name + ": refused as it is read");
        return;
    }
    for (auto _ : state) {
        switch (action) {
        case Action::Show:
            measured = Measure(
                index, true, [&] { return Show(index); }, state);
            drawn =
                !PicturesRefused(window->List[index].Bytes) && PicturePreparer().ReadyBytes() > 0;
            break;
        case Action::Print:
            measured = Measure(
                index, false, [&] { return Print((folder.Path() / "note.pdf").string()); }, state);
            break;
        case Action::Export:
            measured = Measure(
                index, false, [&] { return Export((folder.Path() / "note.html").string()); },
                state);
            break;
        }
        state.SetIterationTime(measured.Millis / 1e3);
    }
    state.SetLabel(window->List[index].Name + " (" +
                   std::to_string(window->List[index].Bytes.size() / 1024) + " KB)");
    state.counters["ms (<=2000)"] = measured.Millis;
    state.counters["own MB above pixels (<=256)"] = measured.OwnAboveMb;
    state.counters["converter peak MB (<=256+pixels)"] = measured.ChildrenMb;
    state.counters["pixels MB"] = window->PixelsMb[index];
    state.counters["longest wait ms (<=50)"] = measured.LongestWaitMs;
    if (action == Action::Show) {
        state.counters["drawn"] = drawn;
    }
}

} // namespace

int main(int argc, char** argv) {
    return bench::RunWithMainWindow(argc, argv, [] {
        ReproducerWindow shown;
        window = &shown;
        for (size_t i = 0; i < shown.List.size(); ++i) {
            for (const auto& [action, name] : {std::pair{Action::Show, "show"},
                                               {Action::Print, "print"},
                                               {Action::Export, "export"}}) {
                benchmark::RegisterBenchmark(
                    ("BM_Picture/" + std::to_string(i) + "/" + name).c_str(), BM_Picture)
                    ->Args({static_cast<int64_t>(i), static_cast<int64_t>(action)})
                    ->UseManualTime()
                    ->Unit(benchmark::kMillisecond)
                    ->Iterations(1);
            }
        }
        benchmark::RunSpecifiedBenchmarks();
        window = nullptr;
    });
}
