#include "platform/browser/WebBrowser.h"

#include "platform/browser/FindBar.h"
#include "platform/browser/HeldPages.h"
#include "platform/browser/OfflineInterceptor.h"
#include "platform/browser/PageMenu.h"

#include "platform/base/Files.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QMimeDatabase>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>

namespace {

// A link the user follows out of a stored page takes the browser online; one to a local page
// may be taken over, to be shown by the browser's own rules.
class TBrowserPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    std::function<void(const QUrl&)> OnLeaveForNetwork;
    // True where the browser shows the page itself: the engine does not load it then.
    std::function<bool(const QUrl&)> OnOpenLocalPage;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (!isMainFrame || type != NavigationTypeLinkClicked) {
            return true;
        }
        if (!IsLocalUrl(url) && OnLeaveForNetwork) {
            OnLeaveForNetwork(url);
        }
        return !(OnOpenLocalPage && OnOpenLocalPage(url));
    }
};

class TBrowserView : public QWebEngineView {
public:
    using QWebEngineView::QWebEngineView;

    std::function<void(const QString& name)> OnEncodingChosen;
    std::function<QString()> CurrentEncoding;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override {
        QMenu* menu = createStandardContextMenu();
        if (menu == nullptr) {
            return;
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        TrimPageMenu(*menu, *page());
        if (OnEncodingChosen) {
            AddEncodingMenu(*menu, CurrentEncoding ? CurrentEncoding() : QString(),
                            OnEncodingChosen);
        }
        menu->popup(event->globalPos());
    }

    // Pages that ask for a new window stay in this one.
    QWebEngineView* createWindow(QWebEnginePage::WebWindowType) override { return this; }
};

QString HtmlType(const QString& charset) {
    return "text/html;charset=" + charset;
}

// An HTML file on this computer, by its name.
bool IsHtmlFile(const QUrl& url) {
    return url.isLocalFile() &&
           QMimeDatabase()
               .mimeTypeForFile(url.toLocalFile(), QMimeDatabase::MatchExtension)
               .inherits("text/html");
}

QUrl WithFragment(QUrl url, const QString& fragment) {
    url.setFragment(fragment.isEmpty() ? QString() : fragment);
    return url;
}

// The file that shows HTML given from memory when it does not go by address.
constexpr char InlinePageName[] = "page.htm";

// Where a base element goes: right after the opening tag of the head, else of the document,
// else after the doctype, so that it comes before anything it resolves and a page with a
// doctype keeps its layout; at the start of a page that has none of them.
qsizetype BasePlace(const QByteArray& bytes) {
    const QString text = QString::fromLatin1(bytes); // one character a byte: the same places
    for (const char* tag : {"head", "html", "!doctype"}) {
        const QRegularExpression opening(QString("<%1(\\s[^>]*)?>").arg(tag),
                                         QRegularExpression::CaseInsensitiveOption);
        const QRegularExpressionMatch found = opening.match(text);
        if (found.hasMatch()) {
            return found.capturedEnd();
        }
    }
    return 0;
}

QByteArray WithBase(QByteArray bytes, const std::string& baseUrl) {
    if (baseUrl.empty()) {
        return bytes;
    }
    // A "&" or a quote in a folder name stays part of the address.
    const QByteArray base =
        "<base href=\"" +
        QByteArray::fromStdString(baseUrl).replace('&', "&amp;").replace('"', "&quot;") + "\">";
    bytes.insert(BasePlace(bytes), base);
    return bytes;
}

} // namespace

