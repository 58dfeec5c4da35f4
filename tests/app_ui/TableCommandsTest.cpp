// The table commands on the main window's notes editor, the forms answered by the test: new
// tables, deleting rows, columns and tables as single steps, the enabling, a note with a
// damaged table, and the pictures controls print as.
#include "app/ui/TableCommands.h"
#include "app/binder/PageInfo.h"
#include "app/ui/dialogs/CSpinEdit.h"
#include "app/ui/dialogs/UnitTablesize.h"
#include "app/ui/dialogs/splitdlg.h"
#include "platform/graphics/Bitmap.h"
#include "platform/widgets/EmbeddedWidget.h"
#include "richtext/tables/RNTableInplace.h"
#include "richtext/view/PtblRN.h"
#include "richtext/view/RNEdit.h"

#include "tests/app_ui/TablesWindow.h"

#include <QAction>
#include <QKeyEvent>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

#include <functional>
#include <set>
#include <tuple>

namespace {

constexpr TTableAction Nine[] = {
    TTableAction::RInsertRowBefore, TTableAction::RInsertRowAfter, TTableAction::RInsertColBefore,
    TTableAction::RInsertColAfter,  TTableAction::RDelRows,        TTableAction::RDelCol,
    TTableAction::RmergeTable,      TTableAction::RSplitTable,     TTableAction::RDelTables};

TEST(NotesTables, InsertTableMakesTheTableTheFormAsksFor) {
    struct Case {
        int rows, cols, percent;
        int cellWidth, tableWidth;
    } cases[] = {{3, 3, 0, -33, -100}, {2, 4, 50, -25, -50}, {1, 7, 0, -14, -100}};
    for (const Case& c : cases) {
        TablesWindow w;
        TRNTableItemInfo& t = w.Insert(c.rows, c.cols, c.percent);
        ASSERT_EQ(t.Rows.Count(), c.rows);
        ASSERT_EQ(t.Rows.ColCount(), c.cols);
        EXPECT_EQ(t.BestWidth, c.tableWidth);
        for (int row = 0; row < c.rows; ++row) {
            for (int col = 0; col < c.cols; ++col) {
                EXPECT_EQ(t.Cells(row, col)->BestWidth, c.cellWidth) << row << col;
            }
        }
        // The text around it stays, and the insertion is one step.
        EXPECT_EQ(w.E().GetItemText(0), "before");
        EXPECT_EQ(w.E().GetItemText(2), "after");
        w.E().Undo();
        EXPECT_EQ(w.E().GetLineCount(), 2);
    }
    TablesWindow w;
    w.Insert(2, 2);
    // A cancelled form inserts nothing and adds no step.
    const std::string before = w.Rnf();
    const int steps = w.E().EditData().UndoList().Count();
    w.Prompts.Form = nullptr;
    w.T().RInsertTableExecute();
    EXPECT_EQ(w.Prompts.Forms, 2);
    EXPECT_TRUE(w.Rnf() == before);
    EXPECT_EQ(w.E().EditData().UndoList().Count(), steps);
}

// A new table's look comes with it from the form: a white table framed in black, its cells too,
// with the spacing and padding of every new table, and so it is stored.
TEST(NotesTables, ANewTableHasTheFramesSpacingAndPaddingOfTheInsertForm) {
    TablesWindow w;
    w.Insert(2, 3, 60);
    for (bool stored : {false, true}) {
        if (stored) {
            w.Reload();
        }
        const TRNTableItemInfo* t = w.TableAt(1);
        ASSERT_NE(t, nullptr) << stored;
        using B = TRNTableBorderStyle;
        EXPECT_EQ(std::make_tuple(t->Color, t->BorderLightColor, t->CellBorderLightColor),
                  std::make_tuple(clWhite, clWhite, clWhite))
            << stored;
        EXPECT_EQ(std::make_tuple(t->BorderColor, t->CellBorderColor),
                  std::make_tuple(clBlack, clBlack))
            << stored;
        EXPECT_EQ(std::make_tuple(t->BorderStyle, t->CellBorderStyle),
                  std::make_tuple(B::rntbColor, B::rntbColor))
            << stored;
        EXPECT_EQ(std::make_tuple(t->BorderWidth, t->CellBorderWidth), std::make_tuple(1, 1))
            << stored;
        EXPECT_EQ(std::make_tuple(t->BorderVSpacing, t->BorderHSpacing, t->CellVSpacing,
                                  t->CellHSpacing, t->CellPadding),
                  std::make_tuple(2, 2, 2, 2, 3))
            << stored;
        EXPECT_EQ(t->BestWidth, -60) << stored;
    }
}

TEST(NotesTables, RowAndColumnCommandsAreOneStepEachAndDeletingAllDeletesTheTable) {
    struct Case {
        bool byRows;
        int from, count; // the rows or columns selected
        TTableAction action;
        int rows, cols;           // 0 rows: the table is gone
        int markerRow, markerCol; // where the text of cell (1, 1) ends up
    } cases[] = {
        {true, 1, 1, TTableAction::RInsertRowBefore, 4, 3, 2, 1},
        {true, 1, 1, TTableAction::RInsertRowAfter, 4, 3, 1, 1},
        {false, 1, 1, TTableAction::RInsertColBefore, 3, 4, 1, 2},
        {false, 1, 1, TTableAction::RInsertColAfter, 3, 4, 1, 1},
        {true, 0, 2, TTableAction::RDelRows, 1, 3, -1, -1},
        {true, 0, 3, TTableAction::RDelRows, 0, 0, -1, -1},
        {false, 1, 1, TTableAction::RDelCol, 3, 2, -1, -1},
        {false, 0, 3, TTableAction::RDelCol, 0, 0, -1, -1},
        {true, 1, 1, TTableAction::RDelTables, 0, 0, -1, -1},
    };
    for (const Case& c : cases) {
        TablesWindow w;
        TRNTableItemInfo& t = w.Insert(3, 3);
        t.Cells(1, 1)->Clear();
        t.Cells(1, 1)->AddNL("x", 0, 0);
        const std::string before = w.Rnf();
        if (c.byRows) {
            t.SelectRows(c.from, c.count);
        } else {
            t.SelectCols(c.from, c.count);
        }
        w.T().UpdateTableActions();
        ASSERT_TRUE(w.On(c.action));
        w.T().Action(c.action)->trigger();
        const int tag = w.T().Action(c.action)->data().toInt();
        if (c.rows == 0) {
            EXPECT_EQ(w.Tables(), 0) << tag;
            for (TTableAction action : Nine) {
                EXPECT_FALSE(w.On(action));
            }
        } else {
            TRNTableItemInfo* now = w.TableAt(1);
            ASSERT_NE(now, nullptr) << tag;
            EXPECT_EQ(now->Rows.Count(), c.rows) << tag;
            EXPECT_EQ(now->Rows.ColCount(), c.cols) << tag;
            if (c.markerRow >= 0) {
                EXPECT_EQ(now->Cells(c.markerRow, c.markerCol)->GetItemText(0), "x") << tag;
            }
        }
        EXPECT_TRUE(w.Window->Binder().BinderDirty);
        w.E().Undo();
        EXPECT_TRUE(w.Rnf() == before) << tag;
    }
}

TEST(NotesTables, MergeAndSplitFollowTheSelectionAndAreOneStepEach) {
    TablesWindow w;
    TRNTableItemInfo& t = w.Insert(2, 2);
    const std::string before = w.Rnf();
    // The buttons take more than one cell; the last selection is the whole table.
    const std::pair<int, int> selections[] = {{0, 0}, {0, 1}, {1, 1}};
    for (const auto& [rowOffs, colOffs] : selections) {
        t.Select(0, 0, rowOffs, colOffs);
        w.T().UpdateTableActions();
        EXPECT_EQ(w.On(TTableAction::RmergeTable), rowOffs + colOffs > 0) << rowOffs << colOffs;
        EXPECT_EQ(w.On(TTableAction::RSplitTable), rowOffs + colOffs > 0) << rowOffs << colOffs;
    }
    w.T().RmergeTableExecute();
    TRNTableItemInfo* merged = w.TableAt(1);
    ASSERT_NE(merged, nullptr);
    EXPECT_EQ(merged->Rows.Count(), 1);
    EXPECT_EQ(merged->Rows.ColCount(), 1);
    EXPECT_EQ(merged->Cells(0, 0)->RowSpan, 1);
    EXPECT_EQ(merged->Cells(0, 0)->ColSpan, 1);
    const std::string after = w.Rnf();
    w.E().Undo();
    EXPECT_TRUE(w.Rnf() == before);
    w.E().Redo();
    EXPECT_TRUE(w.Rnf() == after);
    w.E().Undo();

    // Split divides the selected cell as the form says. Cancelled: nothing changes, and the
    // command works as before afterwards.
    w.TableAt(1)->Select(0, 0, 0, 0);
    w.Prompts.Form = nullptr;
    const int steps = w.E().EditData().UndoList().Count();
    w.T().RSplitTableExecute();
    EXPECT_EQ(w.Prompts.Forms, 2);
    EXPECT_TRUE(w.Rnf() == before);
    EXPECT_EQ(w.E().EditData().UndoList().Count(), steps);
    w.Prompts.Form = [](QDialog& form) {
        auto& f = dynamic_cast<TOKBottomDlg&>(form);
        f.CSpinEdit1->setValue(3); // columns
        f.CSpinEdit2->setValue(2); // rows
        return true;
    };
    w.T().RSplitTableExecute();
    TRNTableItemInfo& s = *w.TableAt(1);
    ASSERT_EQ(s.Rows.Count(), 3);
    ASSERT_EQ(s.Rows.ColCount(), 4);
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 3; ++col) {
            ASSERT_NE(s.Cells(row, col), nullptr) << row << col;
            EXPECT_EQ(s.Cells(row, col)->RowSpan, 1) << row << col;
            EXPECT_EQ(s.Cells(row, col)->ColSpan, 1) << row << col;
        }
    }
    EXPECT_EQ(s.Cells(0, 3)->RowSpan, 2); // the cell beside it keeps its height
    EXPECT_EQ(s.Cells(2, 0)->ColSpan, 3); // the cell under it keeps its width
    w.E().Undo();
    EXPECT_TRUE(w.Rnf() == before);
}

