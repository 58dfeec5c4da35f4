#pragma once

// The notes editor in the main window: the notes commands and the table commands on the views
// pane's notes page, wired straight to the parts they work with: the binder document (the
// selected node, the changed mark, storing a note), the views (the note shown, the editing
// state, the active page) and the status bar. The views reach the editor through its notes
// port; the window only installs the editor's menu. Whenever the binder is written, the note
// being typed goes with it, so a crash loses no more of it than of any other change.

#include "app/binder/BinderNotices.h"
#include "app/ui/NotesCommands.h"
#include "app/ui/NotesPrompts.h"
#include "app/ui/TableCommands.h"

#include <memory>

class TBinderTree;
class TStatusBarWriter;
class TViewsPane;

class TNotesPart : private INotesHost, private IBinderTreeObserver {
public:
    // Everything must outlive the part; the images give the bullet and the stored bullets.
    TNotesPart(TBinderTree& binder, TViewsPane& views, TStatusBarWriter& status,
               const TImageList& images);
    ~TNotesPart() override;
    TNotesPart(const TNotesPart&) = delete;
    TNotesPart& operator=(const TNotesPart&) = delete;

    TNotesCommands& Commands() { return *commands_; }
    TTableCommands& Tables() { return *tables_; }

private:
    TTreeNode* SelectedNode() const override;
    void SetEditedNode(TTreeNode* node) override;
    void SetBinderDirty() override;
    void StoreNote(TTreeNode* node, std::string_view note) override;
    void modifysb(int panel, const std::string& text, int progress) override;
    bool NotesPageActive() const override;
    bool WindowVisible() const override;
    // ---- IBinderTreeObserver ----
    // Every write of the binder takes the note being typed along, its edit going on.
    void BinderSaving() override;

    TBinderTree& binder_;
    TViewsPane& views_;
    TStatusBarWriter& status_;
    TQtNotesPrompts dialogs_;
    std::unique_ptr<TNotesCommands> commands_;
    std::unique_ptr<TTableCommands> tables_; // goes before the commands it adds to
};
