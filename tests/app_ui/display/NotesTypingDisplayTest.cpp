// Typing into the main window's notes editor as a user does, checked on what the X server
// shows: every change reaches the screen by itself, with no click and no forced repaint.
#include "app/ui/NotesCommands.h"
#include "platform/graphics/Color.h"
#include "richtext/tables/RNTable.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/TempDir.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QMimeData>
#include <QScreen>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>

namespace {

// The share of pixels of `area` in `shot` that `pick` answers true for.
template <class Pick> double ShareOf(const QImage& shot, const QRect& area, Pick pick) {
    int hits = 0;
    int all = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            if (x >= 0 && y >= 0 && x < shot.width() && y < shot.height()) {
                ++all;
                hits += pick(shot.pixel(x, y)) ? 1 : 0;
            }
        }
    }
    return all == 0 ? 0.0 : static_cast<double>(hits) / all;
}

QColor OfRGB(uint32_t bgr) {
    return QColor(static_cast<int>(bgr & 0xFF), static_cast<int>((bgr >> 8) & 0xFF),
                  static_cast<int>((bgr >> 16) & 0xFF));
}

bool Near(QRgb pixel, const QColor& color) {
    return std::abs(qRed(pixel) - color.red()) < 40 &&
           std::abs(qGreen(pixel) - color.green()) < 40 &&
           std::abs(qBlue(pixel) - color.blue()) < 40;
}

// The window's pixels as the X server holds them: no repaint is asked for.
QImage ScreenOf(QWidget& window) {
    const QImage shot = window.screen()->grabWindow(window.winId()).toImage();
    QDir().mkpath(TARNWICK_SCREENSHOT_DIR);
    shot.save(TARNWICK_SCREENSHOT_DIR "/notes-typing-screen.png", "PNG");
    return shot;
}

// Waits for the event loop to bring what changed to the screen, without asking for it.
void LetItReachTheScreen() {
    for (int i = 0; i < 10; ++i) {
        QApplication::processEvents();
        QTest::qWait(30);
    }
}

// Keys at a person's pace: each one is handled and shown before the next comes.
void Press(QWidget& widget, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
    QTest::keyClick(&widget, key, modifiers);
    LetItReachTheScreen();
}

void Type(QWidget& widget, const char* text) {
    for (; *text != 0; ++text) {
        QTest::keyClicks(&widget, QString(QChar(*text)));
        LetItReachTheScreen();
    }
}

struct ScreenLines {
    ScreenLines(QWidget& window, TRichNoteEdit& edit, TColor selection)
        : Data(edit.EditData()), Shot(ScreenOf(window)),
          Origin(edit.mapTo(&window, edit.ClientOrigin()) -
                 QPoint(Data.GetHOffs(), Data.GetVOffs())),
          Selection(OfRGB(ColorToRGB(selection))) {}

    // Letter `k` of the `count` equal letters of item `itemNo`, as a screen rectangle.
    QRect Letter(int itemNo, int k, int count) const {
        const TRNDrawLineInfo& d = *Data.DrawItems[Data.FindDrawItemByItem(itemNo)];
        const int cell = d.Width / count;
        return {Origin.x() + d.Left + k * cell + 1, Origin.y() + d.Top, cell - 2, d.Height};
    }
    bool Inked(const QRect& r) const {
        return ShareOf(Shot, r, [](QRgb p) { return qGray(p) < 110; }) > 0.05;
    }
    bool Selected(const QRect& r) const {
        return ShareOf(Shot, r, [this](QRgb p) { return Near(p, Selection); }) > 0.3;
    }
    // Every letter of the item is drawn, and selected exactly when `selected` says.
    void Expect(int itemNo, int count, const std::function<bool(int)>& selected) const {
        for (int k = 0; k < count; ++k) {
            const QRect r = Letter(itemNo, k, count);
            EXPECT_TRUE(Inked(r)) << "line " << itemNo << " letter " << k << " not drawn";
            EXPECT_EQ(Selected(r), selected(k)) << "line " << itemNo << " letter " << k;
        }
    }

    TRNEditRNData& Data;
    QImage Shot;
    QPoint Origin;
    QColor Selection;
};

