// The notes commands on an editor without the main window: style conversions and paragraph
// styles on the sheet rns, the note kept in a record, and the files read and written.
#include "app/binder/PageInfo.h"
#include "app/ui/NotesFonts.h"
#include "app/ui/NotesStorage.h"
#include "app/ui/NotesStyles.h"
#include "app/ui/dialogs/FindDialog.h"
#include "app/ui/notes_sheet/NotesStyleSheet.h"
#include "platform/base/CodePage.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "platform/widgets/Cursors.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNUni.h"

#include "richtext/model/RNItemRegistry.h"
#include "richtext/tables/RNTable.h"

#include "tests/app_ui/NotesRig.h"
#include "tests/richtext_tables/TableStreams.h"
#include "tests/support/MetafileFixtures.h"
#include "tests/support/NotesSheet.h"
#include "tests/support/Permissions.h"
#include "tests/support/TempDir.h"

#include <QClipboard>
#include <QComboBox>
#include <QFontDatabase>
#include <QImage>
#include <QKeyEvent>
#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

using S = TFontStyle;

TEST(NotesStyles, EachConversionCodeFindsOrAddsTheStyleItNames) {
    struct Case {
        int code;
        int from;
        bool added;
        std::function<bool(const TFontInfo&)> wanted;
    };
    const TConversionOperands operands{7, clRed, "Courier New"};
    const Case cases[] = {
        {ncBoldOn, 0, true, [](const TFontInfo& f) { return f.Style == TFontStyles{S::fsBold}; }},
        {ncBoldOff, 1, true, [](const TFontInfo& f) { return f.Style == TFontStyles{}; }},
        {ncItalicOn, 0, true, [](const TFontInfo& f) { return f.Style.Contains(S::fsItalic); }},
        {ncItalicOff, 3, true, [](const TFontInfo& f) { return f.Style == TFontStyles{}; }},
        {ncUnderlineOn, 0, true,
         [](const TFontInfo& f) { return f.Style.Contains(S::fsUnderline); }},
        {ncUnderlineOff, 4, true, [](const TFontInfo& f) { return f.Style == TFontStyles{}; }},
        {ncStrikeOutOn, 0, true,
         [](const TFontInfo& f) { return f.Style.Contains(S::fsStrikeOut); }},
        {ncFontName, 0, true, [](const TFontInfo& f) { return f.FontName == "Courier New"; }},
        {ncFontSize, 0, true, [](const TFontInfo& f) { return f.Size == 7; }},
        {ncTextColor, 0, true, [](const TFontInfo& f) { return f.Color == clRed; }},
        {ncBackColor, 0, true, [](const TFontInfo& f) { return f.BackColor == clRed; }},
        // Already so: the style itself.
        {ncBoldOn, 1, false, [](const TFontInfo& f) { return f.StyleName == "Heading"; }},
        {ncStrikeOutOff, 0, false, [](const TFontInfo& f) { return f.StyleName == "Normal"; }},
        {5, 2, false, [](const TFontInfo& f) { return f.StyleName == "Subheading"; }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.code);
        TRNStyle sheet;
        SetUpNotesSheet(sheet);
        TFontInfos& styles = sheet.TextStyles();
        const int result = ConvertNoteStyle(styles, c.from, c.code, operands);
        EXPECT_EQ(styles.Count(), c.added ? 13 : 12);
        EXPECT_EQ(result, c.added ? 12 : c.from);
        EXPECT_TRUE(c.wanted(styles[result]));
        // Asked again, the style is found.
        EXPECT_EQ(ConvertNoteStyle(styles, c.from, c.code, operands), result);
        EXPECT_EQ(styles.Count(), c.added ? 13 : 12);
    }
}

// The tests that build notes without the window take these options: they must be the editor's.
TEST(NotesStyles, TheEditorKeepsNotesWithTheSharedOptions) {
    NotesRig rig;
    EXPECT_EQ(rig.E().Options, NotesDocumentOptions());
    EXPECT_TRUE(NotesDocumentOptions().Contains(TRNOption::rnoTagsArePChars));
    EXPECT_EQ(rig.E().RNFOptions, NotesRNFOptions());
    // Picture and control bodies, binary, text and paragraph styles.
    EXPECT_EQ(NotesRNFOptions().Bits(), 3139u);
    EXPECT_EQ(rig.E().RTFOptions, NotesRTFOptions());
}

TEST(NotesCommands, FontStyleButtonsToggleAndReuseWhatTheyAdded) {
    struct Case {
        TNoteAction action;
        TFontStyle style;
    };
    for (const Case c :
         {Case{TNoteAction::RBold, S::fsBold}, Case{TNoteAction::RItalic, S::fsItalic},
          Case{TNoteAction::RUnderscore, S::fsUnderline},
          Case{TNoteAction::Rmiddlescore, S::fsStrikeOut}}) {
        SCOPED_TRACE(static_cast<int>(c.action));
        NotesRig rig;
        rig.Fill({{"first", 0, 0}, {"second", 0, 0}});
        rig.SelectItem(0);
        rig.Notes->Execute(c.action);
        EXPECT_TRUE(rig.ItemStyle(0).Style.Contains(c.style));
        EXPECT_EQ(rig.Styles(), 13);
        // One Undo takes the whole change back (the style stays on the sheet).
        rig.E().Undo();
        EXPECT_EQ(rig.D().GetItemStyle(0), 0);
        EXPECT_EQ(rig.D().UndoList().Count(), 0);
        rig.E().Redo();
        rig.SelectItem(1);
        rig.Notes->Execute(c.action);
        EXPECT_EQ(rig.Styles(), 13);
        EXPECT_EQ(rig.D().GetItemStyle(1), rig.D().GetItemStyle(0));
        // On text that has it, the button takes it off again.
        rig.SelectItem(1);
        rig.Notes->Execute(c.action);
        EXPECT_EQ(rig.D().GetItemStyle(1), 0);
        EXPECT_EQ(rig.Styles(), 13);
    }
}

