#include "platform/browser/PageMenu.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

namespace {

// The encodings offered, by the name the browser knows them under.
struct TEncodingEntry {
    const char* Caption;
    const char* Name;
};
constexpr TEncodingEntry Encodings[] = {
    {"Default", ""}, // each page read in its own
    {"Unicode (UTF-8)", "UTF-8"},
    {"Western European (ISO)", "ISO-8859-1"},
    {"Western European (Windows)", "windows-1252"},
    {"Central European (Windows)", "windows-1250"},
    {"Cyrillic (Windows)", "windows-1251"},
    {"Cyrillic (KOI8-R)", "KOI8-R"},
    {"Greek (Windows)", "windows-1253"},
    {"Turkish (Windows)", "windows-1254"},
    {"Japanese (Shift-JIS)", "Shift_JIS"},
    {"Japanese (EUC)", "EUC-JP"},
    {"Chinese Simplified (GBK)", "GBK"},
    {"Chinese Traditional (Big5)", "Big5"},
    {"Korean (EUC)", "EUC-KR"},
};

} // namespace

bool PageMenuKeeps(QWebEnginePage::WebAction action) {
    switch (action) {
    case QWebEnginePage::Back:
    case QWebEnginePage::Forward:
    case QWebEnginePage::Stop:
    case QWebEnginePage::Reload:
    case QWebEnginePage::ReloadAndBypassCache:
    case QWebEnginePage::OpenLinkInNewWindow:
    case QWebEnginePage::OpenLinkInNewTab:
    case QWebEnginePage::OpenLinkInNewBackgroundTab:
    case QWebEnginePage::DownloadLinkToDisk:
    case QWebEnginePage::DownloadImageToDisk:
    case QWebEnginePage::DownloadMediaToDisk:
    case QWebEnginePage::SavePage:
    case QWebEnginePage::ViewSource:
    case QWebEnginePage::InspectElement:
        return false;
    default:
        return true;
    }
}

void TrimPageMenu(QMenu& menu, QWebEnginePage& page) {
    for (int a = 0; a < QWebEnginePage::WebActionCount; ++a) {
        const auto action = static_cast<QWebEnginePage::WebAction>(a);
        if (!PageMenuKeeps(action)) {
            menu.removeAction(page.action(action));
        }
    }
    // Separators only between entries, one at a time.
    QAction* previous = nullptr;
    for (QAction* entry : menu.actions()) {
        if (entry->isSeparator() && (previous == nullptr || previous->isSeparator())) {
            menu.removeAction(entry);
        } else {
            previous = entry;
        }
    }
    if (previous != nullptr && previous->isSeparator()) {
        menu.removeAction(previous);
    }
}

void AddEncodingMenu(QMenu& menu, const QString& current,
                     const std::function<void(const QString& name)>& choose) {
    if (!menu.isEmpty()) {
        menu.addSeparator();
    }
    QMenu* encodings = menu.addMenu("Encoding");
    encodings->setObjectName("Encoding");
    auto* group = new QActionGroup(encodings);
    for (const TEncodingEntry& entry : Encodings) {
        QAction* choice = encodings->addAction(entry.Caption);
        choice->setCheckable(true);
        choice->setChecked(current.compare(entry.Name, Qt::CaseInsensitive) == 0);
        group->addAction(choice);
        const QString name = entry.Name;
        QObject::connect(choice, &QAction::triggered, encodings, [choose, name] { choose(name); });
    }
}
