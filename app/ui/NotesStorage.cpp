#include "app/ui/NotesStorage.h"

#include "app/binder/StringMessage.h"
#include "platform/base/Stream.h"
#include "richtext/view/RichNote.h"

namespace {

// An editor shows an empty note as one empty line, which is no content of the note.
bool ShowsNothing(TRichNote& editor) {
    return editor.GetLineCount() == 0 ||
           (editor.GetLineCount() == 1 && editor.GetItem(0).IsText() &&
            editor.GetItemText(0).empty());
}

bool WriteNote(TRichNote& editor, TStream& stream) {
    if (!ShowsNothing(editor)) {
        return editor.SaveRNFToStream(stream, false);
    }
    // The sheet and the background still go with it.
    TRNPlainRootData empty;
    empty.Style = editor.Style();
    empty.RNFOptions = editor.RNFOptions;
    return empty.SaveRNFToStream(stream, false, editor.GetEffectiveColor(), &editor.Background());
}

} // namespace

bool saveRichContent(StringMessageI18N& note, TRichNote& editor) {
    TMemoryStream stream;
    try {
        if (!WriteNote(editor, stream)) {
            return false;
        }
    } catch (const std::exception&) {
        return false;
    }
    note.Clear();
    note.AppendRaw(stream.Memory(), stream.Bytes().size());
    return true;
}

TNoteLoadResult loadRichContent(TRichNote& editor, const StringMessageI18N& note) {
    if (note.GetLength() == 0) {
        return {};
    }
    TBytesReadStream stream(
        std::string_view(note.GetBuffer(), static_cast<size_t>(note.GetLength())));
    TNoteLoadResult result;
    try {
        result.Loaded = editor.LoadRNFFromStream(stream);
        if (!result.Loaded) {
            result.Error = editor.RNData().RNFError;
        }
    } catch (const std::exception& error) {
        result.Loaded = false;
        result.Error = error.what();
    }
    if (result.Loaded && editor.RNFWarnings.Contains(TRNFWarning::rnfwTableDamaged)) {
        result.Loaded = false;
        result.Error = "a table of the note is damaged";
    }
    return result;
}
