#include "richtext/model/RNStyle.h"
#include "richtext/view/RNEdit.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QImage>
#include <QMouseEvent>
#include <QTest>

// The input method connection of a real display keeps a buffer of the system's message bus
// library until the process ends.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n";
}

namespace {

// Whether any pixel in the column range at the row range is darker than mid-grey.
bool DarkIn(const QImage& image, int left, int right, int top, int bottom) {
    for (int y = std::max(top, 0); y < std::min(bottom, image.height()); ++y) {
        for (int x = std::max(left, 0); x < std::min(right, image.width()); ++x) {
            if (qGray(image.pixel(x, y)) < 128) {
                return true;
            }
        }
    }
    return false;
}

// Formats, shows and focuses the editor on the screen.
::testing::AssertionResult ShowFocused(TRichNoteEdit& edit) {
    edit.resize(300, 100);
    edit.Format();
    edit.show();
    if (!QTest::qWaitForWindowExposed(&edit)) {
        return ::testing::AssertionFailure() << "the editor was never shown";
    }
    edit.activateWindow();
    edit.setFocus();
    QApplication::processEvents();
    return ::testing::AssertionSuccess();
}

} // namespace

TEST(NotesEditorDisplay, TypedTextPasteAndUndoAreDrawnWithTheCaret) {
    TRNStyle sheet;
    sheet.TextStyles()[0].Size = 12;
    TRichNoteEdit edit;
    edit.SetStyle(&sheet);
    edit.RNFOptions = {TRNFOption::rnfoSavePicturesBody, TRNFOption::rnfoSaveControlsBody,
                       TRNFOption::rnfoSaveBinary, TRNFOption::rnfoSaveTextStyles,
                       TRNFOption::rnfoSaveParaStyles};
    edit.EditorOptions = {TRNEditorOption::rnoClearTagOnStyleApp,
                          TRNEditorOption::rnoAutoSwitchLang};
    edit.SetUndoLimit(-1);
    ASSERT_TRUE(ShowFocused(edit));

    QTest::keyClicks(&edit, "HHHH");
    QApplication::clipboard()->setText("MMMM");
    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QApplication::processEvents();
    QTest::keyClick(&edit, Qt::Key_Z, Qt::ControlModifier);
    QApplication::processEvents();
    edit.Update();

    const TRect caret = edit.Caret().Bounds();
    const QImage shot = edit.grab().toImage();
    QDir().mkpath(TARNWICK_SCREENSHOT_DIR);
    EXPECT_TRUE(shot.save(TARNWICK_SCREENSHOT_DIR "/notes-editor-typing.png"));
    // The typed text is drawn left of the caret; the undone paste leaves nothing right of it.
    const int top = caret.Top;
    const int bottom = caret.Bottom;
    EXPECT_GT(caret.Left, edit.LeftMargin);
    EXPECT_TRUE(DarkIn(shot, edit.LeftMargin, caret.Left - 1, top, bottom));
    EXPECT_FALSE(DarkIn(shot, caret.Left + 3, caret.Left + 60, top, bottom));
}

TEST(NotesEditorDisplay, AMouseSelectionGoesToThePrimarySelectionNotTheClipboard) {
    ASSERT_TRUE(QApplication::clipboard()->supportsSelection());
    TRNStyle sheet;
    sheet.TextStyles()[0].Size = 12;
    TRichNoteEdit edit;
    edit.SetStyle(&sheet);
    edit.AddNL("hello world", 0, 0);
    ASSERT_TRUE(ShowFocused(edit));
    QApplication::clipboard()->setText("XYZ");
    QApplication::processEvents();

    // From before the first letter to past the last one, as a hand drags it.
    const int y = edit.TopMargin + 4;
    const QPoint from(edit.LeftMargin, y);
    const QPoint to(edit.LeftMargin + 200, y);
    QTest::mousePress(&edit, Qt::LeftButton, Qt::NoModifier, from);
    for (int x = from.x(); x <= to.x(); x += 20) {
        QMouseEvent move(QEvent::MouseMove, QPointF(x, y), edit.mapToGlobal(QPointF(x, y)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&edit, &move);
    }
    QTest::mouseRelease(&edit, Qt::LeftButton, Qt::NoModifier, to);
    QApplication::processEvents();
    ASSERT_EQ(edit.GetSelText(), "hello world");
    EXPECT_EQ(QApplication::clipboard()->text(), "XYZ");

    QTest::keyClick(&edit, Qt::Key_V, Qt::ControlModifier);
    QApplication::processEvents();
    ASSERT_EQ(edit.GetLineCount(), 1);
    EXPECT_EQ(edit.GetItemText(0), "XYZ");
    EXPECT_EQ(QApplication::clipboard()->text(), "XYZ");
    EXPECT_EQ(QApplication::clipboard()->text(QClipboard::Selection), "hello world");
}