// Bold, then Italic on the same words: the second button finds them still selected.
TEST(NotesCommands, StyleButtonsLeaveTheirTextSelected) {
    for (const bool backward : {false, true}) {
        SCOPED_TRACE(backward);
        NotesRig rig;
        rig.Fill({{"hello world", 0, 0}});
        if (backward) {
            rig.E().SetSelectionBounds(0, 6, 0, 1);
        } else {
            rig.E().SetSelectionBounds(0, 1, 0, 6);
        }
        ASSERT_TRUE(rig.Notes->Action(TNoteAction::RCopy)->isEnabled());
        rig.Notes->Action(TNoteAction::RBold)->trigger();
        rig.Notes->Action(TNoteAction::RItalic)->trigger();
        ASSERT_EQ(rig.D().GetItemText(0), "hello");
        EXPECT_EQ(rig.ItemStyle(0).Style, (TFontStyles{S::fsBold, S::fsItalic}));
        EXPECT_EQ(rig.D().GetItemText(1), " world");
        EXPECT_EQ(rig.ItemStyle(1).Style, TFontStyles{});
        int startNo = 0, startOffs = 0, endNo = 0, endOffs = 0;
        rig.E().GetSelectionBounds(startNo, startOffs, endNo, endOffs, false);
        EXPECT_EQ(std::vector<int>({startNo, startOffs, endNo, endOffs}),
                  backward ? std::vector<int>({0, 6, 0, 1}) : std::vector<int>({0, 1, 0, 6}));
        EXPECT_EQ(rig.E().GetSelText(), "hello");
        for (TNoteAction action : {TNoteAction::RCopy, TNoteAction::RCut, TNoteAction::RDelete}) {
            EXPECT_TRUE(rig.Notes->Action(action)->isEnabled());
        }
        // A third button finds the same words.
        rig.Notes->Action(TNoteAction::RUnderscore)->trigger();
        EXPECT_EQ(rig.ItemStyle(0).Style, (TFontStyles{S::fsBold, S::fsItalic, S::fsUnderline}));
        EXPECT_EQ(rig.ItemStyle(1).Style, TFontStyles{});
        EXPECT_EQ(rig.E().GetSelText(), "hello");
    }
}

// After every style change the buttons show the text the next press acts on, so one press of
// a checked button takes its style off.
TEST(NotesCommands, StyleButtonsShowTheSelectedTextAfterEachChange) {
    const auto checked = [](NotesRig& rig) {
        TFontStyles shown;
        if (rig.Notes->Action(TNoteAction::RBold)->isChecked()) {
            shown.Include(S::fsBold);
        }
        if (rig.Notes->Action(TNoteAction::RItalic)->isChecked()) {
            shown.Include(S::fsItalic);
        }
        return shown;
    };
    const auto press = [](NotesRig& rig, TNoteAction action) {
        rig.Notes->Action(action)->trigger();
        QApplication::processEvents();
    };
    for (const bool backward : {false, true}) {
        SCOPED_TRACE(backward);
        NotesRig rig;
        rig.Fill({{"hello", 0, 0}});
        if (backward) {
            rig.E().SetSelectionBounds(0, 6, 0, 1);
        } else {
            rig.SelectItem(0);
        }
        press(rig, TNoteAction::RBold);
        press(rig, TNoteAction::RItalic);
        EXPECT_EQ(rig.ItemStyle(0).Style, (TFontStyles{S::fsBold, S::fsItalic}));
        EXPECT_EQ(checked(rig), (TFontStyles{S::fsBold, S::fsItalic}));
        press(rig, TNoteAction::RBold);
        EXPECT_EQ(rig.ItemStyle(0).Style, TFontStyles{S::fsItalic});
        EXPECT_EQ(checked(rig), TFontStyles{S::fsItalic});
        press(rig, TNoteAction::RItalic);
        EXPECT_EQ(rig.ItemStyle(0).Style, TFontStyles{});
        EXPECT_EQ(checked(rig), TFontStyles{});
        EXPECT_EQ(rig.D().GetItemText(0), "hello");
        EXPECT_EQ(rig.E().GetSelText(), "hello");
    }
    {
        SCOPED_TRACE("mixed");
        NotesRig rig;
        rig.Fill({{"hello world", 0, 0}});
        rig.E().SetSelectionBounds(0, 7, 0, 12);
        press(rig, TNoteAction::RBold);
        ASSERT_EQ(rig.D().GetItemText(1), "world");
        // Over plain and bold text, the buttons show the plain start.
        rig.E().SetSelectionBounds(0, 1, 1, 6);
        press(rig, TNoteAction::RItalic);
        EXPECT_EQ(checked(rig), TFontStyles{S::fsItalic});
        press(rig, TNoteAction::RBold);
        EXPECT_EQ(rig.D().GetItemText(0), "hello world");
        EXPECT_EQ(rig.ItemStyle(0).Style, (TFontStyles{S::fsBold, S::fsItalic}));
        EXPECT_EQ(checked(rig), (TFontStyles{S::fsBold, S::fsItalic}));
    }
    {
        SCOPED_TRACE("caret");
        NotesRig rig;
        rig.Fill({{"hello", 0, 0}});
        rig.Caret(0, 6);
        press(rig, TNoteAction::RBold);
        press(rig, TNoteAction::RItalic);
        EXPECT_EQ(checked(rig), (TFontStyles{S::fsBold, S::fsItalic}));
        ASSERT_TRUE(rig.E().InsertText("x"));
        ASSERT_EQ(rig.D().ItemCount(), 2);
        EXPECT_EQ(rig.D().GetItemText(1), "x");
        EXPECT_EQ(rig.ItemStyle(1).Style, (TFontStyles{S::fsBold, S::fsItalic}));
        press(rig, TNoteAction::RBold);
        EXPECT_EQ(checked(rig), TFontStyles{S::fsItalic});
        ASSERT_TRUE(rig.E().InsertText("y"));
        EXPECT_EQ(rig.D().GetItemText(2), "y");
        EXPECT_EQ(rig.ItemStyle(2).Style, TFontStyles{S::fsItalic});
    }
}