TWebBrowser::TWebBrowser(QWidget* parent, MenuMode menu) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* view = new TBrowserView(this);
    view->OnEncodingChosen = [this](const QString& name) { SetTextEncoding(name.toStdString()); };
    view->CurrentEncoding = [this] { return QString::fromStdString(TextEncoding()); };
    view_ = view;
    auto* page = new TBrowserPage(view_);
    interceptor_ = new TOfflineInterceptor(page);
    page->setUrlRequestInterceptor(interceptor_);
    page->OnLeaveForNetwork = [this](const QUrl&) { SetOffline(false); };
    page->OnOpenLocalPage = [this](const QUrl& url) {
        if (!encodingChosen_ || !IsHtmlFile(url)) {
            return false;
        }
        // Not from inside the engine's question. A link's address is resolved against the
        // page file: one to a place in the same page scrolls the document shown there.
        QTimer::singleShot(0, this, [this, url] {
            if (ShowingHeldFile() && url.adjusted(QUrl::RemoveFragment) == heldFile_) {
                view_->load(WithFragment(heldUrl_, url.fragment()));
            } else {
                ShowLocalPage(url);
            }
        });
        return true;
    };
    QWebEngineSettings* settings = page->settings();
    engineEncoding_ = settings->defaultTextEncoding();
    heldPages_ = &THeldPages::Of(*page->profile());
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessFileUrls, true);
    settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
    view_->setPage(page);
    view_->setContextMenuPolicy(menu == MenuMode::None ? Qt::NoContextMenu
                                                       : Qt::DefaultContextMenu);
    findBar_ = new TFindBar(this);
    findBar_->OnFind = [this](const QString& text, bool backward) {
        Find(text.toStdString(), backward);
    };
    layout->addWidget(view_, 1);
    layout->addWidget(findBar_);

    connect(view_, &QWebEngineView::loadStarted, this, [this] { LoadStarted(); });
    connect(view_, &QWebEngineView::loadFinished, this, [this](bool ok) { LoadFinished(ok); });
    connect(view_, &QWebEngineView::loadProgress, this, [this](int progress) {
        progress_ = std::clamp(progress, 0, 100);
        if (OnProgress) {
            OnProgress(progress_, 100);
        }
    });
    connect(page, &QWebEnginePage::linkHovered, this, [this](const QString& url) {
        statusText_ = url.toStdString();
        if (OnStatusText) {
            OnStatusText(statusText_);
        }
    });
    SetZoomStep(DefaultZoomStep);
}

TWebBrowser::~TWebBrowser() {
    // The page goes before its interceptor and the files it shows.
    delete view_;
    if (heldPages_ != nullptr) {
        heldPages_->Release(heldUrl_);
    }
}

QWebEnginePage* TWebBrowser::Page() const {
    return view_->page();
}

void TWebBrowser::Navigate(const std::string& url) {
    const QUrl address = QUrl::fromUserInput(QString::fromStdString(url));
    if (!IsLocalUrl(address)) {
        SetOffline(false);
    }
    if (IsHtmlFile(address)) {
        ShowLocalPage(address);
        return;
    }
    view_->load(address);
}

void TWebBrowser::ShowLocalPage(const QUrl& address) {
    if (!encodingChosen_) {
        view_->load(address); // the engine reads the file as the page says, or guesses
        return;
    }
    const QUrl file = address.adjusted(QUrl::RemoveFragment);
    QFile page(file.toLocalFile());
    if (!page.open(QIODevice::ReadOnly)) {
        view_->load(address); // the engine says why it cannot show it
        return;
    }
    ShowHeld(page.readAll(), file.toString(QUrl::FullyEncoded).toStdString(), file,
             address.fragment());
}

void TWebBrowser::ShowHeld(const QByteArray& html, const std::string& baseUrl, const QUrl& file,
                           const QString& fragment) {
    if (heldPages_ == nullptr) {
        return;
    }
    heldPages_->Release(heldUrl_);
    heldUrl_ = heldPages_->Hold(WithBase(html, baseUrl), HtmlType(ChosenEncoding()).toLatin1());
    heldFile_ = file;
    view_->load(WithFragment(heldUrl_, fragment));
}

QString TWebBrowser::ChosenEncoding() const {
    return view_->page()->settings()->defaultTextEncoding();
}

bool TWebBrowser::ShowingHeld() const {
    return !heldUrl_.isEmpty() && view_->page()->url().adjusted(QUrl::RemoveFragment) == heldUrl_;
}

bool TWebBrowser::ShowingHeldFile() const {
    return !heldFile_.isEmpty() && ShowingHeld();
}

void TWebBrowser::GoBack() {
    view_->back();
}
void TWebBrowser::GoForward() {
    view_->forward();
}
void TWebBrowser::Stop() {
    view_->stop();
}
void TWebBrowser::Refresh() {
    view_->reload();
}

