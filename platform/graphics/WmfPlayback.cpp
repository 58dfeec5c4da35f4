#include "platform/graphics/WmfPlayback.h"

#include "platform/base/CodePage.h"
#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/QtCanvas.h"
#include "platform/graphics/StrokeSplitting.h"
#include "platform/graphics/WmfPlayer.h"

#include <QPaintEngine>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// SaveDC levels kept; deeper ones are not saved.
constexpr size_t MaxSavedStates = 1024;
// Pixels all pattern brushes of a play may keep.
constexpr int64_t MaxPatternPixels = 4LL * 1024 * 1024;
// A clip made of more rectangles than this is left as it was.
constexpr int MaxClipRects = 256;
// The whole surface, for a clip that only excludes.
const QRect Everything(-(1 << 24), -(1 << 24), 1 << 25, 1 << 25);

constexpr uint32_t PenNull = 5;
constexpr uint32_t PenInsideFrame = 6;
constexpr uint32_t BrushNull = 1;

QColor ColourOf(uint32_t colorRef) {
    return QColor(colorRef & 0xFF, colorRef >> 8 & 0xFF, colorRef >> 16 & 0xFF);
}

// A device coordinate as a whole pixel, within what a region can hold.
int WholePixel(double v) {
    return std::isfinite(v) ? static_cast<int>(std::clamp(std::round(v), -1e8, 1e8)) : 0;
}

QRect DevicePixels(const QRectF& r) {
    return QRect(QPoint(WholePixel(r.left()), WholePixel(r.top())),
                 QPoint(WholePixel(r.right()) - 1, WholePixel(r.bottom()) - 1));
}

// Units of the mapping modes of fixed units per inch.
double UnitsPerInchOf(uint32_t mode) {
    switch (mode) {
    case 2: // tenths of a millimetre
        return 254;
    case 3: // hundredths of a millimetre
        return 2540;
    case 4: // hundredths of an inch
        return 100;
    case 5: // thousandths of an inch
        return 1000;
    default: // twips
        return 1440;
    }
}

// A figure's outline runs along its edge pixels: the box's right and bottom edges are
// outside it. (Aliased drawing lights the pixels right of and below a line's coordinates, as
// the platform the records were written for does.)
QRectF OutlineBox(const QRectF& box) {
    return box.width() > 1 && box.height() > 1 ? box.adjusted(0, 0, -1, -1) : box;
}

} // namespace

QTransform TWmfMapping::ToBox() const {
    double sx = 1;
    double sy = 1;
    switch (Mode) {
    case 1: // text: one unit, one unit of the box
        break;
    case 2:
    case 3:
    case 4:
    case 5:
    case 6:
        sx = UnitsPerInch / UnitsPerInchOf(Mode);
        sy = -sx;
        break;
    case 7: { // isotropic: the same scale across and down
        sx = ViewportExt.x() / WindowExt.x();
        sy = ViewportExt.y() / WindowExt.y();
        const double scale = std::min(std::fabs(sx), std::fabs(sy));
        sx = std::copysign(scale, sx);
        sy = std::copysign(scale, sy);
        break;
    }
    default:
        sx = ViewportExt.x() / WindowExt.x();
        sy = ViewportExt.y() / WindowExt.y();
        break;
    }
    return QTransform(sx, 0, 0, sy, ViewportOrg.x() - WindowOrg.x() * sx,
                      ViewportOrg.y() - WindowOrg.y() * sy);
}

TWmfPlayback::TWmfPlayback(QPainter* painter, const QTransform& boxToDevice,
                           const TWmfMapping& start, size_t objects, TPlayMeter& meter)
    : painter_(painter), boxToDevice_(boxToDevice), objects_(objects), meter_(meter) {
    dc_.Map = start;
}

bool TWmfPlayback::OutOfTime() {
    return stopped_ || meter_.Elapsed() > millis_;
}