TEST(NotesCommands, FontSizeStepsByOneAndStopsAtOne) {
    struct Case {
        TNoteAction action;
        int size, expected;
    };
    for (const Case c :
         {Case{TNoteAction::RFontIncrease, 10, 11}, Case{TNoteAction::RFontDecrease, 10, 9},
          Case{TNoteAction::RFontDecrease, 1, 1}}) {
        SCOPED_TRACE(c.size);
        NotesRig rig;
        TFontInfo& start = rig.Sheet().TextStyles().Add();
        start.Assign(rig.Sheet().TextStyles()[0]);
        start.Size = c.size;
        rig.Fill({{"word", 12, 0}});
        rig.SelectItem(0);
        rig.Notes->Execute(c.action);
        EXPECT_EQ(rig.ItemStyle(0).Size, c.expected);
        EXPECT_EQ(rig.Styles(), c.size == c.expected ? 13 : 14);
    }
}

TEST(NotesCommands, ColoursAndFontsApplyOnlyWhatTheUserChose) {
    struct Case {
        TNoteAction action;
        std::optional<TColor> chosen;
        std::function<bool(NotesRig&)> applied;
    };
    const Case cases[] = {
        {TNoteAction::RTextColor, clRed, [](NotesRig& r) { return r.ItemStyle(0).Color == clRed; }},
        {TNoteAction::RTxBgColor, clRed,
         [](NotesRig& r) { return r.ItemStyle(0).BackColor == clRed; }},
        {TNoteAction::RParagraphBgColor, clRed,
         [](NotesRig& r) {
             return r.Sheet().ParaStyles()[r.D().GetItemPara(0)].Background.Color == clRed;
         }},
        {TNoteAction::RTextColor, std::nullopt, nullptr},
        {TNoteAction::RTxBgColor, std::nullopt, nullptr},
        {TNoteAction::RParagraphBgColor, std::nullopt, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(static_cast<int>(c.action));
        NotesRig rig;
        rig.Fill({{"word", 0, 0}});
        rig.SelectItem(0);
        const std::string before = rig.Rnf();
        const int undo = rig.D().UndoList().Count();
        rig.Prompts.Color = c.chosen;
        rig.Notes->Execute(c.action);
        if (c.applied) {
            EXPECT_TRUE(c.applied(rig));
            EXPECT_TRUE(rig.Host.Dirty);
        } else {
            EXPECT_EQ(rig.Rnf(), before);
            EXPECT_EQ(rig.D().UndoList().Count(), undo);
            EXPECT_FALSE(rig.Host.Dirty);
            EXPECT_EQ(rig.Styles(), 12);
            EXPECT_EQ(rig.Sheet().ParaStyles().Count(), 9);
        }
    }
    // A font is applied when the user picks it from the list.
    NotesRig rig;
    rig.Fill({{"word", 0, 0}});
    rig.SelectItem(0);
    QComboBox& fonts = rig.Notes->combH();
    ASSERT_GT(fonts.count(), 0);
    fonts.setCurrentIndex(fonts.count() - 1);
    rig.Notes->combHClick();
    EXPECT_EQ(rig.ItemStyle(0).FontName, fonts.currentText().toStdString());
}

TEST(NotesCommands, IndentStepsReuseParagraphStylesAndStayInTheEditor) {
    NotesRig rig;
    TParaInfo& forty = rig.Sheet().ParaStyles().Add();
    forty.LeftIndent = 40;
    rig.Fill({{"forty", 0, 9}, {"fifty", 0, 1}, {"centred", 0, 2}, {"plain", 0, 0}});
    const auto indent = [&](int item) {
        return rig.Sheet().ParaStyles()[rig.D().GetItemPara(item)];
    };
    const auto at = [&](int item, TNoteAction action) {
        rig.Caret(item, 1);
        rig.Notes->Execute(action);
    };
    at(0, TNoteAction::RLeftAdj);
    EXPECT_EQ(rig.D().GetItemPara(0), 9);
    at(1, TNoteAction::RLeftAdj);
    EXPECT_EQ(indent(1).LeftIndent, 0);
    EXPECT_EQ(indent(1).Alignment, TRNAlignment::rnaLeft);
    at(2, TNoteAction::RLeftAdj);
    EXPECT_EQ(indent(2).LeftIndent, 0);
    EXPECT_EQ(indent(2).Alignment, TRNAlignment::rnaCenter);
    const int styles = rig.Sheet().ParaStyles().Count();
    at(1, TNoteAction::RRightAdj);
    at(1, TNoteAction::RRightAdj);
    at(3, TNoteAction::RRightAdj);
    at(3, TNoteAction::RRightAdj);
    EXPECT_EQ(indent(3).LeftIndent, 100);
    EXPECT_EQ(rig.D().GetItemPara(3), rig.D().GetItemPara(1));
    EXPECT_EQ(rig.Sheet().ParaStyles().Count(), styles + 1);
    const int width = rig.E().width();
    for (int i = 0; i < 40; ++i) {
        at(3, TNoteAction::RRightAdj);
    }
    EXPECT_LE(indent(3).LeftIndent, width);
    EXPECT_GT(indent(3).LeftIndent + IndentStep, width);
}

// The sheet's fonts are Windows names that are no installed family here: the list holds them
// too, starts on "Courier New", and shows the font at the caret and the one just chosen.
TEST(NotesFonts, TheListNamesTheSheetsFontsAndShowsTheCaretsAndTheChosenOne) {
    const QStringList installed = QFontDatabase::families();
    NotesRig rig;
    QComboBox& fonts = rig.Notes->combH();
    QStringList listed;
    for (int i = 0; i < fonts.count(); ++i) {
        listed << fonts.itemText(i);
    }
    for (const QString& family : installed) {
        EXPECT_TRUE(listed.contains(family)) << family.toStdString();
    }
    for (const char* name : {"Arial", "Courier New", "Times New Roman", "Symbol"}) {
        EXPECT_EQ(listed.count(name), 1) << name;
    }
    EXPECT_EQ(listed.size(), NoteFontNames(rig.Sheet(), installed).size());
    EXPECT_EQ(fonts.currentText(), "Courier New");

    rig.Fill({{"plain", 0, 0}, {"typewriter", 3, 0}, {"times", 5, 0}});
    const char* expected[] = {"Arial", "Courier New", "Times New Roman"};
    for (int item : {2, 0, 1}) {
        rig.Caret(item, 2);
        QApplication::processEvents();
        EXPECT_EQ(fonts.currentText().toStdString(), expected[item]);
    }
    // A choice from the list applies it and stays shown.
    rig.SelectItem(0);
    fonts.setCurrentIndex(fonts.findText("Times New Roman"));
    rig.Notes->combHClick();
    EXPECT_EQ(rig.ItemStyle(0).FontName, "Times New Roman");
    EXPECT_EQ(fonts.currentText(), "Times New Roman");
    // A font only a stored note names is shown and takes its place in the list.
    TFontInfo& other = rig.Sheet().TextStyles()[rig.Sheet().AddTextStyle()];
    other.FontName = "Zzz Note Font";
    rig.Fill({{"odd", rig.Styles() - 1, 0}});
    rig.Caret(0, 2);
    QApplication::processEvents();
    EXPECT_EQ(fonts.currentText(), "Zzz Note Font");
    EXPECT_EQ(fonts.findText("Zzz Note Font"), fonts.currentIndex());
    EXPECT_EQ(fonts.count(), listed.size() + 1);
    EXPECT_TRUE(
        std::is_sorted(listed.begin(), listed.end(), [](const QString& a, const QString& b) {
            return a.compare(b, Qt::CaseInsensitive) < 0;
        }));
}

TEST(NotesFonts, StartUpSettingsFollowTheInstalledFonts) {
    for (const bool withUnicodeFont : {true, false}) {
        TRNStyle sheet;
        SetUpNotesSheet(sheet);
        QStringList installed{"DejaVu Sans", "Liberation Sans"};
        if (withUnicodeFont) {
            installed << "Arial Unicode MS";
        }
        FitNotesSheetToFonts(sheet, installed);
        EXPECT_EQ(sheet.TextStyles()[11].FontName, withUnicodeFont ? "Arial Unicode MS" : "Arial");
        EXPECT_TRUE(sheet.TextStyles()[11].Unicode);
    }
    NotesRig rig;
    EXPECT_EQ(rig.Sheet().TextStyles()[11].FontName == "Arial",
              !QFontDatabase::families().contains("Arial Unicode MS"));
    for (int i = 0; i < 12; ++i) {
        const bool plain = i <= 3 || (i >= 6 && i <= 9);
        EXPECT_EQ(rig.Sheet().TextStyles()[i].JumpCursor, plain ? crDefault : crJump) << i;
    }
    // Without "Courier New" in the list the start falls to "Default", else to none.
    QComboBox fonts;
    fonts.addItems({"Default", "Other"});
    SelectStartFont(fonts);
    EXPECT_EQ(fonts.currentText(), "Default");
    fonts.removeItem(0);
    SelectStartFont(fonts);
    EXPECT_EQ(fonts.currentIndex(), -1);
}

TEST(NotesCommands, ButtonsFollowTheTextAtTheCaret) {
    NotesRig rig;
    rig.Fill({{"left", 1, 0}, {"centre", 0, 2}, {"right", 0, 3}, {"justify", 0, 4}, {"x", 3, 1}});
    const TNoteAction buttons[] = {TNoteAction::RAlgnLeft, TNoteAction::RAlignCnt,
                                   TNoteAction::RAlignRight, TNoteAction::RAlignAdj};
    for (int item = 0; item < 5; ++item) {
        SCOPED_TRACE(item);
        rig.Caret(item, 1);
        QApplication::processEvents();
        for (int b = 0; b < 4; ++b) {
            EXPECT_EQ(rig.Notes->Action(buttons[b])->isChecked(), b == item);
        }
        EXPECT_EQ(rig.Notes->Action(TNoteAction::RBold)->isChecked(), item == 0);
        EXPECT_EQ(rig.Notes->Action(TNoteAction::RItalic)->isChecked(), item == 4);
    }
    // A button applies its paragraph style by its tag.
    rig.Caret(0, 1);
    rig.Notes->Execute(TNoteAction::RAlignRight);
    EXPECT_EQ(rig.D().GetItemPara(0), 3);
    EXPECT_TRUE(rig.Notes->Action(TNoteAction::RAlignRight)->isChecked());
}

TEST(NotesCommands, CtrlTabTypesTheSheetsSpacesAndPlainTabLeavesTheText) {
    NotesRig rig;
    rig.Fill({{"xy", 0, 0}});
    rig.Caret(0, 3);
    rig.E().setFocus();
    rig.Sheet().SpacesInTab = 3;
    const auto key = [&](Qt::KeyboardModifiers modifiers) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Tab, modifiers, QStringLiteral("\t"));
        QApplication::sendEvent(&rig.E(), &press);
        QApplication::processEvents();
    };
    key(Qt::ControlModifier);
    ASSERT_EQ(rig.E().GetLineCount(), 1);
    EXPECT_EQ(rig.D().GetItemText(0), "xy" + std::string(3, ' '));
    // The window's editor does not want plain tabs: the text stays as it is.
    key(Qt::NoModifier);
    EXPECT_EQ(rig.D().GetItemText(0), "xy" + std::string(3, ' '));
}

