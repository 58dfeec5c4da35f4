#include "app/ui/NotesCommands.h"

#include "app/binder/PageInfo.h"
#include "app/ui/NoteIcons.h"
#include "app/ui/NotesFonts.h"
#include "app/ui/NotesStorage.h"
#include "app/ui/StatusRules.h"
#include "app/ui/dialogs/FindDialog.h"
#include "app/ui/dialogs/PreviewFrm.h"
#include "app/ui/notes_sheet/NotesStyleSheet.h"
#include "platform/base/QtText.h"
#include "platform/graphics/ImageList.h"
#include "platform/widgets/Control.h"
#include "richtext/view/PtblRN.h"
#include "richtext/view/RNEdit.h"

#include <QAction>
#include <QClipboard>
#include <QComboBox>
#include <QEvent>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QMenu>
#include <QTimer>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

struct TNoteActionEntry {
    TNoteAction Action;
    const char* Name;
    const char* Caption;  // the menu's, or null for the hint's short part
    const char* Hint;     // "short|long", or null for none
    const char* Shortcut; // or null
    int Tag;
    void (TNotesCommands::*Run)();
};

constexpr int PrintMarginMM = 20;

constexpr TNoteActionEntry NoteActionEntries[] = {
    {TNoteAction::RUndo, "RUndo", "&Undo", "Undo|Undo Last Operation", "Ctrl+Z", 0,
     &TNotesCommands::RUndoExecute},
    {TNoteAction::RRedo, "RRedo", "&Redo", "Redo|Redo Operation", "Ctrl+Y", 0,
     &TNotesCommands::RRedoExecute},
    {TNoteAction::RCut, "RCut", "&Cut", "Cut|Cut ", "Ctrl+X", 0, &TNotesCommands::RCutExecute},
    {TNoteAction::RCopy, "RCopy", "C&opy", "Copy|Copy", "Ctrl+C", 0, &TNotesCommands::RCopyExecute},
    {TNoteAction::RPaste, "RPaste", "&Paste", "Paste|Paste", "Ctrl+V", 0,
     &TNotesCommands::RPasteExecute},
    {TNoteAction::RDelete, "RDelete", "&Delete", nullptr, "Ctrl+Del", 0,
     &TNotesCommands::RDeleteExecute},
    {TNoteAction::RSelectAll, "RSelectAll", "Select &All", nullptr, "Ctrl+A", 0,
     &TNotesCommands::RSelectAllExecute},
    {TNoteAction::RFind, "RFind", nullptr, "Find|Find Text in Note", nullptr, 0,
     &TNotesCommands::RFindExecute},
    {TNoteAction::RBold, "RBold", nullptr, "Bold|Bold", nullptr, 0, &TNotesCommands::RBoldExecute},
    {TNoteAction::RItalic, "RItalic", nullptr, "Italic|Italic", nullptr, 0,
     &TNotesCommands::RItalicExecute},
    {TNoteAction::RUnderscore, "RUnderscore", nullptr, "UnderScore|UnderScore", nullptr, 0,
     &TNotesCommands::RUnderscoreExecute},
    {TNoteAction::Rmiddlescore, "Rmiddlescore", nullptr, "Strikeout|Strikeout", nullptr, 0,
     &TNotesCommands::RmiddlescoreExecute},
    {TNoteAction::RFontIncrease, "RFontIncrease", nullptr, "Font Enlarge|Font Size Enlarge",
     nullptr, 0, &TNotesCommands::RFontIncreaseExecute},
    {TNoteAction::RFontDecrease, "RFontDecrease", nullptr, "Font Smaller|Decrease Font Size",
     nullptr, 0, &TNotesCommands::RFontDecreaseExecute},
    {TNoteAction::RTextColor, "RTextColor", nullptr, "Text Color|Set Text Color", nullptr, 0,
     &TNotesCommands::RTextColorExecute},
    {TNoteAction::RTxBgColor, "RTxBgColor", nullptr,
     "Text Background Color|Set Text Background Color", nullptr, 0,
     &TNotesCommands::RTxBgColorExecute},
    {TNoteAction::RAlgnLeft, "RAlgnLeft", nullptr, "Left|Left Align", nullptr, 0,
     &TNotesCommands::RAlgnLeftExecute},
    {TNoteAction::RAlignCnt, "RAlignCnt", nullptr, "Center|Center Align", nullptr, 2,
     &TNotesCommands::RAlignCntExecute},
    {TNoteAction::RAlignRight, "RAlignRight", nullptr, "Right|Right Align", nullptr, 3,
     &TNotesCommands::RAlignRightExecute},
    {TNoteAction::RAlignAdj, "RAlignAdj", nullptr, "AlignAdjust|AlignAdjust", nullptr, 4,
     &TNotesCommands::RAlignAdjExecute},
    {TNoteAction::RLeftAdj, "RLeftAdj", nullptr, "Left Adjustment|Left Adjustment", nullptr, 0,
     &TNotesCommands::RLeftAdjExecute},
    {TNoteAction::RRightAdj, "RRightAdj", nullptr, "Right Adjustment|Right Adjustment", nullptr, 0,
     &TNotesCommands::RRightAdjExecute},
    {TNoteAction::RParagraphBgColor, "RParagraphBgColor", nullptr,
     "Background Color|Backgroud Color of Paragraph", nullptr, 0,
     &TNotesCommands::RParagraphBgColorExecute},
    {TNoteAction::RInsertFile, "RInsertFile", "File", "Insert File |Insert File into Note", nullptr,
     0, &TNotesCommands::RInsertFileExecute},
    {TNoteAction::RInsertPic, "RInsertPic", "Picture", "Insert Image|Insert Image Into Note",
     nullptr, 0, &TNotesCommands::RInsertPicExecute},
    {TNoteAction::RInsertPageBreak, "RInsertPageBreak", "Page &Break", "PageBreak|Insert Pagebreak",
     nullptr, 0, &TNotesCommands::RInsertPageBreak},
    {TNoteAction::RSave, "RSave", "&Save",
     "Save Document|Save Document(will be autosaved if not saved by user)", nullptr, 0,
     &TNotesCommands::RSaveExecute},
    {TNoteAction::RExport, "RExport", nullptr, "Export|Export note content", nullptr, 0,
     &TNotesCommands::RExportExecute},
    {TNoteAction::RPrint, "RPrint", nullptr, "Print|Print Note", nullptr, 0,
     &TNotesCommands::RPrintExecute},
    {TNoteAction::RPirntPreview, "RPirntPreview", nullptr, "Print Preview|Print Preview", nullptr,
     0, &TNotesCommands::RPirntPreviewExecute},
    {TNoteAction::ToolButton56, "ToolButton56", nullptr, "Bullet|Insert Bullet", nullptr, 0,
     &TNotesCommands::ToolButton56Click},
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

} // namespace

