#include "platform/widgets/Clipboard.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Graphic.h"
#include "platform/graphics/JPEGImage.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QMimeData>

TClipboard::TClipboard() = default;
TClipboard::~TClipboard() = default;

void TClipboard::Begin() {
    pending_ = std::make_unique<QMimeData>();
}

void TClipboard::SetFormat(const std::string& mimeType, std::string bytes) {
    if (!pending_) {
        Begin();
    }
    pending_->setData(QString::fromStdString(mimeType),
                      QByteArray(bytes.data(), static_cast<qsizetype>(bytes.size())));
}

void TClipboard::SetUnicodeText(std::string utf16) {
    if (!pending_) {
        Begin();
    }
    pending_->setText(QString::fromUtf16(reinterpret_cast<const char16_t*>(utf16.data()),
                                         static_cast<qsizetype>(utf16.size() / 2)));
}

void TClipboard::SetImage(const TGraphic& graphic) {
    if (!pending_) {
        Begin();
    }
    if (auto* pixels = dynamic_cast<const TPixelGraphic*>(&graphic)) {
        pending_->setImageData(pixels->Image());
        return;
    }
    // Pictures without pixels of their own (metafiles) go out as what they draw.
    TBitmap bitmap(graphic.Width(), graphic.Height());
    graphic.Draw(bitmap.Canvas(), Rect(0, 0, graphic.Width(), graphic.Height()));
    pending_->setImageData(bitmap.Image());
}

void TClipboard::Publish() {
    if (pending_) {
        QGuiApplication::clipboard()->setMimeData(pending_.release());
    }
}

namespace {

const QMimeData* Current() {
    return QGuiApplication::clipboard()->mimeData();
}

QString ReadableName(const QMimeData& data, const std::string& mimeType) {
    const QString name = QString::fromStdString(mimeType);
    if (name == QLatin1String(CF_RTF_MIME) && !data.hasFormat(name) &&
        data.hasFormat(QStringLiteral("application/rtf"))) {
        return QStringLiteral("application/rtf");
    }
    return name;
}

} // namespace

bool TClipboard::HasFormat(const std::string& mimeType) {
    const QMimeData* data = Current();
    return data && data->hasFormat(ReadableName(*data, mimeType));
}

std::string TClipboard::GetBytes(const std::string& mimeType) {
    const QMimeData* data = Current();
    if (!data) {
        return {};
    }
    const QByteArray bytes = data->data(ReadableName(*data, mimeType));
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

std::string TClipboard::GetUnicodeText() {
    const QMimeData* data = Current();
    if (!data || !data->hasText()) {
        return {};
    }
    const QString text = data->text();
    return std::string(reinterpret_cast<const char*>(text.utf16()),
                       static_cast<size_t>(text.size()) * 2);
}

QImage TClipboard::GetImage() {
    const QMimeData* data = Current();
    if (!data) {
        return {};
    }
    // Qt reads a JPEG image when no other kind is offered. Its decoder takes as long as the image
    // asks (seconds for a progressive one of hundreds of scans); ours stops within a picture's
    // bounds, and a picture it cannot decode is not pasted.
    const QStringList formats = data->formats();
    const bool jpegOnly = formats.contains(QStringLiteral("image/jpeg")) &&
                          !formats.contains(QStringLiteral("application/x-qt-image")) &&
                          !formats.contains(QStringLiteral("image/png")) &&
                          !formats.contains(QStringLiteral("image/bmp"));
    if (jpegOnly) {
        const QByteArray bytes = data->data(QStringLiteral("image/jpeg"));
        QImage image;
        std::string error;
        return DecodeJpeg(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                          image, error)
                   ? image
                   : QImage();
    }
    if (!data->hasImage()) {
        return {};
    }
    return qvariant_cast<QImage>(data->imageData());
}

bool TClipboard::SupportsSelection() {
    return QGuiApplication::clipboard()->supportsSelection();
}

void TClipboard::SetSelectionText(const std::u16string& text) {
    if (SupportsSelection()) {
        QGuiApplication::clipboard()->setText(
            QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())),
            QClipboard::Selection);
    }
}

std::u16string TClipboard::GetSelectionText() {
    if (!SupportsSelection()) {
        return {};
    }
    const QString text = QGuiApplication::clipboard()->text(QClipboard::Selection);
    return std::u16string(reinterpret_cast<const char16_t*>(text.utf16()),
                          static_cast<size_t>(text.size()));
}
