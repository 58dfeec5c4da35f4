#pragma once

// A metafile loaded and drawn so that the fuzzer sees what the players do with the bytes: a
// Windows metafile drawn as the program draws it, by our own player on the screen and on a
// 300-dpi page; an enhanced one converted here rather than in the child process the program
// converts it in, its records played into SVG text and the text drawn.

#include "FuzzSupport.h"

#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileSvg.h"

#include <QPainter>
#include <QSvgRenderer>

// Plays only the kind of metafile a target is for (the other kind has a target of its own).
inline void LoadAndPlayMetafile(const uint8_t* data, size_t size, bool enhanced) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    TMetafile metafile;
    try {
        metafile.LoadFromBytes(bytes);
    } catch (const EInvalidGraphic&) {
        return;
    }
    if (metafile.Empty() || metafile.Enhanced() != enhanced) {
        return;
    }
    if (!enhanced) {
        DrawMetafile(metafile);
        return;
    }
    const std::string svg =
        MetafileToSvg(bytes, ReadMetafileLayout(bytes), std::max(1, metafile.Width()),
                      std::max(1, metafile.Height()));
    QSvgRenderer renderer(QByteArray(svg.data(), static_cast<qsizetype>(svg.size())));
    if (renderer.isValid()) {
        QImage surface(48, 32, QImage::Format_ARGB32_Premultiplied);
        QPainter painter(&surface);
        renderer.render(&painter, QRectF(0, 0, 48, 32));
    }
}