TEST(NotesStorage, NotesRoundTripAndDamagedOnesStayUntouched) {
    NotesRig rig;
    QImage pixels(4, 3, QImage::Format_RGB32);
    pixels.fill(Qt::darkGreen);
    rig.Fill({{"plain", 0, 0}, {"heading", 1, 2}});
    rig.E().AddPictureEx("", std::make_unique<TBitmap>(pixels), -1, TRNVAlign::rnvaBaseline);
    rig.E().AddBulletEx("", NotesBulletImage, &rig.Images, -1);
    rig.E().Format();
    ASSERT_EQ(rig.E().GetLineCount(), 4);
    TPageInfo record;
    ASSERT_TRUE(saveRichContent(record.Notes, rig.E()));
    const std::string stored = record.Notes.Bytes();
    rig.Notes->LoadNotes(record);
    EXPECT_EQ(rig.E().GetLineCount(), 4);
    TPageInfo again;
    rig.Notes->SaveNotes(again);
    EXPECT_EQ(again.Notes.Bytes(), stored);
    EXPECT_TRUE(rig.Prompts.Messages.empty());

    // An empty note: the editor shows nothing, and storing it gives a note without items.
    TPageInfo empty;
    rig.Notes->LoadNotes(empty);
    EXPECT_EQ(rig.E().GetLineCount(), 1);
    EXPECT_EQ(rig.E().GetItemText(0), "");
    rig.Notes->SaveNotes(empty);
    TRNPlainRootData read;
    read.Style = &rig.Sheet();
    TMemoryStream bytes;
    bytes.WriteString(empty.Notes.Bytes());
    bytes.SetPosition(0);
    TColor color = clNone;
    ASSERT_TRUE(read.LoadRNFFromStream(bytes, color, nullptr));
    EXPECT_EQ(read.ItemCount(), 0);

    // A damaged note is reported, cannot be typed into and is never stored over.
    TPageInfo damaged;
    const std::string half = stored.substr(0, stored.size() / 2);
    damaged.Notes.AppendRaw(half.data(), half.size());
    rig.Notes->LoadNotes(damaged);
    ASSERT_EQ(rig.Prompts.Messages.size(), 1u);
    EXPECT_EQ(rig.Prompts.Messages[0].rfind("The note cannot be read: ", 0), 0u);
    EXPECT_NE(rig.Prompts.Messages[0].find("|Error"), std::string::npos);
    EXPECT_TRUE(rig.Notes->NoteDamaged());
    rig.E().InsertText("typed");
    EXPECT_FALSE(rig.Host.Dirty);
    rig.Notes->SaveNotes(damaged);
    rig.Notes->RSaveExecute();
    EXPECT_EQ(damaged.Notes.Bytes(), half);
    // The next note is editable again.
    rig.Notes->LoadNotes(record);
    EXPECT_FALSE(rig.E().ReadOnly);
}

