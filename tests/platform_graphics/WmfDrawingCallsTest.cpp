// No single drawing call of our player runs past the picture's time: a long outline is stroked
// a few segments at a time with the clock read between the pieces, the pieces light exactly
// what the whole outline lights, and a figure whose rows cost more than the time left is not
// drawn at all. The work is counted through the play's meter, not timed.
#include "Surface.h"

#include "platform/graphics/WmfPlayer.h"
#include "tests/support/WidePenMetafiles.h"

#include <gtest/gtest.h>

#include <QPainter>
#include <QPainterPath>

#include <climits>

using namespace metafile_fixture;

namespace {

// Counts the drawing calls of a play; its clock stands at `now` until it has been read `reads`
// times, then says the time is long up.
class TCountingMeter : public TPlayMeter {
public:
    struct TCall {
        qsizetype Edges;
        int Rows;
        int ReadsBefore;
    };

    explicit TCountingMeter(qint64 now = 0, int reads = INT_MAX) : now_(now), reads_(reads) {}

    qint64 Elapsed() override { return ++read_ > reads_ ? qint64{1} << 40 : now_; }
    void Drawing(qsizetype edges, int rows) override { Calls.push_back({edges, rows, read_}); }

    std::vector<TCall> Calls;

private:
    qint64 now_;
    int reads_;
    int read_ = 0;
};

constexpr qint64 PictureMillis = 1000;
constexpr QRgb Blue = 0xFF0000FF;

// `wmf` played over a white page of `size` pixels square, its frame filling it.
QImage Played(const std::string& wmf, int size, TPlayMeter& meter, bool* finished = nullptr) {
    QImage page(size, size, QImage::Format_RGB32);
    page.fill(Qt::white);
    QPainter painter(&page);
    const bool done = PlayWmf(wmf, ReadMetafileLayout(wmf), painter, QRectF(0, 0, size, size),
                              PictureMillis, meter);
    if (finished) {
        *finished = done;
    }
    return page;
}

// The pen word of a record: solid, with the cap and join given.
int PenStyle(Qt::PenCapStyle cap, Qt::PenJoinStyle join) {
    const int capBits = cap == Qt::SquareCap ? 0x100 : cap == Qt::FlatCap ? 0x200 : 0;
    const int joinBits = join == Qt::BevelJoin ? 0x1000 : join == Qt::MiterJoin ? 0x2000 : 0;
    return capBits | joinBits;
}

} // namespace

TEST(WmfDrawingCalls, AWidePolylinePrintedIsStrokedInPiecesWithTheClockReadBetween) {
    // The 8 KB polyline printed at 300 dpi: one call of it took half a minute.
    const std::string wmf = wide_pen::Wmf(2000, 100);
    const int page = wide_pen::Frame * 300 / 96;
    TCountingMeter meter;
    bool finished = false;
    const QImage printed = Played(wmf, page, meter, &finished);
    EXPECT_TRUE(finished);
    ASSERT_GT(meter.Calls.size(), 20u);
    for (const auto& call : meter.Calls) {
        EXPECT_LE(call.Edges, 2000 / 20);
    }
    // Drawn whole: the pen covers the zigzag's span from side to side.
    for (double at : {0.05, 0.5, 0.95}) {
        EXPECT_EQ(printed.pixel(static_cast<int>(at * page), page / 2), Blue) << at;
    }

    // When the clock says the time is up half-way, no call is made after it.
    const int reads = static_cast<int>(meter.Calls.size()) / 2;
    TCountingMeter stopping(0, reads);
    Played(wmf, page, stopping, &finished);
    EXPECT_FALSE(finished);
    ASSERT_FALSE(stopping.Calls.empty());
    EXPECT_LT(stopping.Calls.size(), meter.Calls.size());
    for (const auto& call : stopping.Calls) {
        EXPECT_LE(call.ReadsBefore, reads);
    }
}

