// The clipboard: what Paste takes, in the order notes, RTF, text, pictures and metafiles, each
// paste one undo step that replaces the selection.

#include "platform/base/CodePage.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Metafile.h"
#include "platform/widgets/Clipboard.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/RNEdit.h"

#include <QImage>

#include <algorithm>
#include <cstring>

namespace {

void Fill(TMemoryStream& stream, const std::string& bytes) {
    stream.Write(bytes.data(), static_cast<int64_t>(bytes.size()));
    stream.Seek(0, TSeekOrigin::soBeginning);
}

std::u16string FromUtf16Le(const std::string& bytes) {
    std::u16string text(bytes.size() / 2, u'\0');
    for (size_t i = 0; i < text.size(); ++i) {
        text[i] = static_cast<char16_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                        static_cast<uint8_t>(bytes[2 * i + 1]) << 8);
    }
    return text;
}

// Pictures of any kind on the clipboard: Qt offers each as an image under this name.
constexpr const char* ImageFormat = "application/x-qt-image";
constexpr const char* UnicodeTextFormat = "text/plain";
// Metafiles as other programs on this system offer them.
constexpr const char* MetafileFormats[] = {"image/x-wmf", "image/x-emf"};

const char* OfferedMetafileFormat() {
    for (const char* format : MetafileFormats) {
        if (TClipboard::HasFormat(format)) {
            return format;
        }
    }
    return nullptr;
}

// 8-bit text is text offered in the current text style's own code page; it goes into the
// document as it is, where Unicode text would be converted.
std::string AnsiTextFormat(TRNEditRNData& data) {
    unsigned page = data.GetStyleCodePage(data.CurTextStyleNo);
    if (page == CP_ACP) {
        page = SystemAnsiCodePage();
    }
    return "text/plain;charset=windows-" + std::to_string(page);
}

bool CurrentStyleIsUnicode(TRNEditRNData& data) {
    const TRNStyle* sheet = data.GetRNStyle();
    const int style = data.CurTextStyleNo;
    return sheet && style >= 0 && style < sheet->TextStyles().Count() &&
           sheet->TextStyles()[style].Unicode;
}

} // namespace

bool TRichNoteEdit::CanPasteRNF() {
    return TClipboard::HasFormat(CF_RICHNOTE_MIME);
}

bool TRichNoteEdit::CanPasteRTF() {
    return TClipboard::HasFormat(CF_RTF_MIME);
}

bool TRichNoteEdit::CanPaste() {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        return cell->CanPaste();
    }
    if (ReadOnly) {
        return false;
    }
    return CanPasteRNF() || CanPasteRTF() || TClipboard::HasFormat(UnicodeTextFormat) ||
           TClipboard::HasFormat(AnsiTextFormat(EditData())) ||
           TClipboard::HasFormat(ImageFormat) || OfferedMetafileFormat() != nullptr;
}

bool TRichNoteEdit::SelectionReplaceable() {
    TRNEditRNData& data = EditData();
    if (data.PartialSelectedItem || !data.CanDelete()) {
        data.Beep();
        return false;
    }
    return true;
}

bool TRichNoteEdit::InsertOverSelection(const std::function<bool()>& insert, bool isText) {
    // Protected text in the selection refuses the whole insertion before anything changes.
    if (!SelectionReplaceable() || !BeforeChange(false)) {
        return true;
    }
    return OneNotice([&] {
        const bool inserted = Grouped(TRNUndoType::rnutInsert, [this, &insert] {
            TRNEditRNData& data = EditData();
            if (data.SelectionExists(false, true) && !data.DeleteSelection_()) {
                return false;
            }
            return insert();
        });
        if (isText && inserted) {
            DoChange(true);
        }
        return inserted;
    });
}

bool TRichNoteEdit::PasteTextW() {
    std::u16string text = FromUtf16Le(TClipboard::GetUnicodeText());
    text.resize(std::min(text.size(), text.find(u'\0')));
    return InsertTextW(text);
}

