#include "app/ui/NotesCommands.h"

#include "app/binder/PageInfo.h"
#include "app/ui/NotesStorage.h"
#include "app/ui/NotesStyleSheet.h"
#include "app/ui/StatusRules.h"
#include "app/ui/dialogs/FindDialog.h"
#include "app/ui/dialogs/PreviewFrm.h"
#include "platform/base/QtText.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/ImageList.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/widgets/Control.h"
#include "platform/widgets/Cursors.h"
#include "richtext/model/RNUni.h"
#include "richtext/view/PtblRN.h"
#include "richtext/view/RNEdit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QMenu>
#include <QToolBar>
#include <QVBoxLayout>

#include <algorithm>
#include <filesystem>

namespace {

struct TNoteActionEntry {
    TNoteAction Action;
    const char* Name;
    const char* Caption; // the menu's, or null for the hint's short part
    const char* Hint;    // "short|long", or null for none
    QKeySequence::StandardKey Key;
    const char* Shortcut; // where no standard key fits
    int Tag;
};

constexpr auto NoKey = QKeySequence::UnknownKey;

constexpr TNoteActionEntry NoteActionEntries[] = {
    {TNoteAction::RUndo, "RUndo", "&Undo", "Undo|Undo Last Operation", NoKey, "Ctrl+Z", 0},
    {TNoteAction::RRedo, "RRedo", "&Redo", "Redo|Redo Operation", NoKey, "Ctrl+Y", 0},
    {TNoteAction::RCut, "RCut", "&Cut", "Cut|Cut ", NoKey, "Ctrl+X", 0},
    {TNoteAction::RCopy, "RCopy", "C&opy", "Copy|Copy", NoKey, "Ctrl+C", 0},
    {TNoteAction::RPaste, "RPaste", "&Paste", "Paste|Paste", NoKey, "Ctrl+V", 0},
    {TNoteAction::RDelete, "RDelete", "&Delete", nullptr, NoKey, "Ctrl+Del", 0},
    {TNoteAction::RSelectAll, "RSelectAll", "Select &All", nullptr, NoKey, "Ctrl+A", 0},
    {TNoteAction::RFind, "RFind", nullptr, "Find|Find Text in Note", NoKey, nullptr, 0},
    {TNoteAction::RBold, "RBold", nullptr, "Bold|Bold", NoKey, nullptr, 0},
    {TNoteAction::RItalic, "RItalic", nullptr, "Italic|Italic", NoKey, nullptr, 0},
    {TNoteAction::RUnderscore, "RUnderscore", nullptr, "UnderScore|UnderScore", NoKey, nullptr, 0},
    {TNoteAction::Rmiddlescore, "Rmiddlescore", nullptr, "Strikeout|Strikeout", NoKey, nullptr, 0},
    {TNoteAction::RFontIncrease, "RFontIncrease", nullptr, "Font Enlarge|Font Size Enlarge", NoKey,
     nullptr, 0},
    {TNoteAction::RFontDecrease, "RFontDecrease", nullptr, "Font Smaller|Decrease Font Size", NoKey,
     nullptr, 0},
    {TNoteAction::RTextColor, "RTextColor", nullptr, "Text Color|Set Text Color", NoKey, nullptr,
     0},
    {TNoteAction::RTxBgColor, "RTxBgColor", nullptr,
     "Text Background Color|Set Text Background Color", NoKey, nullptr, 0},
    {TNoteAction::RAlgnLeft, "RAlgnLeft", nullptr, "Left|Left Align", NoKey, nullptr, 0},
    {TNoteAction::RAlignCnt, "RAlignCnt", nullptr, "Center|Center Align", NoKey, nullptr, 2},
    {TNoteAction::RAlignRight, "RAlignRight", nullptr, "Right|Right Align", NoKey, nullptr, 3},
    {TNoteAction::RAlignAdj, "RAlignAdj", nullptr, "AlignAdjust|AlignAdjust", NoKey, nullptr, 4},
    {TNoteAction::RLeftAdj, "RLeftAdj", nullptr, "Left Adjustment|Left Adjustment", NoKey, nullptr,
     0},
    {TNoteAction::RRightAdj, "RRightAdj", nullptr, "Right Adjustment|Right Adjustment", NoKey,
     nullptr, 0},
    {TNoteAction::RParagraphBgColor, "RParagraphBgColor", nullptr,
     "Background Color|Backgroud Color of Paragraph", NoKey, nullptr, 0},
    {TNoteAction::RInsertFile, "RInsertFile", "File", "Insert File |Insert File into Note", NoKey,
     nullptr, 0},
    {TNoteAction::RInsertPic, "RInsertPic", "Picture", "Insert Image|Insert Image Into Note", NoKey,
     nullptr, 0},
    {TNoteAction::RInsertPageBreak, "RInsertPageBreak", "Page &Break", "PageBreak|Insert Pagebreak",
     NoKey, nullptr, 0},
    {TNoteAction::RSave, "RSave", "&Save",
     "Save Document|Save Document(will be autosaved if not saved by user)", NoKey, nullptr, 0},
    {TNoteAction::RExport, "RExport", nullptr, "Export|Export note content", NoKey, nullptr, 0},
    {TNoteAction::RPrint, "RPrint", nullptr, "Print|Print Note", NoKey, nullptr, 0},
    {TNoteAction::RPirntPreview, "RPirntPreview", nullptr, "Print Preview|Print Preview", NoKey,
     nullptr, 0},
    {TNoteAction::ToolButton56, "ToolButton56", nullptr, "Bullet|Insert Bullet", NoKey, nullptr, 0},
};

// The four style buttons and the four alignment buttons are toggles.
constexpr TNoteAction StyleButtons[] = {TNoteAction::RBold, TNoteAction::RItalic,
                                        TNoteAction::RUnderscore, TNoteAction::Rmiddlescore};
constexpr TNoteAction AlignButtons[] = {TNoteAction::RAlgnLeft, TNoteAction::RAlignCnt,
                                        TNoteAction::RAlignRight, TNoteAction::RAlignAdj};
// The tool buttons the toggles show as.
constexpr const char* StyleButtonNames[] = {"ToolButton66", "ToolButton67", "ToolButton69",
                                            "ToolButton71"};
constexpr const char* AlignButtonNames[] = {"ToolButton76", "ToolButton77", "ToolButton37",
                                            "ToolButton38"};

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
constexpr int PrintMarginMM = 20;

// The hourglass while a file is read or written.
class TWaitCursor {
public:
    TWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~TWaitCursor() { QApplication::restoreOverrideCursor(); }
    TWaitCursor(const TWaitCursor&) = delete;
    TWaitCursor& operator=(const TWaitCursor&) = delete;
};

std::string UpperCase(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

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

TNotesCommands::TNotesCommands(QWidget& page, INotesHost& host, INotesPrompts& prompts,
                               const TImageList& images)
    : host_(host), prompts_(&prompts), images_(images) {
    SetUpNotesSheet(rns_);
    BuildActions();
    BuildMenu();
    BuildToolBar(page);
    BuildEditor(page);
    ConnectEditor();
    Action(TNoteAction::RSave)->setEnabled(false);
    RichNoteEdit1Select();
    UpdateUndoMenu();
    RichNoteEdit1CurParaStyleChanged();
}

TNotesCommands::~TNotesCommands() {
    // The preview form outlives the window: it must not keep the print object.
    if (preview_ != nullptr) {
        preview_->rnpp().SetRNPrint(nullptr);
    }
    editor_->removeEventFilter(this);
    editor_->OnChange = nullptr;
    editor_->OnCurTextStyleChanged = nullptr;
    editor_->OnCurParaStyleChanged = nullptr;
    editor_->OnStyleConversion = nullptr;
    editor_->Handlers = {};
}

// ---- building ---------------------------------------------------------------------------------

void TNotesCommands::BuildActions() {
    for (const TNoteActionEntry& entry : NoteActionEntries) {
        const QString hint = entry.Hint != nullptr ? entry.Hint : "";
        auto* action =
            new QAction(entry.Caption != nullptr ? entry.Caption : hint.section('|', 0, 0), this);
        action->setObjectName(entry.Name);
        if (entry.Hint != nullptr) {
            action->setToolTip(hint.section('|', 0, 0));
            action->setStatusTip(hint.section('|', 1));
        }
        if (entry.Shortcut != nullptr) {
            action->setShortcut(QKeySequence(entry.Shortcut));
            // Only while the notes page has the focus: elsewhere the keys are the tree's or
            // the browser's.
            action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
        }
        action->setData(entry.Tag);
        actions_[entry.Action] = action;
        const TNoteAction which = entry.Action;
        connect(action, &QAction::triggered, this,
                [this, which] { GuardEvent([this, which] { Execute(which); }); });
    }
    for (TNoteAction toggle : StyleButtons) {
        Action(toggle)->setCheckable(true);
    }
    for (TNoteAction toggle : AlignButtons) {
        Action(toggle)->setCheckable(true);
    }
}

void TNotesCommands::BuildMenu() {
    editMenu_ = std::make_unique<QMenu>("&Edit   ");
    editMenu_->setObjectName("Edit1");
    QMenu& menu = *editMenu_;
    menu.addAction(Action(TNoteAction::RUndo));
    menu.addAction(Action(TNoteAction::RRedo));
    menu.addSeparator();
    for (TNoteAction action :
         {TNoteAction::RCut, TNoteAction::RCopy, TNoteAction::RPaste, TNoteAction::RSelectAll}) {
        menu.addAction(Action(action));
    }
    menu.addSeparator();
    menu.addAction(Action(TNoteAction::RSave));
    menu.addAction(Action(TNoteAction::RDelete));
    QMenu* insert = menu.addMenu("&Insert");
    insert->setObjectName("Insert1");
    insert->addAction(Action(TNoteAction::RInsertPic));
    insert->addAction(Action(TNoteAction::RInsertFile));
    menu.addAction(Action(TNoteAction::RInsertPageBreak));
}

void TNotesCommands::BuildToolBar(QWidget& page) {
    toolBar_ = new QToolBar(&page);
    toolBar_->setObjectName("ToolBar2");
    toolBar_->setToolButtonStyle(Qt::ToolButtonTextOnly);
    const auto add = [this](std::initializer_list<TNoteAction> actions) {
        for (TNoteAction action : actions) {
            toolBar_->addAction(Action(action));
        }
        toolBar_->addSeparator();
    };
    add({TNoteAction::RSave, TNoteAction::RExport, TNoteAction::RPrint,
         TNoteAction::RPirntPreview});
    add({TNoteAction::RUndo, TNoteAction::RRedo, TNoteAction::RCut, TNoteAction::RCopy,
         TNoteAction::RPaste, TNoteAction::RFind});
    combH_ = new QComboBox(toolBar_);
    combH_->setObjectName("combH");
    combH_->setToolTip("Font");
    combH_->setStatusTip("Select Font");
    combH_->addItems(QFontDatabase::families());
    combH_->setCurrentIndex(-1);
    toolBar_->addWidget(combH_);
    add({TNoteAction::RBold, TNoteAction::RItalic, TNoteAction::RUnderscore,
         TNoteAction::Rmiddlescore, TNoteAction::RFontIncrease, TNoteAction::RFontDecrease,
         TNoteAction::RTextColor, TNoteAction::RTxBgColor});
    add({TNoteAction::RAlgnLeft, TNoteAction::RAlignCnt, TNoteAction::RAlignRight,
         TNoteAction::RAlignAdj, TNoteAction::RLeftAdj, TNoteAction::RRightAdj,
         TNoteAction::RParagraphBgColor});
    add({TNoteAction::ToolButton56, TNoteAction::RInsertPic, TNoteAction::RInsertFile,
         TNoteAction::RInsertPageBreak});
    for (int i = 0; i < 4; ++i) {
        toolBar_->widgetForAction(Action(StyleButtons[i]))->setObjectName(StyleButtonNames[i]);
        toolBar_->widgetForAction(Action(AlignButtons[i]))->setObjectName(AlignButtonNames[i]);
    }
    // The shortcuts work wherever the focus is on the page.
    for (const auto& [which, action] : actions_) {
        page.addAction(action);
    }
    connect(combH_, &QComboBox::activated, this, [this] { GuardEvent([this] { combHClick(); }); });
}

void TNotesCommands::BuildEditor(QWidget& page) {
    editor_ = new TRichNoteEdit(&page);
    editor_->setObjectName("RichNoteEdit1");
    TRichNoteEdit& e = *editor_;
    e.SetStyle(&rns_);
    e.SetCursor(crIBeam);
    e.SetBorderStyle(TBorderStyle::bsSingle);
    e.LeftMargin = e.RightMargin = e.TopMargin = e.BottomMargin = 5;
    e.SetVScrollVisible(true);
    e.SetHScrollVisible(true);
    e.Tracking = true;
    e.SetUndoLimit(-1);
    e.EditorOptions = {TRNEditorOption::rnoClearTagOnStyleApp, TRNEditorOption::rnoAutoSwitchLang};
    e.RNFOptions = {TRNFOption::rnfoSavePicturesBody, TRNFOption::rnfoSaveControlsBody,
                    TRNFOption::rnfoSaveBinary, TRNFOption::rnfoSaveTextStyles,
                    TRNFOption::rnfoSaveParaStyles};
    e.RTFOptions = {TRNRTFOption::rnrtfSaveStyleSheet, TRNRTFOption::rnrtfDuplicateUnicode,
                    TRNRTFOption::rnrtfSaveEMFAsWMF, TRNRTFOption::rnrtfSaveJpegAsJpeg};
    e.Delimiters = " .;,:(){}\"/\\";
    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBar_);
    layout->addWidget(editor_, 1);

    print_ = std::make_unique<TRNPrint>(&page);
    print_->SetRightMarginMM(PrintMarginMM);
    print_->SetBottomMarginMM(PrintMarginMM);
    print_->PreviewCorrection = true;
}

void TNotesCommands::ConnectEditor() {
    TRichNoteEdit& e = *editor_;
    e.OnChange = [this](TRichNoteEdit&) { RichNoteEdit1Change(); };
    e.OnCurTextStyleChanged = [this](TRichNoteEdit&) { RichNoteEdit1CurTextStyleChanged(); };
    e.OnCurParaStyleChanged = [this](TRichNoteEdit&) { RichNoteEdit1CurParaStyleChanged(); };
    e.OnStyleConversion = [this](TRichNoteEdit&, int& styleNo, int userData, bool) {
        styleNo = ConvertNoteStyle(rns_.TextStyles(), styleNo, userData, operands_);
    };
    e.Handlers.OnSelect = [this](IRichNoteHost&) { RichNoteEdit1Select(); };
    e.Handlers.OnRNMouseDown = [this](IRichNoteHost&, int, uint32_t, int, int, int) {
        editor_->Format();
    };
    e.Handlers.OnRNMouseUp = [this](IRichNoteHost&, int, uint32_t, int, int, int) {
        ShowCaretPosition();
    };
    // Stored bullets name the window's image list.
    e.Handlers.OnRNFImageListNeeded = [this](IRichNoteHost&, int, const TImageList*& list) {
        list = &images_;
    };
    e.installEventFilter(this);
}

bool TNotesCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::KeyRelease) {
        GuardEvent([this] { ShowCaretPosition(); });
    }
    return QObject::eventFilter(watched, event);
}