// The table commands follow what the mouse does in the shown window: a click into a cell
// opens it for typing, a drag from one cell into the next selects both.
TEST(NotesTables, AClickIntoACellAndADragOverTwoEnableTheirCommands) {
    TablesWindow w;
    w.Window->resize(900, 600);
    w.Window->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w.Window.get()));
    w.Insert(2, 2);
    TRNEditRNData& doc = w.E().EditData();
    const auto cellAt = [&](int row, int col) {
        const TRNDrawLineInfo& d = *doc.DrawItems[doc.FindDrawItemByItem(1)];
        const TRNTableCellData& cell = *w.TableAt(1)->Cells(row, col);
        return w.E().ClientOrigin() + QPoint(d.Left - doc.GetHOffs() + cell.Left + cell.Width / 2,
                                             d.Top - doc.GetVOffs() + cell.Top + cell.Height / 2);
    };
    const auto settle = [] {
        for (int i = 0; i < 3; ++i) {
            QApplication::processEvents();
        }
    };
    const TRNDrawLineInfo& text = *doc.DrawItems[doc.FindDrawItemByItem(0)];
    QTest::mouseClick(&w.E(), Qt::LeftButton, {},
                      w.E().ClientOrigin() + QPoint(text.Left + 3, text.Top + 3));
    settle();
    for (TTableAction action : Nine) {
        EXPECT_FALSE(w.On(action)) << static_cast<int>(action);
    }

    QTest::mouseClick(&w.E(), Qt::LeftButton, {}, cellAt(0, 0));
    settle();
    ASSERT_NE(CellEditorOf(*w.TableAt(1)), nullptr);
    EXPECT_TRUE(w.On(TTableAction::RInsertRowBefore));
    EXPECT_TRUE(w.On(TTableAction::RInsertRowAfter));
    EXPECT_FALSE(w.On(TTableAction::RmergeTable));

    QTest::mousePress(&w.E(), Qt::LeftButton, {}, cellAt(1, 0));
    QTest::mouseMove(&w.E(), cellAt(1, 0) + QPoint(0, 2));
    QTest::mouseMove(&w.E(), cellAt(1, 1));
    QTest::mouseRelease(&w.E(), Qt::LeftButton, {}, cellAt(1, 1));
    settle();
    int top = 0, left = 0, cols = 0, rows = 0;
    ASSERT_TRUE(w.TableAt(1)->GetNormalizedSelectionBounds(false, top, left, cols, rows));
    EXPECT_EQ(std::tuple(top, left, cols, rows), std::tuple(1, 0, 2, 1));
    ASSERT_TRUE(w.On(TTableAction::RmergeTable));
    EXPECT_TRUE(w.On(TTableAction::RDelRows));

    const std::string before = w.Rnf();
    const int steps = doc.UndoList().Count();
    w.T().Action(TTableAction::RmergeTable)->trigger();
    settle();
    ASSERT_EQ(w.TableAt(1)->Cells(1, 0)->ColSpan, 2);
    EXPECT_EQ(doc.UndoList().Count(), steps + 1);
    // The merged cell is one cell: nothing is left to merge.
    EXPECT_FALSE(w.On(TTableAction::RmergeTable));
    w.E().Undo();
    EXPECT_TRUE(w.Rnf() == before);
    EXPECT_EQ(w.TableAt(1)->Cells(1, 1)->ColSpan, 1);
}