bool TWmfPlayback::Play(std::string_view bytes, size_t from, qint64 millis) {
    // The painter is left as it was found, whatever a record leaves in it.
    struct TPainterState {
        QPainter* Painter;
        explicit TPainterState(QPainter* p) : Painter(p) {
            if (Painter) {
                Painter->save();
                Painter->save();
            }
        }
        ~TPainterState() {
            if (Painter) {
                Painter->restore();
                Painter->restore();
            }
        }
        TPainterState(const TPainterState&) = delete;
        TPainterState& operator=(const TPainterState&) = delete;
    } state(painter_);
    millis_ = millis;
    TWmfRecord record;
    size_t at = from;
    while (NextWmfRecord(bytes, at, record) == TWmfStep::Record) {
        if (OutOfTime()) {
            return false;
        }
        Record(record);
    }
    // The last record may have been stopped inside.
    return !OutOfTime();
}

void TWmfPlayback::Record(const TWmfRecord& r) {
    if (StateRecord(r) || MappingRecord(r) || ObjectRecord(r) || FigureRecord(r) || ClipRecord(r)) {
        return;
    }
    switch (r.Function) {
    case 0x0521:
        TextOutRecord(r);
        break;
    case 0x0A32:
        ExtTextOutRecord(r);
        break;
    case 0x0940: // bitmap copied
    case 0x0B41: // bitmap stretched
    case 0x0F43: // bitmap stretched with its colours
    case 0x0D33: // bitmap set onto the device
        BitmapRecord(r);
        break;
    case 0x061D:
        PatBltRecord(r);
        break;
    default: // escapes, palettes, regions and what we do not know
        break;
    }
}

// ---- state ------------------------------------------------------------------------------------

bool TWmfPlayback::StateRecord(const TWmfRecord& r) {
    switch (r.Function) {
    case 0x001E: // SaveDC
        if (saved_.size() < MaxSavedStates) {
            saved_.push_back(dc_);
        }
        return true;
    case 0x0127: { // RestoreDC: a negative level counts back from the last one saved
        const int level = r.I16(0);
        const int64_t index = level < 0 ? static_cast<int64_t>(saved_.size()) + level : level - 1;
        if (level != 0 && index >= 0 && index < static_cast<int64_t>(saved_.size())) {
            dc_ = saved_[static_cast<size_t>(index)];
            saved_.resize(static_cast<size_t>(index));
            clipDirty_ = true;
        }
        return true;
    }
    case 0x0102: // SetBkMode
        if (r.U16(0) == 1 || r.U16(0) == 2) {
            dc_.BkOpaque = r.U16(0) == 2;
        }
        return true;
    case 0x0104: // SetROP2
        dc_.Rop2 = r.U16(0);
        return true;
    case 0x0106: // SetPolyFillMode
        dc_.Winding = r.U16(0) == 2;
        return true;
    case 0x0107: // SetStretchBltMode
        dc_.StretchMode = r.U16(0);
        return true;
    case 0x0108: // SetTextCharExtra
        dc_.CharExtra = r.I16(0);
        return true;
    case 0x0201: // SetBkColor
        dc_.BkColor = ColourOf(r.U32(0));
        return true;
    case 0x0209: // SetTextColor
        dc_.TextColor = ColourOf(r.U32(0));
        return true;
    case 0x012E: // SetTextAlign
        dc_.TextAlign = r.U16(0);
        return true;
    default:
        return false;
    }
}

// ---- mapping ----------------------------------------------------------------------------------

