#pragma once

// An image's bytes in a file format, as Qt writes them ("PNG", "JPEG", "BMP").

#include <QBuffer>
#include <QImage>

#include <string>

inline std::string EncodedImage(const QImage& image, const char* format) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes.toStdString();
}