// A table whose layout fails: what a grid that breaks the table's rules did to the layout.
class TUnlaidTable : public TRNTableItemInfo {
public:
    using TRNTableItemInfo::TRNTableItemInfo;
    static constexpr int Number = -61;
    void OnDocWidthChange(int, TRNDrawLineInfo*, bool) override {
        throw std::out_of_range("list index out of bounds");
    }
};

// A stored note the notes window shows as damaged: reported once, read-only, never stored over,
// laid out and painted; the next note is shown as usual.
void ExpectShownAsDamaged(NotesRig& rig, TPageInfo& record, const std::string& reason, int lines) {
    const std::string stored = record.Notes.Bytes();
    rig.Prompts.Messages.clear();
    rig.Notes->LoadNotes(record);
    EXPECT_EQ(rig.Prompts.Messages,
              std::vector<std::string>{"The note cannot be read: " + reason + "|Error"});
    EXPECT_TRUE(rig.Notes->NoteDamaged());
    EXPECT_TRUE(rig.E().ReadOnly);
    EXPECT_EQ(rig.E().GetLineCount(), lines);
    EXPECT_GT(rig.D().DrawItems.Count(), 0);
    EXPECT_FALSE(rig.E().grab().isNull());
    rig.Notes->SaveNotes(record);
    EXPECT_EQ(record.Notes.Bytes(), stored);
    TPageInfo next;
    rig.Notes->LoadNotes(next);
    EXPECT_FALSE(rig.Notes->NoteDamaged());
    EXPECT_FALSE(rig.E().ReadOnly);
}

