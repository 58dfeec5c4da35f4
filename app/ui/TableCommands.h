#pragma once

// The table commands of the notes editor: insert a table through "Insert Table", add and
// delete rows and columns, merge and split cells through "Split", delete the table at the
// caret; their actions on the editor's table tool bar and "Table" in the "&Insert" menu, and
// which of them apply where the caret is. Also how an embedded control prints.

#include <QObject>

#include <map>
#include <memory>

class IEmbeddedControl;
class QAction;
class QToolBar;
class QWidget;
class TBitmap;
class TNotesCommands;
class TRNPrint;
class TRNTableItemInfo;
class TRichNoteEdit;

enum class TTableAction {
    RInsertRowBefore,
    RInsertRowAfter,
    RInsertColBefore,
    RInsertColAfter,
    RDelRows,
    RDelCol,
    RmergeTable,
    RSplitTable,
    RDelTables,
    RInsertTable,
};

class TTableCommands : public QObject {
public:
    // The tool bar goes on `page` under the notes editor's own.
    TTableCommands(TNotesCommands& notes, QWidget& page);
    ~TTableCommands() override;

    QAction* Action(TTableAction action) const { return actions_.at(action); }
    QToolBar& ToolBar() { return *toolBar_; }

    // The tagged commands tell themselves apart by their action's tag.
    void RInsertRowBeforeExecute() { TableCommand(Action(TTableAction::RInsertRowBefore)); }
    void RInsertRowAfterExecute() { TableCommand(Action(TTableAction::RInsertRowAfter)); }
    void RInsertColBeforeExecute() { TableCommand(Action(TTableAction::RInsertColBefore)); }
    void RInsertColAfterExecute() { TableCommand(Action(TTableAction::RInsertColAfter)); }
    void RDelRowsExecute() { TableCommand(Action(TTableAction::RDelRows)); }
    void RDelColExecute() { TableCommand(Action(TTableAction::RDelCol)); }
    void RmergeTableExecute() { TableCommand(Action(TTableAction::RmergeTable)); }
    void RSplitTableExecute() { TableCommand(Action(TTableAction::RSplitTable)); }
    void RDelTablesExecute();
    void RInsertTableExecute();
    void TableCommand(const QAction* sender);
    // Enables the commands that apply to the table at the caret (none without one).
    void UpdateTableActions();
    // The picture a control inside a note prints as.
    static void RNPrint1PrintComponent(TRNPrint& sender, IEmbeddedControl& printMe,
                                       std::unique_ptr<TBitmap>& ctrlbmp);

private:
    void BuildActions();
    void BuildToolBar(QWidget& page);
    void AddToInsertMenu();
    // The grid command of `tag` on the table; false when nothing was done.
    bool RunOnTable(TRNTableItemInfo& table, int tag);

    TNotesCommands& notes_;
    QToolBar* toolBar_ = nullptr;
    std::map<TTableAction, QAction*> actions_;
};