// A disabled table button shows a faded grey picture, plainly unlike its enabled one.
TEST(NotesTables, DisabledButtonsLookDisabled) {
    TablesWindow w;
    const auto contrastAndColour = [](const QImage& image) {
        int low = 255, high = 0, colour = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                const QColor c = image.pixelColor(x, y);
                low = std::min(low, qGray(c.rgb()));
                high = std::max(high, qGray(c.rgb()));
                colour = std::max(colour, c.hsvSaturation());
            }
        }
        return std::pair(high - low, colour);
    };
    for (TTableAction action : Nine) {
        const QIcon icon = w.T().Action(action)->icon();
        const auto [contrast, colour] =
            contrastAndColour(icon.pixmap(16, 16, QIcon::Normal).toImage());
        const auto [fadedContrast, fadedColour] =
            contrastAndColour(icon.pixmap(16, 16, QIcon::Disabled).toImage());
        EXPECT_GT(contrast, 100) << static_cast<int>(action);
        EXPECT_LE(fadedContrast * 2, contrast) << static_cast<int>(action);
        EXPECT_EQ(fadedColour, 0) << static_cast<int>(action);
    }
}

TEST(NotesTables, WithoutATableOrWithAReadOnlyEditorNothingHappens) {
    TablesWindow w;
    w.Insert(2, 2);
    w.TableAt(1)->SelectRows(0, 2);
    w.T().UpdateTableActions();
    EXPECT_TRUE(w.On(TTableAction::RDelRows));
    const std::string before = w.Rnf();
    w.E().ReadOnly = true;
    for (TTableAction action : Nine) {
        w.T().Action(action)->trigger();
    }
    EXPECT_TRUE(w.Rnf() == before);
    w.E().ReadOnly = false;
    w.E().SetSelectionBounds(0, 1, 0, 1);
    w.Caret(0, 1);
    w.T().UpdateTableActions();
    for (TTableAction action : Nine) {
        EXPECT_FALSE(w.On(action));
        w.T().Action(action)->trigger();
    }
    EXPECT_TRUE(w.Rnf() == before);
}

