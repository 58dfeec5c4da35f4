#include "app/binder/commands/CommandEnabling.h"

#include "app/binder/BinderTree.h"
#include "app/binder/WindowTexts.h"

TCommandEnabling::TCommandEnabling(TBinderTree& tree, IBinderCommands& commands)
    : tree_(tree), commands_(commands) {
    tree_.AddObserver(this);
}

TCommandEnabling::~TCommandEnabling() {
    tree_.RemoveObserver(this);
}

void TCommandEnabling::SlotFilled() {
    commands_.EnableCommand(TBinderCommand::EditPaste1, true);
    commands_.EnableCommand(TBinderCommand::ToolButton11, true);
    commands_.EnableCommand(TBinderCommand::EditCut1, false);
    commands_.EnableCommand(TBinderCommand::EditCopy1, false);
    commands_.EnableCommand(TBinderCommand::EditDelete1, false);
}

void TCommandEnabling::SlotsEmptied() {
    commands_.EnableCommand(TBinderCommand::EditPaste1, false);
    commands_.EnableCommand(TBinderCommand::ToolButton11, false);
}

void TCommandEnabling::BinderLoaded(const std::string& binderName) {
    commands_.SetCaption(BinderCaption(binderName));
    for (TBinderCommand command : {TBinderCommand::EditPaste1, TBinderCommand::EditCut1,
                                   TBinderCommand::EditCopy1, TBinderCommand::EditDelete1}) {
        commands_.EnableCommand(command, false);
    }
}

void TCommandEnabling::BinderClosed() {
    commands_.SetCaption(ApplicationTitle);
}
