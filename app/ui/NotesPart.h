#pragma once

// The notes editor in the main window: the notes commands and the table commands on the views
// pane's notes page, their menu in the menu bar, the notes of the node the views show, and the
// window's tree, status bar and views as the commands need them.

#include "app/ui/NotesCommands.h"
#include "app/ui/NotesPrompts.h"
#include "app/ui/TableCommands.h"

#include <memory>

class TFormVelmorRnx;

class TNotesPart : private INotesHost {
public:
    TNotesPart(TFormVelmorRnx& window, const TImageList& images);
    ~TNotesPart() override;
    TNotesPart(const TNotesPart&) = delete;
    TNotesPart& operator=(const TNotesPart&) = delete;

    TNotesCommands& Commands() { return *commands_; }
    TTableCommands& Tables() { return *tables_; }

private:
    TTreeNode* SelectedNode() const override;
    void SetEditedNode(TTreeNode* node) override;
    void SetBinderDirty() override;
    void FileSaveExecute() override;
    void modifysb(int panel, const std::string& text, int progress) override;
    bool NotesPageActive() const override;
    bool WindowVisible() const override;

    TFormVelmorRnx& window_;
    TQtNotesPrompts dialogs_;
    std::unique_ptr<TNotesCommands> commands_;
    std::unique_ptr<TTableCommands> tables_; // goes before the commands it adds to
};
