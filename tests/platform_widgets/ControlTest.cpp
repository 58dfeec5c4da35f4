#include "platform/widgets/Control.h"
#include "platform/widgets/Cursors.h"
#include "platform/widgets/ScrollBar.h"
#include "platform/widgets/Timer.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QScrollBar>
#include <QTest>
#include <QWheelEvent>

#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace {

// A control that paints a fixed picture and writes down what reaches it.
class Probe : public TCustomControl {
public:
    std::vector<std::string> log;
    std::vector<TMessage> messages;
    int paints = 0;
    bool eatKeys = false;
    std::string paintError; // thrown after the paint has drawn, when set

protected:
    void Paint() override {
        ++paints;
        Canvas().Brush().SetColor(clWhite);
        Canvas().FillRect(ClientRect());
        Canvas().Brush().SetColor(clRed);
        Canvas().FillRect(Rect(10, 10, 30, 30));
        if (!paintError.empty()) {
            throw std::runtime_error(paintError);
        }
    }
    void MouseDown(TMouseButton b, TShiftState s, int x, int y) override {
        log.push_back("down " + std::to_string(static_cast<int>(b)) + " " +
                      std::to_string(s.Bits()) + " " + std::to_string(x) + "," + std::to_string(y));
    }
    void MouseUp(TMouseButton b, TShiftState s, int x, int y) override {
        log.push_back("up " + std::to_string(static_cast<int>(b)) + " " + std::to_string(s.Bits()) +
                      " " + std::to_string(x) + "," + std::to_string(y));
    }
    void Click() override { log.push_back("click"); }
    void DblClick() override { log.push_back("dblclick"); }
    void KeyDown(uint16_t& key, TShiftState s) override {
        log.push_back("keydown " + std::to_string(key) + " " + std::to_string(s.Bits()));
        if (eatKeys) {
            key = 0;
        }
    }
    void KeyPress(char16_t& key) override { log.push_back("keypress " + std::to_string(key)); }
    void KeyUp(uint16_t& key, TShiftState) override {
        log.push_back("keyup " + std::to_string(key));
    }
    bool DoMouseWheel(TShiftState, int delta, TPoint p) override {
        log.push_back("wheel " + std::to_string(delta) + " " + std::to_string(p.X));
        return true;
    }
    void Resize() override { log.push_back("resize " + std::to_string(ClientWidth())); }
    void Dispatch(TMessage& m) override {
        messages.push_back(m);
        if (m.Msg == WM_USER + 99 || (m.Msg == WM_TIMER && m.WParam == 99)) {
            throw std::runtime_error("handler failed");
        }
        m.Result = 42;
    }
};