TEST(NotesStorage, ADamagedTableOrANoteThatCannotBeLaidOutIsShownAsDamaged) {
    RegisterTableItemClass();
    NotesRig rig;
    // A table stream that ends inside the first cell of a 3 x 93 grid, a cell 2 columns wide:
    // the note keeps what was read.
    TPageInfo cut;
    const std::string note = NoteWithTableStream(WideFirstCellCutShort());
    cut.Notes.AppendRaw(note.data(), note.size());
    ExpectShownAsDamaged(rig, cut, "a table of the note is damaged", 3);

    // A note whose layout fails shows nothing of it.
    RegisterRichNoteItemClass<TUnlaidTable>(TUnlaidTable::Number);
    TNotesDocument d;
    d.AddNL("before", 0, 0);
    auto table = std::make_unique<TUnlaidTable>(1, 1, &d);
    table->StyleNo = TUnlaidTable::Number;
    d.AddItem("", std::move(table));
    TMemoryStream bytes;
    ASSERT_TRUE(d.SaveRNFToStream(bytes, false, clNone, nullptr));
    TPageInfo unlaid;
    unlaid.Notes.AppendRaw(bytes.Memory(), bytes.Bytes().size());
    ExpectShownAsDamaged(rig, unlaid, "it cannot be laid out", 1);
}

// A placeable metafile whose header gives 0 units per inch is read with the default 1440: the
// note around it loads whole and stays editable.
TEST(NotesStorage, AMetafileWithoutUnitsPerInchLeavesTheNoteWhole) {
    NotesRig rig;
    rig.Fill({{"before", 0, 0}});
    const std::string sound = metafile_fixture::Wmf(true);
    auto picture = std::make_unique<TMetafile>();
    picture->LoadFromBytes(sound);
    rig.E().AddPictureEx("", std::move(picture), -1, TRNVAlign::rnvaBaseline);
    rig.E().AddNL("after", 0, 0);
    rig.E().Format();
    TPageInfo record;
    ASSERT_TRUE(saveRichContent(record.Notes, rig.E()));
    std::string stored = record.Notes.Bytes();
    const size_t at = stored.find(sound);
    ASSERT_NE(at, std::string::npos);
    stored.replace(at + 14, 2, std::string(2, '\0')); // the frame's units per inch
    TPageInfo noInch;
    noInch.Notes.AppendRaw(stored.data(), stored.size());

    rig.Notes->LoadNotes(noInch);
    EXPECT_TRUE(rig.Prompts.Messages.empty());
    EXPECT_FALSE(rig.Notes->NoteDamaged());
    EXPECT_FALSE(rig.E().ReadOnly);
    ASSERT_EQ(rig.D().ItemCount(), 3);
    EXPECT_EQ(rig.D().GetItemText(2), "after");
    const auto& item = dynamic_cast<const TRNGraphicItemInfo&>(rig.D().GetItem(1));
    EXPECT_EQ(dynamic_cast<const TMetafile&>(*item.Image).Inch(), 1440);
    rig.E().SetSelectionBounds(2, 6, 2, 6);
    rig.E().InsertText("!");
    EXPECT_EQ(rig.D().GetItemText(2), "after!");
}

// Text another program put on the clipboard as UTF-8 comes in whole, in the sheet's Unicode
// style, and comes back so from the stored note.
TEST(NotesStorage, PastedTextOutsideTheCodePageIsKeptAndStored) {
    const QString pasted = QString::fromUtf8("caf\xc3\xa9 \xe2\x82\xac \xd0\x9f\xd1\x80\xd0\xb8"
                                             "\xd0\xb2\xd0\xb5\xd1\x82 \xe4\xbd\xa0\xe5\xa5\xbd");
    NotesRig rig;
    rig.Fill({{"Note: ", 1, 0}});
    rig.Caret(0, 7);
    QApplication::clipboard()->setText(pasted);
    rig.Notes->Execute(TNoteAction::RPaste);
    ASSERT_EQ(rig.E().GetLineCount(), 2);
    EXPECT_EQ(rig.D().GetItemStyle(1), rig.Sheet().DefUnicodeStyle);
    rig.E().SelectAll();
    EXPECT_EQ(QString::fromStdU16String(rig.E().GetSelTextW()), "Note: " + pasted);
    EXPECT_TRUE(rig.Host.Dirty);

    TPageInfo record;
    rig.Notes->SaveNotes(record);
    EXPECT_EQ(record.Notes.Bytes().find('?'), std::string::npos);
    rig.Notes->LoadNotes(TPageInfo{});
    rig.Notes->LoadNotes(record);
    rig.E().SelectAll();
    EXPECT_EQ(QString::fromStdU16String(rig.E().GetSelTextW()), "Note: " + pasted);
}

