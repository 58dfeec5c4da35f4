// Text typed or pasted after a picture or another item that is no text, in the notes editor as
// the window sets it up (its sheet, its options, its commands, keys sent as typed): it takes
// the text style the caret had before the picture went in, though the picture laid the whole
// note out again; and after a deleted selection, the style it had before.
#include "tests/app_ui/NotesRig.h"
#include "tests/app_ui/UiTestSupport.h"
#include "tests/support/TempDir.h"

#include <QAction>
#include <QClipboard>
#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// A picture `width` pixels wide; wider than any window, it lays the whole note out again.
std::string Picture(const TempDir& folder, int width) {
    QImage pixels(width, 30, QImage::Format_RGB32);
    pixels.fill(Qt::darkGreen);
    const std::string file = (folder / ("p" + std::to_string(width) + ".jpg")).string();
    pixels.save(QString::fromStdString(file), "JPG");
    return file;
}

struct StyleRig : NotesRig {
    StyleRig() {
        E().Clear();
        E().Format();
        E().setFocus();
    }
    void Type(const QString& text) { TypeInto(E(), text); }
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
        QTest::keyClick(&E(), key, modifiers);
    }
    void InsertPicture(const std::string& file) {
        Prompts.File = TNoteFileChoice{file, 1};
        Notes->Execute(TNoteAction::RInsertPic);
    }
    // The picture copied from a note of its own, and pasted.
    void PastePicture(const std::string& file) {
        StyleRig source;
        source.InsertPicture(file);
        source.E().SelectAll();
        source.Notes->Execute(TNoteAction::RCopy);
        Notes->Execute(TNoteAction::RPaste);
    }
    // The style of the item that holds `text`; -1 when none does.
    int StyleOf(const std::string& text) {
        for (int i = 0; i < D().ItemCount(); ++i) {
            if (D().GetItemText(i) == text) {
                return D().GetItemStyle(i);
            }
        }
        return -1;
    }
    bool BoldShown() {
        QApplication::processEvents();
        return Notes->Action(TNoteAction::RBold)->isChecked();
    }
};

} // namespace

TEST(NotesTextStyleAfterPicture, TypedAndPastedTextTakesTheStyleTheCaretHadBeforeThePicture) {
    // A bold first line from the start, no button used; the caret on an empty line after a
    // line in another style.
    const auto CourierLine = [](StyleRig& rig) {
        rig.Fill({{"Title", 1, 0}, {"courier", 3, 0}, {"", 3, 0}});
        rig.Caret(2, 1);
        return std::string("courier");
    };
    TempDir folder;
    const std::string wide = Picture(folder, 2400);
    struct Case {
        const char* what;
        // Types the note up to where the picture goes; answers the text whose style the text
        // after the picture takes.
        std::function<std::string(StyleRig&)> before;
        bool pasted = false;
    };
    const Case cases[] = {
        {"the first line made bold with B",
         [](StyleRig& rig) {
             rig.Type("Title");
             rig.Key(Qt::Key_Return);
             rig.Type("plain line");
             rig.SelectItem(0);
             rig.Notes->Execute(TNoteAction::RBold);
             rig.Key(Qt::Key_End, Qt::ControlModifier);
             rig.Key(Qt::Key_Return);
             rig.Type("second plain");
             rig.Key(Qt::Key_Return);
             return std::string("second plain");
         }},
        {"the second line of three made bold with B",
         [](StyleRig& rig) {
             rig.Type("Title");
             rig.Key(Qt::Key_Return);
             rig.Type("bold line");
             rig.Key(Qt::Key_Return);
             rig.Type("second plain");
             rig.SelectItem(1);
             rig.Notes->Execute(TNoteAction::RBold);
             rig.Key(Qt::Key_End, Qt::ControlModifier);
             rig.Key(Qt::Key_Return);
             return std::string("second plain");
         }},
        {"a bold first line and a line in another style", CourierLine},
        {"the same with the picture pasted", CourierLine, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StyleRig rig;
        const std::string like = c.before(rig);
        const int styleBefore = rig.D().CurTextStyleNo;
        if (c.pasted) {
            rig.PastePicture(wide);
        } else {
            rig.InsertPicture(wide);
        }
        ASSERT_TRUE(rig.Prompts.Messages.empty());
        ASSERT_FALSE(rig.D().GetItem(rig.D().ItemCount() - 1).IsText());
        EXPECT_EQ(rig.D().CurTextStyleNo, styleBefore);
        rig.Key(Qt::Key_Return);
        rig.Type("after picture");
        EXPECT_EQ(rig.StyleOf("after picture"), rig.StyleOf(like));
        EXPECT_EQ(rig.BoldShown(),
                  rig.ItemStyle(rig.D().ItemCount() - 1).Style.Contains(TFontStyle::fsBold));
        QApplication::clipboard()->setText(" and pasted");
        rig.Notes->Execute(TNoteAction::RPaste);
        EXPECT_EQ(rig.StyleOf("after picture and pasted"), rig.StyleOf(like));
    }
}

// A selected picture deleted after another (the widest item of the note, so the whole note is
// laid out again) leaves the caret after the first in the style it had, not the first line's.
TEST(NotesTextStyleAfterPicture, TextTypedWhereADeletedSelectionStoodTakesTheStyleBefore) {
    TempDir folder;
    StyleRig rig;
    rig.Fill({{"Title", 1, 0}, {"", 3, 0}});
    rig.Caret(1, 1);
    rig.InsertPicture(Picture(folder, 40));
    rig.InsertPicture(Picture(folder, 2400));
    const int wide = rig.D().ItemCount() - 1;
    ASSERT_FALSE(rig.D().GetItem(wide).IsText());
    ASSERT_EQ(rig.D().CurTextStyleNo, 3);
    rig.E().SetSelectionBounds(wide, 0, wide, 1);
    rig.Key(Qt::Key_Delete);
    ASSERT_EQ(rig.D().ItemCount(), wide);
    rig.Type("typed");
    EXPECT_EQ(rig.StyleOf("typed"), 3);
}
