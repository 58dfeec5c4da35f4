#include "platform/browser/WebBrowser.h"

#include "platform/browser/FindBar.h"
#include "platform/browser/OfflineInterceptor.h"
#include "platform/browser/PageMenu.h"

#include "platform/base/Files.h"

#include <QContextMenuEvent>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMenu>
#include <QPointer>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QVBoxLayout>
#include <QWebEngineFindTextResult>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineSettings>
#include <QWebEngineView>

#include <algorithm>

namespace {

// A link the user follows out of a stored page takes the browser online.
class TBrowserPage : public QWebEnginePage {
public:
    using QWebEnginePage::QWebEnginePage;
    std::function<void(const QUrl&)> OnLeaveForNetwork;

protected:
    bool acceptNavigationRequest(const QUrl& url, NavigationType type, bool isMainFrame) override {
        if (isMainFrame && type == NavigationTypeLinkClicked && !IsLocalUrl(url) &&
            OnLeaveForNetwork) {
            OnLeaveForNetwork(url);
        }
        return true;
    }
};

class TBrowserView : public QWebEngineView {
public:
    using QWebEngineView::QWebEngineView;

    std::function<void(const QString& name)> OnEncodingChosen;

protected:
    void contextMenuEvent(QContextMenuEvent* event) override {
        QMenu* menu = createStandardContextMenu();
        if (menu == nullptr) {
            return;
        }
        menu->setAttribute(Qt::WA_DeleteOnClose);
        TrimPageMenu(*menu, *page());
        if (OnEncodingChosen) {
            AddEncodingMenu(*menu, page()->settings()->defaultTextEncoding(), OnEncodingChosen);
        }
        menu->popup(event->globalPos());
    }

    // Pages that ask for a new window stay in this one.
    QWebEngineView* createWindow(QWebEnginePage::WebWindowType) override { return this; }
};

// The type of HTML in memory: the program's own pages are UTF-8, others are read in the
// default encoding (the engine's own when none is set).
QString HtmlType(HtmlEncoding encoding, const QString& defaultEncoding) {
    const QString charset = encoding == HtmlEncoding::Utf8 ? QString("UTF-8") : defaultEncoding;
    return charset.isEmpty() ? QString("text/html") : "text/html;charset=" + charset;
}

// The file that shows HTML given from memory when it does not go by address.
constexpr char InlinePageName[] = "page.htm";

// The HTML with a base element right after the head's opening tag (at the start without one).
QByteArray WithBase(QByteArray bytes, const std::string& baseUrl) {
    if (baseUrl.empty()) {
        return bytes;
    }
    const QByteArray base =
        "<base href=\"" + QByteArray::fromStdString(baseUrl).replace('"', "%22") + "\">";
    const qsizetype head = bytes.toLower().indexOf("<head");
    const qsizetype end = head < 0 ? -1 : bytes.indexOf('>', head);
    bytes.insert(end < 0 ? 0 : end + 1, base);
    return bytes;
}

} // namespace

TWebBrowser::TWebBrowser(QWidget* parent, MenuMode menu) : QWidget(parent) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    auto* view = new TBrowserView(this);
    view->OnEncodingChosen = [this](const QString& name) { SetTextEncoding(name.toStdString()); };
    view_ = view;
    auto* page = new TBrowserPage(view_);
    interceptor_ = new TOfflineInterceptor(page);
    page->setUrlRequestInterceptor(interceptor_);
    page->OnLeaveForNetwork = [this](const QUrl&) { SetOffline(false); };
    QWebEngineSettings* settings = page->settings();
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
}

QWebEnginePage* TWebBrowser::Page() const {
    return view_->page();
}

void TWebBrowser::Navigate(const std::string& url) {
    const QUrl address = QUrl::fromUserInput(QString::fromStdString(url));
    if (!IsLocalUrl(address)) {
        SetOffline(false);
    }
    view_->load(address);
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
    // HTML from memory stands at its base, also when it is shown through a file.
    if (ShowingInlineHtml() && !inlineBase_.empty()) {
        return inlineBase_;
    }
    const QUrl url = view_->url();
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
    const QString chosen = view_->page()->settings()->defaultTextEncoding();
    // A document address names one encoding, where the engine guesses that of a file which
    // names none, as a captured page's file does once the capture took its charset out. So a
    // captured page goes by address only to be read in the encoding the user chose; else it
    // goes through a file, and reads from memory exactly as through its own page file.
    if (inlineHtml_.size() <= static_cast<qsizetype>(MaxInlineHtml) &&
        (inlineEncoding_ == HtmlEncoding::Utf8 || encodingChosen_)) {
        view_->page()->setContent(inlineHtml_, HtmlType(inlineEncoding_, chosen),
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
           (shown.scheme() == "data" ||
            (!inlineBase_.empty() && shown == QUrl(QString::fromStdString(inlineBase_))) ||
            (largePages_ != nullptr && shown == QUrl::fromLocalFile(largePages_->filePath(
                                                    QString::fromLatin1(InlinePageName)))));
}

void TWebBrowser::SetTextEncoding(const std::string& name) {
    view_->page()->settings()->setDefaultTextEncoding(QString::fromStdString(name));
    encodingChosen_ = true;
    if (ShowingInlineHtml()) {
        ShowInlineHtml();
    } else {
        view_->page()->triggerAction(QWebEnginePage::Reload);
    }
}

std::string TWebBrowser::TextEncoding() const {
    return view_->page()->settings()->defaultTextEncoding().toStdString();
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
