// The text records of a Windows metafile: TextOut and ExtTextOut, placed by the text
// alignment (left, right or centred on the reference point; its top, bottom or baseline),
// with the text colour, the background mode, the font's escapement and the advances the
// record gives.
#include "platform/graphics/WmfPlayback.h"

#include "platform/graphics/Font.h"
#include "platform/graphics/QtCanvas.h"

#include <QFontMetricsF>
#include <QPaintDevice>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {

constexpr uint32_t AlignUpdateCP = 0x01;
constexpr uint32_t AlignHorizontal = 0x06;
constexpr uint32_t AlignRight = 0x02;
constexpr uint32_t AlignCentre = 0x06;
constexpr uint32_t AlignVertical = 0x18;
constexpr uint32_t AlignBottom = 0x08;
constexpr uint32_t AlignBaseline = 0x18;

constexpr uint32_t TextOpaque = 0x02;
constexpr uint32_t TextClipped = 0x04;
constexpr uint32_t TextPairedAdvances = 0x2000;

// Fonts are realized in device pixels no larger than this.
constexpr double MaxFontPixels = 16384;

QString FamilyOf(const TWmfFont& font) {
    if (!font.Face.empty()) {
        return SubstituteFontFamily(font.Face);
    }
    // No name: the family bits choose, as the platform's font mapper does.
    const int family = font.PitchAndFamily >> 4;
    if (family == 3 || (font.PitchAndFamily & 0x03) == 1) {
        return SubstituteFontFamily("Courier New");
    }
    return SubstituteFontFamily(family == 1 ? "Times New Roman" : "Arial");
}

} // namespace

void TWmfPlayback::TextOutRecord(const TWmfRecord& r) {
    // The length, the text (padded to whole words), then y and x.
    const int count = r.I16(0);
    if (count <= 0) {
        return;
    }
    const size_t words = (static_cast<size_t>(count) + 1) / 2;
    if (r.Words() < 1 + words + 2) {
        return;
    }
    Text(r.I16(2 + words), r.I16(1 + words), r.From(1).substr(0, static_cast<size_t>(count)),
         nullptr, 0, nullptr);
}

void TWmfPlayback::ExtTextOutRecord(const TWmfRecord& r) {
    // y, x, the length, the options, the rectangle when the options ask for one, the text
    // (padded to whole words), and the advances when given.
    if (r.Words() < 4) {
        return;
    }
    const int count = r.I16(2);
    const uint32_t options = r.U16(3);
    if (count < 0) {
        return;
    }
    const size_t length = static_cast<size_t>(count);
    const size_t words = (length + 1) / 2;
    const size_t step = options & TextPairedAdvances ? 2 : 1;
    bool hasRect = options & (TextOpaque | TextClipped);
    // Some writers give the rectangle without asking for it: its size tells.
    if (!hasRect && r.Words() != 4 + words && r.Words() != 4 + words + length * step &&
        (r.Words() == 8 + words || r.Words() == 8 + words + length * step)) {
        hasRect = true;
    }
    size_t at = 4;
    QRectF rect;
    if (hasRect) {
        if (r.Words() < 8) {
            return;
        }
        rect = QRectF(QPointF(r.I16(4), r.I16(5)), QPointF(r.I16(6), r.I16(7)));
        at = 8;
    }
    if (r.Words() < at + words) {
        return;
    }
    const std::string_view text = r.From(at).substr(0, length);
    at += words;
    std::vector<int> dx;
    if (length > 0 && r.Words() >= at + length * step) {
        dx.reserve(length);
        for (size_t i = 0; i < length; ++i) {
            dx.push_back(r.I16(at + i * step));
        }
    }
    Text(r.I16(1), r.I16(0), text, dx.empty() ? nullptr : &dx, hasRect ? options : 0,
         hasRect ? &rect : nullptr);
}

