#include "app/ui/NotesStorage.h"

#include "app/binder/StringMessage.h"
#include "platform/base/Stream.h"
#include "richtext/view/RichNote.h"

bool saveRichContent(StringMessageI18N& note, TRichNote& editor) {
    TMemoryStream stream;
    try {
        if (!editor.SaveRNFToStream(stream, false)) {
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
    TMemoryStream stream;
    stream.Write(note.GetBuffer(), note.GetLength());
    stream.SetPosition(0);
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
    editor.Format();
    return result;
}
