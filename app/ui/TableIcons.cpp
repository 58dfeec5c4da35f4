#include "app/ui/TableIcons.h"

#include "platform/widgets/FadedPicture.h"

#include <QImage>
#include <QPainter>
#include <QPixmap>

namespace {

enum class TSign { None, Plus, Cross };

struct TTableIconLook {
    QRect Band; // the marked part of the grid
    QColor BandColor;
    TSign Sign;
    bool InnerLines; // the grid's lines across the band
};

// The grid's lines lie at 1, 5, 10 and 14 both ways.
constexpr int Lines[] = {1, 5, 10, 14};
const QColor Added(60, 160, 60);
const QColor Removed(200, 50, 50);
const QColor Joined(60, 100, 200);

TTableIconLook LookOf(TTableIcon icon) {
    switch (icon) {
    case TTableIcon::InsertTable:
        return {{}, {}, TSign::Plus, true};
    case TTableIcon::DeleteTable:
        return {QRect(1, 1, 13, 13), Removed, TSign::Cross, true};
    case TTableIcon::RowBefore:
        return {QRect(1, 1, 13, 4), Added, TSign::None, true};
    case TTableIcon::RowAfter:
        return {QRect(1, 10, 13, 4), Added, TSign::None, true};
    case TTableIcon::ColBefore:
        return {QRect(1, 1, 4, 13), Added, TSign::None, true};
    case TTableIcon::ColAfter:
        return {QRect(10, 1, 4, 13), Added, TSign::None, true};
    case TTableIcon::DeleteRows:
        return {QRect(1, 5, 13, 5), Removed, TSign::Cross, true};
    case TTableIcon::DeleteCols:
        return {QRect(5, 1, 5, 13), Removed, TSign::Cross, true};
    case TTableIcon::Merge:
        return {QRect(1, 5, 13, 5), Joined, TSign::None, false};
    case TTableIcon::Split:
        return {QRect(5, 1, 5, 13), Joined, TSign::Plus, true};
    }
    return {};
}

} // namespace

QIcon TableIcon(TTableIcon icon) {
    const TTableIconLook look = LookOf(icon);
    QImage image(16, 16, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::white);
    QPainter p(&image);
    if (look.BandColor.isValid()) {
        p.fillRect(look.Band, look.BandColor.lighter(150));
    }
    p.setPen(QColor(70, 70, 70));
    for (int at : Lines) {
        p.drawLine(at, 1, at, 14);
        p.drawLine(1, at, 14, at);
    }
    if (!look.InnerLines) {
        // A joined band shows as one cell.
        p.fillRect(look.Band.adjusted(1, 1, -1, 0), look.BandColor.lighter(150));
    }
    const QColor signColor = look.BandColor.isValid() ? look.BandColor.darker(130) : Added;
    p.setPen(QPen(signColor, 2));
    const QPoint c = look.Band.isValid() ? look.Band.center() + QPoint(1, 1) : QPoint(11, 11);
    switch (look.Sign) {
    case TSign::Plus:
        p.drawLine(c.x() - 3, c.y(), c.x() + 3, c.y());
        p.drawLine(c.x(), c.y() - 3, c.x(), c.y() + 3);
        break;
    case TSign::Cross:
        p.drawLine(c.x() - 3, c.y() - 3, c.x() + 3, c.y() + 3);
        p.drawLine(c.x() - 3, c.y() + 3, c.x() + 3, c.y() - 3);
        break;
    case TSign::None:
        break;
    }
    p.end();
    return WithFadedDisabled(QIcon(QPixmap::fromImage(image)));
}