std::string TWebBrowser::LocationURL() const {
    // HTML from memory stands at its base, also when it is shown through a file; a page file
    // read in the chosen encoding stands where the file is. The address of a held document is
    // the browser's own, and names no place.
    if (ShowingInlineHtml() && !inlineBase_.empty()) {
        return inlineBase_;
    }
    const QUrl url = view_->url();
    if (ShowingHeldFile()) {
        return WithFragment(heldFile_, url.fragment()).toString().toStdString();
    }
    if (ShowingHeld()) {
        return "about:blank";
    }
    return url.isEmpty() ? std::string("about:blank") : url.toString().toStdString();
}

void TWebBrowser::LoadHtml(const std::string& html, const std::string& baseUrl,
                           HtmlEncoding encoding) {
    inlineHtml_ = QByteArray(html.data(), static_cast<qsizetype>(html.size()));
    inlineBase_ = baseUrl;
    inlineEncoding_ = encoding;
    ShowInlineHtml();
}

void TWebBrowser::ShowInlineHtml() {
    // The engine guesses the encoding of a file which names none, as a captured page's file
    // does once the capture took its charset out. So a captured page is served read in the
    // encoding the user chose; without one it goes through a file, and reads from memory
    // exactly as through its own page file.
    if (inlineEncoding_ == HtmlEncoding::BrowserDefault && encodingChosen_) {
        ShowHeld(inlineHtml_, inlineBase_, QUrl(), QString());
        return;
    }
    if (inlineEncoding_ == HtmlEncoding::Utf8 &&
        inlineHtml_.size() <= static_cast<qsizetype>(MaxInlineHtml)) {
        view_->page()->setContent(inlineHtml_, HtmlType("UTF-8"),
                                  QUrl(QString::fromStdString(inlineBase_)));
        return;
    }
    if (largePages_ == nullptr) {
        largePages_ = std::make_unique<QTemporaryDir>();
    }
    const QString path = largePages_->filePath(QString::fromLatin1(InlinePageName));
    QFile file(path);
    // A file carries no type: a byte order mark is what makes the engine read it as UTF-8.
    const QByteArray bytes =
        (inlineEncoding_ == HtmlEncoding::Utf8 ? QByteArray("\xEF\xBB\xBF") : QByteArray()) +
        WithBase(inlineHtml_, inlineBase_);
    if (!largePages_->isValid() || !file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes) != bytes.size()) {
        qWarning("The page could not be written to %s", qPrintable(path));
        return;
    }
    file.close();
    view_->load(QUrl::fromLocalFile(path));
}

bool TWebBrowser::ShowingInlineHtml() const {
    // A document given by address with a base reports the base as its address.
    const QUrl shown = view_->page()->url();
    return !inlineHtml_.isEmpty() &&
           (shown.scheme() == "data" || (heldFile_.isEmpty() && ShowingHeld()) ||
            (!inlineBase_.empty() && shown == QUrl(QString::fromStdString(inlineBase_))) ||
            (largePages_ != nullptr && shown == QUrl::fromLocalFile(largePages_->filePath(
                                                    QString::fromLatin1(InlinePageName)))));
}

void TWebBrowser::SetTextEncoding(const std::string& name) {
    const QString chosen = QString::fromStdString(name);
    // What is shown is taken before the choice changes what that means.
    const bool inlineHtml = ShowingInlineHtml();
    const QUrl shown = view_->page()->url();
    const QUrl file = ShowingHeldFile()   ? WithFragment(heldFile_, shown.fragment())
                      : IsHtmlFile(shown) ? shown
                                          : QUrl();
    encodingChosen_ = !chosen.isEmpty();
    view_->page()->settings()->setDefaultTextEncoding(encodingChosen_ ? chosen : engineEncoding_);
    if (inlineHtml) {
        ShowInlineHtml();
    } else if (!file.isEmpty()) {
        ShowLocalPage(file);
    } else {
        view_->page()->triggerAction(QWebEnginePage::Reload);
    }
}

std::string TWebBrowser::TextEncoding() const {
    return encodingChosen_ ? ChosenEncoding().toStdString() : std::string();
}

bool TWebBrowser::Offline() const {
    return interceptor_->Offline();
}
void TWebBrowser::SetOffline(bool offline) {
    interceptor_->SetOffline(offline);
}

