#include "EditForm.h"
#include "platform/base/Stream.h"
#include "platform/widgets/Clipboard.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/RNEdit.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMimeData>
#include <QPointer>
#include <QTest>
#include <QVBoxLayout>

#include <functional>
#include <string>
#include <vector>

namespace {

std::string RnfBlock(const std::string& text) {
    return RnfOf([&text](TRichNoteEdit& e) {
        e.AddNL(text, 0, 0);
        e.AddNL("second", 0, 0);
    });
}

QByteArray WithLength(const std::string& rnf, uint32_t length) {
    QByteArray block(4, '\0');
    for (int i = 0; i < 4; ++i) {
        block[i] = static_cast<char>(length >> (8 * i) & 0xFF);
    }
    return block + QByteArray::fromStdString(rnf);
}

} // namespace

// Typing, Enter and the deleting keys run over a selection in the change-notice test.
// A new editor, before anything sets it up, points at its text with the I-beam and keeps its
// vertical bar, disabled, for a short note.
TEST(EditKeys, ANewEditorPointsWithTheIBeamAndKeepsItsBar) {
    TRNStyle sheet;
    TRichNoteEdit e;
    e.SetStyle(&sheet);
    e.resize(200, 200);
    EXPECT_EQ(e.Cursor(), crIBeam);
    EXPECT_EQ(e.NormalCursor(), crIBeam);
    e.AddNL("short", 0, 0);
    e.Format();
    EXPECT_TRUE(e.ScrollBarVisible(TScrollBarKind::sbVertical));
    EXPECT_FALSE(e.ScrollBarEnabled(TScrollBarKind::sbVertical));
}

TEST(EditKeys, MovingDeletingAndTabsUndoAndRedo) {
    struct Case {
        const char* name;
        std::function<void(EditForm&)> keys;
        std::string text;
    };
    const std::vector<Case> cases{
        {"LeftThenDelete",
         [](EditForm& f) {
             f.Key(Qt::Key_Left);
             f.Key(Qt::Key_Delete);
         },
         "x"},
        {"Tab",
         [](EditForm& f) {
             f.Edit->EditorOptions.Include(TRNEditorOption::rnoWantTabs);
             f.Key(Qt::Key_Tab);
         },
         "xy        "},
        // The posted tab is typed as the style sheet's spaces, wanted tabs or not.
        {"CtrlTab", [](EditForm& f) { f.Key(Qt::Key_Tab, Qt::ControlModifier); }, "xy        "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditForm f;
        UndoRedo(f, [&] { c.keys(f); });
        EXPECT_EQ(f.Text(), c.text);
    }
}

TEST(EditKeys, TypingOverASelectionTakesTwoUndos) {
    EditForm f("abcd");
    const std::string before = f.Rnf();
    f.Key(Qt::Key_Home);
    f.Key(Qt::Key_Right, Qt::ShiftModifier);
    f.Key(Qt::Key_Right, Qt::ShiftModifier);
    f.Type("z");
    EXPECT_EQ(f.Text(), "zcd");
    f.Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(f.Text(), "cd");
    f.Key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(f.Rnf(), before);
}

TEST(EditKeys, EditorClaimsItsShortcutsOverWindowActions) {
    EditForm f;
    int fired = 0;
    auto* action = new QAction(&f.Window);
    action->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Z));
    f.Window.addAction(action);
    QObject::connect(action, &QAction::triggered, [&] { ++fired; });
    f.Type("a");
    EXPECT_TRUE(f.Claimed(Qt::Key_Z, Qt::ControlModifier));
    EXPECT_FALSE(f.Claimed(Qt::Key_B, Qt::ControlModifier));
    QTest::keyClick(f.Edit, Qt::Key_Z, Qt::ControlModifier);
    QApplication::processEvents();
    EXPECT_EQ(fired, 0);
    EXPECT_EQ(f.Text(), "xy");
}

