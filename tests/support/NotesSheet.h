#pragma once

// A document set up as the notes editor keeps its notes, on the editor's own style sheet, for
// the format tests.

#include "app/ui/notes_sheet/NotesStyleSheet.h"
#include "richtext/model/CRNData.h"

#include <memory>

class TNotesDocument;
// A note as the notes editor writes it: styles, Unicode text, checkpoints (the end one too),
// a page break, a line break, a rule, and a bitmap and a JPEG picture with "#" and NUL bytes.
void BuildNotesEditorNote(TNotesDocument& d);

class TNotesDocument : public TRNPlainRootData {
public:
    explicit TNotesDocument(bool notesSheet = true) {
        if (notesSheet) {
            SetUpNotesSheet(sheet_);
        }
        Style = &sheet_;
        RNFOptions = NotesRNFOptions();
    }
    TRNStyle& Sheet() { return sheet_; }

private:
    TRNStyle sheet_;
};
