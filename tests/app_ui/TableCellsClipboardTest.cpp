// Cells of a table in a note, selected by dragging the mouse over them or by the table's Select,
// copied, cut, deleted and pasted through the window's commands and keys: the clipboard gets
// the selected rectangle as a table (RNF, RTF) and as tabbed text, the clearing keys empty the
// cells in one undo step, and the text keys leave them alone.
#include "platform/base/Stream.h"
#include "platform/widgets/Clipboard.h"
#include "richtext/model/RNRTFProps.h"

#include "tests/app_ui/TablesWindow.h"
#include "tests/support/NotesSheet.h"

#include <QClipboard>
#include <QPointer>
#include <QTest>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace {

// How the cells come to be selected: a drag from a cell into the next, the same drag started
// in a cell already open for typing (the caret went into the table), or the table's Select
// after a click into a cell.
enum class Way { Drag, DragFromOpenCell, SelectAfterClick };
constexpr Way Ways[] = {Way::Drag, Way::DragFromOpenCell, Way::SelectAfterClick};

const char* Name(Way way) {
    switch (way) {
    case Way::Drag:
        return "drag";
    case Way::DragFromOpenCell:
        return "drag from an open cell";
    default:
        return "Select after a click";
    }
}

struct CellsWindow : TablesWindow {
    // A rows x cols table after "before", its cells holding `texts` row by row, the window
    // shown and active as a user has it.
    CellsWindow(int rows, int cols, const std::vector<std::string>& texts) {
        Window->resize(900, 600);
        Window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(Window.get()));
        Window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(Window.get()));
        Table = &Insert(rows, cols);
        for (int i = 0; i < rows * cols; ++i) {
            TRNTableCellData& cell = *Table->Cells(i / cols, i % cols);
            cell.Clear();
            cell.AddNL(texts[i], 0, 0);
        }
        E().Format();
        E().setFocus();
        QApplication::clipboard()->setText("before the copy");
        Settle();
    }

    static void Settle() {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    }
    // The middle of a cell in the editor's widget coordinates.
    QPoint CellAt(int row, int col) {
        TRNEditRNData& doc = E().EditData();
        const TRNDrawLineInfo& d = *doc.DrawItems[doc.FindDrawItemByItem(1)];
        const TRNTableCellData& cell = *Table->Cells(row, col);
        return E().ClientOrigin() + QPoint(d.Left - doc.GetHOffs() + cell.Left + cell.Width / 2,
                                           d.Top - doc.GetVOffs() + cell.Top + cell.Height / 2);
    }
    // After the press the rest of a drag goes where the mouse is held: the cell editor once it
    // takes it, else the widget pressed.
    void MouseTo(QPoint at, bool release) {
        QWidget* target = QWidget::mouseGrabber() ? QWidget::mouseGrabber() : Pressed.data();
        const QPoint local = target->mapFromGlobal(E().mapToGlobal(at));
        if (release) {
            QTest::mouseRelease(target, Qt::LeftButton, {}, local);
        } else {
            QTest::mouseMove(target, local);
        }
    }
    void Drag(int fromRow, int fromCol, int toRow, int toCol) {
        // An open editor lies over its cell: the press goes to it.
        QWidget* under = E().childAt(CellAt(fromRow, fromCol));
        Pressed = under && under->isVisible() ? under : &E();
        QTest::mousePress(Pressed, Qt::LeftButton, {},
                          Pressed->mapFromGlobal(E().mapToGlobal(CellAt(fromRow, fromCol))));
        Settle();
        MouseTo(CellAt(fromRow, fromCol) + QPoint(0, 2), false);
        MouseTo(CellAt(toRow, toCol), false);
        MouseTo(CellAt(toRow, toCol), true);
        Settle();
    }
    void SelectCells(Way way, int toRow, int toCol) {
        if (way == Way::DragFromOpenCell) {
            Table->EnterItem(true);
            Settle();
            EXPECT_NE(CellEditorOf(*Table), nullptr);
        }
        if (way != Way::SelectAfterClick) {
            Drag(0, 0, toRow, toCol);
            return;
        }
        QTest::mouseClick(&E(), Qt::LeftButton, {}, CellAt(0, 0));
        Settle();
        Table->Select(0, 0, toRow, toCol);
        Settle();
    }
    // A key as the user types it: to whatever has the keyboard.
    void Key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : Window.get(), key, modifiers);
        Settle();
    }
    std::vector<std::string> Texts() {
        std::vector<std::string> texts;
        for (int r = 0; r < Table->Rows.Count(); ++r) {
            for (int c = 0; c < Table->Rows.ColCount(); ++c) {
                texts.push_back(Table->Cells(r, c)->GetItemText(0));
            }
        }
        return texts;
    }
    int Steps() { return E().EditData().UndoList().Count(); }

    TRNTableItemInfo* Table = nullptr;
    QPointer<QWidget> Pressed;
};

// A document as the notes editor keeps its notes, to read what the clipboard holds.
struct NoteReader : TNotesDocument {
    NoteReader() {
        Options = NotesDocumentOptions();
        RTFOptions = NotesRTFOptions();
        SetUpNotesRTFReader(Reader);
        RTFProperties = &Reader;
    }
    TRNRTFReaderProperties Reader;
};

