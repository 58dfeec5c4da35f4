#include "app/ui/NotesPart.h"

#include "app/binder/BinderTree.h"
#include "app/ui/FormVelmorRnx.h"
#include "app/ui/views/NodeViews.h"
#include "app/ui/views/ViewsPane.h"

#include <QMenu>

TNotesPart::TNotesPart(TFormVelmorRnx& window, const TImageList& images)
    : window_(window), dialogs_(window) {
    TViewsPane& views = window_.ViewsPane();
    commands_ = std::make_unique<TNotesCommands>(views.TabSheet3(), static_cast<INotesHost&>(*this),
                                                 dialogs_, images);
    tables_ = std::make_unique<TTableCommands>(*commands_, views.TabSheet3());
    window_.Actions().SetEditMenu(commands_->EditMenu());
    views.OnLoadNotes = [this](const TPageInfo& record) { commands_->LoadNotes(record); };
    views.OnSaveNotes = [this](TPageInfo& record) { commands_->SaveNotes(record); };
    QObject::connect(&views, &TViewsPane::NotesShown, commands_.get(),
                     [this] { commands_->TabSheet3Show(); });
}

TNotesPart::~TNotesPart() {
    tables_.reset();
    TViewsPane& views = window_.ViewsPane();
    views.OnLoadNotes = nullptr;
    views.OnSaveNotes = nullptr;
}

TTreeNode* TNotesPart::SelectedNode() const {
    return window_.Binder().Selected();
}

void TNotesPart::SetEditedNode(TTreeNode* node) {
    // A change of the note is the editing state's start (OtherChanged), for the node shown.
    TNodeViews& views = window_.ViewsPane().Views();
    views.OtherChangedExecut();
    views.SetEditingNode(node);
}

void TNotesPart::SetBinderDirty() {
    window_.Binder().BinderDirty = true;
}

void TNotesPart::FileSaveExecute() {
    window_.Binder().FileSaveExecute();
}

void TNotesPart::modifysb(int panel, const std::string& text, int progress) {
    window_.modifysb(panel, text, progress);
}

bool TNotesPart::NotesPageActive() const {
    return window_.ViewsPane().ActivePage() == ViewPage::Notes;
}

bool TNotesPart::WindowVisible() const {
    return window_.isVisible();
}