TFindDialog& TNotesCommands::FindDialog1() {
    if (findDialog_ == nullptr) {
        findDialog_ = std::make_unique<TFindDialog>(editor_->window());
        findDialog_->OnFind = [this] { FindDialog1Find(); };
    }
    return *findDialog_;
}

void TNotesCommands::SetPreviewForm(TfrmPreview* form) {
    preview_ = form;
}

// ---- the node's note --------------------------------------------------------------------------

void TNotesCommands::LoadNotes(const TPageInfo& record) {
    editor_->Clear();
    editor_->ReadOnly = false;
    damaged_ = false;
    const TNoteLoadResult loaded = loadRichContent(*editor_, record.Notes);
    if (!loaded.Loaded) {
        // Whatever was read stays visible, but nothing typed may replace the stored note.
        damaged_ = true;
        editor_->ReadOnly = true;
        prompts_->Message("The note cannot be read: " + loaded.Error, "Error",
                          TNoteMessageIcon::Error);
    }
    editor_->Format();
    RichNoteEdit1Select();
    UpdateUndoMenu();
    RichNoteEdit1CurParaStyleChanged();
    RichNoteEdit1CurTextStyleChanged();
}

void TNotesCommands::SaveNotes(TPageInfo& record) {
    if (!damaged_) {
        saveRichContent(record.Notes, *editor_);
    }
}

