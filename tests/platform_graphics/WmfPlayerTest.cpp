// Windows metafiles played by our own player: the records word processors write, built byte
// by byte, drawn on the screen (through the kept bitmap) and on a 300-dpi page (played
// straight onto the surface), looked at pixel by pixel; and a drawing LibreOffice wrote as WMF
// and as EMF, drawn alike.
#include "Surface.h"

#include "platform/graphics/Metafile.h"
#include "tests/support/MetafileFixtures.h"
#include "tests/support/TempDir.h"

#include "tests/support/ResourceProbe.h"

#include <gtest/gtest.h>

#include <QPainter>

#include <functional>

using namespace metafile_fixture;

namespace {

constexpr uint32_t Khaki = 0xFFE08A;
constexpr uint32_t Crimson = 0xCC2222;
constexpr uint32_t Navy = 0x003399;
const QRgb White = qRgb(255, 255, 255);

QRgb Rgb(uint32_t rgb) {
    return qRgb(rgb >> 16 & 0xFF, rgb >> 8 & 0xFF, rgb & 0xFF);
}

std::string Window(int width, int height) {
    return WmfRecord(0x020B, {0, 0}) + WmfRecord(0x020C, {height, width});
}
std::string Brush(uint32_t rgb, int style = 0, int hatch = 0) {
    return WmfRecord(0x02FC, {style, ColourLow(rgb), ColourHigh(rgb), hatch});
}
std::string Pen(uint32_t rgb, int width, int style = 0) {
    return WmfRecord(0x02FA, {style, width, 0, ColourLow(rgb), ColourHigh(rgb)});
}
std::string Select(int index) {
    return WmfRecord(0x012D, {index});
}
std::string Delete(int index) {
    return WmfRecord(0x01F0, {index});
}
std::string Rectangle(int left, int top, int right, int bottom) {
    return WmfRecord(0x041B, {bottom, right, top, left});
}
// No pen in slot 0 and a solid brush of `rgb` in slot 1, both selected.
std::string Fill(uint32_t rgb) {
    return Pen(0, 0, 5) + Select(0) + Brush(rgb) + Select(1);
}
std::string Colour(uint16_t function, uint32_t rgb) {
    return WmfRecord(function, {ColourLow(rgb), ColourHigh(rgb)});
}
// A font `height` units high in slot `slot`, selected.
std::string Font(int slot, int height, int weight = 400, std::string flags = std::string(8, '\0'),
                 int escapement = 0, const std::string& face = "Arial") {
    std::string p;
    for (int v : {height, 0, escapement, escapement, weight}) {
        WriteU16(p, static_cast<uint32_t>(v));
    }
    return WmfRecordBytes(0x02FB, p + flags + face + '\0') + Select(slot);
}
std::string TextOut(int x, int y, const std::string& text) {
    std::string p;
    WriteU16(p, static_cast<uint32_t>(text.size()));
    p += text + (text.size() % 2 ? "\0" : "");
    p.resize(2 + (text.size() + 1) / 2 * 2);
    WriteU16(p, static_cast<uint32_t>(y));
    WriteU16(p, static_cast<uint32_t>(x));
    return WmfRecordBytes(0x0521, p);
}
// A 24-bit bitmap of rows given top row first, stored bottom-up.
std::string Dib(const std::vector<std::vector<uint32_t>>& rows) {
    const uint32_t width = static_cast<uint32_t>(rows[0].size());
    std::string dib;
    for (uint32_t v : {40u, width, static_cast<uint32_t>(rows.size())}) {
        WriteU32(dib, v);
    }
    WriteU16(dib, 1);
    WriteU16(dib, 24);
    for (int i = 0; i < 6; ++i) {
        WriteU32(dib, 0);
    }
    for (auto row = rows.rbegin(); row != rows.rend(); ++row) {
        const size_t start = dib.size();
        for (uint32_t rgb : *row) {
            dib += {static_cast<char>(rgb & 0xFF), static_cast<char>(rgb >> 8 & 0xFF),
                    static_cast<char>(rgb >> 16 & 0xFF)};
        }
        dib.append((4 - (dib.size() - start) % 4) % 4, '\0');
    }
    return dib;
}
std::string Words(std::initializer_list<int> words) {
    std::string p;
    for (int v : words) {
        WriteU16(p, static_cast<uint32_t>(v));
    }
    return p;
}

// A metafile of a `size` x `size` window drawn over a surface `scale` pixels a unit: 1 on the
// screen, 3 on a 300-dpi page.
struct TPlayed {
    QImage Image;
    double Scale;
    QRgb At(double x, double y) const {
        return Image.pixel(static_cast<int>((x + 0.5) * Scale),
                           static_cast<int>((y + 0.5) * Scale));
    }
};

// The picture stretched over a white surface `width` by `height` pixels large: the screen's
// (drawn through the kept bitmap) or a 300-dpi page's (played straight onto it).
QImage DrawnOn(const TMetafile& metafile, int width, int height, bool printer) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(White);
    if (printer) {
        QPainter painter(&image);
        TQtCanvas canvas(&painter, TSize{width, height}, 300, 300);
        canvas.StretchDraw(Rect(0, 0, width, height), metafile);
    } else {
        TQtCanvas canvas(&image);
        canvas.StretchDraw(Rect(0, 0, width, height), metafile);
    }
    return image;
}