bool TRichNoteEdit::PasteText() {
    const std::string format = AnsiTextFormat(EditData());
    if (!TClipboard::HasFormat(format)) {
        // Unicode text only: what the current style's code page cannot hold goes into a
        // Unicode style.
        return PasteTextW();
    }
    std::string text = TClipboard::GetBytes(format);
    text.resize(std::min(text.size(), text.find('\0')));
    return InsertOverSelection([&] { return EditData().InsertText_(text); }, true);
}

namespace {

std::string PictureName(bool textAsName) {
    if (textAsName && TClipboard::HasFormat(UnicodeTextFormat)) {
        return Utf16ToMultiByte(FromUtf16Le(TClipboard::GetUnicodeText()), CP_ACP);
    }
    return {};
}

} // namespace

bool TRichNoteEdit::PasteBitmap(bool textAsName) {
    const QImage image = TClipboard::GetImage();
    if (image.isNull()) {
        return false;
    }
    return InsertPicture(PictureName(textAsName), std::make_unique<TBitmap>(image),
                         TRNVAlign::rnvaBaseline);
}

bool TRichNoteEdit::PasteMetafile(bool textAsName) {
    const char* format = OfferedMetafileFormat();
    if (!format) {
        return false;
    }
    auto metafile = std::make_unique<TMetafile>();
    try {
        metafile->LoadFromBytes(TClipboard::GetBytes(format));
    } catch (const EInvalidGraphic&) {
        EditData().Beep();
        return false;
    }
    if (metafile->Empty()) {
        return false;
    }
    GiveMetafileDefaultInch(*metafile);
    return InsertPicture(PictureName(textAsName), std::move(metafile), TRNVAlign::rnvaBaseline);
}

bool TRichNoteEdit::PasteRNF() {
    const std::string block = TClipboard::GetBytes(CF_RICHNOTE_MIME);
    uint32_t length = 0;
    if (block.size() < 4) {
        EditData().Beep();
        return false;
    }
    std::memcpy(&length, block.data(), 4);
    // A length that claims more than the block holds is refused: nothing past it is read.
    if (length > block.size() - 4) {
        EditData().Beep();
        return false;
    }
    TMemoryStream stream;
    Fill(stream, block.substr(4, length));
    return InsertRNFFromStreamEd(stream);
}

bool TRichNoteEdit::PasteRTF() {
    TMemoryStream stream;
    Fill(stream, TClipboard::GetBytes(CF_RTF_MIME));
    return InsertRTFFromStreamEd(stream);
}

void TRichNoteEdit::Paste() {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->Paste();
        return;
    }
    // A handler that takes the paste over changes the document too: it is asked only when a
    // change may happen.
    if (!BeforeChange(false)) {
        return;
    }
    bool doDefault = true;
    if (OnPaste) {
        OnPaste(*this, doDefault);
    }
    if (!doDefault) {
        return;
    }
    // Whatever the clipboard held that could not be pasted ends in a beep, never in the
    // program's error box.
    try {
        PasteDefault();
    } catch (const std::exception&) {
        EditData().Beep();
    }
}

void TRichNoteEdit::PasteDefault() {
    const bool ansiText = TClipboard::HasFormat(AnsiTextFormat(EditData()));
    if (CanPasteRNF()) {
        PasteRNF();
    } else if (CanPasteRTF()) {
        PasteRTF();
    } else if (TClipboard::HasFormat(UnicodeTextFormat)) {
        if (ansiText && !CurrentStyleIsUnicode(EditData())) {
            PasteText();
        } else {
            PasteTextW();
        }
    } else if (ansiText) {
        PasteText();
    } else if (TClipboard::HasFormat(ImageFormat)) {
        PasteBitmap(false);
    } else if (OfferedMetafileFormat()) {
        PasteMetafile(false);
    }
}

void TRichNoteEdit::DeleteSelection() {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->DeleteSelection();
        return;
    }
    if (!BeforeChange(false)) {
        return;
    }
    EditData().DeleteSelection_();
}

void TRichNoteEdit::CutDef() {
    if (TRichNoteEdit* cell = InplaceEdit()) {
        cell->CutDef();
        return;
    }
    // A document that may not change gives nothing away either: a Cut that cannot delete
    // copies nothing.
    if (!BeforeChange(false) || !CopyDef()) {
        return;
    }
    DeleteSelection();
}
