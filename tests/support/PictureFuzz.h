#pragma once

// The entry a fuzz target calls with each input: the bytes loaded as a picture and, when they
// load, drawn as the program draws pictures: at the picture's own size on the screen and
// straight onto a 300-dpi page. Refused bytes are an answer like any other; a crash, a sanitizer
// report or a hang is not, and neither is a broken rule of pictures: whatever its bytes, a
// picture is loaded and drawn within bounded time and memory, and draws nothing outside the
// rectangle it is drawn over. Text needs Qt's font system: a QGuiApplication on the offscreen
// platform is made when there is none.

#include "platform/graphics/Metafile.h"
#include "platform/graphics/QtCanvas.h"
#include "tests/support/HeapPeak.h"
#include "tests/support/ResourceProbe.h"

#include <QGuiApplication>
#include <QImage>
#include <QPainter>

#include <algorithm>
#include <cstdio>
#include <string>
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

namespace picture_rule {

// What one picture may take from its load to the end of its last drawing: an enhanced
// metafile's converter is given 2 s, each of the two drawings at most the picture's second,
// and one more second is room for the sanitizers and a busy machine.
constexpr long long InputMillis = 5000;
// How far one picture may raise the memory the process holds beyond its own pixels (what a
// bitmap holds, what a metafile is drawn into at its size): the pixels of the images and
// bitmaps inside it (MaxPicturePixelBytes at the most), the surfaces it is drawn on here (about
// 32 MB at the largest) and 16 MB of room.
constexpr long long InputGrowthMb = (MaxPicturePixelBytes >> 20) + 48;

// The megabytes of `picture`'s own pixels, 4 bytes each.
inline long long OwnPixelsMb(const TGraphic& picture) {
    const long long bytes =
        static_cast<long long>(std::max(0, picture.Width())) * std::max(0, picture.Height()) * 4;
    return bytes >> 20;
}
// A picture is drawn at its own size, though no larger than this on the screen, and at the
// same size in inches on the page, though no larger than the page's side.
constexpr int ScreenSide = 1024;
constexpr int PagePixelsPerInch = 300;
constexpr int PageSide = 2400;
// The border around the rectangle drawn over, whose pixels no drawing may change.
constexpr int Margin = 8;
// The border's colour: one few pictures draw in exactly.
const QRgb Untouched = qRgb(0x5A, 0xC3, 0x3C);

// The first pixel of `image` outside `inside` that a drawing changed, as words; "" when there
// is none.
inline std::string ChangedOutside(const QImage& image, const QRect& inside, const char* where) {
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (inside.contains(x, y)) {
                x = inside.right();
                continue;
            }
            if (image.pixel(x, y) != Untouched) {
                char text[160];
                std::snprintf(text, sizeof text,
                              "drawn %dx%d %s, it changed the pixel (%d, %d) outside its "
                              "rectangle (%d, %d)-(%d, %d)",
                              inside.width(), inside.height(), where, x, y, inside.left(),
                              inside.top(), inside.right() + 1, inside.bottom() + 1);
                return text;
            }
        }
    }
    return {};
}

// Draws `graphic` over a rectangle of `width` x `height` pixels with a border of Margin around
// it on a surface of `pixelsPerInch`; what it changed outside the rectangle, as words.
inline std::string DrawnOutside(const TGraphic& graphic, int width, int height, int pixelsPerInch) {
    QImage surface(width + 2 * Margin, height + 2 * Margin, QImage::Format_RGB32);
    if (surface.isNull()) {
        return {};
    }
    surface.fill(Untouched);
    const TRect r = Rect(Margin, Margin, Margin + width, Margin + height);
    if (pixelsPerInch == 96) {
        TQtCanvas canvas(&surface);
        canvas.StretchDraw(r, graphic);
        return ChangedOutside(surface, QRect(Margin, Margin, width, height), "on the screen");
    }
    {
        QPainter painter(&surface);
        TQtCanvas canvas(&painter, TSize{surface.width(), surface.height()}, pixelsPerInch,
                         pixelsPerInch);
        canvas.StretchDraw(r, graphic);
    }
    return ChangedOutside(surface, QRect(Margin, Margin, width, height), "on a page");
}

// Draws `graphic` on the screen and on a page; what broke the rule, as words ("" for none).
inline std::string DrawWithinRectangle(const TGraphic& graphic) {
    const int width = std::clamp(graphic.Width(), 1, ScreenSide);
    const int height = std::clamp(graphic.Height(), 1, ScreenSide);
    const std::string screen = DrawnOutside(graphic, width, height, 96);
    if (!screen.empty()) {
        return screen;
    }
    auto onPage = [](int pixels) {
        return std::clamp(pixels * PagePixelsPerInch / 96, 1, PageSide);
    };
    return DrawnOutside(graphic, onPage(width), onPage(height), PagePixelsPerInch);
}

// Whether the memory a picture takes can be told here: the thread checker keeps shadow memory of
// several times what the program holds, beside it in the resident memory.
inline bool MemoryCounted() {
#if defined(__SANITIZE_THREAD__)
    return false;
#else
    return true;
#endif
}

// The time and memory one input takes, from its making to Exceeded: the memory as the heap's
// peak where the address sanitizer counts it, else as the peak resident memory where the system
// lets its peak be reset (and MemoryCounted).
class TInputBounds {
public:
    long long GrowthMb() const {
        if (heap_.Counting()) {
            return heap_.GrowthMb();
        }
        return MemoryCounted() && probe_.PeakReset() ? probe_.PeakGrowthMb() : 0;
    }

    // What went beyond the bounds, memory counted beyond `ownMb` (the picture's own pixels), as
    // words ("" for nothing).
    std::string Exceeded(long long ownMb = 0) const {
        char text[120];
        if (const long long millis = probe_.Millis(); millis > InputMillis) {
            std::snprintf(text, sizeof text, "it took %lld ms, more than %lld ms", millis,
                          InputMillis);
            return text;
        }
        if (const long long mb = GrowthMb(); mb > ownMb + InputGrowthMb) {
            std::snprintf(text, sizeof text, "it took %lld MB more memory, more than %lld MB", mb,
                          ownMb + InputGrowthMb);
            return text;
        }
        return {};
    }

private:
    TResourceProbe probe_;
    THeapPeak heap_;
};

} // namespace picture_rule

// Loads `bytes` into a `Picture` and, when it loaded and `wanted` takes it, draws it on the
// screen and on a page; what broke the rule of pictures, as words ("" for nothing).
template <class Picture, class Wanted>
std::string LoadAndDrawWithinRule(std::string_view bytes, Wanted wanted) {
    StartOffscreenApplication();
    const picture_rule::TInputBounds bounds;
    Picture picture;
    bool loaded = true;
    try {
        picture.LoadFromBytes(bytes);
    } catch (const EInvalidGraphic&) {
        loaded = false;
    }
    if (!loaded || picture.Empty() || !wanted(picture)) {
        return bounds.Exceeded();
    }
    const std::string broken = picture_rule::DrawWithinRectangle(picture);
    return broken.empty() ? bounds.Exceeded(picture_rule::OwnPixelsMb(picture)) : broken;
}

inline std::string LoadAndDrawMetafile(std::string_view bytes) {
    return LoadAndDrawWithinRule<TMetafile>(bytes, [](const TMetafile&) { return true; });
}
