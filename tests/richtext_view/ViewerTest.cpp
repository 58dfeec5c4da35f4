#include "tests/support/TempDir.h"

#include "platform/graphics/Bitmap.h"
#include "platform/widgets/EmbeddedWidget.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/RichNote.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPushButton>
#include <QWheelEvent>

#include <memory>

namespace {

// A viewer that remembers the areas it was asked to paint.
class Viewer : public TRichNote {
public:
    using TRichNote::TRichNote;
    std::vector<TRect> Painted;

protected:
    void Paint() override {
        Painted.push_back(Canvas().ClipRect());
        TRichNote::Paint();
    }
};

struct Shown {
    TRNStyle Sheet;
    Viewer Note;

    explicit Shown(int lines, int width = 200, int height = 100) {
        Sheet.TextStyles()[0].FontName = "Arial";
        Sheet.TextStyles()[0].Size = 10;
        Sheet.Color = clWhite;
        Note.SetStyle(&Sheet);
        Note.resize(width, height);
        for (int i = 0; i < lines; ++i) {
            Note.AddNL("line " + std::to_string(i), 0, 0);
        }
        Note.Format();
        Note.show();
        QApplication::processEvents();
    }
    QImage Pixels() { return Note.grab().toImage().convertToFormat(QImage::Format_RGB32); }
};

QRgb Drawn(TColor color) {
    const uint32_t rgb = DrawnRGB(color);
    return qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
}

int Wheel(TRichNote& note, int delta) {
    QWheelEvent event(QPointF(10, 10), QPointF(10, 10), QPoint(), QPoint(0, delta), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&note, &event);
    return event.isAccepted();
}

TEST(Scroller, AShortDocumentStaysAtTheTopWithItsBarHiddenOrDisabled) {
    for (bool keep : {false, true}) {
        TRNStyle sheet;
        Viewer note;
        note.KeepVScrollDisabled = keep;
        note.SetStyle(&sheet);
        note.resize(200, 200);
        note.AddNL("short", 0, 0);
        note.Format();
        note.SetVPos(5, true);
        EXPECT_EQ(note.VPos(), 0);
        EXPECT_EQ(note.ScrollBarVisible(TScrollBarKind::sbVertical), keep);
        EXPECT_FALSE(note.ScrollBarEnabled(TScrollBarKind::sbVertical));
    }
}

TEST(Scroller, PositionsPastTheEndClampAndTheWheelScrollsByItsStep) {
    Shown s(100);
    EXPECT_TRUE(s.Note.ScrollBarEnabled(TScrollBarKind::sbVertical));
    s.Note.SetVPos(100000, true);
    EXPECT_EQ(s.Note.VPos(), s.Note.GetVScrollMax());
    EXPECT_GT(s.Note.VPos(), 0);
    // The last line is in view, not beyond it by more than the part of a step the page
    // leaves out.
    EXPECT_LE(s.Note.VPos() * s.Note.VSmallStep + s.Note.ClientHeight(),
              s.Note.GetDocumentHeight() + s.Note.VSmallStep +
                  s.Note.ClientHeight() % s.Note.VSmallStep);

    s.Note.SetVPos(10, true);
    EXPECT_TRUE(Wheel(s.Note, -60)); // half a notch waits for the other half
    EXPECT_EQ(s.Note.VPos(), 10);
    Wheel(s.Note, -60);
    EXPECT_EQ(s.Note.VPos(), 12);
    s.Note.WheelStep = 0;
    EXPECT_FALSE(Wheel(s.Note, -120)); // left to the parent
    EXPECT_EQ(s.Note.VPos(), 12);
}

TEST(Scroller, AFarChildIsPlacedWithinTheWindowSystemsRange) {
    TRNStyle sheet;
    Viewer note;
    note.SetStyle(&sheet);
    note.resize(200, 100);
    note.TopMargin = 49999;
    auto* button = new QPushButton("far");
    button->resize(40, 20);
    note.AddControlEx(
        "b", std::make_unique<TEmbeddedWidget>(std::unique_ptr<QWidget>(button), "TButton"), 0,
        TRNVAlign::rnvaBaseline);
    note.AddNL("after", 0, 0);
    note.Format();
    const int docY = note.RNData().DrawItems[0]->Top + 1;
    ASSERT_EQ(docY, 50000);
    EXPECT_EQ(WidgetTag(*button), docY);
    // Children sit in client coordinates, inside the border.
    const int edge = 2;
    EXPECT_EQ(button->y(), 10000 + edge);
    note.ScrollTo(docY - 30);
    const int windowY = docY - note.VPos() * note.VSmallStep;
    EXPECT_EQ(WidgetTag(*button), windowY);
    EXPECT_EQ(button->y(), windowY + edge);
    EXPECT_LT(windowY, note.ClientHeight());
}

// A paragraph far above a child that gains lines moves the child with everything below.
TEST(Scroller, AChildFarBelowAnEditMovesWithTheLinesAdded) {
    TRNStyle sheet;
    Viewer note;
    note.SetStyle(&sheet);
    note.resize(200, 100);
    for (int i = 0; i < 1500; ++i) {
        note.AddNL("line " + std::to_string(i), 0, 0);
    }
    auto* button = new QPushButton("far");
    button->resize(40, 20);
    note.AddControlEx(
        "b", std::make_unique<TEmbeddedWidget>(std::unique_ptr<QWidget>(button), "TButton"), 0,
        TRNVAlign::rnvaBaseline);
    note.Format();
    TCustomRNFormattedData& d = note.RNData();
    const int before = WidgetTag(*button);
    d.Items()[0].Text += " now runs on over a few more lines of the narrow window";
    d.FormatParas(0, 0, 0);
    EXPECT_GT(WidgetTag(*button), before);
    EXPECT_EQ(WidgetTag(*button), d.DrawItems[d.DrawItems.Count() - 1]->Top + 1);
}

// A single border is a sunken two-pixel edge outside the client area; without one the client
// area is the whole control. Either way a click lands on the same client and document point.
TEST(Scroller, ASingleBorderIsASunkenEdgeOutsideTheClientArea) {
    const auto qt = [](TColor color) {
        const uint32_t rgb = ColorToRGB(color);
        return qRgb(GetRValue(rgb), GetGValue(rgb), GetBValue(rgb));
    };
    const QRgb white = qt(clWhite);
    const QRgb shadow = qt(clBtnShadow);
    const QRgb darkShadow = qt(cl3DDkShadow);
    for (int edge : {2, 0}) {
        SCOPED_TRACE(edge);
        Shown s(30);
        s.Note.SetBorderStyle(edge ? TBorderStyle::bsSingle : TBorderStyle::bsNone);
        s.Note.SetVScrollVisible(false);
        EXPECT_EQ(s.Note.ClientWidth(), 200 - 2 * edge);
        EXPECT_EQ(s.Note.ClientHeight(), 100 - 2 * edge);

        s.Note.SetVPos(10, true);
        QApplication::processEvents();
        const QImage pixels = s.Pixels();
        EXPECT_EQ(pixels.pixel(0, 0), edge ? shadow : white);
        EXPECT_EQ(pixels.pixel(1, 1), edge ? darkShadow : white);
        EXPECT_EQ(pixels.pixel(edge, edge), white);
        EXPECT_EQ(pixels.pixel(edge, 99 - edge), white);

        const TRNDrawLineInfo& line = *s.Note.RNData().DrawItems[12];
        const int scrolled = s.Note.VPos() * s.Note.VSmallStep;
        const QPoint client(line.Left + line.Width - 1, line.Top + line.Height - 1 - scrolled);
        QPoint got(-1, -1);
        int found = -1;
        s.Note.OnMouseDown = [&](TMouseButton, TShiftState, int x, int y) {
            got = {x, y};
            found = s.Note.RNData().FindDrawItemAtPos(x + s.Note.HPos(), y + scrolled);
        };
        const QPointF at = client + QPoint(edge, edge);
        QMouseEvent press(QEvent::MouseButtonPress, at, s.Note.mapToGlobal(at), Qt::LeftButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&s.Note, &press);
        QMouseEvent release(QEvent::MouseButtonRelease, at, s.Note.mapToGlobal(at), Qt::LeftButton,
                            Qt::NoButton, Qt::NoModifier);
        QApplication::sendEvent(&s.Note, &release);
        EXPECT_EQ(got, client);
        EXPECT_EQ(found, 12);
    }
}

TEST(Scroller, AOneStepScrollRepaintsOnlyTheUncoveredStrip) {
    Shown s(40);
    s.Note.SetVPos(3, true);
    QApplication::processEvents();
    s.Note.Painted.clear();
    s.Note.SetVPos(4, true);
    QApplication::processEvents();
    ASSERT_FALSE(s.Note.Painted.empty());
    const int w = s.Note.ClientWidth();
    const int h = s.Note.ClientHeight();
    for (const TRect& r : s.Note.Painted) {
        EXPECT_GE(r.Top, h - s.Note.VSmallStep) << r.Top << ".." << r.Bottom;
    }
    Shown fresh(40);
    fresh.Note.SetVPos(4, true);
    fresh.Note.Invalidate();
    const QImage expected = fresh.Pixels();
    EXPECT_EQ(s.Pixels().copy(0, 0, w, h), expected.copy(0, 0, w, h));
}

TEST(Scroller, ThePaletteIsTheColourCubeBlueSlowest) {
    const std::vector<TRNPaletteEntry> palette = TRNScroller::GenerateLogPalette();
    ASSERT_EQ(palette.size(), 216u);
    EXPECT_EQ(palette[1].Red, 51);
    EXPECT_EQ(palette[6].Green, 51);
    EXPECT_EQ(palette[36].Blue, 51);
    EXPECT_EQ(palette[215].Red + palette[215].Green + palette[215].Blue, 3 * 255);
}

TEST(Viewer, ASmallStepGivingAScrollRangeOf32001OrMoreIsIgnored) {
    TRichNote note;
    note.RNData().DocumentHeight = 400000;
    struct Case {
        int Step, Expected;
    } cases[] = {{12, 10}, {0, 10}, {-1, 10}, {13, 13}, {12, 13}, {20, 20}};
    for (const Case& c : cases) {
        note.SetVSmallStep(c.Step);
        EXPECT_EQ(note.VSmallStep, c.Expected) << c.Step;
    }
}

TEST(Viewer, DraggingOutsideTheWindowScrollsBySteps) {
    const int h = 100;
    struct Case {
        int Y, Step;
    } cases[] = {{-30, -10}, {-21, -10}, {-20, -1},   {-5, -1},     {0, 0},
                 {h, 0},     {h + 5, 1}, {h + 20, 1}, {h + 21, 10}, {h + 30, 10}};
    for (const Case& c : cases) {
        EXPECT_EQ(TRichNote::AutoScrollStep(c.Y, h), c.Step) << c.Y;
    }
    Shown s(100);
    QMouseEvent press(QEvent::MouseButtonPress, QPointF(10, 10), QPointF(10, 10), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&s.Note, &press);
    EXPECT_TRUE(s.Note.ScrollTimerActive());
    QMouseEvent move(QEvent::MouseMove, QPointF(10, s.Note.ClientHeight() + 30),
                     QPointF(10, s.Note.ClientHeight() + 30), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(&s.Note, &move);
    s.Note.Perform(WM_TIMER, TRichNote::ScrollTimerId, 0);
    EXPECT_EQ(s.Note.VPos(), 10);
    QMouseEvent release(QEvent::MouseButtonRelease, QPointF(10, 10), QPointF(10, 10),
                        Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&s.Note, &release);
    EXPECT_FALSE(s.Note.ScrollTimerActive());
}

// Colour none is the style sheet's, or the window's without one.
TEST(Viewer, ASheetDestroyedFirstIsDroppedAndTheViewerPaintsWithoutIt) {
    TRichNote note;
    auto sheet = std::make_unique<TRNStyle>();
    sheet->Color = clYellow;
    note.SetStyle(sheet.get());
    TRNStyle other; // a sheet replaced earlier tells the viewer nothing any more
    note.SetStyle(&other);
    note.SetStyle(sheet.get());
    note.resize(120, 80);
    note.Format();
    note.show();
    const auto pixel = [&note] {
        return note.grab().toImage().convertToFormat(QImage::Format_RGB32).pixel(60, 60);
    };
    EXPECT_EQ(pixel(), Drawn(clYellow));
    sheet.reset();
    EXPECT_EQ(note.Style(), nullptr);
    EXPECT_EQ(pixel(), Drawn(clWindow));
}

TEST(Viewer, ANoteReadFromTheNotesFormatIsShownAsWritten) {
    TempDir dir;
    TRNStyle sheet;
    TFontInfo& big = sheet.TextStyles()[0];
    big.FontName = "Arial";
    big.Size = 28;
    big.Style = {TFontStyle::fsBold};
    big.Color = clRed;
    sheet.Color = clWhite;
    {
        TRichNote writer;
        writer.SetStyle(&sheet);
        writer.AddNL("MW", 0, 0);
        ASSERT_TRUE(writer.SaveRNF((dir / "note.rnf").string(), false));
    }
    TRichNote note;
    note.SetStyle(&sheet);
    note.resize(300, 120);
    ASSERT_TRUE(note.LoadRNF((dir / "note.rnf").string()));
    note.Format();
    note.show();
    ASSERT_TRUE(note.grab().save(QString::fromStdString((dir / "note.png").string())));
    QImage shown(QString::fromStdString((dir / "note.png").string()));
    shown = shown.convertToFormat(QImage::Format_RGB32);
    const TRNDrawLineInfo& d = *note.RNData().DrawItems[0];
    int red = 0;
    for (int y = d.Top; y < d.Top + d.Height; ++y) {
        for (int x = d.Left; x < d.Left + d.Width; ++x) {
            red += shown.pixel(x, y) == qRgb(255, 0, 0);
        }
    }
    EXPECT_GT(red, 20) << "text colour inside the glyphs' box";
    EXPECT_EQ(shown.pixel(d.Left + d.Width + 20, d.Top + d.Height / 2), qRgb(255, 255, 255));
    EXPECT_EQ(shown.pixel(d.Left + 3, d.Top + d.Height + 10), qRgb(255, 255, 255));
}

TEST(Viewer, ABackgroundFixedToTheWindowMakesScrollingRepaintEverything) {
    TRichNote note;
    TBitmap picture(8, 8);
    note.SetBackgroundStyle(TBackgroundStyle::bsTiled);
    EXPECT_FALSE(note.FullRedraw); // no picture yet
    note.SetBackgroundBitmap(picture);
    EXPECT_TRUE(note.FullRedraw);
    note.SetBackgroundStyle(TBackgroundStyle::bsTiledAndScrolled);
    EXPECT_FALSE(note.FullRedraw);
}

TEST(Scroller, ThumbPositionsBeyond16BitsAreTakenWhole) {
    TRNScroller scroller;
    scroller.resize(100, 100);
    scroller.UpdateScrollBars(100, 100000, true, true);
    scroller.Perform(WM_VSCROLL, SB_THUMBPOSITION | (70000u & 0xFFFF) << 16, 70000);
    EXPECT_EQ(scroller.VPos(), 70000);
    scroller.Tracking = false;
    scroller.Perform(WM_VSCROLL, SB_THUMBTRACK, 80000); // only the release moves it
    EXPECT_EQ(scroller.VPos(), 70000);
}

TEST(Viewer, AnExceptionFromAScrollHandlerGoesToTheApplicationsHandler) {
    std::vector<std::string> caught;
    SetApplicationExceptionHandler([&](const std::exception& e) { caught.push_back(e.what()); });
    Shown s(100);
    s.Note.OnVScrolled = [] { throw std::runtime_error("scrolled"); };
    Wheel(s.Note, -120);
    s.Note.Perform(WM_TIMER, TRichNote::ScrollTimerId, 0);
    QKeyEvent key(QEvent::KeyPress, Qt::Key_PageDown, Qt::NoModifier);
    QApplication::sendEvent(&s.Note, &key);
    SetApplicationExceptionHandler(nullptr);
    EXPECT_EQ(caught, (std::vector<std::string>{"scrolled", "scrolled"}));
}

TEST(Viewer, FilesOfEachFormatGoThroughTheDocument) {
    TempDir dir;
    TRNStyle sheet;
    TRichNote writer;
    writer.SetStyle(&sheet);
    writer.AddNL("first", 0, 0);
    writer.AddNL("second", 0, 0);
    ASSERT_TRUE(writer.SaveRTF((dir / "n.rtf").string(), false));
    ASSERT_TRUE(writer.SaveText((dir / "n.txt").string(), 80));
    ASSERT_TRUE(writer.SaveHTML((dir / "n.htm").string(), "Title", "img", {}));
    EXPECT_EQ(ReadFileBytes(dir / "n.txt"), "first\r\nsecond");
    EXPECT_NE(ReadFileBytes(dir / "n.htm").find("second"), std::string::npos);

    TRichNote reader;
    reader.SetStyle(&sheet);
    EXPECT_FALSE(reader.RTFReaderAssigned());
    ASSERT_TRUE(reader.LoadRTF((dir / "n.rtf").string()));
    EXPECT_TRUE(reader.RTFReaderAssigned());
    ASSERT_EQ(reader.GetLineCount(), 2);
    EXPECT_EQ(reader.GetItemText(1), "second");
    EXPECT_FALSE(reader.LoadRTF((dir / "missing.rtf").string()));
}

} // namespace