TEST(NotesTables, InsideACellEditorTheCommandsActOnTheTableThatHoldsIt) {
    TablesWindow w;
    TRNTableItemInfo& outer = w.Insert(2, 2);
    outer.CreateInplace(-1, 0, 0, false, false);
    ASSERT_NE(CellEditorOf(outer), nullptr);
    w.T().UpdateTableActions();
    for (TTableAction action : Nine) {
        EXPECT_EQ(w.On(action), action != TTableAction::RmergeTable);
    }
    // The edited cell is the selection: a row goes above it.
    CellEditorOf(outer)->InsertText("x");
    w.T().RInsertRowBeforeExecute();
    ASSERT_EQ(outer.Rows.Count(), 3);
    EXPECT_EQ(outer.Cells(1, 0)->GetItemText(0), "x");
    outer.CreateInplace(-1, 1, 0, true, false);

    // A table inserted while a cell is edited goes into that cell; the commands then act on
    // it, not on the table that holds it.
    w.AnswerInsert(1, 2, 0);
    w.T().RInsertTableExecute();
    TRNTableInplaceEdit* cellEditor = CellEditorOf(outer);
    ASSERT_NE(cellEditor, nullptr);
    TRNTableItemInfo* inner = nullptr;
    for (int i = 0; i < cellEditor->GetLineCount() && !inner; ++i) {
        inner = dynamic_cast<TRNTableItemInfo*>(&cellEditor->EditData().GetItem(i));
    }
    ASSERT_NE(inner, nullptr);
    inner->SelectRows(0, 1);
    w.T().RInsertRowAfterExecute();
    EXPECT_EQ(inner->Rows.Count(), 2);
    EXPECT_EQ(outer.Rows.Count(), 3);
    w.T().RDelTablesExecute();
    outer.DestroyInplace(true);
    EXPECT_EQ(w.Tables(), 1);
    EXPECT_EQ(outer.Rows.Count(), 3);
    bool nested = false;
    const TRNTableCellData& cell = *outer.Cells(1, 0);
    for (int i = 0; i < cell.ItemCount(); ++i) {
        nested = nested || dynamic_cast<const TRNTableItemInfo*>(&cell.GetItem(i)) != nullptr;
    }
    EXPECT_FALSE(nested);
}

