#include "app/ui/NoteIcons.h"

#include "app/ui/NotesCommands.h"

#include <QPixmap>

// The program's own pictures, 16 x 16.
#include "resources/icons/notes/aligncenter.xpm"
#include "resources/icons/notes/alignjustify.xpm"
#include "resources/icons/notes/alignleft.xpm"
#include "resources/icons/notes/alignright.xpm"
#include "resources/icons/notes/bold.xpm"
#include "resources/icons/notes/bullet.xpm"
#include "resources/icons/notes/copy.xpm"
#include "resources/icons/notes/cut.xpm"
#include "resources/icons/notes/export.xpm"
#include "resources/icons/notes/find.xpm"
#include "resources/icons/notes/fontbigger.xpm"
#include "resources/icons/notes/fontsmaller.xpm"
#include "resources/icons/notes/indentless.xpm"
#include "resources/icons/notes/indentmore.xpm"
#include "resources/icons/notes/insertfile.xpm"
#include "resources/icons/notes/italic.xpm"
#include "resources/icons/notes/pagebreak.xpm"
#include "resources/icons/notes/parabgcolor.xpm"
#include "resources/icons/notes/paste.xpm"
#include "resources/icons/notes/picture.xpm"
#include "resources/icons/notes/print.xpm"
#include "resources/icons/notes/printpreview.xpm"
#include "resources/icons/notes/redo.xpm"
#include "resources/icons/notes/save.xpm"
#include "resources/icons/notes/strikeout.xpm"
#include "resources/icons/notes/textbgcolor.xpm"
#include "resources/icons/notes/textcolor.xpm"
#include "resources/icons/notes/underline.xpm"
#include "resources/icons/notes/undo.xpm"

namespace {

struct TNoteIconEntry {
    TNoteAction Action;
    const char* ThemeName;
    const char* const* Picture; // null: the theme's or none
};

constexpr TNoteIconEntry NoteIcons[] = {
    {TNoteAction::RUndo, "edit-undo", note_undo_xpm},
    {TNoteAction::RRedo, "edit-redo", note_redo_xpm},
    {TNoteAction::RCut, "edit-cut", note_cut_xpm},
    {TNoteAction::RCopy, "edit-copy", note_copy_xpm},
    {TNoteAction::RPaste, "edit-paste", note_paste_xpm},
    {TNoteAction::RDelete, "edit-delete", nullptr},
    {TNoteAction::RSelectAll, "edit-select-all", nullptr},
    {TNoteAction::RFind, "edit-find", note_find_xpm},
    {TNoteAction::RBold, "format-text-bold", note_bold_xpm},
    {TNoteAction::RItalic, "format-text-italic", note_italic_xpm},
    {TNoteAction::RUnderscore, "format-text-underline", note_underline_xpm},
    {TNoteAction::Rmiddlescore, "format-text-strikethrough", note_strikeout_xpm},
    {TNoteAction::RFontIncrease, "format-font-size-more", note_fontbigger_xpm},
    {TNoteAction::RFontDecrease, "format-font-size-less", note_fontsmaller_xpm},
    {TNoteAction::RTextColor, "format-text-color", note_textcolor_xpm},
    {TNoteAction::RTxBgColor, "format-text-highlight", note_textbgcolor_xpm},
    {TNoteAction::RAlgnLeft, "format-justify-left", note_alignleft_xpm},
    {TNoteAction::RAlignCnt, "format-justify-center", note_aligncenter_xpm},
    {TNoteAction::RAlignRight, "format-justify-right", note_alignright_xpm},
    {TNoteAction::RAlignAdj, "format-justify-fill", note_alignjustify_xpm},
    {TNoteAction::RLeftAdj, "format-indent-less", note_indentless_xpm},
    {TNoteAction::RRightAdj, "format-indent-more", note_indentmore_xpm},
    {TNoteAction::RParagraphBgColor, "format-fill-color", note_parabgcolor_xpm},
    {TNoteAction::RInsertFile, "insert-text", note_insertfile_xpm},
    {TNoteAction::RInsertPic, "insert-image", note_picture_xpm},
    {TNoteAction::RInsertPageBreak, "insert-page-break", note_pagebreak_xpm},
    {TNoteAction::RSave, "document-save", note_save_xpm},
    {TNoteAction::RExport, "document-export", note_export_xpm},
    {TNoteAction::RPrint, "document-print", note_print_xpm},
    {TNoteAction::RPirntPreview, "document-print-preview", note_printpreview_xpm},
    {TNoteAction::ToolButton56, "format-list-unordered", note_bullet_xpm},
};

const TNoteIconEntry* Entry(TNoteAction action) {
    for (const TNoteIconEntry& entry : NoteIcons) {
        if (entry.Action == action) {
            return &entry;
        }
    }
    return nullptr;
}

} // namespace

const char* NoteActionIconName(TNoteAction action) {
    const TNoteIconEntry* entry = Entry(action);
    return entry != nullptr ? entry->ThemeName : nullptr;
}

QIcon NoteActionIcon(TNoteAction action) {
    const TNoteIconEntry* entry = Entry(action);
    if (entry == nullptr) {
        return {};
    }
    const QIcon own = entry->Picture != nullptr ? QIcon(QPixmap(entry->Picture)) : QIcon();
    return QIcon::fromTheme(entry->ThemeName, own);
}
