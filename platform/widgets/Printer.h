#pragma once

// The printer: a print job's title, copies and collation, its pages and the canvas they are
// drawn on, and the device facts formatting measures. TQtPrinter prints through QPrinter; a
// printer that is not set up writes a PDF file instead.

#include "platform/graphics/Canvas.h"

#include <memory>
#include <string>

class QPrinter;
class QPainter;

class TPrinter {
public:
    virtual ~TPrinter() = default;

    virtual std::string Title() const = 0;
    virtual void SetTitle(const std::string& title) = 0;
    virtual int Copies() const = 0;
    virtual void SetCopies(int copies) = 0;
    // Whether the device makes the copies itself.
    virtual bool CanCopy() const = 0;
    virtual bool Collate() const = 0;
    virtual void SetCollate(bool collate) = 0;

    // A job: begun, sheets added, then ended (or aborted). The canvas exists while the job runs.
    virtual void BeginDoc() = 0;
    virtual void NewPage() = 0;
    virtual void EndDoc() = 0;
    virtual void Abort() = 0;
    virtual bool Printing() const = 0;
    virtual TCanvas& Canvas() = 0;

    // A canvas that measures as the printer draws, with its resolution, page size and
    // unprintable border, usable without a job.
    virtual std::unique_ptr<TCanvas> MeasureCanvas() const = 0;
};

class TQtPrinter : public TPrinter {
public:
    // Without `printer` a printer of its own, writing `pdfFile` when no printer is set up.
    explicit TQtPrinter(QPrinter* printer = nullptr, const std::string& pdfFile = {});
    ~TQtPrinter() override;

    QPrinter& Device() { return *printer_; }

    std::string Title() const override;
    void SetTitle(const std::string& title) override;
    int Copies() const override;
    void SetCopies(int copies) override;
    bool CanCopy() const override;
    bool Collate() const override;
    void SetCollate(bool collate) override;
    void BeginDoc() override;
    void NewPage() override;
    void EndDoc() override;
    void Abort() override;
    bool Printing() const override { return painter_ != nullptr; }
    TCanvas& Canvas() override;
    std::unique_ptr<TCanvas> MeasureCanvas() const override;

    // Pixels per inch, the printable page and its offset on the sheet, in device pixels.
    int Resolution() const;
    TSize PageSize() const;
    TSize PhysicalSize() const;
    TPoint PhysicalOffset() const;

private:
    std::unique_ptr<QPrinter> owned_;
    QPrinter* printer_ = nullptr;
    std::unique_ptr<QPainter> painter_;
    std::unique_ptr<TCanvas> canvas_;
};

// The application's configured printer (a TQtPrinter writing "print.pdf" in the current folder
// until one is set).
TPrinter& Printer();
// Replaces it; returns the one it replaced.
std::unique_ptr<TPrinter> SetPrinter(std::unique_ptr<TPrinter> printer);
