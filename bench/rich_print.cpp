// Printing the 1 MB notes document (10,000 paragraphs of the rich-text benchmarks): cutting it
// into pages at 600 pixels per inch on the fixed-metrics canvas (target: under 200 ms),
// drawing one page (target: under 5 ms) on that canvas and as a preview on the Qt canvas, and
// printing 20 pages to PDF beside QTextDocument::print of the same paragraphs in the same
// run (target: at most 1.5 times Qt's time).
#include "NotesDocument.h"

#include "tests/support/PdfPages.h"

#include "platform/graphics/FakeCanvas.h"
#include "platform/graphics/QtCanvas.h"
#include "platform/widgets/Printer.h"
#include "richtext/view/PtblRN.h"

#include <QApplication>
#include <QPrinter>
#include <QTextBlock>

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

constexpr int Paragraphs = 10000;
// About 20 pages of letter paper with 20 mm margins.
constexpr int PdfParagraphs = 540;

// A letter-size printer at 600 pixels per inch that only measures.
class MeasuringPrinter : public TPrinter {
public:
    std::string Title() const override { return {}; }
    void SetTitle(const std::string&) override {}
    int Copies() const override { return 1; }
    void SetCopies(int) override {}
    bool CanCopy() const override { return false; }
    bool Collate() const override { return false; }
    void SetCollate(bool) override {}
    void BeginDoc() override {}
    void NewPage() override {}
    void EndDoc() override {}
    void Abort() override {}
    bool Printing() const override { return false; }
    TCanvas& Canvas() override { return canvas_; }
    std::unique_ptr<TCanvas> MeasureCanvas() const override {
        auto canvas = std::make_unique<TFakeCanvas>(TSize{4900, 6400}, 600);
        canvas->SetPhysicalPage({100, 100}, {5100, 6600});
        return canvas;
    }

private:
    TFakeCanvas canvas_{{4900, 6400}, 600};
};

struct PrintedNotes {
    bench::Notes Model;
    TRichNote Source;
    TRNPrint Print;

    explicit PrintedNotes(int paragraphs) : Model(0, 1000, 800) {
        Source.SetStyle(&Model.Sheet);
        for (int p = 0; p < paragraphs; ++p) {
            for (size_t r = 0; r < std::size(bench::Runs); ++r) {
                Source.AddNL(bench::Runs[r].Text, bench::Runs[r].Style, r == 0 ? 0 : -1);
            }
            if (p % bench::PictureEvery == 0) {
                Source.AddPictureEx(
                    "picture", std::make_unique<TBitmap>(bench::PictureSize, bench::PictureSize),
                    -1, TRNVAlign::rnvaBaseline);
            }
        }
        Print.AssignSource(Source);
    }
};

PrintedNotes& MeasuredNotes() {
    bench::WidgetApp();
    static PrintedNotes& notes = bench::Keep<PrintedNotes>(Paragraphs);
    return notes;
}

void BM_FormatPages(benchmark::State& state) {
    PrintedNotes& notes = MeasuredNotes();
    SetPrinter(std::make_unique<MeasuringPrinter>());
    int pages = 0;
    for (auto _ : state) {
        pages = notes.Print.FormatPages();
    }
    state.counters["pages"] = pages;
}
BENCHMARK(BM_FormatPages)->Unit(benchmark::kMillisecond);

void BM_DrawPage(benchmark::State& state) {
    PrintedNotes& notes = MeasuredNotes();
    SetPrinter(std::make_unique<MeasuringPrinter>());
    notes.Print.FormatPages();
    TFakeCanvas page({4900, 6400}, 600);
    const int pageNo = notes.Print.GetPagesCount() / 2;
    for (auto _ : state) {
        page.ClearCalls();
        notes.Print.RichNote().DrawPage(pageNo, page, false, false);
    }
    state.counters["calls"] = static_cast<double>(page.Calls().size());
}
BENCHMARK(BM_DrawPage)->Unit(benchmark::kMillisecond);

void BM_DrawPreviewQt(benchmark::State& state) {
    PrintedNotes& notes = MeasuredNotes();
    SetPrinter(std::make_unique<MeasuringPrinter>());
    notes.Print.FormatPages();
    TBitmap preview(816, 1056);
    const int pageNo = notes.Print.GetPagesCount() / 2;
    for (auto _ : state) {
        notes.Print.MakeScaledPreview(pageNo, preview);
        benchmark::DoNotOptimize(preview.Image().constBits());
    }
}
BENCHMARK(BM_DrawPreviewQt)->Unit(benchmark::kMillisecond);

std::string PdfPath(const char* name) {
    return (std::filesystem::temp_directory_path() / name).string();
}

QPrinter& PdfDevice(const std::string& file) {
    static QPrinter& printer = bench::Keep<QPrinter>(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setPageSize(QPageSize(QPageSize::Letter));
    printer.setPageMargins(QMarginsF(20, 20, 20, 20), QPageLayout::Millimeter);
    printer.setOutputFileName(QString::fromStdString(file));
    return printer;
}

void BM_PrintPdf(benchmark::State& state) {
    bench::WidgetApp();
    const std::string file = PdfPath("tarnwick-bench-print.pdf");
    QPrinter& device = PdfDevice(file);
    SetPrinter(std::make_unique<TQtPrinter>(&device));
    static PrintedNotes& notes = bench::Keep<PrintedNotes>(PdfParagraphs);
    // The page's own margins are the printer's: the note adds none.
    notes.Print.SetLeftMarginMM(0);
    notes.Print.SetRightMarginMM(0);
    notes.Print.SetTopMarginMM(0);
    notes.Print.SetBottomMarginMM(0);
    const int pages = notes.Print.FormatPages();
    for (auto _ : state) {
        notes.Print.Print("Notes", 1, true);
    }
    state.counters["pages"] = pages;
    state.counters["pdf_pages"] = PdfPageObjects(file);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    SetPrinter(nullptr);
    std::filesystem::remove(file);
}
BENCHMARK(BM_PrintPdf)->Unit(benchmark::kMillisecond);

// The notes paragraphs with their fonts in points: a printer takes pixel sizes as its own
// device pixels.
void FillPrintDocument(QTextDocument& doc, int paragraphs) {
    bench::FillTextDocument(doc, paragraphs);
    QTextCursor cursor(&doc);
    QTextBlock block = doc.begin();
    for (; block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextCharFormat format = fragment.charFormat();
            if (format.isImageFormat()) {
                continue;
            }
            QFont font = format.font();
            font.setPointSizeF(font.pixelSize() * 72.0 / 96.0);
            format.setFont(font);
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(format);
        }
    }
}

void BM_QTextDocumentPrintPdf(benchmark::State& state) {
    bench::WidgetApp();
    const std::string file = PdfPath("tarnwick-bench-qt-print.pdf");
    QPrinter& device = PdfDevice(file);
    QTextDocument doc;
    FillPrintDocument(doc, PdfParagraphs);
    for (auto _ : state) {
        doc.print(&device);
    }
    state.counters["pdf_pages"] = PdfPageObjects(file);
    state.counters["bytes"] = static_cast<double>(std::filesystem::file_size(file));
    std::filesystem::remove(file);
}
BENCHMARK(BM_QTextDocumentPrintPdf)->Unit(benchmark::kMillisecond);

} // namespace

TARNWICK_BENCHMARK_MAIN(QApplication)
