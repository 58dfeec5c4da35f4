#pragma once

// A node's note in its record: the editor's document as RNF bytes, appended raw to the
// record's note field. A note that cannot be written leaves the field as it was; a note that
// cannot be read is reported with the reader's reason and its bytes stay as they are.

#include <string>

class StringMessageI18N;
class TRichNote;

// True when the note field now holds the editor's document. An editor that shows nothing
// stores a note without items.
bool saveRichContent(StringMessageI18N& note, TRichNote& editor);

struct TNoteLoadResult {
    bool Loaded = true;
    std::string Error; // the reader's reason when not loaded
};
// Reads the note into the editor (which the caller has cleared); an empty note leaves the
// editor as it is. The caller lays the editor out once it has what it shows.
TNoteLoadResult loadRichContent(TRichNote& editor, const StringMessageI18N& note);
