#include "platform/widgets/Cursors.h"

#include "resources/cursors/SelectCol.xpm"
#include "resources/cursors/SelectRow.xpm"
#include "resources/cursors/ZoomIn.xpm"
#include "resources/cursors/ZoomOut.xpm"

#include <QPixmap>

#include <map>
#include <mutex>

namespace {

std::map<TCursor, QCursor>& Registered() {
    static std::map<TCursor, QCursor> table;
    return table;
}

std::mutex& TableLock() {
    static std::mutex lock;
    return lock;
}

Qt::CursorShape ShapeOf(TCursor cursor) {
    switch (cursor) {
    case crNone:
        return Qt::BlankCursor;
    case crCross:
        return Qt::CrossCursor;
    case crIBeam:
        return Qt::IBeamCursor;
    case crSizeNESW:
        return Qt::SizeBDiagCursor;
    case crSizeNS:
        return Qt::SizeVerCursor;
    case crSizeNWSE:
        return Qt::SizeFDiagCursor;
    case crSizeWE:
        return Qt::SizeHorCursor;
    case crUpArrow:
        return Qt::UpArrowCursor;
    case crHourGlass:
    case crSQLWait:
        return Qt::WaitCursor;
    case crDrag:
    case crMultiDrag:
        return Qt::DragCopyCursor;
    case crNoDrop:
    case crNo:
        return Qt::ForbiddenCursor;
    case crHSplit:
        return Qt::SplitHCursor;
    case crVSplit:
        return Qt::SplitVCursor;
    case crAppStart:
        return Qt::BusyCursor;
    case crHelp:
        return Qt::WhatsThisCursor;
    case crHandPoint:
        return Qt::PointingHandCursor;
    case crSizeAll:
        return Qt::SizeAllCursor;
    default:
        return Qt::ArrowCursor;
    }
}

} // namespace

QCursor CursorFor(TCursor cursor) {
    {
        std::lock_guard<std::mutex> guard(TableLock());
        auto it = Registered().find(cursor);
        if (it != Registered().end()) {
            return it->second;
        }
    }
    if (cursor == crZoomIn || cursor == crZoomOut) {
        // A magnifier with a plus or a minus, its hot spot in the lens.
        return QCursor(QPixmap(cursor == crZoomIn ? ZoomIn_xpm : ZoomOut_xpm), 12, 12);
    }
    if (cursor == crSelectRow) {
        // The hot spot at the arrow's tip.
        return QCursor(QPixmap(SelectRow_xpm), 25, 15);
    }
    if (cursor == crSelectCol) {
        return QCursor(QPixmap(SelectCol_xpm), 15, 25);
    }
    return QCursor(ShapeOf(cursor));
}

void RegisterCursor(TCursor cursor, const QCursor& shape) {
    std::lock_guard<std::mutex> guard(TableLock());
    Registered()[cursor] = shape;
}