TEST(NotesTables, AnOpenCellFormatsAndReportsThroughTheWindowsCommands) {
    TablesWindow w;
    TRNTableItemInfo& t = w.Insert(1, 2);
    TRNTableInplaceEdit* cell = w.OpenCell(t, 0, 1, "plain");
    ASSERT_NE(cell, nullptr);
    const TRNStyle& sheet = w.Window->NotesPart().Commands().rns();
    const auto bold = [&](int itemNo) {
        return sheet.TextStyles()[cell->EditData().GetItemStyle(itemNo)].Style.Contains(
            TFontStyle::fsBold);
    };
    ASSERT_FALSE(bold(0));
    QAction* boldAction = w.Window->NotesPart().Commands().Action(TNoteAction::RBold);
    boldAction->trigger();
    ASSERT_EQ(cell, CellEditorOf(t));
    EXPECT_TRUE(bold(0));
    EXPECT_EQ(cell->EditData().GetItemText(0), "plain");
    w.Window->NotesPart().Commands().Action(TNoteAction::RUndo)->trigger();
    ASSERT_EQ(cell, CellEditorOf(t));
    EXPECT_FALSE(bold(0));

    // A bold start before plain text: the tool bar follows the caret from one to the other.
    cell->SetSelectionBounds(0, 1, 0, 3);
    boldAction->trigger();
    ASSERT_EQ(cell->GetLineCount(), 2);
    ASSERT_EQ(cell->EditData().GetItemText(0), "pl");
    ASSERT_TRUE(bold(0));
    ASSERT_FALSE(bold(1));
    cell->Deselect();
    int told = 0;
    const auto windowHandler = cell->OnCurTextStyleChanged;
    ASSERT_TRUE(windowHandler);
    cell->OnCurTextStyleChanged = [&](TRichNoteEdit& sender) {
        ++told;
        windowHandler(sender);
    };
    MoveCaret(*cell, 1, 3);
    EXPECT_GE(told, 1);
    EXPECT_FALSE(boldAction->isChecked());
    MoveCaret(*cell, 0, 2);
    EXPECT_GE(told, 2);
    EXPECT_TRUE(boldAction->isChecked());
}