TNotesCommands::TNotesCommands(QWidget& page, INotesHost& host, INotesPrompts& prompts,
                               const TImageList& images)
    : host_(host), prompts_(&prompts), images_(images) {
    SetUpNotesSheet(rns_);
    FitNotesSheetToFonts(rns_, QFontDatabase::families());
    BuildActions();
    BuildMenu();
    BuildToolBar(page);
    BuildEditor(page);
    ConnectEditor();
    FollowClipboard();
    Action(TNoteAction::RSave)->setEnabled(false);
    RichNoteEdit1Select();
    UpdateUndoMenu();
    RichNoteEdit1CurParaStyleChanged();
}

TNotesCommands::~TNotesCommands() {
    // Cell editors hold copies of the caret handler: from now on they call nothing here.
    alive_.reset();
    // The preview form outlives the window: it must not keep the print object.
    if (preview_ != nullptr) {
        preview_->rnpp().SetRNPrint(nullptr);
    }
    editor_->removeEventFilter(this);
    // An open cell editor holds copies of the handlers below: it goes first.
    editor_->EditData().DestroyInplaceEditor();
    editor_->OnChange = nullptr;
    editor_->OnCurTextStyleChanged = nullptr;
    editor_->OnCurParaStyleChanged = nullptr;
    editor_->OnStyleConversion = nullptr;
    editor_->OnCaretMove = nullptr;
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
        action->setIcon(NoteActionIcon(entry.Action));
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
    // Two rows, so that every command shows at the window's first size: the file, clipboard and
    // font commands, then the character, paragraph and insert commands.
    toolBars_ = new QWidget(&page);
    toolBars_->setObjectName("NotesToolBars");
    auto* rows = new QVBoxLayout(toolBars_);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->setSpacing(0);
    toolBar_ = new QToolBar(toolBars_);
    toolBar_->setObjectName("ToolBar2");
    formatBar_ = new QToolBar(toolBars_);
    formatBar_->setObjectName("ToolBar3");
    for (QToolBar* bar : {toolBar_, formatBar_}) {
        bar->setIconSize(QSize(16, 16));
        bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
        rows->addWidget(bar);
    }
    const auto add = [](QToolBar* bar, std::initializer_list<QAction*> actions) {
        if (!bar->actions().isEmpty()) {
            bar->addSeparator();
        }
        for (QAction* action : actions) {
            bar->addAction(action);
        }
    };
    const auto a = [this](TNoteAction action) { return Action(action); };
    add(toolBar_, {a(TNoteAction::RSave), a(TNoteAction::RExport), a(TNoteAction::RPrint),
                   a(TNoteAction::RPirntPreview)});
    add(toolBar_, {a(TNoteAction::RUndo), a(TNoteAction::RRedo), a(TNoteAction::RCut),
                   a(TNoteAction::RCopy), a(TNoteAction::RPaste), a(TNoteAction::RFind)});
    toolBar_->addSeparator();
    combH_ = new QComboBox(toolBar_);
    combH_->setObjectName("combH");
    combH_->setToolTip("Font");
    combH_->setStatusTip("Select Font");
    combH_->addItems(NoteFontNames(rns_, QFontDatabase::families()));
    SelectStartFont(*combH_);
    combH_->setMinimumContentsLength(14);
    combH_->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    toolBar_->addWidget(combH_);
    add(formatBar_,
        {a(TNoteAction::RBold), a(TNoteAction::RItalic), a(TNoteAction::RUnderscore),
         a(TNoteAction::Rmiddlescore), a(TNoteAction::RFontIncrease), a(TNoteAction::RFontDecrease),
         a(TNoteAction::RTextColor), a(TNoteAction::RTxBgColor)});
    add(formatBar_,
        {a(TNoteAction::RAlgnLeft), a(TNoteAction::RAlignCnt), a(TNoteAction::RAlignRight),
         a(TNoteAction::RAlignAdj), a(TNoteAction::RLeftAdj), a(TNoteAction::RRightAdj),
         a(TNoteAction::RParagraphBgColor)});
    add(formatBar_, {a(TNoteAction::ToolButton56), a(TNoteAction::RInsertPic),
                     a(TNoteAction::RInsertFile), a(TNoteAction::RInsertPageBreak)});
    for (int i = 0; i < 4; ++i) {
        formatBar_->widgetForAction(Action(StyleButtons[i]))->setObjectName(StyleButtonNames[i]);
        formatBar_->widgetForAction(Action(AlignButtons[i]))->setObjectName(AlignButtonNames[i]);
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
    e.SetBorderStyle(TBorderStyle::bsSingle);
    e.LeftMargin = e.RightMargin = e.TopMargin = e.BottomMargin = 5;
    e.SetVScrollVisible(true);
    e.SetHScrollVisible(true);
    e.Tracking = true;
    e.SetUndoLimit(-1);
    e.EditorOptions = {TRNEditorOption::rnoClearTagOnStyleApp, TRNEditorOption::rnoAutoSwitchLang};
    // Stored notes carry their item tags as words; an item without a tag still reads "0".
    e.Options = NotesDocumentOptions();
    e.RNFOptions = NotesRNFOptions();
    e.RTFOptions = NotesRTFOptions();
    e.Delimiters = " .;,:(){}\"/\\";
    SetUpNotesRTFReader(*e.GetRTFReadProperties());
    auto* layout = new QVBoxLayout(&page);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(toolBars_);
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
    e.OnCaretMove = [this, alive = std::weak_ptr<bool>(alive_)](TRichNoteEdit&) {
        if (!alive.expired()) {
            CaretNotice();
        }
    };
    e.Handlers.OnRNMouseDown = [this](IRichNoteHost&, int, uint32_t, int, int, int) {
        FormatKeepingCaret();
        if (OnTableCaret) {
            OnTableCaret();
        }
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

void TNotesCommands::FollowClipboard() {
    // What can be pasted changes with the clipboard, not with the selection: a Copy here or
    // in another program. A change the clipboard did not announce is seen once the window is
    // back in front (the editor hears the window's activation).
    if (QClipboard* clipboard = QGuiApplication::clipboard()) {
        connect(clipboard, &QClipboard::dataChanged, this,
                [this] { GuardEvent([this] { UpdatePaste(); }); });
    }
}

void TNotesCommands::CaretNotice() {
    // The caret moves in the middle of edits and of the table's own mouse handling: the
    // commands are looked at once that is over.
    if (caretNoticePending_) {
        return;
    }
    caretNoticePending_ = true;
    QTimer::singleShot(0, this, [this] {
        caretNoticePending_ = false;
        if (OnTableCaret) {
            GuardEvent([this] { OnTableCaret(); });
        }
    });
}

void TNotesCommands::FormatKeepingCaret() {
    // A whole format puts the caret at the document's start. The press being handled reads
    // the caret as the anchor of a Shift+click, so the caret keeps its place in the text.
    TRNEditRNData& data = editor_->EditData();
    int itemNo = -1;
    int offs = 0;
    data.GetCaretItem(itemNo, offs);
    editor_->Format();
    if (itemNo >= 0 && itemNo < data.ItemCount() && !data.NotFormatted()) {
        data.SetCaretAtItem(itemNo, offs);
        data.ChangeCaret(false, false, false, false);
    }
}

bool TNotesCommands::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && event->type() == QEvent::KeyRelease) {
        GuardEvent([this] { ShowCaretPosition(); });
    } else if (watched == editor_ && event->type() == QEvent::WindowActivate) {
        GuardEvent([this] { UpdatePaste(); });
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
    TNoteLoadResult loaded = loadRichContent(*editor_, record.Notes);
    // Laid out here only, once, whatever was read. A note that cannot be laid out cannot be
    // shown either: the editor stays empty, and the note is as damaged as one not read.
    try {
        editor_->Format();
    } catch (const std::exception&) {
        editor_->Clear();
        editor_->Format();
        if (loaded.Loaded) {
            loaded = {false, "it cannot be laid out"};
        }
    }
    if (!loaded.Loaded) {
        // Whatever was read stays visible, but nothing typed may replace the stored note.
        damaged_ = true;
        editor_->ReadOnly = true;
        prompts_->Message("The note cannot be read: " + loaded.Error, "Error",
                          TNoteMessageIcon::Error);
    }
    // The editor holds the stored note now: until it is edited there is nothing to save.
    Action(TNoteAction::RSave)->setEnabled(false);
    noteDirty_ = false;
    unwritten_ = false;
    RichNoteEdit1Select();
    UpdateUndoMenu();
    RichNoteEdit1CurParaStyleChanged();
    RichNoteEdit1CurTextStyleChanged();
    if (OnTableCaret) {
        OnTableCaret();
    }
}

void TNotesCommands::SaveNotes(TPageInfo& record) {
    if (!damaged_) {
        saveRichContent(record.Notes, *editor_);
        unwritten_ = false;
    }
}

bool TNotesCommands::SaveChangedNotes(TPageInfo& record) {
    if (!unwritten_ || damaged_) {
        return false;
    }
    // A note the editor cannot write leaves the record as it was, and is tried again.
    unwritten_ = !saveRichContent(record.Notes, *editor_);
    return !unwritten_;
}

// ---- commands ---------------------------------------------------------------------------------

void TNotesCommands::Execute(TNoteAction action) {
    for (const TNoteActionEntry& entry : NoteActionEntries) {
        if (entry.Action == action) {
            (this->*entry.Run)();
            return;
        }
    }
}

void TNotesCommands::RUndoExecute() {
    editor_->Undo();
    UpdateUndoMenu();
}

void TNotesCommands::RRedoExecute() {
    editor_->Redo();
    UpdateUndoMenu();
}

void TNotesCommands::RCutExecute() {
    editor_->CutDef();
}

void TNotesCommands::RCopyExecute() {
    editor_->CopyDef();
}

void TNotesCommands::RPasteExecute() {
    editor_->Paste();
}

void TNotesCommands::RDeleteExecute() {
    editor_->DeleteSelection();
}

void TNotesCommands::RSelectAllExecute() {
    editor_->SelectAll();
    editor_->setFocus();
    editor_->Invalidate();
}

void TNotesCommands::RFindExecute() {
    FindDialog1().show();
    FindDialog1().raise();
}

// ---- editor events ----------------------------------------------------------------------------

void TNotesCommands::RichNoteEdit1Change() {
    Action(TNoteAction::RSave)->setEnabled(true);
    noteDirty_ = true;
    unwritten_ = true;
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
    UpdatePaste();
}

void TNotesCommands::UpdatePaste() {
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
        ShowFontName(*combH_, style.FontName);
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
    // A note shown with the page is laid out already; only a new width or items added without
    // a layout need another.
    editor_->FormatIfStale();
    UpdateUndoMenu();
    UpdatePaste();
    RichNoteEdit1CurParaStyleChanged();
    RichNoteEdit1CurTextStyleChanged();
}
