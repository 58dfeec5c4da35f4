#pragma once

// The embedded browser control: a Qt WebEngine view with the binder's rules for stored pages.
// Local pages may load the files stored beside them; while offline nothing else is loaded.
// HTML shown from memory goes in directly up to the size a document address can carry, and
// through a private temporary file above it; a stored page read in an encoding the user chose
// is served from bytes the browser holds. New windows open in place. The page browser has
// a trimmed context menu, the summary browser none.

#include "platform/browser/Browser.h"

#include <QPointer>
#include <QUrl>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>
#include <vector>

class QPrinter;
class QTemporaryDir;
class QWebEnginePage;
class QWebEngineView;
class TFindBar;
class THeldPages;
class TOfflineInterceptor;

// The finest resolution a page is drawn at for a printer, in dots per inch.
inline constexpr int MaxPrintDpi = 300;
// Lowers a printer's resolution to MaxPrintDpi; a coarser one stays.
void LimitPrintResolution(QPrinter& printer);

class TWebBrowser : public QWidget, public IBrowser {
    Q_OBJECT
public:
    enum class MenuMode { Trimmed, None };

    explicit TWebBrowser(QWidget* parent = nullptr, MenuMode menu = MenuMode::Trimmed);
    ~TWebBrowser() override;

    void Navigate(const std::string& url) override;
    void GoBack() override;
    void GoForward() override;
    void Stop() override;
    void Refresh() override;
    bool Busy() const override { return busy_; }
    std::string LocationURL() const override;
    bool HasDocument() const override { return true; }
    void LoadHtml(const std::string& html, const std::string& baseUrl,
                  HtmlEncoding encoding) override;
    bool Offline() const override;
    void SetOffline(bool offline) override;
    void Print() override;
    void SetZoomStep(int step) override;
    int ZoomStep() const override { return zoomStep_; }
    void ShowFind() override;

    // The text encoding the user chose: stored pages, whether given from memory or as an HTML
    // file on this computer, are read in it whatever they say or the engine would guess, and
    // it becomes the default of pages from the net that name none; the document shown is
    // loaded again read in it (a page of the program's own stays UTF-8). An empty name goes
    // back to each page's own.
    void SetTextEncoding(const std::string& name);
    // Empty while each page is read in its own.
    std::string TextEncoding() const;

    // Prints to the printer, which must live until `done` is called with the result. A printer
    // that writes a PDF file gets the browser engine's own PDF, with the page's text.
    void PrintTo(QPrinter& printer, std::function<void(bool)> done);
    // Searches the document for the text, forwards or backwards; `found` gets the number of
    // matches.
    void Find(const std::string& text, bool backward, std::function<void(int)> found = {});

    // The last status text (the address under the mouse) and load progress (0 to 100).
    const std::string& StatusText() const { return statusText_; }
    int Progress() const { return progress_; }

    // Requests kept from the network while offline, and the requests let through.
    std::vector<QUrl> BlockedRequests() const;
    std::vector<QUrl> PassedRequests() const;

    QWebEngineView* View() const { return view_; }
    QWebEnginePage* Page() const;

    // Called on the main thread.
    std::function<void(const std::string& url)> OnNavigateComplete;
    std::function<void(const std::string& url, bool ok)> OnDocumentComplete;
    std::function<void(const std::string& text)> OnStatusText;
    // Progress 0 to 100 while a page loads, then -1 once the load has ended.
    std::function<void(int progress, int maximum)> OnProgress;

    // Above this many bytes, the program's own HTML is shown through a file too: a document
    // address carries at most 2 MB, and the bytes travel base64-encoded.
    static constexpr size_t MaxInlineHtml = 1536 * 1024 - 4096;

private:
    void LoadStarted();
    void LoadFinished(bool ok);

    QWebEngineView* view_ = nullptr;
    TFindBar* findBar_ = nullptr;
    TOfflineInterceptor* interceptor_ = nullptr;
    std::unique_ptr<QTemporaryDir> largePages_;
    // Shows the HTML last given from memory, by address or through a file.
    void ShowInlineHtml();
    // True while that HTML is the document shown.
    bool ShowingInlineHtml() const;
    // Shows an HTML file on this computer: read in the chosen encoding where there is one.
    void ShowLocalPage(const QUrl& address);
    // Shows the HTML read in the chosen encoding, relative references resolved against the
    // base; `file` is the page file it was read from, if any.
    void ShowHeld(const QByteArray& html, const std::string& baseUrl, const QUrl& file,
                  const QString& fragment);
    QString ChosenEncoding() const;
    // True while the document shown is the one held, or the page file read into it.
    bool ShowingHeld() const;
    bool ShowingHeldFile() const;

    // The document last given as HTML in memory: a new encoding means showing these bytes
    // again, read in it.
    QByteArray inlineHtml_;
    std::string inlineBase_;
    HtmlEncoding inlineEncoding_ = HtmlEncoding::BrowserDefault;
    bool encodingChosen_ = false;    // an encoding was chosen; the engine's default till then
    QString engineEncoding_;         // the engine's own default
    QPointer<THeldPages> heldPages_; // the profile's, which may go first
    QUrl heldUrl_;                   // the address of the document held, empty for none
    QUrl heldFile_;                  // the page file read into it, empty for HTML from memory
    std::unique_ptr<QPrinter> printer_;
    bool busy_ = false;
    int zoomStep_ = DefaultZoomStep;
    int progress_ = 0;
    std::string statusText_;
};
