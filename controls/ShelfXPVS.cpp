#include "controls/ShelfXPVS.h"

#include <QApplication>
#include <QPainter>
#include <QStyle>
#include <QStyleOption>

#include <atomic>
#include <cctype>
#include <string>

struct TThemeClass {
    const char* name;
};

namespace {

std::atomic<bool> themesEnabled{true};

const TThemeClass Button{"button"};
const TThemeClass ScrollBar{"scrollbar"};
const TThemeClass ComboBox{"combobox"};
const TThemeClass Spin{"spin"};

QStyle* CurrentStyle() {
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        return nullptr;
    }
    return QApplication::style();
}

// Qt state flags of the common four-state cycle (normal, hot, pressed, disabled).
QStyle::State StateFlags(int cycle) {
    QStyle::State state;
    if (cycle != 4) {
        state |= QStyle::State_Enabled;
    }
    if (cycle == 2) {
        state |= QStyle::State_MouseOver;
    }
    state |= cycle == 3 ? QStyle::State_Sunken : QStyle::State_Raised;
    return state;
}

// A bevelled button with an arrow on it.
void ArrowButton(QStyle* style, QPainter& p, const QRect& r, QStyle::State state,
                 QStyle::PrimitiveElement arrow) {
    QStyleOption option;
    option.rect = r;
    option.state = state;
    option.palette = QApplication::palette();
    style->drawPrimitive(QStyle::PE_PanelButtonBevel, &option, &p);
    QStyleOption arrowOption = option;
    int inset = std::max(2, std::min(r.width(), r.height()) / 4);
    arrowOption.rect = r.adjusted(inset, inset, -inset, -inset);
    style->drawPrimitive(arrow, &arrowOption, &p);
}

std::string Describe(HTHEME theme, int part, int state, const TRect& r) {
    return std::string("DrawThemeBackground ") + theme->name + " " + std::to_string(part) + " " +
           std::to_string(state) + " " + std::to_string(r.Left) + "," + std::to_string(r.Top) +
           "," + std::to_string(r.Right) + "," + std::to_string(r.Bottom);
}

} // namespace

bool IsThemeActive() {
    return themesEnabled && CurrentStyle() != nullptr;
}

void SetThemesEnabled(bool enabled) {
    themesEnabled = enabled;
}

HTHEME OpenThemeData(QWidget*, std::string_view className) {
    if (!IsThemeActive()) {
        return nullptr;
    }
    std::string name;
    for (char c : className) {
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    for (HTHEME theme : {&Button, &ScrollBar, &ComboBox, &Spin}) {
        if (name == theme->name) {
            return theme;
        }
    }
    return nullptr;
}

void CloseThemeData(HTHEME) {}

bool DrawThemeBackground(HTHEME theme, TCanvas& canvas, int partId, int stateId, const TRect& r) {
    QStyle* style = CurrentStyle();
    if (!theme || !style || IsRectEmpty(r)) {
        return false;
    }
    QRect rect(r.Left, r.Top, r.Width(), r.Height());
    std::function<void(QPainter&)> paint;
    if (theme == &Button && partId == BP_PUSHBUTTON && stateId >= 1 && stateId <= 5) {
        paint = [=](QPainter& p) {
            QStyleOptionButton option;
            option.rect = rect;
            option.state = StateFlags(stateId == 5 ? 1 : stateId);
            option.palette = QApplication::palette();
            style->drawPrimitive(QStyle::PE_PanelButtonCommand, &option, &p);
        };
    } else if (theme == &Button && partId == BP_CHECKBOX && stateId >= 1 && stateId <= 12) {
        paint = [=](QPainter& p) {
            QStyleOptionButton option;
            option.rect = rect;
            option.state = StateFlags((stateId - 1) % 4 + 1);
            option.state |= stateId <= 4   ? QStyle::State_Off
                            : stateId <= 8 ? QStyle::State_On
                                           : QStyle::State_NoChange;
            option.palette = QApplication::palette();
            style->drawPrimitive(QStyle::PE_IndicatorCheckBox, &option, &p);
        };
    } else if (theme == &ScrollBar && partId == SBP_ARROWBTN && stateId >= 1 && stateId <= 16) {
        static const QStyle::PrimitiveElement arrows[4] = {
            QStyle::PE_IndicatorArrowUp, QStyle::PE_IndicatorArrowDown,
            QStyle::PE_IndicatorArrowLeft, QStyle::PE_IndicatorArrowRight};
        paint = [=](QPainter& p) {
            ArrowButton(style, p, rect, StateFlags((stateId - 1) % 4 + 1),
                        arrows[(stateId - 1) / 4]);
        };
    } else if (theme == &ComboBox && partId == CP_DROPDOWNBUTTON && stateId >= 1 && stateId <= 4) {
        paint = [=](QPainter& p) {
            ArrowButton(style, p, rect, StateFlags(stateId), QStyle::PE_IndicatorArrowDown);
        };
    } else if (theme == &Spin && partId >= SPNP_UP && partId <= SPNP_DOWNHORZ && stateId >= 1 &&
               stateId <= 4) {
        static const QStyle::PrimitiveElement arrows[4] = {
            QStyle::PE_IndicatorSpinUp, QStyle::PE_IndicatorSpinDown,
            QStyle::PE_IndicatorArrowRight, QStyle::PE_IndicatorArrowLeft};
        paint = [=](QPainter& p) {
            ArrowButton(style, p, rect, StateFlags(stateId), arrows[partId - 1]);
        };
    } else {
        return false;
    }
    canvas.PaintWith(Describe(theme, partId, stateId, r), [&](QPainter& p) {
        p.setClipRect(rect, Qt::IntersectClip);
        paint(p);
    });
    return true;
}
