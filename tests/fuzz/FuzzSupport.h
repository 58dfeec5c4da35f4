#pragma once

// What every picture fuzz target shares: a Qt application on the offscreen platform (pictures
// with text need fonts) that has drawn text in several fonts, as the program has drawn its
// windows before it draws a picture; a first drawing of a picture onto a small surface, as a
// note or the side bar draws it; and the end of a target that found the rule of pictures broken.

#include "tests/support/MetafileFixtures.h"
#include "tests/support/PictureFuzz.h"

#include "platform/graphics/Graphic.h"
#include "platform/graphics/QtCanvas.h"

#include <QImage>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

// Each target is one program that includes this once: its start sets up the application.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
    StartOffscreenApplication();
    metafile_fixture::DrawTextInSeveralFonts();
    return 0;
}

// Qt fills its font database when text is first drawn, sometimes again later, and the font
// library then reads its configuration anew; part of what it reads it keeps where the leak
// checker does not look. That is the library's own state, not a leak of the input that drew
// the text. (The checker's quick stacks end inside the library, so it is named as a whole.)
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}

inline void DrawOnce(const TGraphic& graphic) {
    QImage surface(48, 32, QImage::Format_RGB32);
    surface.fill(Qt::white);
    TQtCanvas canvas(&surface);
    graphic.Draw(canvas, Rect(2, 2, 46, 30));
}

// Loads `bytes` into `graphic` and draws it once when it loaded; a refusal is a sound answer.
template <class Graphic> void LoadAndDraw(const uint8_t* data, size_t size) {
    Graphic graphic;
    try {
        graphic.LoadFromBytes(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const EInvalidGraphic&) {
        return;
    }
    DrawOnce(graphic);
}

// A picture that broke the rule ends the target, so that the fuzzer keeps its bytes.
inline void AbortOnBrokenRule(const std::string& broken) {
    if (!broken.empty()) {
        std::fprintf(stderr, "==%d== the rule of pictures is broken: %s\n", getpid(),
                     broken.c_str());
        std::abort();
    }
}
