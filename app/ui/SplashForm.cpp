#include "app/ui/SplashForm.h"

#include "app/binder/WindowTexts.h"

#include <QFont>
#include <QGuiApplication>
#include <QPainter>
#include <QPixmap>
#include <QScreen>

TForm7::TForm7() : QLabel(nullptr, Qt::SplashScreen | Qt::FramelessWindowHint) {
    setObjectName("Form7");
    QPixmap picture(360, 160);
    picture.fill(QColor(0x20, 0x40, 0x80));
    {
        QPainter painter(&picture);
        QFont font = painter.font();
        font.setPointSize(28);
        font.setBold(true);
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(picture.rect(), Qt::AlignCenter, ApplicationTitle);
    }
    setPixmap(picture);
    setFixedSize(picture.size());
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.left() + (area.width() - width()) / 2,
             area.top() + (area.height() - height()) / 2);
    }
}