TPlayed Play(const std::string& records, bool printer, int width = 100, int height = 100) {
    TMetafile metafile;
    metafile.LoadFromBytes(WmfOf(Window(width, height) + records));
    const double scale = printer ? 3 : 1;
    return {DrawnOn(metafile, static_cast<int>(width * scale), static_cast<int>(height * scale),
                    printer),
            scale};
}

// Runs `check` on the picture drawn on both surfaces.
void OnBoth(const std::string& records, const std::function<void(const TPlayed&)>& check) {
    for (bool printer : {false, true}) {
        SCOPED_TRACE(printer ? "300-dpi page" : "screen");
        check(Play(records, printer));
    }
}

// The box of the pixels that pass `test`, in units of the window.
QRectF Ink(const TPlayed& p, const std::function<bool(QRgb)>& test) {
    QRect box;
    for (int y = 0; y < p.Image.height(); ++y) {
        for (int x = 0; x < p.Image.width(); ++x) {
            if (test(p.Image.pixel(x, y))) {
                box |= QRect(x, y, 1, 1);
            }
        }
    }
    return QRectF(box.left() / p.Scale, box.top() / p.Scale, box.width() / p.Scale,
                  box.height() / p.Scale);
}

int Count(const TPlayed& p, const std::function<bool(QRgb)>& test) {
    return CountPixels(p.Image, p.Image.rect(), test);
}

} // namespace

TEST(WmfPlayer, ColoursArePlayedExactly) {
    const std::string records = Fill(Khaki) + Rectangle(0, 0, 30, 30) + Brush(Crimson) + Select(2) +
                                Rectangle(30, 0, 60, 30) + Brush(Navy) + Select(3) +
                                Rectangle(60, 0, 90, 30) + Pen(0x123456, 4) + Select(4) +
                                WmfRecord(0x0214, {60, 10}) + WmfRecord(0x0213, {60, 90});
    OnBoth(records, [](const TPlayed& p) {
        EXPECT_EQ(p.At(15, 15), Rgb(Khaki));
        EXPECT_EQ(p.At(45, 15), Rgb(Crimson));
        EXPECT_EQ(p.At(75, 15), Rgb(Navy));
        EXPECT_EQ(p.At(50, 60), Rgb(0x123456));
        EXPECT_EQ(p.At(50, 50), White);
    });
}

