#include "controls/ShelfDD.h"

#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>

#include <QWidget>
#include <algorithm>

namespace {

// Firefox writes text/x-moz-url in UTF-16 ("url\ntitle"); others in UTF-8.
std::string FirstMozUrl(const QByteArray& bytes) {
    QString text;
    if (bytes.size() >= 2 && bytes.size() % 2 == 0 && bytes[1] == '\0') {
        text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()),
                                  bytes.size() / 2);
    } else {
        text = QString::fromUtf8(bytes);
    }
    return text.section('\n', 0, 0).remove(QChar(0)).trimmed().toStdString();
}

} // namespace

TDropData ReadDropData(const QMimeData& data) {
    TDropData out;
    for (const QUrl& url : data.urls()) {
        if (url.isLocalFile()) {
            out.Files.push_back(url.toLocalFile().toStdString());
        } else if (out.URL.empty() && url.isValid()) {
            out.URL = url.toString().toStdString();
        }
    }
    if (out.URL.empty() && data.hasFormat("text/x-moz-url")) {
        out.URL = FirstMozUrl(data.data("text/x-moz-url"));
    }
    // Only text offered as text: Qt's hasText() also answers for a list of URLs.
    const QStringList formats = data.formats();
    const bool plainText = std::any_of(formats.begin(), formats.end(), [](const QString& f) {
        return f == "text/plain" || f.startsWith("text/plain;");
    });
    if (plainText) {
        out.Text = data.text().toStdString();
        out.Formats.Include(TDropFormat::dfText);
    }
    if (!out.Files.empty()) {
        out.Formats.Include(TDropFormat::dfFile);
    }
    if (!out.URL.empty()) {
        out.Formats.Include(TDropFormat::dfURL);
    }
    return out;
}

Qt::DropAction StandardEffect(Qt::KeyboardModifiers modifiers) {
    return modifiers & Qt::ControlModifier ? Qt::CopyAction : Qt::MoveAction;
}

Qt::DropAction TShelfDropTarget::Effect(Qt::KeyboardModifiers modifiers) const {
    if (!accepts_) {
        return Qt::IgnoreAction;
    }
    if (formats_.Contains(TDropFormat::dfURL)) {
        return Qt::LinkAction;
    }
    return StandardEffect(modifiers);
}

namespace {

void Answer(QDropEvent& event, Qt::DropAction effect) {
    event.setDropAction(effect);
    if (effect == Qt::IgnoreAction) {
        event.ignore();
    } else {
        event.accept();
    }
}

TPoint PointOf(const QDropEvent& event) {
    QPoint p = event.position().toPoint();
    return {p.x(), p.y()};
}

} // namespace

void TShelfDropTarget::DragEnter(QDragEnterEvent& event) {
    formats_ = event.mimeData() ? ReadDropData(*event.mimeData()).Formats : TDropFormats();
    accepts_ = (formats_.Contains(TDropFormat::dfText) && TakeText) ||
               (formats_.Contains(TDropFormat::dfFile) && TakeFiles) ||
               (formats_.Contains(TDropFormat::dfURL) && TakeURL);
    Answer(event, Effect(event.modifiers()));
    DragMouseEnter();
}

void TShelfDropTarget::DragOver(QDragMoveEvent& event) {
    Qt::DropAction effect = Effect(event.modifiers());
    bool allow = effect != Qt::IgnoreAction;
    DragMouseMove(PointOf(event), allow, formats_);
    Answer(event, allow ? effect : Qt::IgnoreAction);
}

void TShelfDropTarget::DragLeave() {
    DragMouseLeave();
}

void TShelfDropTarget::Drop(QDropEvent& event) {
    if (!accepts_ || !event.mimeData()) {
        Answer(event, Qt::IgnoreAction);
        return;
    }
    // Only the kinds this target takes are handed on.
    const TDropData data = ReadDropData(*event.mimeData());
    const TPoint at = PointOf(event);
    if (data.Formats.Contains(TDropFormat::dfURL) && TakeURL) {
        DropURL(at, data.URL);
    }
    if (data.Formats.Contains(TDropFormat::dfText) && TakeText) {
        DropText(at, data.Text);
    }
    if (data.Formats.Contains(TDropFormat::dfFile) && TakeFiles) {
        DropFiles(at, data.Files);
    }
    Answer(event, StandardEffect(event.modifiers()));
}

namespace {

Qt::DropAction StartDrag(QWidget* source, const QString& text, Qt::DropActions effects) {
    auto* drag = new QDrag(source);
    auto* data = new QMimeData;
    if (!text.isEmpty()) {
        data->setText(text);
    }
    drag->setMimeData(data);
    Qt::DropAction result = drag->exec(effects);
    drag->deleteLater();
    return result;
}

} // namespace

Qt::DropAction StartTextDoDragDrop(QWidget* source, const std::string& text,
                                   Qt::DropActions effects) {
    return StartDrag(source, QString::fromStdString(text), effects);
}

Qt::DropAction StartColDoDragDrop(QWidget* source, TColor, Qt::DropActions effects) {
    return StartDrag(source, QString(), effects);
}