bool TWmfPlayback::MappingRecord(const TWmfRecord& r) {
    TWmfMapping& map = dc_.Map;
    const QPointF yx(r.I16(1), r.I16(0)); // the records give y first
    // Extents of 0 are refused, as the platform refuses them; so are scales that would make
    // them vanish or grow beyond any drawing.
    auto scaled = [&](QPointF& ext) {
        const int xDenom = r.I16(2);
        const int yDenom = r.I16(0);
        if (r.Words() < 4 || xDenom == 0 || yDenom == 0) {
            return;
        }
        const QPointF next(ext.x() * r.I16(3) / xDenom, ext.y() * r.I16(1) / yDenom);
        auto sane = [](double v) { return std::fabs(v) >= 1e-6 && std::fabs(v) <= 1e9; };
        if (sane(next.x()) && sane(next.y())) {
            ext = next;
        }
    };
    switch (r.Function) {
    case 0x0103: // SetMapMode
        if (r.U16(0) >= 1 && r.U16(0) <= 8) {
            map.Mode = r.U16(0);
        }
        return true;
    case 0x020B:
        if (r.Words() >= 2) {
            map.WindowOrg = yx;
        }
        return true;
    case 0x020C:
        if (r.Words() >= 2 && yx.x() != 0 && yx.y() != 0) {
            map.WindowExt = yx;
        }
        return true;
    case 0x020D:
        if (r.Words() >= 2) {
            map.ViewportOrg = yx;
        }
        return true;
    case 0x020E:
        if (r.Words() >= 2 && yx.x() != 0 && yx.y() != 0) {
            map.ViewportExt = yx;
        }
        return true;
    case 0x020F: // OffsetWindowOrg
        map.WindowOrg += yx;
        return true;
    case 0x0211: // OffsetViewportOrg
        map.ViewportOrg += yx;
        return true;
    case 0x0410: // ScaleWindowExt
        scaled(map.WindowExt);
        return true;
    case 0x0412: // ScaleViewportExt
        scaled(map.ViewportExt);
        return true;
    default:
        return false;
    }
}

QTransform TWmfPlayback::Full() const {
    return dc_.Map.ToBox() * boxToDevice_;
}

QPointF TWmfPlayback::ToDevice(double x, double y) const {
    return Full().map(QPointF(x, y));
}

double TWmfPlayback::ScaleX() const {
    const QTransform t = Full();
    return std::hypot(t.m11(), t.m12());
}

double TWmfPlayback::ScaleY() const {
    const QTransform t = Full();
    return std::hypot(t.m21(), t.m22());
}

QRectF TWmfPlayback::DeviceRect(double x1, double y1, double x2, double y2) const {
    return QRectF(ToDevice(x1, y1), ToDevice(x2, y2)).normalized();
}

// ---- objects ----------------------------------------------------------------------------------

bool TWmfPlayback::ObjectRecord(const TWmfRecord& r) {
    switch (r.Function) {
    case 0x02FA: { // CreatePenIndirect
        TWmfPen pen;
        if (r.Words() >= 5) {
            pen.Style = r.U16(0);
            pen.Width = std::abs(r.I16(1));
            pen.Color = ColourOf(r.U32(3));
        }
        AddObject(pen);
        return true;
    }
    case 0x02FC: { // CreateBrushIndirect
        TWmfBrush brush;
        if (r.Words() >= 4) {
            brush.Style = r.U16(0);
            brush.Color = ColourOf(r.U32(1));
            brush.Hatch = r.U16(3);
        }
        AddObject(brush);
        return true;
    }
    case 0x02FB: { // CreateFontIndirect
        TWmfFont font;
        if (r.Words() >= 9) {
            font.Height = r.I16(0);
            font.Width = r.I16(1);
            font.Escapement = r.I16(2);
            font.Weight = r.I16(4);
            const std::string_view b = r.Params;
            font.Italic = b[10] != 0;
            font.Underline = b[11] != 0;
            font.StrikeOut = b[12] != 0;
            font.Charset = static_cast<uint8_t>(b[13]);
            font.PitchAndFamily = static_cast<uint8_t>(b[17]);
            std::string_view face = b.substr(18, 32);
            face = face.substr(0, face.find('\0'));
            font.Face = Utf16ToUtf8(MultiByteToUtf16(face, DefaultAnsiCodePage));
        }
        AddObject(font);
        return true;
    }
    case 0x0142: // DIBCreatePatternBrush
        AddObject(PatternBrush(r));
        return true;
    case 0x00F7: // CreatePalette
    case 0x01F9: // CreatePatternBrush (an old-style bitmap)
    case 0x06FF: // CreateRegion
        AddObject(TWmfOtherObject{});
        return true;
    case 0x012D: // SelectObject
        SelectObject(r.U16(0));
        return true;
    case 0x01F0: // DeleteObject
        DeleteObject(r.U16(0));
        return true;
    default:
        return false;
    }
}

