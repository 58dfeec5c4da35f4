#include "platform/browser/PageMenu.h"

#include <QAction>
#include <QMenu>

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