QImage Shot(QWidget& w) {
    return w.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(Control, PaintsOffscreenIntoAnImage) {
    Probe probe;
    probe.resize(100, 60);
    probe.show();
    QImage image = Shot(probe);
    ASSERT_EQ(image.size(), QSize(100, 60));
    EXPECT_EQ(image.pixel(15, 15), qRgb(255, 0, 0));
    EXPECT_EQ(image.pixel(50, 50), qRgb(255, 255, 255));
    EXPECT_GE(probe.paints, 1);
}

TEST(Control, InvertedFiguresDrawnBetweenPaintsStayUntilDrawnAgain) {
    Probe probe;
    probe.resize(100, 60);
    probe.show();
    const QImage before = Shot(probe);
    TCanvas& canvas = probe.Canvas();
    canvas.Pen().SetMode(TPenMode::pmNot);
    canvas.MoveTo(20, 0);
    canvas.LineTo(20, 60);
    QImage drawn = Shot(probe);
    EXPECT_EQ(drawn.pixel(20, 15), qRgb(0, 255, 255));
    EXPECT_EQ(drawn.pixel(20, 50), qRgb(0, 0, 0));
    // A repaint of another part keeps the figure.
    probe.InvalidateRect(Rect(60, 0, 100, 60));
    probe.Update();
    EXPECT_EQ(Shot(probe).pixel(20, 50), qRgb(0, 0, 0));
    canvas.MoveTo(20, 0);
    canvas.LineTo(20, 60);
    canvas.Pen().SetMode(TPenMode::pmCopy);
    EXPECT_EQ(Shot(probe), before);
}

TEST(Control, ReceivesPostedMessagesInOrderFromAnyThread) {
    Probe probe;
    probe.PostMessage(WM_USER + 10, 3, 4);
    std::thread worker([&] {
        for (int i = 0; i < 20; ++i) {
            PostMessage(&probe, 3022, 0, i);
        }
    });
    worker.join();
    EXPECT_TRUE(probe.messages.empty());
    QCoreApplication::processEvents();
    ASSERT_EQ(probe.messages.size(), 21u);
    EXPECT_EQ(probe.messages[0].Msg, WM_USER + 10);
    EXPECT_EQ(probe.messages[0].WParam, 3u);
    EXPECT_EQ(probe.messages[0].LParam, 4);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(probe.messages[static_cast<size_t>(i) + 1].LParam, i);
    }
    EXPECT_EQ(probe.Perform(7, 0, 0), 42);

    // A handler that throws does not take the program down.
    std::string reported;
    SetApplicationExceptionHandler([&](const std::exception& e) { reported = e.what(); });
    probe.PostMessage(WM_USER + 99, 0, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(reported, "handler failed");
    SetApplicationExceptionHandler(nullptr);
}

TEST(Control, ErrorsOfPaintsAndTimersReachTheHandlerAsRepeatingOnes) {
    Probe probe;
    probe.resize(60, 60);
    probe.show();
    Shot(probe);
    std::vector<std::pair<std::string, TEventRecurrence>> reported;
    SetApplicationExceptionHandler([&](const std::exception& e) {
        reported.emplace_back(e.what(), ApplicationExceptionRecurrence());
        probe.KillTimer(99); // one tick is enough
    });
    probe.paintError = "paint failed";
    probe.Invalidate();
    // The paint shows what it drew before it failed.
    EXPECT_EQ(Shot(probe).pixel(15, 15), qRgb(255, 0, 0));
    probe.SetTimer(99, 1);
    QTRY_VERIFY_WITH_TIMEOUT(reported.size() >= 2, 2000);
    probe.PostMessage(WM_USER + 99, 0, 0);
    QCoreApplication::processEvents();
    SetApplicationExceptionHandler(nullptr);
    using R = TEventRecurrence;
    ASSERT_EQ(reported.size(), 3u);
    EXPECT_EQ(reported[0], std::make_pair(std::string("paint failed"), R::Repeats));
    EXPECT_EQ(reported[1], std::make_pair(std::string("handler failed"), R::Repeats));
    EXPECT_EQ(reported[2], std::make_pair(std::string("handler failed"), R::Once));
    EXPECT_EQ(ApplicationExceptionRecurrence(), R::Once);
}

TEST(Control, MouseClicksArriveAsTheFrameworkSendsThem) {
    Probe probe;
    probe.resize(100, 60);
    probe.show();
    probe.log.clear();
    QTest::mouseClick(&probe, Qt::LeftButton, Qt::ShiftModifier, QPoint(20, 25));
    EXPECT_EQ(probe.log, (std::vector<std::string>{"down 0 9 20,25", "click", "up 0 1 20,25"}));
    probe.log.clear();
    QTest::mouseClick(&probe, Qt::RightButton, {}, QPoint(5, 6));
    EXPECT_EQ(probe.log, (std::vector<std::string>{"down 1 16 5,6", "up 1 0 5,6"}));
    probe.log.clear();
    QTest::mouseDClick(&probe, Qt::LeftButton, {}, QPoint(7, 8));
    ASSERT_FALSE(probe.log.empty());
    auto dbl = std::find(probe.log.begin(), probe.log.end(), "dblclick");
    ASSERT_NE(dbl, probe.log.end());
    // After the double click: a mouse down with ssLeft and ssDouble, and no second click.
    ASSERT_NE(dbl + 1, probe.log.end());
    EXPECT_EQ(*(dbl + 1), "down 0 72 7,8");
    EXPECT_EQ(std::count(dbl, probe.log.end(), "click"), 0);
}

TEST(Control, KeysAndWheel) {
    Probe probe;
    probe.resize(100, 60);
    probe.show();
    probe.log.clear();
    QTest::keyClick(&probe, Qt::Key_A);
    QTest::keyClick(&probe, Qt::Key_Down, Qt::ControlModifier);
    EXPECT_EQ(probe.log,
              (std::vector<std::string>{"keydown 65 0", "keypress 97", "keyup 65", "keydown 17 4",
                                        "keydown 40 4", "keyup 40", "keyup 17"}));
    probe.log.clear();
    probe.eatKeys = true;
    QTest::keyClick(&probe, Qt::Key_Return);
    EXPECT_EQ(probe.log, (std::vector<std::string>{"keydown 13 0", "keyup 13"}));
    probe.log.clear();
    QWheelEvent wheel(QPointF(30, 10), probe.mapToGlobal(QPointF(30, 10)), QPoint(),
                      QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&probe, &wheel);
    EXPECT_EQ(probe.log, (std::vector<std::string>{"wheel -120 30"}));
    EXPECT_TRUE(wheel.isAccepted());
}

TEST(Control, WindowTimersAndTimers) {
    Probe probe;
    probe.SetTimer(111, 5);
    QTRY_VERIFY_WITH_TIMEOUT(probe.messages.size() >= 2, 2000);
    EXPECT_EQ(probe.messages[0].Msg, WM_TIMER);
    EXPECT_EQ(probe.messages[0].WParam, 111u);
    probe.KillTimer(111);
    QCoreApplication::processEvents();
    size_t count = probe.messages.size();
    QTest::qWait(30);
    EXPECT_EQ(probe.messages.size(), count);

    TTimer timer;
    int ticks = 0;
    timer.OnTimer = [&] { ++ticks; };
    timer.SetInterval(5);
    QTRY_VERIFY_WITH_TIMEOUT(ticks >= 2, 2000);
    timer.SetEnabled(false);
    QCoreApplication::processEvents();
    int stopped = ticks;
    QTest::qWait(30);
    EXPECT_EQ(ticks, stopped);
}

TEST(Control, OwnScrollBarsMoveOnlyWhenTheControlSaysSo) {
    Probe probe;
    probe.resize(100, 60);
    probe.show();
    probe.log.clear();
    probe.SetScrollInfo(TScrollBarKind::sbVertical, {0, 99, 10, 0}, true);
    EXPECT_TRUE(probe.ScrollBarVisible(TScrollBarKind::sbVertical));
    EXPECT_LT(probe.ClientWidth(), 100);
    EXPECT_EQ(probe.log,
              (std::vector<std::string>{"resize " + std::to_string(probe.ClientWidth())}));
    TScrollInfo info = probe.GetScrollInfo(TScrollBarKind::sbVertical);
    EXPECT_EQ(info.Max, 99);
    EXPECT_EQ(info.Page, 10);

    QScrollBar* bar = nullptr;
    for (QScrollBar* child : probe.findChildren<QScrollBar*>()) {
        if (child->orientation() == Qt::Vertical) {
            bar = child;
        }
    }
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->maximum(), 90);
    bar->triggerAction(QAbstractSlider::SliderPageStepAdd);
    ASSERT_EQ(probe.messages.size(), 1u);
    EXPECT_EQ(probe.messages[0].Msg, WM_VSCROLL);
    EXPECT_EQ(probe.messages[0].WParam & 0xFFFF, SB_PAGEDOWN);
    EXPECT_EQ(probe.GetScrollInfo(TScrollBarKind::sbVertical).Pos, 0);
    probe.SetScrollPos(TScrollBarKind::sbVertical, 10);
    EXPECT_EQ(probe.GetScrollInfo(TScrollBarKind::sbVertical).Pos, 10);
    bar->triggerAction(QAbstractSlider::SliderSingleStepSub);
    EXPECT_EQ(probe.messages.back().WParam, SB_LINEUP | 10u << 16);
    EXPECT_EQ(probe.messages.back().LParam, 10);

    // The side bar's own scroll bar keeps its position and lets OnScroll change the step.
    TScrollBar side;
    side.SetMax(250);
    side.SetLargeChange(100);
    std::vector<TScrollCode> codes;
    side.OnScroll = [&](TScrollCode code, int& pos) {
        codes.push_back(code);
        if (code == TScrollCode::scPageDown) {
            pos = 7;
        }
    };
    side.triggerAction(QAbstractSlider::SliderPageStepAdd);
    EXPECT_EQ(side.Position(), 7);
    side.triggerAction(QAbstractSlider::SliderSingleStepAdd);
    EXPECT_EQ(side.Position(), 8);
    EXPECT_EQ(codes, (std::vector<TScrollCode>{TScrollCode::scPageDown, TScrollCode::scLineDown}));
}

