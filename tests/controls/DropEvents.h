#pragma once

// Drags synthesized for tests: the enter, move and drop events a widget gets from a drag of
// `data`, each answered by the widget.

#include <QApplication>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>

#include <string>
#include <vector>

struct DropAnswers {
    bool enterAccepted = false;
    Qt::DropAction enterAction = Qt::IgnoreAction;
    Qt::DropAction dropAction = Qt::IgnoreAction;
};

inline DropAnswers DragAndDrop(QWidget& target, const QMimeData& data, QPoint at,
                               Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    const Qt::DropActions offered = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    DropAnswers answers;
    QDragEnterEvent enter(at, offered, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&target, &enter);
    answers.enterAccepted = enter.isAccepted();
    answers.enterAction = enter.dropAction();
    QDragMoveEvent move(at, offered, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&target, &move);
    QDropEvent drop(at, offered, &data, Qt::LeftButton, modifiers);
    QApplication::sendEvent(&target, &drop);
    answers.dropAction = drop.dropAction();
    return answers;
}

inline void SetFiles(QMimeData& data, const std::vector<std::string>& paths) {
    QList<QUrl> urls;
    for (const std::string& path : paths) {
        urls.push_back(QUrl::fromLocalFile(QString::fromStdString(path)));
    }
    data.setUrls(urls);
}