// A click, then a Shift+click: the selection runs between the two points, whatever the
// notes window does on a mouse press.
TEST(NotesCommands, ShiftClickSelectsFromTheCaretTheClickLeft) {
    NotesRig rig;
    rig.Fill({{"first line of the note", 0, 0},
              {"second line of the note", 0, 0},
              {"third line of the note", 0, 0}});
    TRNEditRNData& data = rig.D();
    const auto at = [&](int itemNo) {
        const TRNDrawLineInfo& d = *data.DrawItems[data.FindDrawItemByItem(itemNo)];
        return rig.E().ClientOrigin() +
               QPoint(d.Left - data.GetHOffs() + d.Width / 2, d.Top - data.GetVOffs() + 3);
    };
    const auto click = [&](QPoint p, Qt::KeyboardModifiers modifiers) {
        QTest::mouseClick(&rig.E(), Qt::LeftButton, modifiers, p);
        QApplication::processEvents();
    };
    const auto caret = [&] {
        return std::pair(rig.E().GetCurItemNo(), rig.E().GetOffsetInCurItem());
    };
    // Where a plain click at each point leaves the caret.
    click(at(2), {});
    const auto end = caret();
    click(at(1), {});
    const auto start = caret();
    ASSERT_EQ(start.first, 1);
    ASSERT_GT(start.second, 1);
    ASSERT_FALSE(rig.E().SelectionExists());

    click(at(2), Qt::ShiftModifier);
    ASSERT_TRUE(rig.E().SelectionExists());
    int startNo = 0, startOffs = 0, endNo = 0, endOffs = 0;
    rig.E().GetSelectionBounds(startNo, startOffs, endNo, endOffs, true);
    EXPECT_EQ(std::pair(startNo, startOffs), start);
    EXPECT_EQ(std::pair(endNo, endOffs), end);
    // A Shift+click above the anchor selects backwards from it.
    click(at(0), {});
    const auto top = caret();
    click(at(1), {});
    click(at(0), Qt::ShiftModifier);
    rig.E().GetSelectionBounds(startNo, startOffs, endNo, endOffs, false);
    EXPECT_EQ(std::pair(startNo, startOffs), start);
    EXPECT_EQ(std::pair(endNo, endOffs), top);
}

TEST(NotesFiles, PicturesAndInsertedFilesByTheirKind) {
    TempDir folder;
    QImage pixels(4, 3, QImage::Format_RGB32);
    pixels.fill(Qt::blue);
    ASSERT_TRUE(pixels.save(QString::fromStdString((folder / "p.jpeg").string()), "JPG"));
    WriteFileBytes(folder / "p.gif", "GIF89a");
    WriteFileBytes(folder / "t.txt", "text\r\n");
    struct Case {
        TNoteAction action;
        std::string file;
        int filter;
        std::string message; // "" when it goes in
    };
    const Case cases[] = {
        {TNoteAction::RInsertPic, "p.jpeg", 1, ""},
        {TNoteAction::RInsertPic, "p.gif", 2, "Format '.GIF' is not supported|Error"},
        {TNoteAction::RInsertPic, "gone.bmp", 1, "Error reading file|Error"},
        {TNoteAction::RInsertFile, "t.txt", 2, ""},
        {TNoteAction::RInsertFile, "t.txt", 3, ""},
        {TNoteAction::RInsertFile, "gone.rtf", 1, "Error reading file|Error"},
        {TNoteAction::RInsertFile, "p.gif", 4, "Error reading file|Error"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file + " " + std::to_string(c.filter));
        NotesRig rig;
        rig.Fill({{"x", 0, 0}});
        const std::string before = rig.Rnf();
        rig.Prompts.File = TNoteFileChoice{(folder / c.file).string(), c.filter};
        rig.Notes->Execute(c.action);
        EXPECT_EQ(rig.Prompts.Messages, c.message.empty() ? std::vector<std::string>{}
                                                          : std::vector<std::string>{c.message});
        EXPECT_EQ(rig.Rnf() != before, c.message.empty());
        // What went in is a change of the note, to be stored when the selection moves on.
        EXPECT_EQ(rig.Host.Dirty, c.message.empty());
    }
}

TEST(NotesFiles, ExportsReachTheirWritersAndAFailureKeepsTheOldFile) {
    struct Case {
        int filter;
        std::function<bool(const std::string&)> head;
    };
    const Case cases[] = {
        {1, [](const std::string& b) { return b.rfind("{\\rtf", 0) == 0; }},
        {2, [](const std::string& b) { return b.rfind("Hello", 0) == 0; }},
        {3, [](const std::string& b) { return b.find(std::string("H\0e\0l\0", 6)) != b.npos; }},
        {4,
         [](const std::string& b) {
             return b.rfind("<HTML>", 0) == 0 && b.find("<STYLE") == b.npos;
         }},
        {5, [](const std::string& b) { return b.find("<STYLE type=\"text/css\">") != b.npos; }},
        {6, [](const std::string& b) { return b.find("Hello") != b.npos && b[0] != '{'; }},
    };
    TempDir folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.filter);
        NotesRig rig;
        rig.Fill({{"Hello", 0, 0}});
        const fs::path file = folder / ("out" + std::to_string(c.filter));
        rig.Prompts.File = TNoteFileChoice{file.string(), c.filter};
        rig.Notes->Execute(TNoteAction::RExport);
        EXPECT_TRUE(rig.Prompts.Messages.empty());
        EXPECT_TRUE(c.head(ReadFileBytes(file))) << ReadFileBytes(file);
    }
    NotesRig rig;
    rig.Fill({{"Hello", 0, 0}});
    TempDir locked;
    WriteFileBytes(locked / "old.rtf", "old");
    fs::permissions(locked.Path(), fs::perms::owner_read | fs::perms::owner_exec);
    rig.Prompts.File = TNoteFileChoice{(locked / "old.rtf").string(), 1};
    {
        PermissionsEnforced enforced;
        rig.Notes->Execute(TNoteAction::RExport);
    }
    fs::permissions(locked.Path(), fs::perms::owner_all);
    EXPECT_EQ(rig.Prompts.Messages, std::vector<std::string>{"Error during saving|Error"});
    EXPECT_EQ(ReadFileBytes(locked / "old.rtf"), "old");
}

