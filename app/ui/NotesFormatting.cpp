// The notes commands that format: the four font styles, the size, the font, the colours, the
// alignment, the indent and the paragraph background.
#include "app/ui/NotesCommands.h"
#include "platform/base/QtText.h"
#include "richtext/view/RNEdit.h"

#include <QAction>
#include <QComboBox>

#include <algorithm>

void TNotesCommands::ToggleFontStyle(TNoteAction button, int on, int off) {
    RichNoteEdit1CurTextStyleChanged();
    const bool down = Action(button)->isChecked();
    editor_->ApplyStyleConversion(down ? off : on);
    RichNoteEdit1CurTextStyleChanged();
}

void TNotesCommands::ChangeFontSize(int delta) {
    const int size = rns_.TextStyles()[editor_->GetCurTextStyleNo()].Size + delta;
    // Below one point no text shows: the smallest size stays.
    operands_.FontSize = std::max(1, size);
    editor_->ApplyStyleConversion(ncFontSize);
}

void TNotesCommands::ChooseTextColor(int code) {
    // A cancelled dialog leaves the note as it was.
    const std::optional<TColor> color = prompts_->ChooseColor(operands_.Color);
    if (!color) {
        return;
    }
    operands_.Color = *color;
    editor_->ApplyStyleConversion(code);
}

void TNotesCommands::combHClick() {
    if (combH_->currentIndex() < 0) {
        return;
    }
    operands_.FontName = FromQ(combH_->currentText());
    editor_->ApplyStyleConversion(ncFontName);
    // The list shows what the text at the caret now has: the font just chosen, or the old
    // one when the note may not change.
    RichNoteEdit1CurTextStyleChanged();
    if (host_.WindowVisible()) {
        editor_->setFocus();
    }
}

void TNotesCommands::Align(TNoteAction sender) {
    editor_->ApplyParaStyle(Action(sender)->data().toInt());
    RichNoteEdit1CurParaStyleChanged();
}

void TNotesCommands::Indent(bool right) {
    const TParaInfo& current = rns_.ParaStyles()[editor_->GetCurParaStyleNo()];
    const std::optional<int> target = IndentTarget(current.LeftIndent, right, editor_->width());
    if (!target) {
        return;
    }
    editor_->ApplyParaStyle(FindOrAddParaStyle(rns_.ParaStyles(), current.Alignment, *target,
                                               current.Background.Color));
}

void TNotesCommands::RParagraphBgColorExecute() {
    const std::optional<TColor> color = prompts_->ChooseColor(operands_.Color);
    if (!color) {
        return;
    }
    operands_.Color = *color;
    const TParaInfo& current = rns_.ParaStyles()[editor_->GetCurParaStyleNo()];
    editor_->ApplyParaStyle(FindOrAddParaStyle(rns_.ParaStyles(), current.Alignment,
                                               current.LeftIndent, operands_.Color));
}