TWmfBrush TWmfPlayback::PatternBrush(const TWmfRecord& r) {
    TWmfBrush brush;
    brush.Style = BrushNull;
    QImage image;
    std::string error;
    if (!DecodeDib(r.From(*WmfBitmapWord(r)), image, error)) {
        return brush;
    }
    const int64_t pixels = static_cast<int64_t>(image.width()) * image.height();
    if (patternPixels_ + pixels > MaxPatternPixels) {
        return brush;
    }
    patternPixels_ += pixels;
    brush.Style = 5; // a bitmap pattern
    brush.Pattern = std::move(image);
    return brush;
}

void TWmfPlayback::AddObject(TWmfObject object) {
    // The lowest free slot; a full table drops the object, as the platform does.
    for (std::optional<TWmfObject>& slot : objects_) {
        if (!slot) {
            slot = std::move(object);
            return;
        }
    }
}

void TWmfPlayback::SelectObject(uint32_t index) {
    if (index >= objects_.size() || !objects_[index]) {
        return;
    }
    const TWmfObject& object = *objects_[index];
    if (const auto* pen = std::get_if<TWmfPen>(&object)) {
        dc_.Pen = *pen;
    } else if (const auto* brush = std::get_if<TWmfBrush>(&object)) {
        dc_.Brush = *brush;
    } else if (const auto* font = std::get_if<TWmfFont>(&object)) {
        dc_.Font = *font;
    }
}

void TWmfPlayback::DeleteObject(uint32_t index) {
    if (index < objects_.size()) {
        objects_[index].reset();
    }
}

// ---- figures ----------------------------------------------------------------------------------

bool TWmfPlayback::BeginDrawing(const QRectF& deviceBounds) {
    if (!painter_) {
        bounds_ = bounds_.isNull() ? deviceBounds : bounds_.united(deviceBounds);
        return false;
    }
    ApplyClip();
    painter_->setTransform(QTransform());
    painter_->setRenderHint(QPainter::Antialiasing, false);
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter_->setPen(Qt::NoPen);
    painter_->setBrush(Qt::NoBrush);
    return true;
}

bool TWmfPlayback::RasterOps() const {
    return painter_ && painter_->paintEngine() &&
           painter_->paintEngine()->hasFeature(QPaintEngine::RasterOpModes);
}

bool TWmfPlayback::PenModeColour(QColor& colour, bool& rasterOp) {
    rasterOp = false;
    auto use = [&](QPainter::CompositionMode mode) {
        if (RasterOps()) {
            painter_->setCompositionMode(mode);
            rasterOp = true;
        }
    };
    switch (dc_.Rop2) {
    case 1: // black
        colour = Qt::black;
        return true;
    case 16: // white
        colour = Qt::white;
        return true;
    case 11: // the surface as it is
        return false;
    case 4: // the pen's inverse
        colour = QColor(255 - colour.red(), 255 - colour.green(), 255 - colour.blue());
        return true;
    case 6: // the surface's inverse
        use(QPainter::RasterOp_NotDestination);
        return true;
    case 7:
        use(QPainter::RasterOp_SourceXorDestination);
        return true;
    case 9:
        use(QPainter::RasterOp_SourceAndDestination);
        return true;
    case 10:
        use(QPainter::RasterOp_NotSourceXorDestination);
        return true;
    case 15:
        use(QPainter::RasterOp_SourceOrDestination);
        return true;
    default: // the pen's colour
        return true;
    }
}

double TWmfPlayback::PenDeviceWidth() const {
    return std::max(1.0, dc_.Pen.Width * ScaleX());
}

bool TWmfPlayback::DevicePen(QPen& pen) const {
    const uint32_t dash = dc_.Pen.Style & 0x0F;
    if (dash == PenNull) {
        return false;
    }
    const double width = PenDeviceWidth();
    pen = QPen(dc_.Pen.Color, width);
    switch (dc_.Pen.Style & 0x0F00) {
    case 0x0100:
        pen.setCapStyle(Qt::SquareCap);
        break;
    case 0x0200:
        pen.setCapStyle(Qt::FlatCap);
        break;
    default:
        pen.setCapStyle(Qt::RoundCap);
        break;
    }
    switch (dc_.Pen.Style & 0xF000) {
    case 0x1000:
        pen.setJoinStyle(Qt::BevelJoin);
        break;
    case 0x2000:
        pen.setJoinStyle(Qt::MiterJoin);
        break;
    default:
        pen.setJoinStyle(Qt::RoundJoin);
        break;
    }
    // Dashes and dots are drawn by pens of one pixel, as the canvas draws them (the records
    // number the styles as its pens do); wider ones are solid.
    const std::vector<int> pattern = DashPattern(static_cast<TPenStyle>(dash));
    if (width <= 1.0 && !pattern.empty()) {
        pen.setCapStyle(Qt::FlatCap);
        pen.setDashPattern(QList<qreal>(pattern.begin(), pattern.end()));
    }
    return true;
}