// ---- commands ---------------------------------------------------------------------------------

void TNotesCommands::Execute(TNoteAction action) {
    TRichNoteEdit& e = *editor_;
    switch (action) {
    case TNoteAction::RUndo:
        e.Undo();
        UpdateUndoMenu();
        break;
    case TNoteAction::RRedo:
        e.Redo();
        UpdateUndoMenu();
        break;
    case TNoteAction::RCut:
        e.CutDef();
        break;
    case TNoteAction::RCopy:
        e.CopyDef();
        break;
    case TNoteAction::RPaste:
        e.Paste();
        break;
    case TNoteAction::RDelete:
        e.DeleteSelection();
        break;
    case TNoteAction::RSelectAll:
        e.SelectAll();
        e.setFocus();
        e.Invalidate();
        break;
    case TNoteAction::RFind:
        FindDialog1().show();
        FindDialog1().raise();
        break;
    case TNoteAction::RBold:
        RBoldExecute();
        break;
    case TNoteAction::RItalic:
        RItalicExecute();
        break;
    case TNoteAction::RUnderscore:
        RUnderscoreExecute();
        break;
    case TNoteAction::Rmiddlescore:
        RmiddlescoreExecute();
        break;
    case TNoteAction::RFontIncrease:
        RFontIncreaseExecute();
        break;
    case TNoteAction::RFontDecrease:
        RFontDecreaseExecute();
        break;
    case TNoteAction::RTextColor:
        RTextColorExecute();
        break;
    case TNoteAction::RTxBgColor:
        RTxBgColorExecute();
        break;
    case TNoteAction::RAlgnLeft:
    case TNoteAction::RAlignCnt:
    case TNoteAction::RAlignRight:
    case TNoteAction::RAlignAdj:
        RAlignExecute(*Action(action));
        break;
    case TNoteAction::RLeftAdj:
        RLeftAdjExecute();
        break;
    case TNoteAction::RRightAdj:
        RRightAdjExecute();
        break;
    case TNoteAction::RParagraphBgColor:
        RParagraphBgColorExecute();
        break;
    case TNoteAction::RInsertFile:
        RInsertFileExecute();
        break;
    case TNoteAction::RInsertPic:
        RInsertPicExecute();
        break;
    case TNoteAction::RInsertPageBreak:
        RInsertPageBreak();
        break;
    case TNoteAction::RSave:
        RSaveExecute();
        break;
    case TNoteAction::RExport:
        RExportExecute();
        break;
    case TNoteAction::RPrint:
        RPrintExecute();
        break;
    case TNoteAction::RPirntPreview:
        RPirntPreviewExecute();
        break;
    case TNoteAction::ToolButton56:
        ToolButton56Click();
        break;
    }
}

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
    if (host_.WindowVisible()) {
        editor_->setFocus();
    }
}

