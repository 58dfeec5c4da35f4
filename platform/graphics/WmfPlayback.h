#pragma once

// One play of a Windows metafile: the drawing state its records change (the mapping, the
// selected pen, brush and font, colours, modes, clip, the current position), the objects they
// create, and the painting of each drawing record. Coordinates go from the records' logical
// units through the mapping to the metafile's box, and from the box to device pixels, where
// everything is drawn as the platform the records were written for draws it: no smoothing of
// figures, pens one device pixel wide at the least, fonts chosen in device pixels. Used by
// WmfPlayer.cpp only; the records are split by job over WmfPlayback.cpp (state, mapping,
// objects, figures), WmfFigureBands.cpp, WmfText.cpp and WmfBitmaps.cpp.

#include "platform/graphics/WmfRecord.h"

#include <QColor>
#include <QImage>
#include <QPainterPath>
#include <QPen>
#include <QRegion>
#include <QTransform>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <variant>
#include <vector>

class QPainter;
class TPlayMeter;

struct TWmfPen {
    // The dash in the low nibble, then the end cap and join bits.
    uint32_t Style = 0;
    // In logical units; 0 is one device pixel.
    int Width = 0;
    QColor Color = Qt::black;
};

struct TWmfBrush {
    uint32_t Style = 0; // solid
    QColor Color = Qt::white;
    uint32_t Hatch = 0;
    // The pixels of a pattern brush.
    QImage Pattern;
};

struct TWmfFont {
    // In logical units: negative the character height, positive the cell, 0 a default size.
    int Height = 0;
    int Width = 0;
    // Tenths of a degree, counterclockwise.
    int Escapement = 0;
    int Weight = 0;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    uint8_t Charset = 1;
    uint8_t PitchAndFamily = 0;
    std::string Face;
};

// Palettes, regions and old-style bitmaps: they take a slot of the object table and draw
// nothing.
struct TWmfOtherObject {};

using TWmfObject = std::variant<TWmfOtherObject, TWmfPen, TWmfBrush, TWmfFont>;

// How logical units reach the box: the window is stretched over the viewport, both in the
// box's units. Play starts with both on the box, so the records' own window, when it is the
// box, maps one to one.
struct TWmfMapping {
    uint32_t Mode = 8; // anisotropic, as a picture is played into its rectangle
    QPointF WindowOrg;
    QPointF WindowExt{1, 1};
    QPointF ViewportOrg;
    QPointF ViewportExt{1, 1};
    // The box's units per inch, for the mapping modes of fixed units.
    double UnitsPerInch = 1440;

    QTransform ToBox() const;
};

// What SaveDC keeps and RestoreDC brings back.
struct TWmfDc {
    TWmfMapping Map;
    TWmfPen Pen;
    TWmfBrush Brush;
    TWmfFont Font;
    QColor TextColor = Qt::black;
    QColor BkColor = Qt::white;
    bool BkOpaque = true;
    uint32_t TextAlign = 0;
    bool Winding = false;
    uint32_t Rop2 = 13; // copy the pen
    uint32_t StretchMode = 1;
    int CharExtra = 0;
    // The current position, in logical units.
    QPointF Position;
    // In device pixels; none: the whole surface.
    std::optional<QRegion> Clip;
};

class TWmfPlayback {
public:
    // Draws with `painter`, or, without one, gathers the bounds of what would be drawn.
    // `boxToDevice` takes the box's units to device pixels; `objects` is the size of the
    // object table the metafile's header asks for; the play's time is read from `meter`.
    TWmfPlayback(QPainter* painter, const QTransform& boxToDevice, const TWmfMapping& start,
                 size_t objects, TPlayMeter& meter);

    // Plays the records from `from` on, up to the end record or until `millis` have passed:
    // a picture costs bounded time whatever its records ask for. The clock is read inside a
    // record too, between the characters of a text. False when the time ran out.
    bool Play(std::string_view bytes, size_t from, qint64 millis);

    // The device bounds of what was drawn (when gathering bounds).
    QRectF Bounds() const { return bounds_; }

private:
    void Record(const TWmfRecord& r);
    bool StateRecord(const TWmfRecord& r);
    bool MappingRecord(const TWmfRecord& r);
    bool ObjectRecord(const TWmfRecord& r);
    bool FigureRecord(const TWmfRecord& r);
    bool ClipRecord(const TWmfRecord& r);