void TWmfPlayback::FillWithBrush(const QPainterPath& path, const TWmfBrush& brush) {
    switch (brush.Style) {
    case 0: // solid
        painter_->fillPath(path, brush.Color);
        break;
    case 2: { // hatched
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,
                                                 Qt::FDiagPattern, Qt::BDiagPattern,
                                                 Qt::CrossPattern, Qt::DiagCrossPattern};
        if (dc_.BkOpaque) {
            painter_->fillPath(path, dc_.BkColor);
        }
        painter_->fillPath(path, QBrush(brush.Color, hatches[std::min<uint32_t>(brush.Hatch, 5)]));
        break;
    }
    case 5: // a bitmap pattern, aligned to the device
        if (!brush.Pattern.isNull()) {
            painter_->fillPath(path, QBrush(brush.Pattern));
        }
        break;
    default:
        break;
    }
}

void TWmfPlayback::Figure(const QPainterPath& fill, const QPainterPath& outline, bool filled) {
    QPen pen;
    const bool stroked = DevicePen(pen);
    filled = filled && dc_.Brush.Style != BrushNull;
    if (!stroked && !filled) {
        return;
    }
    QRectF bounds = filled ? fill.boundingRect() : QRectF();
    if (stroked) {
        const double half = pen.widthF() / 2 + 1;
        bounds = bounds.united(outline.boundingRect().adjusted(-half, -half, half, half));
    }
    if (!BeginDrawing(bounds)) {
        return;
    }
    if (filled) {
        TWmfBrush brush = dc_.Brush;
        bool rasterOp = false;
        if (PenModeColour(brush.Color, rasterOp)) {
            DrawMeasured(fill, 0, [&] { FillWithBrush(fill, brush); });
        }
        painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    if (stroked && !OutOfTime()) {
        StrokeOutline(outline, pen);
    }
}

void TWmfPlayback::StrokeOutline(const QPainterPath& outline, const QPen& pen) {
    QPen drawn = pen;
    QColor colour = drawn.color();
    bool rasterOp = false;
    if (PenModeColour(colour, rasterOp)) {
        drawn.setColor(colour);
        // The gaps of a dashed pen show the background colour.
        const bool gaps = dc_.BkOpaque && drawn.style() != Qt::SolidLine;
        if (rasterOp || drawn.style() != Qt::SolidLine) {
            // Drawn in one piece: a raster operation applied twice where pieces meet, or a
            // dash pattern started again at each piece, would change what is drawn.
            DrawMeasured(outline, drawn.widthF(), [&] {
                if (gaps) {
                    painter_->strokePath(outline, QPen(dc_.BkColor, drawn.widthF()));
                }
                painter_->strokePath(outline, drawn);
            });
        } else {
            StrokeInPieces(outline, drawn);
        }
    }
    painter_->setCompositionMode(QPainter::CompositionMode_SourceOver);
}

void TWmfPlayback::StrokeInPieces(const QPainterPath& outline, const QPen& pen) {
    // Aliased pieces of 16 segments take a few milliseconds each on a printed page.
    constexpr size_t Segments = 16;
    for (const TStrokePiece& piece :
         SplitStroke(outline, pen.widthF(), pen.capStyle(), pen.widthF() <= 1, Segments)) {
        if (OutOfTime()) {
            return;
        }
        QPen with = pen;
        with.setCapStyle(piece.Cap);
        DrawMeasured(piece.Path, with.widthF(), [&] { painter_->strokePath(piece.Path, with); });
    }
}

void TWmfPlayback::BoxFigure(uint32_t function, const TWmfRecord& r) {
    // Rectangle, ellipse: bottom, right, top, left. Rounded rectangle: the corner's height and
    // width first. Arc, pie, chord: the end and start points (y, x) first.
    const size_t at = function == 0x061C ? 2 : function == 0x0418 || function == 0x041B ? 0 : 4;
    if (r.Words() < at + 4) {
        return;
    }
    const QRectF box = DeviceRect(r.I16(at + 3), r.I16(at + 2), r.I16(at + 1), r.I16(at));
    QRectF line = OutlineBox(box);
    if ((dc_.Pen.Style & 0x0F) == PenInsideFrame) {
        const double inset =
            std::min({(PenDeviceWidth() - 1) / 2, line.width() / 2, line.height() / 2});
        line.adjust(inset, inset, -inset, -inset);
    }
    QPainterPath fill;
    QPainterPath outline;
    switch (function) {
    case 0x041B:
        fill.addRect(box);
        outline.addRect(line);
        Figure(fill, outline, true);
        return;
    case 0x0418:
        fill.addEllipse(box);
        outline.addEllipse(line);
        Figure(fill, outline, true);
        return;
    case 0x061C: {
        const double rx = std::min(std::fabs(r.I16(1) * ScaleX()) / 2, box.width() / 2);
        const double ry = std::min(std::fabs(r.I16(0) * ScaleY()) / 2, box.height() / 2);
        fill.addRoundedRect(box, rx, ry);
        outline.addRoundedRect(line, rx, ry);
        Figure(fill, outline, true);
        return;
    }
    default:
        break;
    }
    // The arc runs counterclockwise from where the line from the centre through the start
    // point meets the ellipse to where the one through the end point does.
    const QPointF centre = box.center();
    auto angle = [&](QPointF p) {
        const double rx = std::max(box.width() / 2, 1e-9);
        const double ry = std::max(box.height() / 2, 1e-9);
        return std::atan2(-(p.y() - centre.y()) / ry, (p.x() - centre.x()) / rx) * 180 /
               std::numbers::pi;
    };
    const double start = angle(ToDevice(r.I16(3), r.I16(2)));
    double sweep = angle(ToDevice(r.I16(1), r.I16(0))) - start;
    while (sweep <= 1e-9) {
        sweep += 360;
    }
    auto arc = [&](QPainterPath& path, const QRectF& on) {
        if (function == 0x081A) { // pie
            path.moveTo(on.center());
            path.arcTo(on, start, sweep);
            path.closeSubpath();
            return;
        }
        path.arcMoveTo(on, start);
        path.arcTo(on, start, sweep);
        if (function == 0x0830) { // chord
            path.closeSubpath();
        }
    };
    arc(fill, box);
    arc(outline, line);
    Figure(fill, outline, function != 0x0817);
}

void TWmfPlayback::Polygons(const TWmfRecord& r, bool polyPolygon) {
    // The polygons' point counts, then their points (x, y); one polygon has its count only.
    std::vector<size_t> counts;
    size_t at = 1;
    if (polyPolygon) {
        const size_t polygons = r.U16(0);
        if (r.Words() < 1 + polygons) {
            return;
        }
        for (size_t i = 0; i < polygons; ++i) {
            counts.push_back(r.U16(1 + i));
        }
        at += polygons;
    } else {
        counts.push_back(static_cast<size_t>(std::max(0, r.I16(0))));
    }
    QPainterPath fill;
    fill.setFillRule(dc_.Winding ? Qt::WindingFill : Qt::OddEvenFill);
    QPainterPath outline;
    for (size_t count : counts) {
        // Points the record does not hold are not drawn.
        count = std::min(count, (r.Words() - std::min(at, r.Words())) / 2);
        if (count == 0) {
            continue;
        }
        QPolygonF points;
        points.reserve(static_cast<qsizetype>(count));
        for (size_t i = 0; i < count; ++i, at += 2) {
            points << ToDevice(r.I16(at), r.I16(at + 1));
        }
        fill.addPolygon(points);
        fill.closeSubpath();
        outline.addPolygon(points);
        outline.closeSubpath();
    }
    if (!fill.isEmpty()) {
        Figure(fill, outline, true);
    }
}

void TWmfPlayback::Polyline(const TWmfRecord& r) {
    const size_t held = r.Words() > 0 ? (r.Words() - 1) / 2 : 0;
    const size_t count = std::min<size_t>(std::max(0, r.I16(0)), held);
    if (count < 2) {
        return;
    }
    QPolygonF points;
    for (size_t i = 0; i < count; ++i) {
        points << ToDevice(r.I16(1 + 2 * i), r.I16(2 + 2 * i));
    }
    QPainterPath outline;
    outline.addPolygon(points);
    Figure(QPainterPath(), outline, false);
}

void TWmfPlayback::LineTo(double x, double y) {
    QPainterPath outline(ToDevice(dc_.Position.x(), dc_.Position.y()));
    outline.lineTo(ToDevice(x, y));
    dc_.Position = QPointF(x, y);
    Figure(QPainterPath(), outline, false);
}

bool TWmfPlayback::FigureRecord(const TWmfRecord& r) {
    switch (r.Function) {
    case 0x0214: // MoveTo
        if (r.Words() >= 2) {
            dc_.Position = QPointF(r.I16(1), r.I16(0));
        }
        return true;
    case 0x0213: // LineTo
        if (r.Words() >= 2) {
            LineTo(r.I16(1), r.I16(0));
        }
        return true;
    case 0x041B: // Rectangle
    case 0x0418: // Ellipse
    case 0x061C: // RoundRect
    case 0x0817: // Arc
    case 0x081A: // Pie
    case 0x0830: // Chord
        BoxFigure(r.Function, r);
        return true;
    case 0x0324: // Polygon
        Polygons(r, false);
        return true;
    case 0x0538: // PolyPolygon
        Polygons(r, true);
        return true;
    case 0x0325: // Polyline
        Polyline(r);
        return true;
    case 0x041F: { // SetPixel
        if (r.Words() < 4) {
            return true;
        }
        const QPointF p = ToDevice(r.I16(3), r.I16(2));
        const QRectF pixel(std::floor(p.x()), std::floor(p.y()), 1, 1);
        if (BeginDrawing(pixel)) {
            painter_->fillRect(pixel, ColourOf(r.U32(0)));
        }
        return true;
    }
    default:
        return false;
    }
}

// ---- clip -------------------------------------------------------------------------------------

bool TWmfPlayback::ClipRecord(const TWmfRecord& r) {
    switch (r.Function) {
    case 0x0416: // IntersectClipRect
        ClipRect(r, true);
        return true;
    case 0x0415: // ExcludeClipRect
        ClipRect(r, false);
        return true;
    case 0x0220: // OffsetClipRgn
        if (dc_.Clip && r.Words() >= 2) {
            const QPointF offset = ToDevice(r.I16(1), r.I16(0)) - ToDevice(0, 0);
            dc_.Clip->translate(WholePixel(offset.x()), WholePixel(offset.y()));
            clipDirty_ = true;
        }
        return true;
    default:
        return false;
    }
}

void TWmfPlayback::ClipRect(const TWmfRecord& r, bool intersect) {
    if (r.Words() < 4) {
        return;
    }
    const QRect rect = DevicePixels(DeviceRect(r.I16(3), r.I16(2), r.I16(1), r.I16(0)));
    const QRegion now = dc_.Clip ? *dc_.Clip : QRegion(Everything);
    const QRegion clip = intersect ? now.intersected(rect) : now.subtracted(rect);
    if (clip.rectCount() > MaxClipRects) {
        return;
    }
    dc_.Clip = clip;
    clipDirty_ = true;
}

void TWmfPlayback::ApplyClip() {
    if (!clipDirty_) {
        return;
    }
    // Back to the caller's clip, then within it the metafile's own.
    painter_->restore();
    painter_->save();
    painter_->setViewTransformEnabled(false);
    painter_->setTransform(QTransform());
    if (dc_.Clip) {
        painter_->setClipRegion(*dc_.Clip, Qt::IntersectClip);
    }
    clipDirty_ = false;
}