TEST(EditKeys, TextOfTwoUnitsIsOneUndoGroup) {
    for (const QString& text : {QString::fromUtf8("日本語"), QString::fromUtf8("😀")}) {
        EditForm f;
        f.Sheet.TextStyles()[0].Unicode = true;
        f.D().CurTextStyleNo = 0;
        const int groups = f.UndoCount();
        UndoRedo(f, [&] { f.Key(Qt::Key_unknown, Qt::NoModifier, text); });
        EXPECT_EQ(f.UndoCount(), groups + 1);
    }
}

TEST(EditKeys, ACharacterTheCodePageLacksSwitchesToAUnicodeStyle) {
    EditForm f;
    const int styles = f.Sheet.TextStyles().Count();
    f.Type(QString::fromUtf8("中"));
    f.Type(QString::fromUtf8("文"));
    const int style = f.D().CurTextStyleNo;
    ASSERT_NE(style, 0);
    EXPECT_TRUE(f.Sheet.TextStyles()[style].Unicode);
    EXPECT_EQ(f.Sheet.TextStyles().Count(), styles + 1);
    EXPECT_EQ(f.Rnf().find('?'), std::string::npos);
}

// Inserted and pasted text goes through the same switch as typed text: into the sheet's own
// Unicode style when it has one, else into the current style's Unicode twin.
TEST(EditKeys, InsertedAndPastedTextTheCodePageLacksKeepsEveryCharacter) {
    const std::u16string text =
        u"caf\u00e9 \u20ac \u041f\u0440\u0438\u0432\u0435\u0442 \u4f60\u597d";
    const auto paste = [&text](TRichNoteEdit& e) {
        QApplication::clipboard()->setText(QString::fromStdU16String(text));
        return e.PasteTextW();
    };
    const auto insert = [&text](TRichNoteEdit& e) { return e.InsertTextW(text); };
    for (const auto& put : {std::function<bool(TRichNoteEdit&)>(paste), {insert}}) {
        for (const bool sheetHasOne : {true, false}) {
            SCOPED_TRACE(sheetHasOne ? "the sheet's Unicode style" : "a Unicode twin");
            EditForm f;
            const int sheetUnicode = f.Sheet.AddTextStyle();
            f.Sheet.TextStyles()[sheetUnicode].Unicode = true;
            f.Sheet.TextStyles()[sheetUnicode].Size = 9;
            f.Sheet.DefUnicodeStyle = sheetHasOne ? sheetUnicode : -1;
            const int styles = f.Sheet.TextStyles().Count();
            ASSERT_TRUE(put(*f.Edit));
            const int style = f.D().GetItemStyle(f.D().ItemCount() - 1);
            EXPECT_TRUE(f.Sheet.TextStyles()[style].Unicode);
            if (sheetHasOne) {
                EXPECT_EQ(style, sheetUnicode);
                EXPECT_EQ(f.Sheet.TextStyles().Count(), styles);
            } else {
                EXPECT_EQ(f.Sheet.TextStyles()[style].Size, f.Sheet.TextStyles()[0].Size);
                EXPECT_EQ(f.Sheet.TextStyles().Count(), styles + 1);
            }
            f.Edit->SelectAll();
            EXPECT_EQ(f.Edit->GetSelTextW(), u"xy" + text);
            EXPECT_EQ(f.Rnf().find('?'), std::string::npos);
        }
    }
    // Text the style's code page holds keeps the style the caret is in.
    EditForm f;
    f.Sheet.DefUnicodeStyle = f.Sheet.AddTextStyle();
    f.Sheet.TextStyles()[f.Sheet.DefUnicodeStyle].Unicode = true;
    ASSERT_TRUE(f.Edit->InsertTextW(u"caf\u00e9"));
    EXPECT_EQ(f.D().CurTextStyleNo, 0);
    EXPECT_EQ(f.D().GetItemText(0), "xycaf\xe9");
}

TEST(EditReadOnly, NothingChangesAndCopyStillWorks) {
    EditForm f;
    f.Type("a");
    f.Edit->ReadOnly = true;
    const std::string before = f.Rnf();
    Offer({{"text/plain", "pasted"}});
    EXPECT_FALSE(f.Edit->CanPaste());
    f.Key(Qt::Key_V, Qt::ControlModifier);
    f.Key(Qt::Key_Z, Qt::ControlModifier);
    f.Edit->SelectAll();
    f.Key(Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(f.Rnf(), before);
    // A Cut that cannot delete copies nothing; Copy does.
    EXPECT_EQ(QApplication::clipboard()->text(), "pasted");
    f.Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(), "xya");
}