// The only item of the clipboard's RNF, which must be a table, with its cells' texts row by row.
std::vector<std::string> RnfTable(int& rows, int& cols) {
    rows = cols = 0;
    const std::string block = TClipboard::GetBytes(CF_RICHNOTE_MIME);
    if (block.size() < 4) {
        ADD_FAILURE() << "no RNF on the clipboard";
        return {};
    }
    uint32_t length = 0;
    std::memcpy(&length, block.data(), 4);
    EXPECT_EQ(length, block.size() - 4);
    NoteReader doc;
    TMemoryStream stream;
    stream.WriteString(block.substr(4));
    stream.SetPosition(0);
    TColor color = clNone;
    EXPECT_TRUE(doc.LoadRNFFromStream(stream, color, nullptr));
    EXPECT_EQ(doc.ItemCount(), 1);
    auto* table = doc.ItemCount() > 0 ? dynamic_cast<TRNTableItemInfo*>(&doc.GetItem(0)) : nullptr;
    if (!table) {
        ADD_FAILURE() << "no table in the RNF";
        return {};
    }
    rows = table->Rows.Count();
    cols = table->Rows.ColCount();
    std::vector<std::string> texts;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            texts.push_back(table->Cells(r, c)->GetItemText(0));
        }
    }
    return texts;
}

// The clipboard's RTF read back: the paragraphs it gives, the empty ones left out.
std::vector<std::string> RtfParagraphs(std::string& rtf) {
    rtf = TClipboard::GetBytes(CF_RTF_MIME);
    NoteReader doc;
    TMemoryStream stream;
    stream.WriteString(rtf);
    stream.SetPosition(0);
    EXPECT_EQ(doc.LoadRTFFromStream(stream), TRNRTFErrorCode::rtf_ec_OK);
    std::vector<std::string> texts;
    for (int i = 0; i < doc.ItemCount(); ++i) {
        if (!doc.GetItemText(i).empty()) {
            texts.push_back(doc.GetItemText(i));
        }
    }
    return texts;
}

int Count(const std::string& text, const std::string& word) {
    int n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) {
        ++n;
    }
    return n;
}

std::string ClipboardText() {
    return QApplication::clipboard()->text().toStdString();
}

// The editor over a cell closes once its cell is one of several selected: the keyboard goes back
// to the note, not to the editor going away. Moving on to the next cell, the next editor has it.
TEST(TableCellsClipboard, TheKeyboardGoesToTheNoteWhenTheCellEditorCloses) {
    for (Way way : Ways) {
        CellsWindow w(2, 2, {"x", "y", "p", "q"});
        w.SelectCells(way, 0, 1);
        EXPECT_EQ(CellEditorOf(*w.Table), nullptr) << Name(way);
        EXPECT_EQ(QApplication::focusWidget(), &w.E()) << Name(way);
    }
    CellsWindow w(2, 2, {"x", "y", "p", "q"});
    QTest::mouseClick(&w.E(), Qt::LeftButton, {}, w.CellAt(0, 0));
    CellsWindow::Settle();
    TRNTableInplaceEdit* first = CellEditorOf(*w.Table);
    ASSERT_NE(first, nullptr);
    ASSERT_EQ(QApplication::focusWidget(), first);
    w.Key(Qt::Key_Tab);
    TRNTableInplaceEdit* next = CellEditorOf(*w.Table);
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->Col, 1);
    EXPECT_EQ(QApplication::focusWidget(), next);
}

TEST(TableCellsClipboard, SelectedCellsCopyAsATableAndAsTabbedTextAndPasteAsATable) {
    for (Way way : Ways) {
        CellsWindow w(2, 2, {"x", "y", "p", "q"});
        w.SelectCells(way, 0, 1);
        for (TNoteAction action : {TNoteAction::RCopy, TNoteAction::RCut, TNoteAction::RDelete}) {
            EXPECT_TRUE(w.Note(action)->isEnabled()) << Name(way) << static_cast<int>(action);
        }
        if (way == Way::Drag) {
            w.Key(Qt::Key_C, Qt::ControlModifier);
        } else {
            w.Note(TNoteAction::RCopy)->trigger();
        }
        EXPECT_EQ(ClipboardText(), "x\ty") << Name(way);
        int rows = 0, cols = 0;
        EXPECT_EQ(RnfTable(rows, cols), (std::vector<std::string>{"x", "y"})) << Name(way);
        EXPECT_EQ(rows, 1);
        EXPECT_EQ(cols, 2);
        std::string rtf;
        EXPECT_EQ(RtfParagraphs(rtf), (std::vector<std::string>{"x", "y"})) << rtf;
        EXPECT_EQ(Count(rtf, "\\trowd"), 1) << rtf;
        EXPECT_EQ(Count(rtf, "\\cellx"), 2) << rtf;
        // A copy changes nothing.
        EXPECT_EQ(w.Texts(), (std::vector<std::string>{"x", "y", "p", "q"}));

        // Pasted into another note: a table of the one row.
        TTreeNode* other = w.Add(NodeKind::Notes, "other");
        w.Window->Binder().Items().SetSelected(other);
        FillNote(w.E(), {{"start", 0, 0}});
        w.Caret(0, 6);
        ASSERT_TRUE(w.Note(TNoteAction::RPaste)->isEnabled());
        w.Note(TNoteAction::RPaste)->trigger();
        CellsWindow::Settle();
        TRNTableItemInfo* pasted = nullptr;
        for (int i = 0; i < w.E().GetLineCount() && !pasted; ++i) {
            pasted = w.TableAt(i);
        }
        ASSERT_NE(pasted, nullptr) << Name(way);
        ASSERT_EQ(pasted->Rows.Count(), 1);
        ASSERT_EQ(pasted->Rows.ColCount(), 2);
        EXPECT_EQ(pasted->Cells(0, 0)->GetItemText(0), "x");
        EXPECT_EQ(pasted->Cells(0, 1)->GetItemText(0), "y");
        EXPECT_EQ(w.E().GetItemText(0), "start");
    }
}

