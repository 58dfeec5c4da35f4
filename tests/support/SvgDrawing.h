#pragma once

// SVG text drawn by Qt's renderer into a new image over `background`, as the converting process
// draws a picture's conversion (ARGB over transparent) or as a page shows it (over white).

#include <QImage>
#include <QPainter>
#include <QSvgRenderer>

#include <string>

inline QImage SvgDrawn(const std::string& svg, int width, int height,
                       QImage::Format format = QImage::Format_ARGB32_Premultiplied,
                       Qt::GlobalColor background = Qt::transparent) {
    QImage image(width, height, format);
    image.fill(background);
    QSvgRenderer renderer(QByteArray::fromStdString(svg));
    QPainter painter(&image);
    renderer.render(&painter, QRectF(0, 0, width, height));
    return image;
}
