#pragma once

// The notes editor as the views reach it: the selected node's note is shown in it, and what
// was typed there is written back into a record.

class TPageInfo;

class INotesPort {
public:
    virtual ~INotesPort() = default;
    // Shows the record's note in the editor, laid out once.
    virtual void LoadNotes(const TPageInfo& record) = 0;
    // Writes the editor's note into the record (a note that could not be read is never
    // written over it).
    virtual void SaveNotes(TPageInfo& record) = 0;
    // SaveNotes when the note was changed since it was shown or last written; the editor
    // goes on as it was (caret, selection, scroll position, undo list). True when it wrote.
    virtual bool SaveChangedNotes(TPageInfo& record) = 0;
};
