#include "app/ui/NotesPart.h"

#include "app/binder/BinderTree.h"
#include "app/ui/StatusBarWriter.h"
#include "app/ui/views/NodeViews.h"
#include "app/ui/views/ViewsPane.h"

TNotesPart::TNotesPart(TBinderTree& binder, TViewsPane& views, TStatusBarWriter& status,
                       const TImageList& images)
    : binder_(binder), views_(views), status_(status), dialogs_(*views.window()) {
    commands_ = std::make_unique<TNotesCommands>(views.TabSheet3(), static_cast<INotesHost&>(*this),
                                                 dialogs_, images);
    tables_ = std::make_unique<TTableCommands>(*commands_, views.TabSheet3());
    views.Views().SetNotesPort(commands_.get());
    QObject::connect(&views, &TViewsPane::NotesShown, commands_.get(),
                     [this] { commands_->TabSheet3Show(); });
    binder_.AddObserver(this);
}

TNotesPart::~TNotesPart() {
    binder_.RemoveObserver(this);
    tables_.reset();
    views_.Views().SetNotesPort(nullptr);
}

TTreeNode* TNotesPart::SelectedNode() const {
    return binder_.Selected();
}

void TNotesPart::SetEditedNode(TTreeNode* node) {
    // A change of the note is the editing state's start (OtherChanged), for the node shown.
    TNodeViews& views = views_.Views();
    views.OtherChangedExecut();
    views.SetEditingNode(node);
}

void TNotesPart::SetBinderDirty() {
    binder_.BinderDirty = true;
}

void TNotesPart::StoreNote(TTreeNode* node, std::string_view note) {
    views_.Views().NoteStored();
    binder_.StoreNote(node, note);
}

void TNotesPart::BinderSaving() {
    views_.Views().WriteNoteBeingEdited();
}

void TNotesPart::modifysb(int panel, const std::string& text, int progress) {
    status_.modifysb(panel, text, progress);
}

bool TNotesPart::NotesPageActive() const {
    return views_.ActivePage() == ViewPage::Notes;
}

bool TNotesPart::WindowVisible() const {
    return views_.window()->isVisible();
}
