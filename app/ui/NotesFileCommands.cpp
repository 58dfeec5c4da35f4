// The notes commands that read and write files, print and search: inserting files, pictures,
// bullets and page breaks, storing the note, exporting, printing and the print preview.
#include "app/binder/PageInfo.h"
#include "app/ui/NotesCommands.h"
#include "app/ui/NotesStorage.h"
#include "app/ui/dialogs/FindDialog.h"
#include "app/ui/dialogs/PreviewFrm.h"
#include "platform/base/QtText.h"
#include "platform/base/StringUtils.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/PtblRN.h"
#include "richtext/view/RNEdit.h"

#include <QApplication>

#include <filesystem>

namespace {

constexpr const char* InsertFileFilter =
    "RTF Files(*.rtf)|*.rtf|Text Files - autodetect (*.txt)|*.txt|OEM Text Files "
    "(*.txt)|*.txt|RichNote Format Files(*.rnf)|*.rnf|";
constexpr const char* PictureFilter =
    "Graphics(*.bmp;*.wmf;*.emf;*.ico;*.jpg)|*.bmp;*.wmf;*.emf;*.ico;*.jpg|All(*.*)|*.*";
constexpr const char* ExportFilter =
    "RTF Files (*.rtf)|*.rtf|Text (*.txt)|*.txt|Unicode Text (*.txt)|*.txt|Plain HTML "
    "(*.htm;*.html)|*.htm;*.html|HTML with CSS (*.htm;*.html)|*.htm;*.html|RNF|*.rnf";
constexpr const char* ExportTitle = "Demo File";
constexpr const char* ExportImagePrefix = "img";
constexpr int ExportLineWidth = 80;

// The hourglass while a file is read or written.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

// A reader or writer that throws has failed like one that answers false.
template <class Work> bool Succeeds(Work work) {
    try {
        return work();
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

std::unique_ptr<TGraphic> PictureForExtension(const std::string& extension) {
    const std::string ext = UpperCase(extension);
    if (ext == ".JPG" || ext == ".JPEG") {
        return std::make_unique<TJPEGImage>();
    }
    if (ext == ".BMP" || ext == ".DIB") {
        return std::make_unique<TBitmap>();
    }
    if (ext == ".ICO") {
        return std::make_unique<TIcon>();
    }
    if (ext == ".WMF" || ext == ".EMF") {
        return std::make_unique<TMetafile>();
    }
    return nullptr;
}

void TNotesCommands::RInsertFileExecute() {
    const std::optional<TNoteFileChoice> file =
        prompts_->OpenFile("Inserting File", InsertFileFilter);
    if (!file) {
        return;
    }
    bool read = false;
    {
        TWaitCursor wait;
        TRichNoteEdit& e = *editor_;
        const std::string& path = file->Path;
        read = Succeeds([&] {
            switch (file->FilterIndex) {
            case 1:
                return e.InsertRTFFromFileEd(path);
            case 2:
                return RN_TestFileUnicode(path) == TRNUnicodeTestResult::rnutYes
                           ? e.InsertTextFromFileW(path)
                           : e.InsertTextFromFile(path);
            case 3:
                return e.InsertOEMTextFromFile(path);
            case 4:
                return e.InsertRNFFromFileEd(path);
            default:
                return false;
            }
        });
    }
    if (!read) {
        prompts_->Message("Error reading file", "Error", TNoteMessageIcon::Error);
    }
}

void TNotesCommands::RInsertPicExecute() {
    const std::optional<TNoteFileChoice> file =
        prompts_->OpenFile("Inserting Image", PictureFilter);
    if (!file) {
        return;
    }
    const std::string extension = UpperCase(std::filesystem::path(file->Path).extension().string());
    std::unique_ptr<TGraphic> picture = PictureForExtension(extension);
    if (picture == nullptr) {
        prompts_->Message("Format '" + extension + "' is not supported", "Error",
                          TNoteMessageIcon::Error);
        return;
    }
    if (!Succeeds([&] {
            picture->LoadFromFile(file->Path);
            return true;
        })) {
        prompts_->Message("Error reading file", "Error", TNoteMessageIcon::Error);
        return;
    }
    editor_->InsertPicture("", std::move(picture), TRNVAlign::rnvaBaseline);
}

void TNotesCommands::RInsertPageBreak() {
    editor_->InsertPageBreak();
}

void TNotesCommands::ToolButton56Click() {
    editor_->InsertBullet(NotesBulletImage, &images_);
}

void TNotesCommands::FindDialog1Find() {
    const TFindOptions options = FindDialog1().Options();
    if (!editor_->SearchTextW(ToQ(FindDialog1().FindText()).toStdU16String(),
                              GetRNESearchOptions(options))) {
        prompts_->Message("Can't find", "Search complete", TNoteMessageIcon::Exclamation);
    }
}

void TNotesCommands::RSaveExecute() {
    TTreeNode* node = host_.SelectedNode();
    const TPageInfo* record = NodeRecord(node);
    if (record == nullptr || damaged_) {
        return;
    }
    // A note the editor cannot write leaves the stored one as it was.
    StringMessageI18N written;
    const bool wrote = saveRichContent(written, *editor_);
    const std::string note = wrote ? written.Bytes() : record->Notes.Bytes();
    Action(TNoteAction::RSave)->setEnabled(false);
    noteDirty_ = false;
    unwritten_ = !wrote;
    host_.StoreNote(node, note);
    host_.modifysb(NotesStatusPanel, "Saved", -1);
}

void TNotesCommands::RExportExecute() {
    const std::optional<TNoteFileChoice> file =
        prompts_->SaveFile("Save & Export", ExportFilter, "rtf");
    if (!file) {
        return;
    }
    bool saved = false;
    {
        TWaitCursor wait;
        TRichNoteEdit& e = *editor_;
        const std::string& path = file->Path;
        // Every writer replaces the file in one step: a failed export leaves the old one.
        saved = Succeeds([&] {
            switch (file->FilterIndex) {
            case 1:
                return e.SaveRTF(path, false);
            case 2:
                return e.SaveText(path, ExportLineWidth);
            case 3:
                return e.SaveTextW(path, ExportLineWidth);
            case 4:
                return e.SaveHTML(path, ExportTitle, ExportImagePrefix, {});
            case 5:
                return e.SaveHTMLEx(path, ExportTitle, ExportImagePrefix, "", "", "", {});
            case 6:
                return e.SaveRNF(path, false);
            default:
                return false;
            }
        });
    }
    if (!saved) {
        prompts_->Message("Error during saving", "Error", TNoteMessageIcon::None);
    }
}

namespace {

// The print object borrows the note's items, and for a cell being edited the cell editor's: it
// lets go of them, and of the pages made of them, once the print or the preview is over.
class FormattedForPrinting {
public:
    explicit FormattedForPrinting(TRNPrint& print) : print_(print) {}
    ~FormattedForPrinting() { print_.Clear(); }
    FormattedForPrinting(const FormattedForPrinting&) = delete;
    FormattedForPrinting& operator=(const FormattedForPrinting&) = delete;

private:
    TRNPrint& print_;
};

} // namespace

bool TNotesCommands::FormatForPrinting() {
    print_->AssignSource(*editor_);
    print_->FormatPages({});
    return print_->GetPagesCount() > 0;
}

void TNotesCommands::RPrintExecute() {
    if (!prompts_->PrinterSetup()) {
        return;
    }
    const FormattedForPrinting formatted(*print_);
    if (FormatForPrinting()) {
        print_->Print("Tarnwick File", 1, false);
    }
}

void TNotesCommands::RPirntPreviewExecute() {
    const FormattedForPrinting formatted(*print_);
    if (!FormatForPrinting() || preview_ == nullptr) {
        return;
    }
    preview_->rnpp().SetRNPrint(print_.get());
    preview_->Button1Click();
    preview_->exec();
    // The hidden form keeps no pages of the note until it shows the next preview.
    if (preview_ != nullptr) {
        preview_->rnpp().SetRNPrint(nullptr);
    }
}