void TNotesCommands::RAlignExecute(const QAction& sender) {
    editor_->ApplyParaStyle(sender.data().toInt());
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

void TNotesCommands::RInsertFileExecute() {
    const std::optional<TNoteFileChoice> file =
        prompts_->OpenFile("Inserting File", InsertFileFilter);
    if (!file) {
        return;
    }
    bool read = false;
    const int changesBefore = changes_;
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
    } else if (changes_ == changesBefore) {
        // The text readers leave telling the change to their caller.
        RichNoteEdit1Change();
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
    TPageInfo* record = NodeRecord(host_.SelectedNode());
    if (record == nullptr || damaged_) {
        return;
    }
    saveRichContent(record->Notes, *editor_);
    Action(TNoteAction::RSave)->setEnabled(false);
    noteDirty_ = false;
    host_.SetBinderDirty();
    host_.FileSaveExecute();
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

bool TNotesCommands::FormatForPrinting() {
    print_->AssignSource(*editor_);
    print_->FormatPages({});
    return print_->GetPagesCount() > 0;
}

void TNotesCommands::RPrintExecute() {
    if (!prompts_->PrinterSetup()) {
        return;
    }
    if (FormatForPrinting()) {
        print_->Print("Tarnwick File", 1, false);
    }
}

void TNotesCommands::RPirntPreviewExecute() {
    if (!FormatForPrinting() || preview_ == nullptr) {
        return;
    }
    preview_->rnpp().SetRNPrint(print_.get());
    preview_->Button1Click();
    preview_->exec();
}

// ---- editor events ----------------------------------------------------------------------------

void TNotesCommands::RichNoteEdit1Change() {
    ++changes_;
    Action(TNoteAction::RSave)->setEnabled(true);
    noteDirty_ = true;
    host_.SetBinderDirty();
    host_.modifysb(NotesStatusPanel, "Modified", -1);
    UpdateUndoMenu();
    host_.SetEditedNode(host_.SelectedNode());
}

void TNotesCommands::RichNoteEdit1Select() {
    const bool selection = editor_->SelectionExists();
    for (TNoteAction action : {TNoteAction::RCopy, TNoteAction::RCut, TNoteAction::RDelete}) {
        Action(action)->setEnabled(selection);
    }
    Action(TNoteAction::RPaste)->setEnabled(editor_->CanPaste());
}

void TNotesCommands::UpdateUndoMenu() {
    Action(TNoteAction::RUndo)->setEnabled(editor_->UndoAction() != TRNUndoType::rnutNone);
    Action(TNoteAction::RRedo)->setEnabled(editor_->RedoAction() != TRNUndoType::rnutNone);
}

void TNotesCommands::RichNoteEdit1CurParaStyleChanged() {
    const int paraNo = editor_->GetCurParaStyleNo();
    for (TNoteAction action : AlignButtons) {
        Action(action)->setChecked(Action(action)->data().toInt() == paraNo);
    }
}

void TNotesCommands::RichNoteEdit1CurTextStyleChanged() {
    if (!host_.NotesPageActive()) {
        return;
    }
    const TFontInfo& style = rns_.TextStyles()[editor_->GetCurTextStyleNo()];
    {
        // Showing the font at the caret applies nothing: only the user's choice does.
        const QSignalBlocker blocker(combH_);
        combH_->setCurrentIndex(combH_->findText(ToQ(style.FontName)));
    }
    const TFontStyle styles[] = {TFontStyle::fsBold, TFontStyle::fsItalic, TFontStyle::fsUnderline,
                                 TFontStyle::fsStrikeOut};
    for (int i = 0; i < 4; ++i) {
        Action(StyleButtons[i])->setChecked(style.Style.Contains(styles[i]));
    }
}

void TNotesCommands::ShowCaretPosition() {
    TRNEditRNData& data = editor_->EditData();
    host_.modifysb(StatusPanel,
                   CaretPositionText(data.GetCurItemNo() + 1, data.GetOffsetInCurItem()), -1);
}

void TNotesCommands::TabSheet3Show() {
    editor_->Format();
    UpdateUndoMenu();
    RichNoteEdit1CurParaStyleChanged();
    RichNoteEdit1CurTextStyleChanged();
}