TEST(WmfPlayer, PensHaveTheirStyleWidthOrNone) {
    const std::string records =
        Fill(Crimson) + Rectangle(10, 10, 40, 40) +                 // no pen: filled to the edge
        Pen(0, 1) + Select(2) + Rectangle(50, 10, 90, 40) +         // a black outline
        Pen(Navy, 6) + Select(3) + WmfRecord(0x0214, {60, 10}) +    // 6 units wide
        WmfRecord(0x0213, {60, 90}) + Pen(Navy, 1, 1) + Select(4) + // dashed
        WmfRecord(0x0214, {80, 10}) + WmfRecord(0x0213, {80, 90});
    OnBoth(records, [](const TPlayed& p) {
        EXPECT_EQ(p.At(10, 10), Rgb(Crimson));
        EXPECT_EQ(p.At(9, 9), White);
        EXPECT_EQ(p.At(50, 25), qRgb(0, 0, 0));
        EXPECT_EQ(p.At(70, 25), Rgb(Crimson));
        EXPECT_EQ(p.At(50, 58), Rgb(Navy));
        EXPECT_EQ(p.At(50, 62), Rgb(Navy));
        EXPECT_EQ(p.At(50, 55), White);
        EXPECT_EQ(p.At(50, 65), White);
    });
    // The dashes of a one-pixel pen leave gaps.
    const TPlayed screen = Play(records, false);
    int on = 0;
    for (int x = 10; x < 90; ++x) {
        on += screen.At(x, 80) == Rgb(Navy) ? 1 : 0;
    }
    EXPECT_GT(on, 40);
    EXPECT_LT(on, 75);
}

TEST(WmfPlayer, BrushesAreSolidHatchedPatternedOrNone) {
    const std::string pattern =
        WmfRecordBytes(0x0142, Words({5, 0}) + Dib({{0xFF0000, 0x0000FF}, {0x0000FF, 0xFF0000}}));
    const std::string records =
        Pen(0, 0, 5) + Select(0) + Colour(0x0201, 0xFFFF00) +         // yellow background
        Brush(0x00AA00, 2, 0) + Select(1) + Rectangle(0, 0, 40, 40) + // hatched, opaque
        WmfRecord(0x0102, {1}) + Rectangle(50, 0, 90, 40) +           // hatched, transparent
        Brush(0, 1) + Select(2) + Rectangle(0, 50, 40, 90) +          // none
        pattern + Select(3) + Rectangle(50, 50, 90, 90);              // the pattern
    OnBoth(records, [](const TPlayed& p) {
        auto green = [](QRgb c) { return c == qRgb(0, 0xAA, 0); };
        auto yellow = [](QRgb c) { return c == qRgb(255, 255, 0); };
        auto white = [](QRgb c) { return c == qRgb(255, 255, 255); };
        const QRect opaque(0, 0, static_cast<int>(40 * p.Scale), static_cast<int>(40 * p.Scale));
        const QRect transparent = opaque.translated(static_cast<int>(50 * p.Scale), 0);
        EXPECT_GT(CountPixels(p.Image, opaque, green), 0);
        EXPECT_GT(CountPixels(p.Image, opaque, yellow), opaque.width() * opaque.height() / 2);
        EXPECT_EQ(CountPixels(p.Image, opaque, white), 0);
        EXPECT_GT(CountPixels(p.Image, transparent, green), 0);
        EXPECT_EQ(CountPixels(p.Image, transparent, yellow), 0);
        EXPECT_EQ(p.At(20, 70), White);
        // The pattern lies on the device's pixels.
        const int x = static_cast<int>(70 * p.Scale);
        const int y = static_cast<int>(70 * p.Scale);
        for (int dy = 0; dy < 2; ++dy) {
            for (int dx = 0; dx < 2; ++dx) {
                const bool red = (x + dx) % 2 == (y + dy) % 2;
                EXPECT_EQ(p.Image.pixel(x + dx, y + dy), red ? qRgb(255, 0, 0) : qRgb(0, 0, 255));
            }
        }
    });
}

