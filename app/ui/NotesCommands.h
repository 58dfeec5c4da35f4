#pragma once

// The notes editor of the main window's "Edit Notes" page and its commands: RichNoteEdit1 on
// the style sheet rns, the "RichEdit" actions with the "&Edit   " menu and the editor's tool
// bar, the font list combH, the find dialog and the print object RNPrint1. It loads and stores
// the selected node's note, formats text and paragraphs, inserts files, pictures, bullets and
// page breaks, exports, prints and previews. What it needs of the window comes through
// INotesHost, what it asks the user through INotesPrompts, so it runs without the window.

#include "app/ui/NotesPrompts.h"
#include "app/ui/NotesStyles.h"
#include "app/ui/views/NotesPort.h"
#include "richtext/model/RNStyle.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <string_view>

class QAction;
class QComboBox;
class QMenu;
class QToolBar;
class QWidget;
class TFindDialog;
class TImageList;
class TPageInfo;
class TRNPrint;
class TRichNoteEdit;
class TTreeNode;
class TfrmPreview;
class TGraphic;

enum class TNoteAction {
    RUndo,
    RRedo,
    RCut,
    RCopy,
    RPaste,
    RDelete,
    RSelectAll,
    RFind,
    RBold,
    RItalic,
    RUnderscore,
    Rmiddlescore,
    RFontIncrease,
    RFontDecrease,
    RTextColor,
    RTxBgColor,
    RAlgnLeft,
    RAlignCnt,
    RAlignRight,
    RAlignAdj,
    RLeftAdj,
    RRightAdj,
    RParagraphBgColor,
    RInsertFile,
    RInsertPic,
    RInsertPageBreak,
    RSave,
    RExport,
    RPrint,
    RPirntPreview,
    ToolButton56, // the bullet
};

// What the notes commands need of the window.
class INotesHost {
public:
    virtual ~INotesHost() = default;
    virtual TTreeNode* SelectedNode() const = 0;
    // The node whose note the editor changed last (stored when the selection moves on).
    virtual void SetEditedNode(TTreeNode* node) = 0;
    virtual void SetBinderDirty() = 0;
    // Stores the note (RNF bytes) in the node's record and writes the binder's tree file now.
    virtual void StoreNote(TTreeNode* node, std::string_view note) = 0;
    virtual void modifysb(int panel, const std::string& text, int progress) = 0;
    virtual bool NotesPageActive() const = 0;
    virtual bool WindowVisible() const = 0;
};

// The picture class a file's extension names (".JPG", ".JPEG", ".BMP", ".DIB", ".ICO",
// ".WMF", ".EMF", in any case); null for any other.
std::unique_ptr<TGraphic> PictureForExtension(const std::string& extension);

inline constexpr int NotesStatusPanel = 3;
inline constexpr int NotesBulletImage = 1;

class TNotesCommands : public QObject, public INotesPort {
public:
    // The editor and its tool bar fill `page`; the bullet comes from `images`.
    TNotesCommands(QWidget& page, INotesHost& host, INotesPrompts& prompts,
                   const TImageList& images);
    ~TNotesCommands() override;

    TRichNoteEdit& RichNoteEdit1() { return *editor_; }
    TRNStyle& rns() { return rns_; }
    TRNPrint& RNPrint1() { return *print_; }
    QComboBox& combH() { return *combH_; }
    TFindDialog& FindDialog1();
    QMenu& EditMenu() { return *editMenu_; }
    QToolBar& ToolBar() { return *toolBar_; }
    QAction* Action(TNoteAction action) const { return actions_.at(action); }
    // What the commands ask the user from now on (a test answers in place of the dialogs).
    void SetPrompts(INotesPrompts& prompts) { prompts_ = &prompts; }
    INotesPrompts& Prompts() { return *prompts_; }
    // Run when the caret may have moved into or out of a table or a cell selection changed:
    // after a mouse press in the editor, when a note loads, and (once the event that caused
    // it is over) after every caret move in the editor or in a cell editor.
    std::function<void()> OnTableCaret;
    // The preview form made at start-up (none: previews show nothing).
    void SetPreviewForm(TfrmPreview* form);

    bool NoteDirty() const { return noteDirty_; }
    // The note shown could not be read: the editor is read-only until another note loads.
    bool NoteDamaged() const { return damaged_; }
    TConversionOperands& Operands() { return operands_; } // FontSizeToApply, ColorToApply, ...