// The main window shown with a new note selected and its editor on the screen.
void ShowNewNote(MainWindowRig& rig, const char* title) {
    TFormVelmorRnx& window = rig.Make();
    rig.Lifecycle.Open = true;
    TTreeNode* note = rig.Add(NodeKind::Notes, title);
    window.resize(900, 600);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    window.activateWindow();
    window.Binder().Items().SetSelected(note);
    TRichNoteEdit& edit = window.NotesPart().Commands().RichNoteEdit1();
    ASSERT_TRUE(WaitUntil([&] { return edit.isVisible(); }));
    LetItReachTheScreen();
}

} // namespace

TEST(NotesTypingDisplay, TypedLinesAndShiftSelectionsReachTheScreenWithoutAClick) {
    MainWindowRig rig;
    ASSERT_NO_FATAL_FAILURE(ShowNewNote(rig, "Typed"));
    TFormVelmorRnx& window = *rig.Window;
    TRichNoteEdit& edit = window.NotesPart().Commands().RichNoteEdit1();
    const TColor selection = window.NotesPart().Commands().rns().SelColor;

    // One click puts the caret into the note, as a user does; nothing after it is clicked.
    QTest::mouseClick(&edit, Qt::LeftButton, {}, edit.ClientOrigin() + QPoint(40, 12));
    LetItReachTheScreen();
    ASSERT_TRUE(edit.hasFocus());
    Type(edit, "HHHHH");
    Press(edit, Qt::Key_Return);
    Type(edit, "MMMMM");
    Press(edit, Qt::Key_Left, Qt::ShiftModifier);
    TRNEditRNData& data = edit.EditData();
    ASSERT_EQ(data.ItemCount(), 2);
    ASSERT_EQ(data.GetItemText(0), "HHHHH");
    ASSERT_EQ(data.GetItemText(1), "MMMMM");
    ASSERT_TRUE(edit.SelectionExists());
    {
        const ScreenLines screen(window, edit, selection);
        screen.Expect(0, 5, [](int) { return false; });
        screen.Expect(1, 5, [](int k) { return k == 4; });
    }

    // The selection grows to the line's start: the letters the caret jumped over are marked.
    Press(edit, Qt::Key_Home, Qt::ShiftModifier);
    {
        const ScreenLines screen(window, edit, selection);
        screen.Expect(1, 5, [](int) { return true; });
    }

    // Typed at the start of the first line, the letters after the caret move right.
    Press(edit, Qt::Key_Up);
    Press(edit, Qt::Key_Home);
    Type(edit, "M");
    ASSERT_EQ(data.GetItemText(0), "MHHHHH");
    ASSERT_FALSE(edit.SelectionExists());
    {
        const ScreenLines screen(window, edit, selection);
        const QRect first = screen.Letter(0, 0, 1);
        // The old first letter's place now holds the wide one: no gap shows in the line.
        for (int k = 0; k < 6; ++k) {
            EXPECT_TRUE(screen.Inked(QRect(first.x() + k * first.width() / 6, first.y(),
                                           first.width() / 6 - 1, first.height())))
                << "letter " << k;
        }
        screen.Expect(1, 5, [](int) { return false; });
    }
    rig.Window.reset();
}

TEST(NotesTypingDisplay, AnInsertedTableReachesTheScreenWithoutAClick) {
    MainWindowRig rig;
    ASSERT_NO_FATAL_FAILURE(ShowNewNote(rig, "Table"));
    TFormVelmorRnx& window = *rig.Window;
    TRichNoteEdit& edit = window.NotesPart().Commands().RichNoteEdit1();
    QTest::mouseClick(&edit, Qt::LeftButton, {}, edit.ClientOrigin() + QPoint(40, 12));
    LetItReachTheScreen();
    Type(edit, "HHHHH");
    Press(edit, Qt::Key_Return);

    // The table is wider than the text so far: the whole note is laid out again.
    auto table = std::make_unique<TRNTableItemInfo>(2, 2, &edit.RNData());
    table->SetBorderWidth(2);
    table->SetBorderStyle(TRNTableBorderStyle::rntbColor);
    table->SetBorderColor(clBlack);
    table->SetBestWidth(-100);
    ASSERT_TRUE(edit.InsertItem("", std::move(table)));
    LetItReachTheScreen();
    TRNEditRNData& data = edit.EditData();
    int tableItem = -1;
    for (int i = 0; i < data.ItemCount(); ++i) {
        tableItem = dynamic_cast<const TRNTableItemInfo*>(&data.GetItem(i)) ? i : tableItem;
    }
    ASSERT_GE(tableItem, 0);
    const ScreenLines screen(window, edit, window.NotesPart().Commands().rns().SelColor);
    const TRNDrawLineInfo& d = *data.DrawItems[data.FindDrawItemByItem(tableItem)];
    // The table's left border runs down its height on the screen.
    const QRect leftEdge(screen.Origin.x() + d.Left, screen.Origin.y() + d.Top + 2, 3,
                         d.Height - 4);
    EXPECT_GT(ShareOf(screen.Shot, leftEdge, [](QRgb p) { return qGray(p) < 110; }), 0.25);
    screen.Expect(0, 5, [](int) { return false; });
    rig.Window.reset();
}