void TWmfPlayback::Text(double x, double y, std::string_view bytes, const std::vector<int>* dx,
                        uint32_t options, const QRectF* rect) {
    const TWmfFont& f = dc_.Font;
    const uint32_t align = dc_.TextAlign;
    const QPointF reference = align & AlignUpdateCP ? dc_.Position : QPointF(x, y);
    const QPointF origin = ToDevice(reference.x(), reference.y());
    const double sx = ScaleX();
    const double sy = ScaleY();

    // The text in Unicode, with the advance of each unit: from the record, byte by byte (the
    // bytes of one character add up), or from the font.
    std::vector<size_t> unitsAfterByte;
    const std::u16string text = DecodeCharsetText(bytes, f.Charset, &unitsAfterByte);

    // The font in device pixels; a height of 0 asks for a default size.
    double height = std::fabs(f.Height * sy);
    if (f.Height == 0) {
        height = painter_ && painter_->device() ? painter_->device()->logicalDpiY() / 6.0 : 16;
    }
    if (!std::isfinite(height) || !std::isfinite(sx)) {
        return;
    }
    height = std::clamp(height, 1.0, MaxFontPixels);
    // Fonts are built only where something is drawn: gathering bounds needs no font system.
    std::optional<QFont> font;
    double ascent = 0.8 * height;
    double descent = 0.2 * height;
    std::vector<double> advances(text.size(), 0.0);
    std::optional<QFontMetricsF> metrics;
    if (painter_) {
        font.emplace(FamilyOf(f));
        // Negative heights are the character height, positive ones the cell.
        const int signedHeight = static_cast<int>(std::lround(f.Height > 0 ? height : -height));
        font->setPixelSize(std::max(1, FontCharacterHeight(*font, signedHeight)));
        font->setWeight(
            static_cast<QFont::Weight>(std::clamp(f.Weight > 0 ? f.Weight : 400, 1, 1000)));
        font->setItalic(f.Italic);
        font->setUnderline(f.Underline);
        font->setStrikeOut(f.StrikeOut);
        font->setKerning(false);
        if (f.Width != 0) {
            StretchFontToWidth(*font, std::fabs(f.Width * sx));
        } else if (std::fabs(sx - sy) > 0.01 * sy) {
            // A picture stretched more one way than the other stretches its text with it.
            font->setStretch(std::clamp(static_cast<int>(std::lround(100 * sx / sy)), 1, 4000));
        }
        metrics.emplace(*font);
        ascent = metrics->ascent();
        descent = metrics->descent();
    }
    if (dx) {
        size_t start = 0;
        for (size_t i = 0; i < unitsAfterByte.size() && i < dx->size(); ++i) {
            if (i == 0 || unitsAfterByte[i] != unitsAfterByte[i - 1]) {
                start = i == 0 ? 0 : unitsAfterByte[i - 1];
            }
            if (start < advances.size()) {
                advances[start] += (*dx)[i] * sx;
            }
        }
    } else {
        for (size_t i = 0; i < text.size(); ++i) {
            if (OutOfTime()) {
                return;
            }
            const bool pair = QChar::isHighSurrogate(text[i]) && i + 1 < text.size() &&
                              QChar::isLowSurrogate(text[i + 1]);
            const QString unit = QString::fromUtf16(&text[i], pair ? 2 : 1);
            advances[i] =
                (metrics ? metrics->horizontalAdvance(unit) : 0.6 * height) + dc_.CharExtra * sx;
            i += pair ? 1 : 0;
        }
    }
    double width = 0;
    for (double advance : advances) {
        width += advance;
    }

    // Laid out along the baseline from the reference point, turned by the escapement.
    const double startX = (align & AlignHorizontal) == AlignCentre  ? -width / 2
                          : (align & AlignHorizontal) == AlignRight ? -width
                                                                    : 0;
    const double baseline = (align & AlignVertical) == AlignBaseline ? 0
                            : (align & AlignVertical) == AlignBottom ? -descent
                                                                     : ascent;
    QTransform local;
    local.translate(origin.x(), origin.y());
    local.rotate(-f.Escapement / 10.0);
    const QRectF cells(startX, baseline - ascent, width, ascent + descent);

    if (align & AlignUpdateCP) {
        // The current position moves past the text, to its other end when right-aligned.
        const double endX = (align & AlignHorizontal) == AlignCentre  ? 0
                            : (align & AlignHorizontal) == AlignRight ? startX
                                                                      : startX + width;
        bool invertible = false;
        const QTransform back = Full().inverted(&invertible);
        if (invertible) {
            dc_.Position = back.map(local.map(QPointF(endX, 0)));
        }
    }

    const QRectF box =
        rect ? DeviceRect(rect->left(), rect->top(), rect->right(), rect->bottom()) : QRectF();
    QRectF bounds = local.mapRect(cells);
    if (options & TextOpaque) {
        bounds = bounds.united(box);
    }
    if (!BeginDrawing(bounds)) {
        return;
    }
    if (options & TextOpaque) {
        painter_->fillRect(box, dc_.BkColor);
    }
    if (options & TextClipped) {
        painter_->setClipRect(box, Qt::IntersectClip);
    }
    painter_->setTransform(local);
    if (dc_.BkOpaque && width > 0) {
        painter_->fillRect(cells, dc_.BkColor);
    }
    painter_->setRenderHint(QPainter::TextAntialiasing, true);
    painter_->setFont(*font);
    painter_->setPen(dc_.TextColor);
    // A character of a large font turned on the page costs its area: one record of thousands
    // of them stops when the play has taken its time.
    double at = startX;
    for (size_t i = 0; i < text.size() && !OutOfTime(); ++i) {
        const bool pair = QChar::isHighSurrogate(text[i]) && i + 1 < text.size() &&
                          QChar::isLowSurrogate(text[i + 1]);
        if (text[i] >= 0x20) {
            painter_->drawText(QPointF(at, baseline), QString::fromUtf16(&text[i], pair ? 2 : 1));
        }
        at += advances[i] + (pair ? advances[i + 1] : 0);
        i += pair ? 1 : 0;
    }
    if (options & TextClipped) {
        // The clip of this text only: the metafile's own comes back for the next drawing.
        clipDirty_ = true;
    }
}
