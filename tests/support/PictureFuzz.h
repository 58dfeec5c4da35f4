#pragma once

// The entry a fuzz target calls with each input: the bytes loaded as a metafile and, when
// they load, drawn as the program draws pictures: into the screen's kept bitmap and straight
// onto a 300-dpi page. Refused bytes are an answer like any other; a crash, a sanitizer report
// or a hang is not. Text needs Qt's font system: a QGuiApplication on the offscreen platform is
// made when there is none.

#include "platform/graphics/Metafile.h"
#include "platform/graphics/QtCanvas.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <string_view>

// The application pictures with text need, on the offscreen platform, unless there is one.
inline void StartOffscreenApplication() {
    if (!QGuiApplication::instance()) {
        static int argc = 1;
        static char name[] = "picture-fuzz";
        static char* argv[] = {name, nullptr};
        qputenv("QT_QPA_PLATFORM", "offscreen");
        static QGuiApplication application(argc, argv);
    }
}

// Draws a loaded metafile on the screen and on a 300-dpi page.
inline void DrawMetafile(const TMetafile& metafile) {
    QImage screen(160, 120, QImage::Format_RGB32);
    screen.fill(Qt::white);
    {
        TQtCanvas canvas(&screen);
        canvas.StretchDraw(Rect(0, 0, 160, 120), metafile);
    }
    QImage page(500, 375, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    TQtCanvas canvas(&painter, TSize{500, 375}, 300, 300);
    canvas.StretchDraw(Rect(0, 0, 500, 375), metafile);
}

inline void LoadAndDrawMetafile(std::string_view bytes) {
    StartOffscreenApplication();
    TMetafile metafile;
    try {
        metafile.LoadFromBytes(bytes);
    } catch (const EInvalidGraphic&) {
        return;
    }
    DrawMetafile(metafile);
}