std::vector<QUrl> TWebBrowser::BlockedRequests() const {
    return interceptor_->Blocked();
}
std::vector<QUrl> TWebBrowser::PassedRequests() const {
    return interceptor_->Passed();
}

void TWebBrowser::Print() {
    if (printer_ != nullptr) {
        return; // the last print is still running and uses the printer
    }
    auto printer = std::make_unique<QPrinter>(QPrinter::HighResolution);
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        // No printer is set up: the document goes into a PDF file.
        QString name = view_->title().trimmed();
        name.replace(QRegularExpression("[/\\\\:*?\"<>|]"), "_");
        const QString file = QFileDialog::getSaveFileName(
            this, tr("Print to PDF"),
            QDir::home().filePath((name.isEmpty() ? QString("page") : name) + ".pdf"),
            tr("PDF files (*.pdf)"));
        if (file.isEmpty()) {
            return;
        }
        printer->setOutputFormat(QPrinter::PdfFormat);
        printer->setOutputFileName(file);
    } else {
        QPrintDialog dialog(printer.get(), this);
        if (dialog.exec() != QDialog::Accepted) {
            return;
        }
    }
    printer_ = std::move(printer);
    PrintTo(*printer_, [this](bool) { printer_.reset(); });
}

void LimitPrintResolution(QPrinter& printer) {
    if (printer.resolution() > MaxPrintDpi) {
        printer.setResolution(MaxPrintDpi);
    }
}

void TWebBrowser::PrintTo(QPrinter& printer, std::function<void(bool)> done) {
    const auto finish = [done = std::move(done)](bool ok) {
        if (done) {
            done(ok);
        }
    };
    if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
        // A PDF file is the browser engine's own: its text stays text, its pictures stay as
        // they are, and a long page takes seconds rather than minutes of page pictures. The
        // engine hands the bytes over and the file is written as the program writes its other
        // files: its permissions follow the umask (the engine's own file is for its owner
        // only), and a failure leaves an older file as it was.
        const std::string file = printer.outputFileName().toStdString();
        QPointer<TWebBrowser> alive(this);
        view_->page()->printToPdf(
            [alive, file, finish](const QByteArray& pdf) {
                std::string error;
                const bool ok =
                    !pdf.isEmpty() &&
                    WriteFileAtomic(file, pdf.constData(), static_cast<size_t>(pdf.size()), error);
                if (!pdf.isEmpty() && !ok) {
                    qWarning("The PDF file %s could not be written: %s", file.c_str(),
                             error.c_str());
                }
                if (alive) {
                    finish(ok);
                }
            },
            printer.pageLayout());
        return;
    }
    // A printer gets the page drawn as pictures: no finer than its paper can take.
    LimitPrintResolution(printer);
    connect(view_, &QWebEngineView::printFinished, this, finish, Qt::SingleShotConnection);
    view_->print(&printer);
}

void TWebBrowser::SetZoomStep(int step) {
    zoomStep_ = std::clamp(step, 0, ZoomStepCount - 1);
    view_->setZoomFactor(ZoomFactors[zoomStep_]);
}

void TWebBrowser::ShowFind() {
    findBar_->Open();
}

void TWebBrowser::Find(const std::string& text, bool backward, std::function<void(int)> found) {
    const QWebEnginePage::FindFlags flags =
        backward ? QWebEnginePage::FindBackward : QWebEnginePage::FindFlags();
    view_->findText(QString::fromStdString(text), flags,
                    [found = std::move(found)](const QWebEngineFindTextResult& result) {
                        if (found) {
                            found(result.numberOfMatches());
                        }
                    });
}

void TWebBrowser::LoadStarted() {
    busy_ = true;
    progress_ = 0;
}

void TWebBrowser::LoadFinished(bool ok) {
    busy_ = false;
    const std::string url = LocationURL();
    if (OnNavigateComplete) {
        OnNavigateComplete(url);
    }
    if (OnDocumentComplete) {
        OnDocumentComplete(url, ok);
    }
    // The load has ended: -1, as the window's progress panel expects it.
    if (OnProgress) {
        OnProgress(-1, 100);
    }
}