TEST(WmfPlayer, WindowViewportAndMappingModes) {
    struct TCase {
        const char* Name;
        std::string Records;
        QRect Drawn; // in pixels of the 100 x 100 window
    };
    const TCase cases[] = {
        {"viewport origin", WmfRecord(0x020D, {0, 50}) + Rectangle(0, 0, 20, 20), {50, 0, 20, 20}},
        {"viewport extent",
         WmfRecord(0x020E, {50, 50}) + Rectangle(0, 0, 100, 100),
         {0, 0, 50, 50}},
        {"window extent scaled",
         WmfRecord(0x0410, {1, 2, 1, 2}) + Rectangle(0, 0, 100, 100),
         {0, 0, 50, 50}},
        {"window origin offset",
         WmfRecord(0x020F, {0, -50}) + Rectangle(0, 0, 20, 20),
         {50, 0, 20, 20}},
        {"text mode ignores extents",
         WmfRecord(0x0103, {1}) + WmfRecord(0x020C, {200, 200}) + Rectangle(0, 0, 50, 50),
         {0, 0, 50, 50}},
        {"isotropic",
         WmfRecord(0x0103, {7}) + WmfRecord(0x020C, {100, 200}) + Rectangle(0, 0, 100, 100),
         {0, 0, 50, 50}},
        {"extent of zero refused",
         WmfRecord(0x020C, {0, 0}) + Rectangle(0, 0, 20, 20),
         {0, 0, 20, 20}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        OnBoth(Fill(Crimson) + c.Records, [&](const TPlayed& p) {
            EXPECT_EQ(Ink(p, [](QRgb x) { return x == Rgb(Crimson); }), QRectF(c.Drawn));
        });
    }
    // A window whose y axis points up: its bottom is the picture's top.
    TMetafile upward;
    upward.LoadFromBytes(WmfOf(WmfRecord(0x020B, {100, 0}) + WmfRecord(0x020C, {-100, 100}) +
                               Fill(Crimson) + Rectangle(10, 10, 30, 30)));
    Surface s(100, 100);
    s.Canvas.StretchDraw(Rect(0, 0, 100, 100), upward);
    EXPECT_EQ(s.Pixel(20, 80), Rgb(Crimson));
    EXPECT_EQ(s.Pixel(20, 20), White);
}

TEST(WmfPlayer, SavedStatesAndTheObjectTable) {
    const std::string records =
        Fill(Crimson) + WmfRecord(0x001E, {}) + Brush(Navy) + Select(2) +
        WmfRecord(0x0416, {100, 50, 0, 0}) + WmfRecord(0x0127, {-1}) +     // clip and brush go back
        Select(99) + Select(7) + Rectangle(0, 0, 100, 50) +                // no such objects
        Delete(1) + Brush(Khaki) + Select(1) + Rectangle(0, 50, 50, 100) + // the freed slot
        Brush(0x00AA00) + Brush(0xFF00FF) + Select(3) + Select(4) + Rectangle(50, 50, 100, 100);
    // Four slots: slot 3 gets the first green brush, the second finds the table full.
    TMetafile metafile;
    metafile.LoadFromBytes(WmfOf(Window(100, 100) + records, 4));
    Surface s(100, 100);
    s.Canvas.StretchDraw(Rect(0, 0, 100, 100), metafile);
    EXPECT_EQ(s.Pixel(75, 25), Rgb(Crimson));
    EXPECT_EQ(s.Pixel(25, 75), Rgb(Khaki));
    EXPECT_EQ(s.Pixel(75, 75), qRgb(0, 0xAA, 0));
}

TEST(WmfPlayer, FiguresFillTheirShapes) {
    const std::string records =
        Fill(Crimson) + WmfRecord(0x0418, {50, 50, 10, 10}) +    // ellipse
        WmfRecord(0x061C, {20, 20, 40, 90, 10, 60}) +            // rounded
        WmfRecord(0x081A, {60, 30, 80, 50, 100, 50, 60, 10}) +   // pie
        WmfRecord(0x0830, {60, 80, 80, 100, 100, 100, 60, 60}) + // chord
        WmfRecord(0x0538, {2, 4, 4, 0, 45, 20, 45, 20, 55, 0, 55, 10, 40, 30, 40, 30, 58, 10, 58});
    OnBoth(records, [](const TPlayed& p) {
        const QRgb red = Rgb(Crimson);
        EXPECT_EQ(p.At(30, 30), red);
        EXPECT_EQ(p.At(12, 12), White);
        EXPECT_EQ(p.At(75, 25), red);
        EXPECT_EQ(p.At(61, 11), White);
        EXPECT_EQ(p.At(75, 11), red);
        EXPECT_EQ(p.At(40, 70), red); // the pie's quarter
        EXPECT_EQ(p.At(20, 90), White);
        EXPECT_EQ(p.At(93, 67), red); // the chord's segment
        EXPECT_EQ(p.At(75, 85), White);
        // Alternate filling leaves the overlap of the two squares empty.
        EXPECT_EQ(p.At(5, 50), red);
        EXPECT_EQ(p.At(15, 50), White);
    });
    // Filled by winding, the overlap is filled too.
    EXPECT_EQ(Play(WmfRecord(0x0106, {2}) + records, false).At(15, 50), Rgb(Crimson));
    // Lines: an arc, a polyline and a line from the current position.
    const std::string lines = Pen(0, 1) + Select(0) +
                              WmfRecord(0x0817, {80, 0, 80, 100, 100, 100, 60, 60}) +
                              WmfRecord(0x0325, {2, 10, 20, 90, 20}) + WmfRecord(0x0214, {30, 10}) +
                              WmfRecord(0x0213, {30, 90});
    OnBoth(lines, [](const TPlayed& p) {
        EXPECT_EQ(p.At(80, 60), qRgb(0, 0, 0));
        EXPECT_EQ(p.At(80, 99), White); // the arc's lower half is not drawn
        EXPECT_EQ(p.At(50, 20), qRgb(0, 0, 0));
        EXPECT_EQ(p.At(50, 30), qRgb(0, 0, 0));
        EXPECT_EQ(p.At(50, 25), White);
    });
}

TEST(WmfPlayer, TextHasItsColourAlignmentAndBackground) {
    auto white = [](QRgb c) { return c == qRgb(255, 255, 255); };
    auto black = [](QRgb c) { return c == qRgb(0, 0, 0); };
    const std::string dark = Fill(0) + Rectangle(0, 0, 200, 100) + Font(2, -40) +
                             Colour(0x0209, 0xFFFFFF) + WmfRecord(0x0102, {1});
    struct TCase {
        const char* Name;
        int Align;
        std::function<void(const QRectF&)> Check;
    };
    const TCase cases[] = {
        {"baseline", 24,
         [](const QRectF& ink) {
             EXPECT_NEAR(ink.bottom(), 70, 1.5);
             EXPECT_NEAR(ink.top(), 70 - 29, 3);
             EXPECT_NEAR(ink.left(), 100, 5);
         }},
        {"top", 0, [](const QRectF& ink) { EXPECT_NEAR(ink.top(), 70 + 7, 3); }},
        {"bottom", 8, [](const QRectF& ink) { EXPECT_NEAR(ink.bottom(), 70 - 9, 3); }},
        {"right", 24 | 2, [](const QRectF& ink) { EXPECT_NEAR(ink.right(), 100, 5); }},
        {"centre", 24 | 6, [](const QRectF& ink) { EXPECT_NEAR(ink.center().x(), 100, 3); }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        for (bool printer : {false, true}) {
            const TPlayed p = Play(dark + WmfRecord(0x012E, {c.Align}) + TextOut(100, 70, "HH"),
                                   printer, 200, 100);
            EXPECT_EQ(Count(p, black) + Count(p, white) >
                          p.Image.width() * p.Image.height() * 3 / 4,
                      true);
            c.Check(Ink(p, white));
        }
    }
    // The current position: two pieces follow each other, and the second starts where the
    // first ended.
    const TPlayed apart =
        Play(dark + WmfRecord(0x012E, {24}) + TextOut(20, 70, "H") + TextOut(20, 70, "H"), false,
             200, 100);
    const TPlayed joined = Play(dark + WmfRecord(0x012E, {25}) + WmfRecord(0x0214, {70, 20}) +
                                    TextOut(0, 0, "H") + TextOut(0, 0, "H"),
                                false, 200, 100);
    EXPECT_NEAR(Ink(joined, white).width(), 2 * Ink(apart, white).width() + 5, 6);
    EXPECT_NEAR(Ink(joined, white).left(), 20, 5);
    // An opaque background fills the text's cells with the background colour.
    const std::string opaque =
        dark + WmfRecord(0x0102, {2}) + Colour(0x0201, 0xFFFF00) + TextOut(20, 20, "H");
    EXPECT_GT(Count(Play(opaque, false, 200, 100), [](QRgb c) { return c == qRgb(255, 255, 0); }),
              200);
}

TEST(WmfPlayer, FontsHaveTheirWeightStylesEscapementAndCharset) {
    auto ink = [](QRgb c) { return qGray(c) < 128; };
    auto text = [](const std::string& font, const std::string& what = "HH") {
        return Play(Font(0, -40, 400) + font + WmfRecord(0x012E, {24}) + TextOut(60, 60, what),
                    false, 200, 100);
    };
    const std::string flags(8, '\0');
    auto with = [&](size_t at, char value) {
        std::string f = flags;
        f[at] = value;
        return f;
    };
    const TPlayed normal = text(Font(1, -40, 400));
    const int plain = Count(normal, ink);
    EXPECT_GT(Count(text(Font(1, -40, 700)), ink), plain * 6 / 5);
    EXPECT_GT(Ink(text(Font(1, -40, 400, with(1, 1))), ink).bottom(), 62); // underlined
    EXPECT_LT(Ink(normal, ink).bottom(), 61);
    EXPECT_GT(Count(text(Font(1, -40, 400, with(2, 1)), "II"), ink),
              Count(text(Font(1, -40, 400), "II"), ink) + 10);          // struck out
    EXPECT_NE(text(Font(1, -40, 400, with(0, 1))).Image, normal.Image); // italic
    // Turned a quarter counterclockwise: upwards from the reference point, the baseline on
    // the right.
    const QRectF turned =
        Ink(Play(Font(0, -20, 400, flags, 900) + WmfRecord(0x012E, {24}) + TextOut(100, 95, "HHHH"),
                 false, 200, 100),
            ink);
    EXPECT_GT(turned.height(), turned.width() * 2);
    EXPECT_LE(turned.bottom(), 96);
    EXPECT_LE(turned.right(), 101);
    // Byte 0xC0 is a Cyrillic A in the Russian charset, an A with a grave accent otherwise.
    const TPlayed cyrillic = text(Font(1, -40, 400, with(3, static_cast<char>(204))), "\xC0");
    EXPECT_EQ(cyrillic.Image, text(Font(1, -40, 400), "A").Image);
    EXPECT_NE(cyrillic.Image, text(Font(1, -40, 400), "\xC0").Image);
}

TEST(WmfPlayer, ExtTextOutFillsClipsAndSpacesAsTold) {
    auto ink = [](QRgb c) { return qGray(c) < 128; };
    auto ext = [](int options, std::initializer_list<int> rect, const std::string& text,
                  std::initializer_list<int> dx) {
        std::string p = Words({60, 10, static_cast<int>(text.size()), options}) + Words(rect) +
                        text + std::string(text.size() % 2, '\0') + Words(dx);
        return Font(0, -40) + WmfRecord(0x012E, {24}) + WmfRecord(0x0102, {1}) +
               Colour(0x0201, 0x00AA00) + WmfRecordBytes(0x0A32, p);
    };
    // Filled with the background colour though the background mode is transparent.
    const TPlayed filled = Play(ext(2, {10, 10, 60, 40}, "", {}), false, 200, 100);
    EXPECT_EQ(Ink(filled, [](QRgb c) { return c == qRgb(0, 0xAA, 0); }), QRectF(10, 10, 50, 30));
    // Clipped to the rectangle.
    const TPlayed clipped = Play(ext(4, {0, 0, 40, 100}, "HHHHHH", {}), false, 200, 100);
    EXPECT_LE(Ink(clipped, ink).right(), 40);
    EXPECT_GT(Count(clipped, ink), 50);
    // The advances place each character.
    const TPlayed spaced = Play(ext(0, {}, "HH", {120, 30}), false, 200, 100);
    EXPECT_GT(Ink(spaced, ink).right(), 150);
    EXPECT_EQ(CountPixels(spaced.Image, QRect(60, 0, 60, 100), ink), 0);
}

TEST(WmfPlayer, BitmapsAndBlockFills) {
    const std::string dib = Dib({{0xFF0000, 0x00FF00}, {0x0000FF, 0xFFFF00}});
    const std::string records =
        // Stretched, then stretched mirrored (its width negative).
        WmfRecordBytes(0x0F43, Words({0x0020, 0x00CC, 0, 2, 2, 0, 0, 40, 40, 10, 10}) + dib) +
        WmfRecordBytes(0x0F43, Words({0x0020, 0x00CC, 0, 2, 2, 0, 0, 40, -40, 10, 90}) + dib) +
        // One source pixel counted from the bottom row, stretched.
        WmfRecordBytes(0x0B41, Words({0x0020, 0x00CC, 1, 1, 0, 1, 20, 20, 60, 10}) + dib) +
        // Copied, and set onto the device, 2 x 2 units.
        WmfRecordBytes(0x0940, Words({0x0020, 0x00CC, 0, 0, 2, 2, 60, 40}) + dib) +
        WmfRecordBytes(0x0D33, Words({0, 2, 0, 0, 0, 2, 2, 60, 50}) + dib) +
        // Blocks: the brush, the surface inverted, and a bitmap ANDed over it.
        Brush(Navy) + Select(0) + WmfRecord(0x061D, {0x0021, 0x00F0, 10, 100, 90, 0}) +
        WmfRecord(0x061D, {0x0009, 0x0055, 10, 20, 90, 0}) +
        WmfRecordBytes(0x0F43,
                       Words({0x00C6, 0x0088, 0, 1, 1, 0, 0, 10, 20, 90, 30}) + Dib({{0x00FF00}}));
    OnBoth(records, [](const TPlayed& p) {
        EXPECT_EQ(p.At(20, 20), qRgb(255, 0, 0));
        EXPECT_EQ(p.At(40, 20), qRgb(0, 255, 0));
        EXPECT_EQ(p.At(20, 40), qRgb(0, 0, 255));
        EXPECT_EQ(p.At(40, 40), qRgb(255, 255, 0));
        EXPECT_EQ(p.At(60, 20), qRgb(0, 255, 0)); // mirrored
        EXPECT_EQ(p.At(80, 20), qRgb(255, 0, 0));
        EXPECT_EQ(p.At(20, 70), qRgb(255, 255, 0));
        EXPECT_EQ(p.At(40, 60), qRgb(255, 0, 0));
        EXPECT_EQ(p.At(41, 61), qRgb(255, 255, 0));
        EXPECT_EQ(p.At(50, 60), qRgb(255, 0, 0));
        EXPECT_EQ(p.At(51, 60), qRgb(0, 255, 0));
        EXPECT_EQ(p.At(70, 95), Rgb(Navy));
        EXPECT_EQ(p.At(10, 95), qRgb(0xFF, 0xCC, 0x66)); // inverted
        EXPECT_EQ(p.At(40, 95), qRgb(0, 0x33, 0));       // green ANDed over navy
    });
}

TEST(WmfPlayer, ClipRectanglesAndPenModes) {
    const std::string clip =
        Fill(Crimson) + WmfRecord(0x001E, {}) + WmfRecord(0x0416, {80, 80, 20, 20}) +
        WmfRecord(0x0415, {60, 60, 40, 40}) + Rectangle(0, 0, 100, 100) + WmfRecord(0x0127, {-1}) +
        Brush(Navy) + Select(2) + Rectangle(0, 0, 10, 10);
    OnBoth(clip, [](const TPlayed& p) {
        EXPECT_EQ(p.At(15, 50), White);
        EXPECT_EQ(p.At(30, 30), Rgb(Crimson));
        EXPECT_EQ(p.At(50, 50), White);
        EXPECT_EQ(p.At(5, 5), Rgb(Navy)); // the clip came back with the saved state
    });
    // Pen modes: nothing, black, white, the inverse, and XOR twice (nothing left). Escapes,
    // palettes and records nobody knows are skipped on the way.
    const std::string modes =
        Fill(Crimson) + Rectangle(0, 80, 100, 100) + WmfRecord(0x0104, {11}) +
        Rectangle(0, 0, 20, 20) + WmfRecord(0x0104, {1}) + Rectangle(20, 0, 40, 20) +
        WmfRecord(0x0626, {15, 4, 0, 0}) + WmfRecord(0x0999, {1, 2, 3}) + WmfRecord(0x0035, {}) +
        WmfRecord(0x0104, {16}) + Rectangle(0, 80, 20, 100) + WmfRecord(0x0104, {4}) +
        Rectangle(40, 0, 60, 20) + WmfRecord(0x0104, {7}) + Rectangle(60, 0, 80, 20) +
        Rectangle(60, 0, 80, 20);
    OnBoth(modes, [](const TPlayed& p) {
        EXPECT_EQ(p.At(10, 10), White);
        EXPECT_EQ(p.At(30, 10), qRgb(0, 0, 0));
        EXPECT_EQ(p.At(10, 90), White);
        EXPECT_EQ(p.At(50, 10), qRgb(0x33, 0xDD, 0xDD));
        EXPECT_EQ(p.At(70, 10), White);
        EXPECT_EQ(p.At(50, 90), Rgb(Crimson));
    });
}

// A drawing made in LibreOffice Draw (tests/fixtures/graphics/shapes-and-text.fodg) and saved
// as WMF and as EMF: a khaki rectangle, a crimson ellipse, a navy frame filled navy with white
// bold text "TW" on it, on an 80 x 50 mm page. Both are drawn with the file's colours and the
// text's white at its baseline (y = 30.44 mm), not below it.
TEST(WmfPlayer, ALibreOfficeDrawingLooksAsItsEnhancedTwin) {
    for (const char* file : {"shapes-and-text.wmf", "shapes-and-text.emf"}) {
        SCOPED_TRACE(file);
        TMetafile metafile;
        metafile.LoadFromBytes(ReadFileBytes(FixturePath(std::string("graphics/") + file)));
        for (bool printer : {false, true}) {
            SCOPED_TRACE(printer ? "300-dpi page" : "screen");
            // 0.1 pixel a hundredth of a millimetre on the screen, 0.3 on the page.
            const double scale = printer ? 0.3 : 0.1;
            const QImage image = DrawnOn(metafile, static_cast<int>(8000 * scale),
                                         static_cast<int>(5000 * scale), printer);
            auto at = [&](int x, int y) {
                return image.pixel(static_cast<int>(x * scale), static_cast<int>(y * scale));
            };
            EXPECT_EQ(at(800, 4200), Rgb(Khaki));
            EXPECT_EQ(at(2250, 2000), Rgb(Crimson));
            EXPECT_EQ(at(4000, 2000), Rgb(Navy)); // the frame's edge
            EXPECT_EQ(at(4300, 3700), Rgb(Navy));
            // White text in the 6 mm above the baseline, over the width of "TW", none below.
            auto band = [&](int top, int bottom) {
                const QRect area(
                    QPoint(static_cast<int>(4800 * scale), static_cast<int>(top * scale)),
                    QPoint(static_cast<int>(5900 * scale), static_cast<int>(bottom * scale)));
                return CountPixels(image, area, [](QRgb c) { return c == qRgb(255, 255, 255); });
            };
            EXPECT_GT(band(2440, 3000), static_cast<int>(20000 * scale * scale));
            EXPECT_GT(band(2990, 3030), 0);
            EXPECT_EQ(band(3080, 3900), 0);
        }
    }
}

TEST(WmfPlayer, APlayThatWouldTakeLongStopsWithinItsTime) {
    // 300,000 rectangles over the whole picture: a minute of filling, cut short. A picture that
    // cannot be drawn within its time is shown as its frame, not as the part drawn so far.
    std::string records = Fill(Crimson);
    for (int i = 0; i < 300000; ++i) {
        records += Rectangle(0, 0, 100, 100);
    }
    TMetafile metafile;
    metafile.LoadFromBytes(WmfOf(Window(100, 100) + records));
    Surface s(400, 300);
    // Its time is CPU time, which a busy machine does not stretch.
    const TResourceProbe probe;
    s.Canvas.StretchDraw(Rect(0, 0, 400, 300), metafile);
    EXPECT_LT(probe.CpuMillis(), 2000);
    EXPECT_EQ(s.Pixel(0, 0), qRgb(128, 128, 128));
    // Above the word of a picture given up.
    EXPECT_EQ(s.Pixel(200, 75), qRgb(255, 255, 255));
}
