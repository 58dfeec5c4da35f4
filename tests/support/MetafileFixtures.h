#pragma once

// Metafiles written byte by byte for the tests: a red rectangle with a black border and a thick
// blue line in a frame 200 by 100 units large, nothing drawn elsewhere. The rectangle covers
// (10, 10)-(90, 80), the line runs at y = 50 from x = 110 to x = 190, 4 units wide. Tests that
// look at pixels ask RectPixel, LinePixel and EmptyPixel for the spots of a drawn picture.

#include "platform/graphics/LittleEndian.h"

#include <QFont>
#include <QImage>
#include <QPainter>
#include <QRgb>

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace metafile_fixture {

// One Windows metafile record: its size in 16-bit words, the function, the parameters.
inline std::string WmfRecord(uint16_t function, std::initializer_list<int> params) {
    std::string r;
    WriteU32(r, static_cast<uint32_t>(3 + params.size()));
    WriteU16(r, function);
    for (int p : params) {
        WriteU16(r, static_cast<uint32_t>(p) & 0xFFFF);
    }
    return r;
}

// A record whose parameters are given as bytes (text, bitmaps), padded to whole words.
inline std::string WmfRecordBytes(uint16_t function, std::string params) {
    if (params.size() % 2) {
        params += '\0';
    }
    std::string r;
    WriteU32(r, static_cast<uint32_t>(3 + params.size() / 2));
    WriteU16(r, function);
    return r + params;
}

// The two parameter words of a colour given as 0xRRGGBB.
inline int ColourLow(uint32_t rgb) {
    return static_cast<int>((rgb >> 16 & 0xFF) | (rgb & 0xFF00));
}
inline int ColourHigh(uint32_t rgb) {
    return static_cast<int>(rgb & 0xFF);
}

// A metafile of `records` after its header, with an end record unless told otherwise; the
// header gives the object table's size and the largest record.
inline std::string WmfOf(const std::string& records, int objects = 16, bool end = true) {
    const std::string body = records + (end ? WmfRecord(0x0000, {}) : std::string());
    uint32_t largest = 3;
    for (size_t at = 0; at + 6 <= body.size();) {
        const uint32_t words = ReadU32(body, at);
        largest = std::max(largest, words);
        at += std::max<size_t>(words, 3) * 2;
    }
    std::string header;
    WriteU16(header, 1);
    WriteU16(header, 9);
    WriteU16(header, 0x300);
    WriteU32(header, static_cast<uint32_t>((18 + body.size()) / 2));
    WriteU16(header, static_cast<uint32_t>(objects));
    WriteU32(header, largest);
    WriteU16(header, 0);
    return header + body;
}

// A placeable header with the frame (left, top, right, bottom) and units per inch before
// `wmf`.
inline std::string PlaceableWmf(const std::string& wmf, int left, int top, int right, int bottom,
                                int inch) {
    std::string head;
    WriteU32(head, 0x9AC6CDD7);
    WriteU16(head, 0);
    for (int v : {left, top, right, bottom, inch}) {
        WriteU16(head, static_cast<uint32_t>(v) & 0xFFFF);
    }
    WriteU32(head, 0);
    uint16_t sum = 0;
    for (size_t i = 0; i < head.size(); i += 2) {
        sum ^= static_cast<uint16_t>(ReadU16(head, i));
    }
    WriteU16(head, sum);
    return head + wmf;
}

// A sound picture: a 100 x 100 window with a red rectangle.
inline std::string SoundWmfRecords() {
    return WmfRecord(0x020B, {0, 0}) + WmfRecord(0x020C, {100, 100}) +
           WmfRecord(0x02FC, {0, 0x00FF, 0x0000, 0}) + WmfRecord(0x012D, {0}) +
           WmfRecord(0x041B, {80, 80, 20, 20});
}

// A sound metafile exactly `size` bytes long (a whole number of words, 64 at the least): a
// document is written with it, then its bytes are swapped for others of that size.
inline std::string SoundWmfOfSize(size_t size) {
    const size_t fixed = WmfOf(SoundWmfRecords()).size() + 6;
    std::string filler;
    WriteU16(filler, 15); // an escape nobody knows, padded to the size
    filler.append(size - fixed - 2, '\0');
    return WmfOf(SoundWmfRecords() + WmfRecordBytes(0x0626, filler));
}

inline std::string WmfBody() {
    std::string records;
    records += WmfRecord(0x020B, {0, 0});                    // window origin (y, x)
    records += WmfRecord(0x020C, {100, 200});                // window extent (y, x)
    records += WmfRecord(0x02FC, {0, 0x00FF, 0x0000, 0});    // solid red brush
    records += WmfRecord(0x012D, {0});                       // select it
    records += WmfRecord(0x041B, {80, 90, 10, 10});          // rectangle (bottom, right, top, left)
    records += WmfRecord(0x02FA, {0, 4, 0, 0x0000, 0x00FF}); // solid blue pen, 4 wide
    records += WmfRecord(0x012D, {1});
    records += WmfRecord(0x0214, {50, 110}); // move to (y, x)
    records += WmfRecord(0x0213, {50, 190}); // line to (y, x)
    records += WmfRecord(0x01F0, {0});       // delete the brush
    return WmfOf(records, 2);                // two objects, then the end record
}

// With the placeable header the 200 x 100 units are given `inch` units per inch (192: 100
// by 50 screen pixels); without it the metafile has only its window records. The header's
// frame may differ from the window, as documents written elsewhere give it in their own
// units.
inline std::string Wmf(bool placeable, int inch = 192, int frameWidth = 200,
                       int frameHeight = 100) {
    return placeable ? PlaceableWmf(WmfBody(), 0, 0, frameWidth, frameHeight, inch) : WmfBody();
}

inline std::string EmfRecord(uint32_t type, std::initializer_list<int32_t> values) {
    std::string r;
    WriteU32(r, type);
    WriteU32(r, static_cast<uint32_t>(8 + 4 * values.size()));
    for (int32_t v : values) {
        WriteU32(r, static_cast<uint32_t>(v));
    }
    return r;
}

// An enhanced metafile of `records` (`count` of them, the end record included) in a frame of
// `width` x `height` device units, 96 to the inch (screen pixels).
inline std::string EmfOf(const std::string& records, uint32_t count, int32_t width = 200,
                         int32_t height = 100) {
    std::string header;
    WriteU32(header, 1);
    WriteU32(header, 88);
    // Bounds, frame (0.01 mm).
    for (int32_t v : {0, 0, width - 1, height - 1, 0, 0, width * 2646 / 100, height * 2646 / 100}) {
        WriteU32(header, static_cast<uint32_t>(v));
    }
    WriteU32(header, 0x464D4520);
    WriteU32(header, 0x10000);
    WriteU32(header, static_cast<uint32_t>(88 + records.size()));
    WriteU32(header, count);
    WriteU16(header, 3); // handles
    WriteU16(header, 0);
    for (int32_t v : {0, 0, 0, 1024, 768, 270, 203}) {
        WriteU32(header, static_cast<uint32_t>(v));
    }
    return header + records;
}

// The rectangle and the line, 200 x 100 device units; the frame is 200 x 100 screen pixels.
inline std::string Emf() {
    std::string records;
    records += EmfRecord(39, {1, 0, 0x000000FF, 0}); // solid red brush
    records += EmfRecord(37, {1});                   // select it
    records += EmfRecord(43, {10, 10, 90, 80});      // rectangle
    // A geometric blue pen 4 wide, then the line.
    records += EmfRecord(95, {2, 0, 0, 0, 0, 0x10000, 4, 0, 0x00FF0000, 0, 0});
    records += EmfRecord(37, {2});
    records += EmfRecord(27, {110, 50});   // move to
    records += EmfRecord(54, {190, 50});   // line to
    records += EmfRecord(14, {0, 16, 20}); // end
    return EmfOf(records, 9);
}

// One line of black text, "Hello" in Arial 40 pixels high from (20, 30), given as the glyph
// indices of the font rather than as characters, as Windows programs often write their text.
inline std::string EmfGlyphText() {
    std::string font;
    WriteU32(font, 82); // a font, from its logical description
    WriteU32(font, 104);
    WriteU32(font, 1);                      // its handle
    for (int32_t v : {-40, 0, 0, 0, 400}) { // height, width, escapement, orientation, weight
        WriteU32(font, static_cast<uint32_t>(v));
    }
    font.append(8, '\0'); // italic ... pitch and family
    for (char c : std::string("Arial")) {
        WriteU16(font, static_cast<uint8_t>(c));
    }
    font.resize(104, '\0');

    const uint16_t glyphs[] = {43, 72, 79, 79, 82}; // H e l l o
    std::string text;
    WriteU32(text, 84); // wide text
    WriteU32(text, 108);
    for (int32_t v : {0, 0, -1, -1, 1, 0, 0}) { // bounds, graphics mode, x and y scale
        WriteU32(text, static_cast<uint32_t>(v));
    }
    // Reference point, characters, where they are, glyph indices, clip, where the advances are.
    for (int32_t v : {20, 30, 5, 76, 0x10, 0, 0, -1, -1, 88}) {
        WriteU32(text, static_cast<uint32_t>(v));
    }
    for (uint16_t g : glyphs) {
        WriteU16(text, g);
    }
    WriteU16(text, 0);
    for (int32_t advance : {29, 22, 9, 9, 22}) {
        WriteU32(text, static_cast<uint32_t>(advance));
    }
    std::string records = font + EmfRecord(37, {1}) + EmfRecord(24, {0}) + // black text
                          EmfRecord(18, {1}) +                             // no background
                          text + EmfRecord(14, {0, 16, 20});
    return EmfOf(records, 7);
}

// Text drawn in several fonts, some of them missing and some characters found only in
// others, as the program draws its windows and notes: the font library then holds the fonts it
// found for them.
inline void DrawTextInSeveralFonts() {
    QImage image(400, 60, QImage::Format_RGB32);
    QPainter painter(&image);
    for (const char* family :
         {"Arial", "Times New Roman", "Courier New", "MS Sans Serif", "Symbol", "Wingdings"}) {
        painter.setFont(QFont(family, 12));
        painter.drawText(10, 40, QString::fromUtf8("Notes \u041f\u0440\u0438 \u65e5\u672c \u2603"));
    }
}

// Where to look in a picture drawn over (left, top, width, height).
struct TDrawn {
    int Left, Top, Width, Height;
    int X(double fraction) const { return Left + static_cast<int>(fraction * Width); }
    int Y(double fraction) const { return Top + static_cast<int>(fraction * Height); }
};

inline bool IsRed(QRgb p) {
    return qRed(p) > 200 && qGreen(p) < 60 && qBlue(p) < 60;
}

inline bool IsBlue(QRgb p) {
    return qBlue(p) > 200 && qRed(p) < 60 && qGreen(p) < 60;
}

// The rectangle's inside, the middle of the line, and a spot where nothing is drawn.
inline QRgb RectPixel(const QImage& image, TDrawn d) {
    return image.pixel(d.X(0.25), d.Y(0.45));
}

inline QRgb LinePixel(const QImage& image, TDrawn d) {
    return image.pixel(d.X(0.75), d.Y(0.5));
}

inline QRgb EmptyPixel(const QImage& image, TDrawn d) {
    return image.pixel(d.X(0.75), d.Y(0.2));
}

} // namespace metafile_fixture