TEST(Control, CursorsKeysAndShiftStates) {
    EXPECT_EQ(CursorFor(crHandPoint).shape(), Qt::PointingHandCursor);
    EXPECT_EQ(CursorFor(crHSplit).shape(), Qt::SplitHCursor);
    EXPECT_EQ(CursorFor(crDefault).shape(), Qt::ArrowCursor);
    EXPECT_EQ(CursorFor(101).shape(), Qt::ArrowCursor);
    RegisterCursor(101, QCursor(Qt::OpenHandCursor));
    EXPECT_EQ(CursorFor(101).shape(), Qt::OpenHandCursor);
    Probe probe;
    probe.SetCursor(101);
    EXPECT_EQ(probe.cursor().shape(), Qt::OpenHandCursor);
    probe.SetCursor(crDefault);
    EXPECT_EQ(probe.cursor().shape(), Qt::ArrowCursor);

    EXPECT_EQ(VirtualKeyOf(Qt::Key_F4), VK_F4);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_7), '7');
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Escape), VK_ESCAPE);
    EXPECT_EQ(VirtualKeyOf(Qt::Key_Eacute), 0);
    TShiftState s = ShiftStateOf(Qt::AltModifier | Qt::ControlModifier, Qt::MiddleButton);
    EXPECT_TRUE(s.Contains(TShiftStateItem::ssAlt));
    EXPECT_TRUE(s.Contains(TShiftStateItem::ssCtrl));
    EXPECT_TRUE(s.Contains(TShiftStateItem::ssMiddle));
    EXPECT_FALSE(s.Contains(TShiftStateItem::ssShift));
    EXPECT_EQ(MouseButtonOf(Qt::MiddleButton), TMouseButton::mbMiddle);
}