TEST(WmfDrawingCalls, PiecesLightThePixelsOfTheWholeOutline) {
    const std::vector<QPointF> points = wide_pen::ZigzagPoints(300);
    for (const auto cap : {Qt::RoundCap, Qt::SquareCap, Qt::FlatCap}) {
        for (const auto join : {Qt::RoundJoin, Qt::MiterJoin, Qt::BevelJoin}) {
            for (const bool closed : {false, true}) {
                SCOPED_TRACE(testing::Message() << cap << " " << join << " closed " << closed);
                // A polyline, or a polygon with no brush, of the zigzag: 40 units wide.
                std::string params;
                WriteU16(params, static_cast<uint32_t>(points.size()));
                for (const QPointF& p : points) {
                    WriteU16(params, static_cast<uint32_t>(p.x()));
                    WriteU16(params, static_cast<uint32_t>(p.y()));
                }
                const std::string records =
                    WmfRecord(0x02FA, {PenStyle(cap, join), 40, 0, 0, 0x00FF}) +
                    WmfRecord(0x012D, {0}) + WmfRecord(0x02FC, {1, 0, 0, 0}) +
                    WmfRecord(0x012D, {1}) + WmfRecordBytes(closed ? 0x0324 : 0x0325, params);
                TCountingMeter meter;
                const QImage played =
                    Played(hostile_metafile::SquareWmf(records, wide_pen::Frame, 2),
                           wide_pen::Frame, meter);
                EXPECT_GT(meter.Calls.size(), 1u);

                // The whole outline in one call, as Qt strokes it.
                QImage whole(wide_pen::Frame, wide_pen::Frame, QImage::Format_RGB32);
                whole.fill(Qt::white);
                QPainterPath outline;
                outline.addPolygon(QPolygonF(QList<QPointF>(points.begin(), points.end())));
                if (closed) {
                    outline.closeSubpath();
                }
                QPainter painter(&whole);
                painter.strokePath(outline, QPen(QColor(0, 0, 255), 40, Qt::SolidLine, cap, join));
                painter.end();
                EXPECT_EQ(Differences(played, whole), 0);
            }
        }
    }
}

TEST(WmfDrawingCalls, AFigureWhoseRowsCostMoreThanTheTimeLeftIsNotDrawn) {
    // The zigzag filled, without a pen: some 2,000 long edges cross each row of the page.
    const std::vector<QPointF> points = wide_pen::ZigzagPoints(2000);
    std::string params;
    WriteU16(params, static_cast<uint32_t>(points.size()));
    for (const QPointF& p : points) {
        WriteU16(params, static_cast<uint32_t>(p.x()));
        WriteU16(params, static_cast<uint32_t>(p.y()));
    }
    const std::string fill = WmfRecord(0x02FA, {5, 0, 0, 0, 0}) + WmfRecord(0x012D, {0}) +
                             WmfRecord(0x02FC, {0, 0, 0x00FF, 0}) + WmfRecord(0x012D, {1});
    const std::string zigzag =
        hostile_metafile::SquareWmf(fill + WmfRecordBytes(0x0324, params), wide_pen::Frame, 2);
    const std::string square = hostile_metafile::SquareWmf(
        fill + WmfRecord(0x041B, {1000, 1000, 24, 24}), wide_pen::Frame, 2);
    const int page = wide_pen::Frame * 300 / 96;

    // With 5 ms left, the square is filled and the zigzag is not begun.
    TCountingMeter late(PictureMillis - 5);
    bool finished = false;
    EXPECT_EQ(Played(square, page, late, &finished).pixel(page / 2, page / 2), Blue);
    EXPECT_TRUE(finished);
    EXPECT_FALSE(late.Calls.empty());
    TCountingMeter later(PictureMillis - 5);
    EXPECT_EQ(Played(zigzag, page, later, &finished).pixel(page / 2, page / 2),
              qRgb(255, 255, 255));
    EXPECT_FALSE(finished);
    EXPECT_TRUE(later.Calls.empty());
}