TEST(EditReadOnly, UndoLimitZeroIgnoresUndoKeys) {
    EditForm f;
    f.Edit->SetUndoLimit(0);
    f.Type("a");
    const std::string before = f.Rnf();
    const int beeps = f.Beeps;
    f.Key(Qt::Key_Z, Qt::ControlModifier);
    f.Key(Qt::Key_Backspace, Qt::AltModifier);
    EXPECT_EQ(f.Rnf(), before);
    EXPECT_EQ(f.Beeps, beeps);
}

TEST(EditReadOnly, AnAllowedChangeGivesAnEmptyDocumentItsFirstLine) {
    for (const bool readOnly : {true, false}) {
        SCOPED_TRACE(readOnly);
        EditForm f;
        f.D().Clear();
        f.Edit->ReadOnly = readOnly;
        f.Edit->Undo(); // nothing to undo: no change starts
        EXPECT_EQ(f.D().ItemCount(), 0);
        EXPECT_EQ(f.Edit->BeforeChange(false), !readOnly);
        EXPECT_EQ(f.D().ItemCount(), readOnly ? 0 : 1);
    }
}

TEST(EditPaste, PrecedenceAndRefusals) {
    const std::string rnf = RnfBlock("from rnf");
    const QByteArray rtf = "{\\rtf1\\ansi from rtf\\par}";
    struct Case {
        const char* name;
        std::vector<std::pair<QString, QByteArray>> offer;
        bool changes;
        std::string text;
    };
    const std::vector<Case> cases{
        {"RnfOverRtf",
         {{"application/x-richnote", WithLength(rnf, static_cast<uint32_t>(rnf.size()))},
          {"text/rtf", rtf}},
         true,
         "xyfrom rnf\r\nsecond"},
        {"Rtf", {{"text/rtf", rtf}}, true, "xyfrom rtf"},
        {"Text", {{"text/plain", "plain"}}, true, "xyplain"},
        {"LyingLength",
         {{"application/x-richnote", WithLength(rnf, static_cast<uint32_t>(rnf.size() + 1))}},
         false,
         "xy"},
        {"TruncatedRnf",
         {{"application/x-richnote",
           WithLength(rnf.substr(0, rnf.size() / 2), static_cast<uint32_t>(rnf.size() / 2))}},
         false,
         "xy"},
        {"TruncatedRtf", {{"text/rtf", "{\\rtf1\\ansi cut {\\b off"}}, false, "xy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditForm f;
        const std::string before = f.Rnf();
        const int groups = f.UndoCount();
        const int drawItems = f.D().DrawItems.Count();
        const int changes = f.Changes;
        Offer(c.offer);
        f.Key(Qt::Key_V, Qt::ControlModifier);
        EXPECT_EQ(f.Text(), c.text);
        EXPECT_EQ(f.Changes, changes + (c.changes ? 1 : 0));
        EXPECT_EQ(f.D().UndoList().GroupModeCounter, 0);
        if (c.changes) {
            f.Edit->Undo();
        } else {
            EXPECT_EQ(f.UndoCount(), groups);
            EXPECT_EQ(f.D().DrawItems.Count(), drawItems);
        }
        EXPECT_EQ(f.Rnf(), before);
    }
}

TEST(EditInsert, InsertedItemsJoinTheirNeighbours) {
    const std::string rnf = RnfBlock("from rnf");
    // An empty first line in another style: it cannot join, and is dropped.
    const auto emptyFirst = [](bool second) {
        return RnfOf([second](TRichNoteEdit& e) {
            e.AddNL("", 1, 0);
            if (second) {
                e.AddNL("second", 0, 0);
            }
        });
    };
    const auto stream = [](const std::string& bytes, auto insert) {
        return [bytes, insert](EditForm& f) { EXPECT_TRUE(f.InsertFrom(insert, bytes)); };
    };
    const auto text = [](std::string t) {
        return [t](EditForm& f) { EXPECT_TRUE(f.Edit->InsertText(t)); };
    };
    const auto textW = [](std::u16string t) {
        return [t](EditForm& f) { EXPECT_TRUE(f.Edit->InsertTextW(t)); };
    };
    struct Case {
        const char* name;
        std::string document; // paragraphs of style 0 split at "|"
        int caretItem, caretOffs;
        std::function<void(EditForm&)> insert;
        std::string items;
        int itemAfter, offsAfter;
    };
    const std::vector<Case> cases{
        {"CrLfInsideAWord", "xy", 0, 2, text("a\r\nb"), "|'xa'|'by'", 1, 2},
        {"OneLineInsideAWord", "xy", 0, 2, text("ab"), "|'xaby'", 0, 4},
        {"AtTheStartOfAnItem", "xy", 0, 1, text("a\r\nb"), "|'a'|'bxy'", 1, 2},
        {"AtTheEndOfAnItem", "xy", 0, 3, text("a\r\nb"), "|'xya'|'b'", 1, 2},
        {"EndingInALineEnd", "xy", 0, 2, text("a\r\n"), "|'xa'|'y'", 1, 1},
        {"IntoAnEmptyLine", "xy|", 1, 1, text("a\r\nb"), "|'xy'|'a'|'b'", 2, 2},
        {"Utf16SeparatorsBeforeALine", "xy", 0, 2, textW(u"a\u2028b\u2029c"), "|'xa'/'b'|'cy'", 2,
         2},
        {"LfCrIsOneParagraph", "xy", 0, 2, textW(u"a\n\rb"), "|'xa'|'by'", 1, 2},
        {"TabBecomesSpaces", "xy", 0, 2, textW(u"\t"), "|'x        y'", 0, 10},
        {"Rnf", "xy", 0, 2, stream(rnf, &TRichNoteEdit::InsertRNFFromStreamEd),
         "|'xfrom rnf'|'secondy'", 1, 7},
        {"RnfWithAnEmptyFirstLine", "xy", 0, 2,
         stream(emptyFirst(true), &TRichNoteEdit::InsertRNFFromStreamEd), "|'x'|'secondy'", 1, 7},
        {"RnfOfOneEmptyLine", "xy", 0, 2,
         stream(emptyFirst(false), &TRichNoteEdit::InsertRNFFromStreamEd), "|'x' 'y'", 0, 2},
        {"RtfRunsJoinToo", "xy", 0, 2,
         stream("{\\rtf1\\ansi o{n}e\\par two}", &TRichNoteEdit::InsertRTFFromStreamEd),
         "|'xone'|'twoy'", 1, 4},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditForm f([&c](TRichNoteEdit& e) {
            size_t start = 0;
            for (size_t bar = 0; bar != std::string::npos; start = bar + 1) {
                bar = c.document.find('|', start);
                e.AddNL(c.document.substr(start, bar - start), 0, 0);
            }
        });
        f.Caret(c.caretItem, c.caretOffs);
        UndoRedo(f, [&] {
            const int changes = f.Changes;
            const int groups = f.UndoCount();
            c.insert(f);
            EXPECT_EQ(f.Changes, changes + 1);
            EXPECT_EQ(f.UndoCount(), groups + 1);
            EXPECT_EQ(Describe(f), c.items);
            EXPECT_EQ(f.Edit->GetCurItemNo(), c.itemAfter);
            EXPECT_EQ(f.Edit->GetOffsetInCurItem(), c.offsAfter);
        });
    }
    // A style that keeps its items apart: the inserted text stays between them.
    EditForm f;
    f.Sheet.TextStyles()[0].Protection.Include(TRNProtectOption::rnprConcateProtect);
    f.Caret(0, 2);
    UndoRedo(f, [&] { EXPECT_TRUE(f.Edit->InsertText("a\r\nb")); });
    EXPECT_EQ(Describe(f), "|'x' 'a'|'b' 'y'");
}

TEST(EditInsert, TextFiles) {
    TempDir dir;
    using Reader = bool (TRichNoteEdit::*)(const std::string&);
    const Reader ansi = &TRichNoteEdit::InsertTextFromFile;
    const Reader wide = &TRichNoteEdit::InsertTextFromFileW;
    struct Case {
        const char* name;
        std::string bytes;
        Reader reader;
        bool ok;
        std::string text;
    };
    const std::vector<Case> cases{
        {"Ansi", "a\r\nb", ansi, true, "xa\r\nby"},
        {"OemPage437", "\x82\x9C", &TRichNoteEdit::InsertOEMTextFromFile, true, "x\xE9\xA3y"},
        {"LittleEndianMarkSkipped",
         std::string("\xFF\xFE"
                     "a\0",
                     4),
         wide, true, "xay"},
        {"BigEndianSwapped", std::string("\xFE\xFF\0a", 4), wide, true, "xay"},
        {"NoMarkIsLittleEndian", std::string("a\0", 2), wide, true, "xay"},
        {"OddSize", std::string("a\0b", 3), wide, false, "xy"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditForm f;
        f.Caret(0, 2);
        WriteFileBytes(dir / "in.txt", c.bytes);
        const std::string before = f.Rnf();
        EXPECT_EQ((f.Edit->*c.reader)((dir / "in.txt").string()), c.ok);
        EXPECT_EQ(f.Text(), c.text);
        if (c.ok) {
            f.Edit->Undo();
        }
        EXPECT_EQ(f.Rnf(), before);
    }
    EditForm f;
    EXPECT_FALSE(f.Edit->InsertTextFromFile((dir / "missing.txt").string()));
}

TEST(EditInputMethod, CommitIsOneGroupAndPreeditStaysOut) {
    EditForm f;
    f.Sheet.TextStyles()[0].Unicode = true;
    const std::string before = f.Rnf();
    const QRect start =
        static_cast<QWidget*>(f.Edit)->inputMethodQuery(Qt::ImCursorRectangle).toRect();
    QInputMethodEvent compose(QString::fromUtf8("にほ"), {});
    QApplication::sendEvent(f.Edit, &compose);
    EXPECT_EQ(f.Rnf(), before);
    EXPECT_EQ(f.Edit->Preedit(), u"にほ");
    const int groups = f.UndoCount();
    UndoRedo(f, [&] {
        QInputMethodEvent commit;
        commit.setCommitString(QString::fromUtf8("日本語"));
        QApplication::sendEvent(f.Edit, &commit);
    });
    EXPECT_TRUE(f.Edit->Preedit().empty());
    EXPECT_EQ(f.UndoCount(), groups + 1);
    EXPECT_GT(
        static_cast<QWidget*>(f.Edit)->inputMethodQuery(Qt::ImCursorRectangle).toRect().left(),
        start.left());
}

TEST(EditUndo, ExhaustedCellEditorClosesAndTheDocumentUndoes) {
    EditForm f;
    f.Type("a");
    const std::string typed = f.Rnf();
    f.Edit->Undo();
    const std::string before = f.Rnf();
    f.Edit->Redo();
    ASSERT_EQ(f.Rnf(), typed);
    QPointer<TRichNoteEdit> cell = new TRichNoteEdit(f.Edit);
    f.Edit->AssignInplace(cell);
    f.Edit->PostMessage(WM_RNUNDOFROMINPLACE, 0, 0);
    QApplication::processEvents();
    EXPECT_TRUE(cell.isNull());
    EXPECT_EQ(f.Rnf(), before);
}

TEST(EditSave, HtmlExportLeavesNoHypertextAreas) {
    EditForm f;
    TMemoryStream stream;
    EXPECT_TRUE(f.Edit->SaveHTMLToStream(stream, "", "t", "img", {}));
    EXPECT_NE(stream.Bytes().find("xy"), std::string::npos);
    EXPECT_EQ(f.D().Jumps.Count(), 0);
}

TEST(EditSave, BothHtmlFlavoursSeeTheHypertextAreasOnlyWhileWriting) {
    EditForm f([](TRichNoteEdit& e) {
        const int link = AddLinkStyle(e);
        e.AddNL("ab", 0, 0);
        e.AddNL("linked", link, 0);
    });
    std::vector<int> areasSeen;
    f.Edit->Handlers.OnURLNeeded = [&](IRichNoteHost&, int id, std::string& url) {
        areasSeen.push_back(f.D().Jumps.Count());
        url = "target" + std::to_string(id);
    };
    // An edit ends whatever links the load left active.
    f.Type("x");
    ASSERT_EQ(f.D().Jumps.Count(), 0);
    for (const bool classes : {false, true}) {
        SCOPED_TRACE(classes ? "style classes" : "font markup");
        areasSeen.clear();
        TMemoryStream stream;
        int imageSaveNo = 7;
        TColor current = clRed;
        const bool ok =
            classes ? f.D().SaveHTMLToStreamEx(stream, "", "t", "img", "", "", "cp", {}, clYellow,
                                               current, imageSaveNo, 1, 2, 3, 4, nullptr, nullptr)
                    : f.D().SaveHTMLToStream(stream, "", "t", "img", {}, clYellow, imageSaveNo, 1,
                                             2, 3, 4, nullptr, nullptr);
        ASSERT_TRUE(ok);
        ASSERT_EQ(areasSeen.size(), 1u);
        EXPECT_GT(areasSeen[0], 0);
        EXPECT_NE(stream.Bytes().find("href=\"target"), std::string::npos);
        EXPECT_EQ(f.D().Jumps.Count(), 0);
        // No picture was written: the counter comes back as it went in.
        EXPECT_EQ(imageSaveNo, 7);
        if (classes) {
            // The colour behind the last paragraph, which has no background of its own.
            EXPECT_EQ(current, clYellow);
        }
    }
}

TEST(EditPaste, PicturesAndEightBitText) {
    QImage image(6, 4, QImage::Format_RGB32);
    image.fill(Qt::red);
    const QByteArray unicode = QString::fromUtf8("ü wide").toUtf8();
    struct Case {
        const char* name;
        bool unicodeStyle;
        std::function<void()> offer;
        std::function<void(TRichNoteEdit&)> paste;
        std::string items;
    };
    const auto ctrlV = [](TRichNoteEdit& e) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_V, Qt::ControlModifier);
        QApplication::sendEvent(&e, &press);
        QApplication::processEvents();
    };
    const auto picture = [&image](const QString& text) {
        return [&image, text] {
            auto* data = new QMimeData;
            data->setImageData(image);
            if (!text.isEmpty()) {
                data->setText(text);
            }
            QApplication::clipboard()->setMimeData(data);
        };
    };
    const auto bothTexts = [&unicode] {
        Offer({{"text/plain", unicode}, {"text/plain;charset=windows-1252", "\xFC 8-bit"}});
    };
    const std::vector<Case> cases{
        {"Picture", false, picture({}), ctrlV, "|'xy' picture:"},
        {"PictureNamedByText", false, picture("shot"),
         [](TRichNoteEdit& e) { EXPECT_TRUE(e.PasteBitmap(true)); }, "|'xy' picture:shot"},
        {"EightBitIntoAnAnsiStyle", false, bothTexts, ctrlV, "|'xy\xFC 8-bit'"},
        {"UnicodeIntoAUnicodeStyle", true, bothTexts, ctrlV,
         "|'xy' '" + std::string("\xFC\0 \0w\0i\0d\0e\0", 12) + "'"},
        {"EightBitAlone", false,
         [] {
             Offer({{"text/plain;charset=windows-1252", "\xFC!"}});
         },
         ctrlV, "|'xy\xFC!'"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EditForm f;
        f.D().CurTextStyleNo = c.unicodeStyle ? 1 : 0;
        f.Sheet.TextStyles()[1].Unicode = true;
        c.offer();
        EXPECT_TRUE(f.Edit->CanPaste());
        UndoRedo(f, [&] { c.paste(*f.Edit); });
        EXPECT_EQ(Describe(f), c.items);
    }
}
