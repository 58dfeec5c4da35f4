#pragma once

// Our player of Windows metafiles: the records word processors and drawing programs write
// (shapes, text, bitmaps, clipping and the window mapping) drawn straight with QPainter, with
// their exact colours and the text where the records put it. The bytes must have passed
// ReadMetafileLayout: every record lies inside them and every bitmap in them was checked.
// Each record is read only within its own bytes, unknown records are skipped, and a play
// stops when it has taken longer than a picture may.

#include "platform/graphics/MetafileRecords.h"

#include <QtGlobal>

#include <cstdint>
#include <string_view>

class QPainter;
class QRectF;

// Whether the metafile has a box its drawing fills: its own window, or else its frame.
bool WmfHasBox(const TMetafileLayout& layout);

// Where a play reads its time, and what it tells of the drawing calls it makes: every call is
// weighed before it is made and made only when it fits in the time left, so no single call
// runs past the play's time.
class TPlayMeter {
public:
    virtual ~TPlayMeter() = default;
    // Milliseconds since the play started.
    virtual qint64 Elapsed() = 0;
    // A drawing call of `edges` edges over `rows` device rows is being made.
    virtual void Drawing(qsizetype edges, int rows) {
        static_cast<void>(edges);
        static_cast<void>(rows);
    }
};

// A play's time in the CPU time of the thread that plays, which a busy machine does not stretch
// as it stretches the time on the clock: whether a picture is drawn does not depend on what else
// the machine does. What the thread does meanwhile that is not the play's can be left out.
class TCpuPlayMeter : public TPlayMeter {
public:
    TCpuPlayMeter();
    qint64 Elapsed() override;

protected:
    // Leaves `micros` of the thread's CPU time out of the play's.
    void LeaveOut(int64_t micros) { leftOut_ += micros; }

private:
    int64_t start_;
    int64_t leftOut_ = 0;
};

// Plays the records so that the metafile's box fills `target`, in the painter's current
// coordinates and under its clip, stopping where it is when `millis` of the thread's CPU time
// have passed. Draws nothing without a box. False when the time ran out before the end.
bool PlayWmf(std::string_view bytes, const TMetafileLayout& layout, QPainter& painter,
             const QRectF& target, qint64 millis);
// The same, the time read from `meter`.
bool PlayWmf(std::string_view bytes, const TMetafileLayout& layout, QPainter& painter,
             const QRectF& target, qint64 millis, TPlayMeter& meter);

// The box a Windows metafile's drawing covers, in its logical units; false when it draws
// nothing or the box lies beyond 16-bit coordinates. Sizes a metafile that has no frame.
bool WmfDrawingBox(std::string_view bytes, int32_t& left, int32_t& top, int32_t& right,
                   int32_t& bottom);