TEST(NotesTables, BoldThenItalicInAnOpenCellKeepTheSelection) {
    TablesWindow w;
    TRNTableItemInfo& t = w.Insert(1, 2);
    TRNTableInplaceEdit* cell = w.OpenCell(t, 0, 0, "hello world");
    ASSERT_NE(cell, nullptr);
    cell->SetSelectionBounds(0, 1, 0, 6);
    ASSERT_TRUE(w.Note(TNoteAction::RCopy)->isEnabled());
    w.Note(TNoteAction::RBold)->trigger();
    w.Note(TNoteAction::RItalic)->trigger();
    ASSERT_EQ(cell, CellEditorOf(t));
    const TRNStyle& sheet = w.Window->NotesPart().Commands().rns();
    ASSERT_EQ(cell->EditData().GetItemText(0), "hello");
    EXPECT_EQ(sheet.TextStyles()[cell->EditData().GetItemStyle(0)].Style,
              (TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic}));
    EXPECT_EQ(sheet.TextStyles()[cell->EditData().GetItemStyle(1)].Style, TFontStyles{});
    EXPECT_EQ(cell->GetSelText(), "hello");
    EXPECT_TRUE(w.Note(TNoteAction::RCopy)->isEnabled());
    EXPECT_TRUE(w.Note(TNoteAction::RCut)->isEnabled());
    // Each button was one step of the cell.
    w.Note(TNoteAction::RUndo)->trigger();
    EXPECT_EQ(sheet.TextStyles()[cell->EditData().GetItemStyle(0)].Style,
              TFontStyles{TFontStyle::fsBold});
}

// Over cells selected with the mouse, the style buttons show the text of the first selected
// cell after each press, so a checked button takes its style off the cells again.
TEST(NotesTables, StyleButtonsShowTheSelectedCellsAfterEachPress) {
    TablesWindow w;
    TRNTableItemInfo& t = w.Insert(1, 3);
    for (int col = 0; col < 3; ++col) {
        ASSERT_NE(w.OpenCell(t, 0, col, std::string(3, static_cast<char>('a' + col))), nullptr);
        t.DestroyInplace(true);
    }
    const TRNStyle& sheet = w.Window->NotesPart().Commands().rns();
    const auto styleOf = [&](int col) {
        return sheet.TextStyles()[t.Cells(0, col)->GetItemStyle(0)].Style;
    };
    const auto buttons = [&] {
        TFontStyles shown;
        if (w.Note(TNoteAction::RBold)->isChecked()) {
            shown.Include(TFontStyle::fsBold);
        }
        if (w.Note(TNoteAction::RItalic)->isChecked()) {
            shown.Include(TFontStyle::fsItalic);
        }
        return shown;
    };
    // The last cell first: the selection then starts in a cell of another style.
    t.Select(0, 2, 0, 0);
    w.Note(TNoteAction::RItalic)->trigger();
    ASSERT_EQ(styleOf(2), TFontStyles{TFontStyle::fsItalic});
    EXPECT_EQ(buttons(), TFontStyles{TFontStyle::fsItalic});
    t.Select(0, 1, 0, 1);
    w.Note(TNoteAction::RBold)->trigger();
    EXPECT_EQ(styleOf(1), TFontStyles{TFontStyle::fsBold});
    EXPECT_EQ(styleOf(2), (TFontStyles{TFontStyle::fsBold, TFontStyle::fsItalic}));
    EXPECT_EQ(buttons(), TFontStyles{TFontStyle::fsBold});
    // One more press takes bold off both cells.
    w.Note(TNoteAction::RBold)->trigger();
    EXPECT_EQ(styleOf(1), TFontStyles{});
    EXPECT_EQ(styleOf(2), TFontStyles{TFontStyle::fsItalic});
    EXPECT_EQ(buttons(), TFontStyles{});
    EXPECT_EQ(styleOf(0), TFontStyles{});
}

