#pragma once

// Printing without a printer: a printer that measures and draws on fixed-metrics canvases at
// 600 pixels per inch and logs the job, and a note with a style sheet whose 12-point text is
// 50 px a character and 125 px a line at that resolution.

#include "platform/graphics/FakeCanvas.h"
#include "platform/widgets/Printer.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/PtblRN.h"
#include "tests/support/TempDir.h"
#include "tests/support/TextTagsRun.h"

#include <memory>
#include <string>
#include <vector>

class FakePrinter : public TPrinter {
public:
    TSize Page{3000, 2000};
    TPoint Offset;
    TSize Physical{3000, 2000};
    bool OwnCopies = false;
    int CopyCount = 1;
    bool Collated = false;
    std::string DocTitle;
    // "Begin", "NewPage", "End", "Abort" in order.
    std::vector<std::string> Log;
    // The texts drawn on each sheet.
    std::vector<std::vector<std::string>> Sheets;
    // The images drawn on every sheet, in order, and what was painted through Qt ("Metafile").
    std::vector<TCanvasCall> Images;
    std::vector<std::string> Painted;

    std::string Title() const override { return DocTitle; }
    void SetTitle(const std::string& title) override { DocTitle = title; }
    int Copies() const override { return CopyCount; }
    void SetCopies(int copies) override { CopyCount = copies; }
    bool CanCopy() const override { return OwnCopies; }
    bool Collate() const override { return Collated; }
    void SetCollate(bool collate) override { Collated = collate; }
    void BeginDoc() override {
        Log.push_back("Begin");
        canvas_ = std::make_unique<TFakeCanvas>(Page, 600);
        Sheets.assign(1, {});
    }
    void NewPage() override {
        Log.push_back("NewPage");
        Collect();
        Sheets.emplace_back();
    }
    void EndDoc() override {
        Log.push_back("End");
        Collect();
        canvas_.reset();
    }
    void Abort() override {
        Log.push_back("Abort");
        canvas_.reset();
    }
    bool Printing() const override { return canvas_ != nullptr; }
    TCanvas& Canvas() override { return *canvas_; }
    std::unique_ptr<TCanvas> MeasureCanvas() const override {
        auto canvas = std::make_unique<TFakeCanvas>(Page, 600);
        canvas->SetPhysicalPage(Offset, Physical);
        return canvas;
    }

private:
    void Collect() {
        for (const TCanvasCall& call : canvas_->CallsOf("TextOut")) {
            Sheets.back().push_back(call.Text);
        }
        for (const TCanvasCall& call : canvas_->CallsOf("DrawImage")) {
            Images.push_back(call);
        }
        for (const TCanvasCall& call : canvas_->CallsOf("Paint")) {
            Painted.push_back(call.Text);
        }
        canvas_->ClearCalls();
    }
    std::unique_ptr<TFakeCanvas> canvas_;
};

// Installs a printer for the life of the object.
class ScopedPrinter {
public:
    explicit ScopedPrinter(std::unique_ptr<TPrinter> printer)
        : old_(SetPrinter(std::move(printer))) {}
    ~ScopedPrinter() { SetPrinter(std::move(old_)); }
    ScopedPrinter(const ScopedPrinter&) = delete;
    ScopedPrinter& operator=(const ScopedPrinter&) = delete;

private:
    std::unique_ptr<TPrinter> old_;
};

struct PrintedNote {
    FakePrinter* Device = nullptr;
    ScopedPrinter Installed;
    TRNStyle Sheet;
    TRichNote Source;
    TRNPrint Print;

    PrintedNote() : Installed(MakePrinter(Device)) {
        Sheet.TextStyles()[0].Size = 12;
        Sheet.TextStyles()[1].Size = 12;
        Source.SetStyle(&Sheet);
        UseTextTagsIfAsked(Source);
        Source.LeftMargin = Source.RightMargin = Source.TopMargin = Source.BottomMargin = 0;
    }
    // `count` one-line paragraphs "line N".
    void AddLines(int count, int first = 1) {
        for (int i = 0; i < count; ++i) {
            Source.AddNL("line " + std::to_string(first + i), 0, 0);
        }
    }
    int Format() {
        Print.AssignSource(Source);
        return Print.FormatPages();
    }
    TPrintableRNData& Data() { return Print.RichNote().PrintData(); }

private:
    static std::unique_ptr<TPrinter> MakePrinter(FakePrinter*& out) {
        auto printer = std::make_unique<FakePrinter>();
        out = printer.get();
        return printer;
    }
};

// A note printed into a PDF file of a folder of its own, as the configured printer prints when no
// printer is set up.
struct PdfNote {
    TempDir Dir;
    std::string File = (Dir / "note.pdf").string();
    ScopedPrinter Installed{std::make_unique<TQtPrinter>(nullptr, File)};
    TRNStyle Sheet;
    TRichNote Source;
    TRNPrint Print;

    PdfNote() { Source.SetStyle(&Sheet); }
};