    // ---- the node's note (INotesPort) ----
    void LoadNotes(const TPageInfo& record) override;
    void SaveNotes(TPageInfo& record) override;
    bool SaveChangedNotes(TPageInfo& record) override;

    // ---- commands ----
    // Runs the command of an action, as its menu entry or button does.
    void Execute(TNoteAction action);
    void RUndoExecute();
    void RRedoExecute();
    void RCutExecute();
    void RCopyExecute();
    void RPasteExecute();
    void RDeleteExecute();
    void RSelectAllExecute();
    void RFindExecute();
    void RBoldExecute() { ToggleFontStyle(TNoteAction::RBold, ncBoldOn, ncBoldOff); }
    void RItalicExecute() { ToggleFontStyle(TNoteAction::RItalic, ncItalicOn, ncItalicOff); }
    void RUnderscoreExecute() {
        ToggleFontStyle(TNoteAction::RUnderscore, ncUnderlineOn, ncUnderlineOff);
    }
    void RmiddlescoreExecute() {
        ToggleFontStyle(TNoteAction::Rmiddlescore, ncStrikeOutOn, ncStrikeOutOff);
    }
    void RFontIncreaseExecute() { ChangeFontSize(1); }
    void RFontDecreaseExecute() { ChangeFontSize(-1); }
    void RTextColorExecute() { ChooseTextColor(ncTextColor); }
    void RTxBgColorExecute() { ChooseTextColor(ncBackColor); }
    // Alignment by the action's tag: paragraph styles 0, 2, 3 and 4.
    void RAlgnLeftExecute() { Align(TNoteAction::RAlgnLeft); }
    void RAlignCntExecute() { Align(TNoteAction::RAlignCnt); }
    void RAlignRightExecute() { Align(TNoteAction::RAlignRight); }
    void RAlignAdjExecute() { Align(TNoteAction::RAlignAdj); }
    void RLeftAdjExecute() { Indent(false); }
    void RRightAdjExecute() { Indent(true); }
    void RParagraphBgColorExecute();
    void RInsertFileExecute();
    void RInsertPicExecute();
    void RInsertPageBreak();
    void ToolButton56Click(); // the bullet
    void RSaveExecute();
    void RExportExecute();
    void RPrintExecute();
    void RPirntPreviewExecute();
    void FindDialog1Find();
    void combHClick();

    // ---- editor events ----
    void RichNoteEdit1Change();
    void RichNoteEdit1Select();
    // Paste is on while the clipboard holds what the editor can take and the note is not
    // read-only; run at every selection notice, clipboard change and window activation.
    void UpdatePaste();
    void RichNoteEdit1CurTextStyleChanged();
    void RichNoteEdit1CurParaStyleChanged();
    void UpdateUndoMenu();
    void TabSheet3Show();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildEditor(QWidget& page);
    void BuildActions();
    void BuildMenu();
    void BuildToolBar(QWidget& page);
    void ConnectEditor();
    void FollowClipboard();
    void ToggleFontStyle(TNoteAction button, int on, int off);
    void ChangeFontSize(int delta);
    void Align(TNoteAction sender);
    void ChooseTextColor(int code);
    void Indent(bool right);
    void ShowCaretPosition();
    // Runs OnTableCaret once the event being handled is over; many moves in one event make
    // one notice.
    void CaretNotice();
    // Formats the editor as a mouse press asks, with the caret left where it was.
    void FormatKeepingCaret();
    bool FormatForPrinting();

    INotesHost& host_;
    INotesPrompts* prompts_;
    const TImageList& images_;
    TRNStyle rns_;
    TRichNoteEdit* editor_ = nullptr;
    std::unique_ptr<TRNPrint> print_;
    QComboBox* combH_ = nullptr;
    QWidget* toolBars_ = nullptr;   // the two rows below
    QToolBar* toolBar_ = nullptr;   // file, clipboard and font
    QToolBar* formatBar_ = nullptr; // character, paragraph and insert
    std::unique_ptr<QMenu> editMenu_;
    std::unique_ptr<TFindDialog> findDialog_;
    std::map<TNoteAction, QAction*> actions_;
    QPointer<TfrmPreview> preview_;
    TConversionOperands operands_;
    bool noteDirty_ = false;
    // Changed since the note was shown or last written into a record.
    bool unwritten_ = false;
    bool damaged_ = false;
    bool caretNoticePending_ = false;
    // Lives as long as the commands: what outlives them (a cell editor's copy of the caret
    // handler) checks it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};