TEST(TableCellsClipboard, ARectangleOfTwoRowsCopiesRowByRow) {
    CellsWindow w(3, 3, {"a", "b", "-", "c", "d", "-", "-", "-", "-"});
    w.Drag(0, 0, 1, 1);
    w.Key(Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(ClipboardText(), "a\tb\r\nc\td");
    int rows = 0, cols = 0;
    EXPECT_EQ(RnfTable(rows, cols), (std::vector<std::string>{"a", "b", "c", "d"}));
    EXPECT_EQ(rows, 2);
    EXPECT_EQ(cols, 2);
    std::string rtf;
    EXPECT_EQ(RtfParagraphs(rtf), (std::vector<std::string>{"a", "b", "c", "d"})) << rtf;
    EXPECT_EQ(Count(rtf, "\\trowd"), 2) << rtf;
    EXPECT_EQ(Count(rtf, "\\cellx"), 4) << rtf;
}

// Cut, Delete and BackSpace empty the selected cells, the table stays, and one Undo brings
// the texts back.
TEST(TableCellsClipboard, CutDeleteAndBackSpaceEmptyTheCellsInOneStep) {
    struct Clearing {
        const char* Name;
        Qt::Key Key;
        Qt::KeyboardModifiers Modifiers;
        std::optional<TNoteAction> Command; // the Edit menu's entry that does the same
        bool Copies;
    } const clearings[] = {
        {"Ctrl+X", Qt::Key_X, Qt::ControlModifier, TNoteAction::RCut, true},
        {"Delete", Qt::Key_Delete, Qt::NoModifier, TNoteAction::RDelete, false},
        {"BackSpace", Qt::Key_Backspace, Qt::NoModifier, std::nullopt, false},
    };
    for (Way way : Ways) {
        for (const Clearing& clearing : clearings) {
            for (bool byCommand : {false, true}) {
                if (byCommand && !clearing.Command) {
                    continue;
                }
                const std::string what = std::string(Name(way)) + ", " + clearing.Name +
                                         (byCommand ? " (Edit menu)" : "");
                CellsWindow w(2, 2, {"x", "y", "p", "q"});
                w.SelectCells(way, 0, 1);
                const int steps = w.Steps();
                if (byCommand) {
                    ASSERT_TRUE(w.Note(*clearing.Command)->isEnabled()) << what;
                    w.Note(*clearing.Command)->trigger();
                } else {
                    w.Key(clearing.Key, clearing.Modifiers);
                }
                CellsWindow::Settle();
                ASSERT_EQ(w.TableAt(1), w.Table) << what;
                EXPECT_EQ(w.Table->Rows.Count(), 2) << what;
                EXPECT_EQ(w.Texts(), (std::vector<std::string>{"", "", "p", "q"})) << what;
                EXPECT_EQ(w.Steps(), steps + 1) << what;
                EXPECT_EQ(ClipboardText(), clearing.Copies ? "x\ty" : "before the copy") << what;
                if (clearing.Copies) {
                    int rows = 0, cols = 0;
                    EXPECT_EQ(RnfTable(rows, cols), (std::vector<std::string>{"x", "y"})) << what;
                }
                w.Note(TNoteAction::RUndo)->trigger();
                CellsWindow::Settle();
                ASSERT_EQ(w.TableAt(1), w.Table) << what;
                EXPECT_EQ(w.Texts(), (std::vector<std::string>{"x", "y", "p", "q"})) << what;
                EXPECT_EQ(w.Steps(), steps) << what;
            }
        }
    }
}

// Typing and Enter replace selected text only: selected cells keep their texts.
TEST(TableCellsClipboard, TypingAndEnterLeaveSelectedCells) {
    for (Qt::Key key : {Qt::Key_Q, Qt::Key_Return}) {
        CellsWindow w(2, 2, {"x", "y", "p", "q"});
        w.Drag(0, 0, 0, 1);
        w.Key(key);
        ASSERT_NE(w.TableAt(1), nullptr);
        EXPECT_EQ(w.Texts(), (std::vector<std::string>{"x", "y", "p", "q"})) << key;
    }
}

} // namespace
