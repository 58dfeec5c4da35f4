#include "controls/ShellIcon.h"

#include <QAbstractFileIconProvider>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QMimeDatabase>

#include <algorithm>
#include <cctype>

QImage ShellIconImage(std::string_view nameOrPath, bool large) {
    bool number =
        !nameOrPath.empty() && std::all_of(nameOrPath.begin(), nameOrPath.end(), [](char c) {
            return std::isdigit(static_cast<unsigned char>(c)) != 0;
        });
    if (nameOrPath.empty() || number || !qGuiApp) {
        return QImage();
    }
    QString name = QString::fromUtf8(nameOrPath.data(), static_cast<qsizetype>(nameOrPath.size()));
    QFileInfo info(name);
    QIcon icon;
    if (info.exists()) {
        icon = QAbstractFileIconProvider().icon(info);
    } else {
        QMimeType type = QMimeDatabase().mimeTypeForFile(name, QMimeDatabase::MatchExtension);
        icon = QIcon::fromTheme(type.iconName(), QIcon::fromTheme(type.genericIconName()));
    }
    int size = large ? 32 : 16;
    if (icon.isNull()) {
        return QImage();
    }
    QImage image = icon.pixmap(size, size).toImage();
    if (image.isNull()) {
        return image;
    }
    return image.size() == QSize(size, size)
               ? image
               : image.scaled(size, size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}