namespace {

// RTF of a picture of one colour, `width` x `height` pixels, then the text "MMMMM" on a line
// of its own, as a word processor writes a picture in front of text.
std::string PictureThenTextRtf(const QColor& color, int width, int height) {
    QImage picture(width, height, QImage::Format_RGB32);
    picture.fill(color);
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return "{\\rtf1\\ansi{\\fonttbl{\\f0 Arial;}}\\f0\\fs20 {\\pict\\pngblip\\picw" +
           std::to_string(width) + "\\pich" + std::to_string(height) + " " +
           png.toHex().toStdString() + "}\\par MMMMM\\par}";
}

} // namespace

// A picture followed by text, read from a file or pasted into a note shorter than the window,
// is drawn as soon as it is in: nothing waits for a resize or for the note to be shown again.
TEST(NotesTypingDisplay, AnInsertedPictureAndTextReachTheScreenWithoutAResize) {
    const QColor blue(0, 0, 255);
    const std::string rtf = PictureThenTextRtf(blue, 80, 50);
    for (const bool pasted : {false, true}) {
        SCOPED_TRACE(pasted ? "pasted" : "inserted as a file");
        FakeNotesPrompts prompts;
        MainWindowRig rig;
        ASSERT_NO_FATAL_FAILURE(ShowNewNote(rig, "Inserted"));
        TFormVelmorRnx& window = *rig.Window;
        TNotesCommands& commands = window.NotesPart().Commands();
        TRichNoteEdit& edit = commands.RichNoteEdit1();
        QTest::mouseClick(&edit, Qt::LeftButton, {}, edit.ClientOrigin() + QPoint(40, 12));
        LetItReachTheScreen();
        Type(edit, "HHHHH");
        Press(edit, Qt::Key_Return);
        commands.SetPrompts(prompts);
        if (pasted) {
            auto* data = new QMimeData;
            data->setData("text/rtf", QByteArray::fromStdString(rtf));
            QApplication::clipboard()->setMimeData(data);
            commands.Execute(TNoteAction::RPaste);
        } else {
            const TempDir dir;
            const std::string path = (dir / "picture.rtf").string();
            WriteFileBytes(path, rtf);
            prompts.File = TNoteFileChoice{path, 1};
            commands.Execute(TNoteAction::RInsertFile);
            ASSERT_TRUE(prompts.Messages.empty());
        }
        LetItReachTheScreen();
        TRNEditRNData& data = edit.EditData();
        int pictureItem = -1;
        int textItem = -1;
        for (int i = 0; i < data.ItemCount(); ++i) {
            if (!data.GetItem(i).IsText()) {
                pictureItem = i;
            } else if (data.GetItemText(i) == "MMMMM") {
                textItem = i;
            }
        }
        ASSERT_GE(pictureItem, 0);
        ASSERT_GT(textItem, pictureItem);
        ASSERT_LT(data.DocumentHeight, data.GetHeight());
        const ScreenLines screen(window, edit, commands.rns().SelColor);
        const TRNDrawLineInfo& d = *data.DrawItems[data.FindDrawItemByItem(pictureItem)];
        const QRect inside(screen.Origin.x() + d.Left + 10, screen.Origin.y() + d.Top + 10,
                           d.Width - 20, d.Height - 20);
        EXPECT_GT(ShareOf(screen.Shot, inside, [&](QRgb p) { return Near(p, blue); }), 0.9);
        screen.Expect(textItem, 5, [](int) { return false; });
        rig.Window.reset();
    }
}