// Typing in a cell of a note read from its record: the window's Undo and Redo follow the
// cell's own steps.
TEST(NotesTables, UndoAndRedoFollowTheStepsOfAnOpenCell) {
    TablesWindow w;
    w.Insert(2, 2);
    w.Reload();
    TRNTableItemInfo* t = w.TableAt(1);
    ASSERT_NE(t, nullptr);
    QAction* undo = w.Note(TNoteAction::RUndo);
    QAction* redo = w.Note(TNoteAction::RRedo);
    ASSERT_FALSE(undo->isEnabled());
    ASSERT_FALSE(redo->isEnabled());
    t->CreateInplace(-1, 0, 0, false, false);
    TRNTableInplaceEdit* cell = CellEditorOf(*t);
    ASSERT_NE(cell, nullptr);
    w.Type(cell, "a");
    ASSERT_EQ(cell->EditData().GetItemText(0), "a");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    EXPECT_EQ(w.E().UndoAction(), TRNUndoType::rnutTyping);

    undo->trigger();
    ASSERT_EQ(cell, CellEditorOf(*t));
    EXPECT_EQ(cell->EditData().GetItemText(0), "");
    EXPECT_TRUE(redo->isEnabled());
    EXPECT_FALSE(undo->isEnabled());
    EXPECT_EQ(w.E().RedoAction(), TRNUndoType::rnutTyping);
    redo->trigger();
    EXPECT_EQ(cell->EditData().GetItemText(0), "a");
    EXPECT_TRUE(undo->isEnabled());
    EXPECT_FALSE(redo->isEnabled());
    // The cell's own keys are replays too.
    QKeyEvent ctrlZ(QEvent::KeyPress, Qt::Key_Z, Qt::ControlModifier);
    QApplication::sendEvent(cell, &ctrlZ);
    QApplication::processEvents();
    EXPECT_EQ(cell->EditData().GetItemText(0), "");
    EXPECT_TRUE(redo->isEnabled());

    // Both lists of both editors are emptied, the cell's first.
    w.Type(cell, "c");
    cell->EditData().RedoList().BeginItem(TRNUndoType::rnutTyping, "", 0, 1);
    w.E().EditData().UndoList().BeginItem(TRNUndoType::rnutTyping, "", 0, 1);
    w.E().EditData().RedoList().BeginItem(TRNUndoType::rnutTyping, "", 0, 1);
    ASSERT_EQ(cell->EditData().UndoList().Count(), 1);
    w.E().ClearUndo();
    EXPECT_EQ(cell->EditData().UndoList().Count(), 0);
    EXPECT_EQ(cell->EditData().RedoList().Count(), 0);
    EXPECT_EQ(w.E().EditData().UndoList().Count(), 0);
    EXPECT_EQ(w.E().EditData().RedoList().Count(), 0);
    EXPECT_EQ(w.E().UndoAction(), TRNUndoType::rnutNone);
    EXPECT_EQ(w.E().RedoAction(), TRNUndoType::rnutNone);
}

TEST(NotesTables, ANoteWithADamagedTableIsShownReadOnlyAndKeepsItsBytes) {
    TablesWindow w;
    TRNTableItemInfo& t = w.Insert(1, 3);
    for (int col = 0; col < 3; ++col) {
        t.Cells(0, col)->Clear();
        t.Cells(0, col)->AddNL(std::string(1, static_cast<char>('a' + col)), 0, 0);
    }
    std::string bytes = w.Rnf();
    // The first cell's document claims more bytes than the stream holds.
    const std::string data = std::string("\x06") + "C.Data" + "\x0A";
    const size_t at = bytes.find(data);
    ASSERT_NE(at, std::string::npos);
    for (size_t i = 0; i < 4; ++i) {
        bytes[at + data.size() + 4 + i] = i == 3 ? '\x7F' : '\xF0';
    }
    TTreeNode* other = w.Add(NodeKind::Notes, "other");
    w.Window->Binder().Items().SetSelected(other);
    NodeRecord(w.Node)->Notes.Clear();
    NodeRecord(w.Node)->Notes.AppendRaw(bytes.data(), bytes.size());
    w.Prompts.Messages.clear();
    w.Window->Binder().Items().SetSelected(w.Node);
    ASSERT_EQ(w.Prompts.Messages.size(), 1u);
    EXPECT_EQ(w.E().GetItemText(2), "after");
    EXPECT_TRUE(w.E().ReadOnly);
    w.E().EditData().SetCaretAtItem(2, 1);
    w.E().InsertText("typed");
    w.Window->Binder().Items().SetSelected(other);
    EXPECT_EQ(NodeRecord(w.Node)->Notes.Bytes(), bytes);
}