TEST(NotesFiles, RtfFromAWordProcessorKeepsEveryCharacter) {
    // Written by LibreOffice: Cyrillic, CJK, an accented letter and an emoji.
    NotesRig rig;
    rig.Prompts.File = TNoteFileChoice{FixturePath("rtf/lo-unicode.rtf").string(), 1};
    rig.Notes->Execute(TNoteAction::RInsertFile);
    EXPECT_TRUE(rig.Prompts.Messages.empty());
    std::u16string text;
    for (int i = 0; i < rig.D().ItemCount(); ++i) {
        const TCustomRNItemInfo& item = rig.D().GetItem(i);
        const std::string& bytes = rig.D().GetItemText(i);
        text += item.ItemOptions.Contains(TRNItemOption::rnioUnicode)
                    ? RNU_BytesToU16(bytes)
                    : MultiByteToUtf16(bytes, rig.D().GetStyleCodePage(item.StyleNo));
    }
    EXPECT_NE(text.find(u"\u0420\u0443\u0441 \u65e5\u672c caf\u00e9 \U0001F600"),
              std::u16string::npos);
}

TEST(NotesCommands, FindSelectsTheTextOrSaysItIsNotThere) {
    struct Case {
        const char* text;
        TFindOptions options;
        const char* selected;
        std::vector<std::string> messages;
    };
    const TFindOptions down{TFindOption::frDown};
    const Case cases[] = {
        {"Beta", down, "Beta", {}},
        {"beta", down, "Beta", {}},
        {"beta", down | TFindOptions{TFindOption::frMatchCase}, "", {"Can't find|Search complete"}},
        {"Alpha", down, "", {"Can't find|Search complete"}}, // behind the caret
        {"Alpha", {}, "Alpha", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        NotesRig rig;
        rig.Fill({{"Alpha Beta", 0, 0}});
        rig.Caret(0, 7);
        rig.Notes->FindDialog1().SetFindText(c.text);
        rig.Notes->FindDialog1().SetOptions(c.options);
        rig.Notes->FindDialog1Find();
        EXPECT_EQ(rig.Prompts.Messages, c.messages);
        EXPECT_EQ(rig.E().GetSelText(), c.selected);
    }
}

} // namespace

TEST(NotesCommands, ANoteJustShownHasNothingToSave) {
    NotesRig rig;
    QAction* save = rig.Notes->Action(TNoteAction::RSave);
    rig.Fill({{"stored words", 0, 0}});
    TPageInfo record;
    ASSERT_TRUE(saveRichContent(record.Notes, rig.E()));

    rig.Notes->LoadNotes(record);
    EXPECT_FALSE(save->isEnabled());
    // An edit makes it savable; showing a note afterwards (this one or another) does not keep
    // the edit's Save.
    rig.E().InsertText("typed");
    EXPECT_TRUE(save->isEnabled());
    EXPECT_TRUE(rig.Host.Dirty);
    rig.Notes->LoadNotes(record);
    EXPECT_FALSE(save->isEnabled());
    rig.E().InsertText("x");
    EXPECT_TRUE(save->isEnabled());
    TPageInfo empty;
    rig.Notes->LoadNotes(empty);
    EXPECT_FALSE(save->isEnabled());
}

// Showing a stored note lays it out once. Every layout applies the sheet's text styles to the
// editor's canvas to measure the text, so the applications counted while a note is shown are
// those of one layout of it.
TEST(NotesCommands, ANoteShownIsLaidOutOnce) {
    NotesRig rig;
    std::vector<std::tuple<std::string, int, int>> paragraphs;
    for (int i = 0; i < 40; ++i) {
        paragraphs.emplace_back("line " + std::to_string(i) + " of the stored note", i % 3, 0);
    }
    rig.Fill(paragraphs);
    TPageInfo record;
    ASSERT_TRUE(saveRichContent(record.Notes, rig.E()));
    int applied = 0;
    rig.Sheet().OnApplyStyle = [&applied](TRNStyle&, TCanvas&, int, bool&) { ++applied; };

    rig.Notes->LoadNotes(record);
    const int shown = applied;
    ASSERT_EQ(rig.E().GetLineCount(), 40);
    applied = 0;
    rig.E().Format();
    const int oneLayout = applied;
    ASSERT_GT(oneLayout, 0);
    EXPECT_EQ(shown, oneLayout);
    rig.Sheet().OnApplyStyle = nullptr;
}