TEST(Control, ScrollingTheSurfaceMovesPixelsAndRepaintsTheUncoveredStrip) {
    for (bool withRect : {false, true}) {
        Probe probe;
        probe.resize(100, 60);
        auto* child = new QWidget(&probe);
        child->setGeometry(50, 40, 5, 5);
        probe.show();
        Shot(probe);
        const int paints = probe.paints;
        const TRect client = probe.ClientRect();
        probe.ScrollWindowEx(0, -15, withRect ? &client : nullptr);
        const QImage scrolled = Shot(probe);
        EXPECT_EQ(probe.paints, paints + 1);
        // The red square (10..29) moved up by 15; only the uncovered strip was painted again.
        EXPECT_EQ(scrolled.pixel(15, 0), qRgb(255, 0, 0));
        EXPECT_EQ(scrolled.pixel(15, 14), qRgb(255, 0, 0));
        EXPECT_EQ(scrolled.pixel(15, 15), qRgb(255, 255, 255));
        EXPECT_EQ(scrolled.pixel(50, 50), qRgb(255, 255, 255));
        EXPECT_EQ(child->y(), withRect ? 40 : 25) << (withRect ? "with" : "without") << " a rect";
    }
}

TEST(Control, ABarKeptDisabledStaysShownWithNothingToScroll) {
    Probe probe;
    probe.resize(100, 60);
    probe.SetScrollBarKeepDisabled(TScrollBarKind::sbVertical, true);
    probe.SetScrollInfo(TScrollBarKind::sbVertical, {0, 5, 10, 0}, false);
    EXPECT_TRUE(probe.ScrollBarVisible(TScrollBarKind::sbVertical));
    EXPECT_FALSE(probe.ScrollBarEnabled(TScrollBarKind::sbVertical));
    probe.SetScrollInfo(TScrollBarKind::sbVertical, {0, 99, 10, 0}, true);
    EXPECT_TRUE(probe.ScrollBarEnabled(TScrollBarKind::sbVertical));
    probe.SetScrollBarKeepDisabled(TScrollBarKind::sbVertical, false);
    probe.SetScrollInfo(TScrollBarKind::sbVertical, {0, 5, 10, 0}, false);
    EXPECT_FALSE(probe.ScrollBarVisible(TScrollBarKind::sbVertical));
}
