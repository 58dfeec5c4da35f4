#pragma once

// Pictures of one polyline with a wide pen, zigzagging up and down over a frame of 1,024 units
// (screen pixels) in steps a fraction of a unit apart: every segment crosses nearly every row,
// and the rasterizer's work on a row grows with the square of the segments crossing it. Printed
// at 300 dpi in one drawing call, the 8 KB one took half a minute. Windows metafiles give a
// polyline at most 32,767 points a record, so a larger one goes on over several records.

#include "tests/support/HostileMetafiles.h"

#include <QPointF>

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

namespace wide_pen {

constexpr int Frame = 1024;
// The most points a Windows metafile's polyline record holds.
constexpr int MaxWmfPoints = 32767;

// The zigzag's points, in whole units: across the frame, up and down between 24 and 1,000.
inline std::vector<QPointF> ZigzagPoints(int count) {
    std::vector<QPointF> points;
    points.reserve(static_cast<size_t>(count));
    for (int64_t i = 0; i < count; ++i) {
        points.emplace_back(static_cast<double>(8 + 1000 * i / count), i % 2 ? 1000 : 24);
    }
    return points;
}

// A Windows metafile of the zigzag of `count` points drawn with a solid pen `pen` units wide
// in `colour` (0xRRGGBB), with the pen's `style` (caps and joins).
inline std::string Wmf(int count, int pen, uint32_t colour = 0x0000FF, int style = 0) {
    using namespace metafile_fixture;
    std::string records =
        WmfRecord(0x02FA, {style, pen, 0, ColourLow(colour), ColourHigh(colour)}) +
        WmfRecord(0x012D, {0});
    const std::vector<QPointF> points = ZigzagPoints(count);
    // Each record goes on from the last point of the one before.
    for (size_t first = 0; first + 1 < points.size(); first += MaxWmfPoints - 1) {
        const size_t end = std::min(points.size(), first + MaxWmfPoints);
        std::string params;
        WriteU16(params, static_cast<uint32_t>(end - first));
        for (size_t i = first; i < end; ++i) {
            WriteU16(params, static_cast<uint32_t>(points[i].x()));
            WriteU16(params, static_cast<uint32_t>(points[i].y()));
        }
        records += WmfRecordBytes(0x0325, params);
    }
    return hostile_metafile::SquareWmf(records, Frame, 1);
}

// The same zigzag as an enhanced metafile: one polyline record of 16-bit points, whatever the
// count, drawn with a geometric pen `pen` units wide.
inline std::string Emf(int count, int pen, uint32_t colour = 0x0000FF) {
    using namespace metafile_fixture;
    const auto bgr = static_cast<int32_t>((colour & 0xFF) << 16 | (colour & 0xFF00) | colour >> 16);
    std::string polyline;
    WriteU32(polyline, 87);
    WriteU32(polyline, 0); // its size, set below
    for (int32_t v : {0, 0, Frame, Frame, count}) {
        WriteU32(polyline, static_cast<uint32_t>(v));
    }
    for (const QPointF& p : ZigzagPoints(count)) {
        WriteU16(polyline, static_cast<uint32_t>(p.x()));
        WriteU16(polyline, static_cast<uint32_t>(p.y()));
    }
    polyline.resize((polyline.size() + 3) / 4 * 4, '\0');
    hostile_metafile::Patch32(polyline, 4, static_cast<uint32_t>(polyline.size()));
    const std::string records = EmfRecord(95, {1, 0, 0, 0, 0, 0x10000, pen, 0, bgr, 0, 0}) +
                                EmfRecord(37, {1}) + polyline + EmfRecord(14, {0, 16, 20});
    return EmfOf(records, 4, Frame, Frame);
}

// The sizes the reproducers come in: about 8 KB, 40 KB and 4 MB.
inline std::vector<int64_t> ReproducerPoints() {
    return {2000, 10000, 1000000};
}

} // namespace wide_pen