    // Mapping: logical units to device pixels.
    QTransform Full() const;
    QPointF ToDevice(double x, double y) const;
    // Device pixels per logical unit, across and down.
    double ScaleX() const;
    double ScaleY() const;
    // A rectangle given by two corners in logical units, in device pixels, normalized.
    QRectF DeviceRect(double x1, double y1, double x2, double y2) const;

    // Objects.
    void AddObject(TWmfObject object);
    void SelectObject(uint32_t index);
    void DeleteObject(uint32_t index);
    TWmfBrush PatternBrush(const TWmfRecord& r);

    // Figures: `fill` with the brush (when `filled`), `outline` with the pen, both in device
    // pixels.
    void Figure(const QPainterPath& fill, const QPainterPath& outline, bool filled);
    // The outline of a figure drawn with the pen `pen` (device pixels) in the pen's mode.
    void StrokeOutline(const QPainterPath& outline, const QPen& pen);
    void BoxFigure(uint32_t function, const TWmfRecord& r);
    void Polygons(const TWmfRecord& r, bool polyPolygon);
    void Polyline(const TWmfRecord& r);
    void LineTo(double x, double y);
    // The pen as drawn (width in device pixels), false for none.
    bool DevicePen(QPen& pen) const;
    double PenDeviceWidth() const;
    // Fills `path` with the brush `brush`, its hatch gaps in the background colour when the
    // background is opaque.
    void FillWithBrush(const QPainterPath& path, const TWmfBrush& brush);
    // The pen mode's effect on a colour: false when nothing is drawn.
    bool PenModeColour(QColor& colour, bool& rasterOp);

    // Clip.
    void ClipRect(const TWmfRecord& r, bool intersect);
    void ApplyClip();

    // Text (WmfText.cpp).
    void TextOutRecord(const TWmfRecord& r);
    void ExtTextOutRecord(const TWmfRecord& r);
    void Text(double x, double y, std::string_view bytes, const std::vector<int>* dx,
              uint32_t options, const QRectF* rect);

    // Bitmaps and block fills (WmfBitmaps.cpp).
    void BitmapRecord(const TWmfRecord& r);
    void PatBltRecord(const TWmfRecord& r);
    void DrawDib(std::string_view dib, uint32_t rop, QRectF source, double x, double y,
                 double width, double height);
    // A block fill of `rect` (device pixels) by a raster operation that takes no bitmap.
    void FillRop(const QRectF& rect, uint32_t rop);
    bool RasterOps() const;

    // Whether the play has taken its time: what is being drawn stops where it is.
    bool OutOfTime();

    // One drawing call of a figure, weighed before it is made (WmfFigureBands.cpp): `draw`
    // fills `path` (device pixels) when `penWidth` is 0, else strokes it with a pen that many
    // pixels wide. The call is made a band of device rows at a time, each band no costlier
    // than the time left, or not at all, the play stopped, when not even one row fits.
    void DrawMeasured(const QPainterPath& path, double penWidth, const std::function<void()>& draw);

    // Strokes `outline` with `pen`, a solid pen drawn without a raster operation: a long
    // outline a few segments at a time (StrokeSplitting.h), each piece weighed by DrawMeasured.
    void StrokeInPieces(const QPainterPath& outline, const QPen& pen);

    // Starts a drawing: the clip applied, the painter in device pixels. False when only
    // gathering bounds: `deviceBounds` is added to them instead.
    bool BeginDrawing(const QRectF& deviceBounds);

    QPainter* painter_;
    QTransform boxToDevice_;
    TWmfDc dc_;
    std::vector<TWmfDc> saved_;
    std::vector<std::optional<TWmfObject>> objects_;
    bool clipDirty_ = true;
    QRectF bounds_;
    TPlayMeter& meter_;
    qint64 millis_ = 0;
    // A figure too costly for the time left stopped the play.
    bool stopped_ = false;
    // Pattern brushes keep their pixels: how many are kept.
    int64_t patternPixels_ = 0;
};