TEST(NotesTables, EmbeddedControlsPrintAsTheirOwnPicture) {
    TablesWindow w;
    auto button = std::make_unique<QPushButton>("Print me");
    button->resize(90, 28);
    TEmbeddedWidget control(std::move(button), "TButton");
    std::unique_ptr<TBitmap> picture =
        w.Window->NotesPart().Commands().RNPrint1().RichNote().PrintData().PrintComponent(control);
    ASSERT_NE(picture, nullptr);
    EXPECT_EQ(picture->Width(), 90);
    EXPECT_EQ(picture->Height(), 28);
    // Not blank: the button's face, frame and caption differ.
    const QImage& image = picture->Image();
    std::set<QRgb> colours;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            colours.insert(image.pixel(x, y));
        }
    }
    EXPECT_GT(colours.size(), 2u);
}

TEST(NotesTables, AStoredControlIsLaidOutAndPrintedAtItsStoredSize) {
    TablesWindow w;
    const auto str = [](std::string_view s) {
        return std::string(1, static_cast<char>(s.size())) + std::string(s);
    };
    const std::string stream = "TPF0" + str("TPanel") + str("Panel1") + str("Width") + "\x02\x78" +
                               str("Height") + "\x02\x1e" + str("Caption") + "\x06" +
                               str("Stored") + std::string(2, '\0');
    w.E().Clear();
    w.E().AddControl(std::make_unique<TOpaqueControl>("TPanel", "Panel1", stream), false);
    w.E().Format();
    const std::string bytes = w.Rnf();
    // The note read back from its record.
    TTreeNode* other = w.Add(NodeKind::Notes, "other");
    w.Window->Binder().Items().SetSelected(other);
    NodeRecord(w.Node)->Notes.Clear();
    NodeRecord(w.Node)->Notes.AppendRaw(bytes.data(), bytes.size());
    w.Window->Binder().Items().SetSelected(w.Node);
    ASSERT_EQ(w.E().GetLineCount(), 1);
    std::string name;
    IEmbeddedControl* control = nullptr;
    TRNVAlign align{};
    RNTag tag;
    w.E().GetControlInfo(0, name, control, align, tag);
    ASSERT_NE(control, nullptr);
    EXPECT_EQ(control->Name(), "Panel1");
    EXPECT_EQ(control->Width(), 120);
    EXPECT_EQ(control->Height(), 30);
    EXPECT_EQ(control->Caption(), "Stored");
    const TCustomRNFormattedData& doc = w.E().RNData();
    ASSERT_EQ(doc.DrawItems.Count(), 1);
    EXPECT_GE(doc.DrawItems[0]->Width, 120);
    EXPECT_GE(doc.DrawItems[0]->Height, 30);
    EXPECT_LE(doc.DrawItems[0]->Width, 120 + 4);
    EXPECT_LE(doc.DrawItems[0]->Height, 30 + 4);

    // The preview draws the control's picture: its frame, at its size, is the only ink.
    TRNPrint& print = w.Window->NotesPart().Commands().RNPrint1();
    int printed = 0;
    const auto drawer = print.OnPrintComponent;
    ASSERT_TRUE(drawer);
    print.OnPrintComponent = [&](TRNPrint& sender, IEmbeddedControl& printMe,
                                 std::unique_ptr<TBitmap>& picture) {
        ++printed;
        drawer(sender, printMe, picture);
    };
    print.AssignSource(w.E());
    ASSERT_GT(print.FormatPages(), 0);
    TBitmap page;
    print.MakePreview(1, page);
    print.OnPrintComponent = drawer;
    EXPECT_GE(printed, 1);
    const QImage& image = page.Image();
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (qGray(image.pixel(x, y)) < 250) {
                ink |= QRect(x, y, 1, 1);
            }
        }
    }
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_NEAR(ink.width(), 120, 3);
    EXPECT_NEAR(ink.height(), 30, 3);
}

} // namespace
