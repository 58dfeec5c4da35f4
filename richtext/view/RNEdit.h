#pragma once

// The rich-text editor control: the viewer with editor data behind it. It takes keys, input
// method commits and the clipboard, wraps every change in an undo group and tells its owner
// through OnChanging and OnChange.

#include "richtext/model/RNItem.h"
#include "richtext/view/RNERNData.h"
#include "richtext/view/RichNote.h"

#include <functional>
#include <string>
#include <string_view>

// Posted to the editor by an in-place cell editor that had nothing to undo or redo.
inline constexpr uint32_t WM_RNUNDOFROMINPLACE = WM_USER + 13;
inline constexpr uint32_t WM_RNREDOFROMINPLACE = WM_USER + 14;
inline constexpr uint32_t WM_CUT = 0x0300;
inline constexpr uint32_t WM_PASTE = 0x0302;

// Where the caret tried to leave the document.
enum class TRNCaretGetOutDirection : uint8_t { rncdLeft, rncdUp, rncdRight, rncdDown };

class QLocale;
class TMemoryStream;

class TRichNoteEdit : public TRichNote, public IRNEditHost {
public:
    explicit TRichNoteEdit(QWidget* parent = nullptr);
    ~TRichNoteEdit() override;

    TRichNoteDataClass GetDataClass() const override;
    TRichNoteEdit* Editor() override { return this; }
    TRNEditRNData& EditData() { return static_cast<TRNEditRNData&>(RNData()); }

    bool ReadOnly = false;
    TRNEditorOptions EditorOptions{TRNEditorOption::rnoClearTagOnStyleApp};
    bool Modified = false;
    int UndoLimit() { return EditData().UndoList().Limit; }
    void SetUndoLimit(int limit);

    // Events. OnChanging may refuse a change (the handler answers for that refusal, so the
    // editor does not beep for it); OnPaste may take the paste over.
    std::function<void(TRichNoteEdit&, bool& allow)> OnChanging;
    std::function<void(TRichNoteEdit&)> OnChange;
    std::function<void(TRichNoteEdit&)> OnCurTextStyleChanged;
    std::function<void(TRichNoteEdit&)> OnCurParaStyleChanged;
    std::function<void(TRichNoteEdit&, int& styleNo, int userData, bool appliedToText)>
        OnStyleConversion;
    std::function<void(TRichNoteEdit&, bool& doDefault)> OnPaste;
    // The caret was shown, moved or hidden (a cell selection hides it): what depends on the
    // caret's place may have changed. A cell editor raises its document editor's handler.
    std::function<void(TRichNoteEdit&)> OnCaretMove;
    // The caret tried to leave the document by an arrow key, in that key's direction.
    std::function<void(TRichNoteEdit&, TRNCaretGetOutDirection)> OnCaretGetOut;

    // Whether a change may start: not read-only, a style sheet, no item of the document
    // holding the mouse (unless the change comes from outside) and OnChanging agreeing. An
    // allowed change readies the document for editing; a refusal beeps.
    bool BeforeChange(bool fromOutside) override;
    bool CanChange() { return BeforeChange(true); }
    // An edit: empties the redo list and tells OnChange.
    void Change() { DoChange(true); }
    // While an update is open OnChanging and OnChange stay silent.
    void BeginUpdate() { ++updateCount_; }
    void EndUpdate();

    // Undo and redo. What Undo (Redo) would replay is an open cell editor's step while it has
    // one, else this editor's.
    void Undo() { Replay(false); }
    void Redo() { Replay(true); }
    TRNUndoType UndoAction() { return ReplayList(false).CurrentUndoType(); }
    TRNUndoType RedoAction() { return ReplayList(true).CurrentUndoType(); }
    std::string UndoName() { return ReplayList(false).CurrentUndoCaption(); }
    std::string RedoName() { return ReplayList(true).CurrentUndoCaption(); }
    // Empties both lists, an open cell editor's first.
    void ClearUndo();
    // This editor's redo list only.
    void ClearRedo() { EditData().RedoList().Clear(); }
    void BeginUndoGroup(TRNUndoType undoType);
    // A group of the host's own kind, shown under `name`.
    void BeginUndoCustomGroup(const std::string& name);
    void SetUndoGroupMode(bool on) { EditData().SetUndoGroupMode(on); }

    // Text at the caret, each one undo group that first removes the selection. A selection
    // that may not be deleted refuses the insertion with a beep; a refusal answers true.
    bool InsertTextW(std::u16string_view text);
    bool InsertText(std::string_view text);
    // Files and streams at the caret; a file that cannot be opened answers false.
    bool InsertTextFromFile(const std::string& fileName);
    bool InsertOEMTextFromFile(const std::string& fileName);
    bool InsertTextFromFileW(const std::string& fileName);
    bool InsertRNFFromFileEd(const std::string& fileName);
    bool InsertRTFFromFileEd(const std::string& fileName);
    bool InsertRNFFromStreamEd(TStream& stream);
    bool InsertRTFFromStreamEd(TStream& stream);
    // Items at the caret. BeforeInserting opens the insertion's undo group and removes the
    // selection into it (false, after a beep, when the document may not change);
    // AfterInserting closes the group. Each command is one undo step and answers false when
    // refused, the item then freed.
    bool BeforeInserting();
    void AfterInserting(bool inserted);
    bool InsertItem(const std::string& name, std::unique_ptr<TCustomRNItemInfo> item);
    // The document owns `graphic` afterwards.
    bool InsertPicture(const std::string& name, std::unique_ptr<TGraphic> graphic,
                       TRNVAlign vAlign);
    bool InsertBullet(int imageIndex, const TImageList* imageList);
    bool InsertHotspot(int imageIndex, int hotImageIndex, const TImageList* imageList);
    bool InsertBreak(uint8_t width, TRNBreakStyle style, TColor color);
    // The control is hidden and put on the editor until formatting places it.
    bool InsertControl(const std::string& name, std::unique_ptr<IEmbeddedControl> control,
                       TRNVAlign vAlign);
    // Starts a new page at the caret's paragraph; the selection is dropped, not deleted.
    void InsertPageBreak();
    // The innermost editor: an open cell editor's, or this one.
    TRichNoteEdit& GetActiveRichNoteEdit();

    // Items by index. Each is one undo step and ends with Change; the ...InfoEd ones raise
    // ERichNoteError for an item of another kind. A null graphic keeps the picture.
    void SetBreakInfoEd(int itemNo, uint8_t width, TRNBreakStyle style, TColor color,
                        const RNTag& tag);
    // The image list of a bullet or hotspot stays the item's own.
    void SetBulletInfoEd(int itemNo, const std::string& name, int imageIndex,
                         const TImageList* imageList, const RNTag& tag);
    void SetHotspotInfoEd(int itemNo, const std::string& name, int imageIndex, int hotImageIndex,
                          const TImageList* imageList, const RNTag& tag);
    void SetPictureInfoEd(int itemNo, const std::string& name, std::unique_ptr<TGraphic> graphic,
                          TRNVAlign vAlign, const RNTag& tag);
    void SetControlInfoEd(int itemNo, const std::string& name, TRNVAlign vAlign, const RNTag& tag);
    void SetItemTextEd(int itemNo, const std::string& text);
    void SetItemTagEd(int itemNo, const RNTag& tag);
    void ResizeControl(int itemNo, int width, int height);
    void AdjustControlPlacement(int itemNo) { EditData().AdjustControlPlacement(itemNo); }
    void AdjustControlPlacement2(const IEmbeddedControl* control);
    void SetCheckpointInfoEd(int itemNo, const RNTag& tag, const std::string& name,
                             bool raiseEvent);
    void RemoveCheckpointEd(int itemNo);
    void RemoveCurrentPageBreak();
    // Bracket a change made to an item directly: `width` carries its minimal width across,
    // so that the end formats its paragraph, or the document when its width may change.
    void BeginItemModify(int itemNo, int& width) { EditData().BeginItemModify(itemNo, width); }
    void EndItemModify(int itemNo, int width) { EditData().EndItemModify(itemNo, width); }

    // The caret's item in this editor's own document (a table while one of its cells is
    // being edited).
    int GetCurItemNo() { return EditData().GetCurItemNo(); }
    int GetOffsetInCurItem() { return EditData().GetOffsetInCurItem(); }
    // The item at the caret of the innermost editor, and the operations on it.
    int GetCurItemStyle();
    TCustomRNItemInfo* GetCurrentItem();
    // The caret's item when it is a T, looked for in the innermost editor first, with the
    // editor that holds it.
    template <class T> bool GetCurrentItemEx(TRichNoteEdit*& editor, T*& item) {
        if (TRichNoteEdit* cell = InplaceEdit(); cell && cell->GetCurrentItemEx(editor, item)) {
            return true;
        }
        const int itemNo = GetCurItemNo();
        T* found = itemNo >= 0 ? dynamic_cast<T*>(&EditData().GetItem(itemNo)) : nullptr;
        if (found) {
            editor = this;
            item = found;
        }
        return found != nullptr;
    }
    RNTag GetCurrentTag();
    std::string GetCurrentItemText();
    void GetCurrentTextInfo(std::string& text, RNTag& tag);
    void GetCurrentBreakInfo(uint8_t& width, TRNBreakStyle& style, TColor& color, RNTag& tag);
    void GetCurrentBulletInfo(std::string& name, int& imageIndex, const TImageList*& imageList,
                              RNTag& tag);
    void GetCurrentHotspotInfo(std::string& name, int& imageIndex, int& hotImageIndex,
                               const TImageList*& imageList, RNTag& tag);
    void GetCurrentPictureInfo(std::string& name, TGraphic*& graphic, TRNVAlign& vAlign,
                               RNTag& tag);
    void GetCurrentControlInfo(std::string& name, IEmbeddedControl*& control, TRNVAlign& vAlign,
                               RNTag& tag);
    void SetCurrentBreakInfo(uint8_t width, TRNBreakStyle style, TColor color, const RNTag& tag);
    void SetCurrentBulletInfo(const std::string& name, int imageIndex, const TImageList* imageList,
                              const RNTag& tag);
    void SetCurrentHotspotInfo(const std::string& name, int imageIndex, int hotImageIndex,
                               const TImageList* imageList, const RNTag& tag);
    void SetCurrentPictureInfo(const std::string& name, std::unique_ptr<TGraphic> graphic,
                               TRNVAlign vAlign, const RNTag& tag);
    void SetCurrentControlInfo(const std::string& name, TRNVAlign vAlign, const RNTag& tag);
    void SetCurrentItemText(const std::string& text);
    void SetCurrentTag(const RNTag& tag);
    void SetCurrentCheckpointInfo(const RNTag& tag, const std::string& name, bool raiseEvent);
    TRNCPInfo* GetCurrentCheckpoint();
    void RemoveCurrentCheckpoint();
    void ResizeCurrentControl(int width, int height);
    void BeginCurrentItemModify(int& width);
    void EndCurrentItemModify(int width);

    // Styles of the selection, or of the caret's paragraph; one undo step each. Without a
    // selection a text style only becomes the current one.
    void ApplyParaStyle(int paraNo);
    // Text style `styleNo` for all text but that of a style-protected style.
    void ApplyTextStyle(int styleNo);
    // Each text style becomes what OnStyleConversion answers for `userData`; nothing happens
    // without a handler.
    void ApplyStyleConversion(int userData);
    int GetCurTextStyleNo() { return GetActiveRichNoteEdit().EditData().CurTextStyleNo; }
    int GetCurParaStyleNo() { return GetActiveRichNoteEdit().EditData().CurParaStyleNo; }
    // The input method now types in a language of `charset`: with rnoAutoSwitchLang an 8-bit
    // current text style gives way to its twin in that character set (added when missing).
    void WMInputLangChange(TFontCharset charset);
    // The 8-bit character set a locale's language is written in; ANSI_CHARSET for those of
    // Western Europe and the ones no 8-bit set covers.
    static TFontCharset CharsetOfLocale(const QLocale& locale);
    // Selects the next match from the caret on; false when there is none.
    using TRichNote::SearchText;
    using TRichNote::SearchTextW;
    bool SearchText(std::string_view text, TRNESearchOptions options);
    bool SearchTextW(std::u16string_view text, TRNESearchOptions options);

    // The text being composed by the input method, shown at the caret only.
    const std::u16string& Preedit() const { return preedit_; }

    // The clipboard.
    bool CanPaste();
    bool CanPasteRNF();
    bool CanPasteRTF();
    void Paste();
    bool PasteRNF();
    bool PasteRTF();
    bool PasteTextW();
    // 8-bit text in the current style's code page when offered, else Unicode text.
    bool PasteText();
    // A picture; named after the clipboard's text with `textAsName`.
    bool PasteBitmap(bool textAsName);
    // A metafile offered as image/x-wmf or image/x-emf, the same way; one without units per
    // inch gets 1440. A damaged one beeps and inserts nothing.
    bool PasteMetafile(bool textAsName);
    void CutDef();
    void DeleteSelection();

    // The Enter, Backspace and Delete keys as commands: one change each.
    void OnEnterPress(bool shift);
    void OnBackSpacePress(bool ctrl);
    void OnDeletePress(bool ctrl);
    // An editor navigates by Tab only as text: any other mode raises ERichNoteError.
    void SetTabNavigation(TRNTabNavigationType value) override;

    // The viewer's handlers, and from another editor also its style and paste handlers: a
    // cell editor given the host's handlers formats and reports like the host.
    void AssignEvents(const TRichNote& source) override;

    // IRNEditHost.
    TRNEditorOptions GetEditorOptions() const override { return EditorOptions; }
    void DoChange(bool clearRedo) override;
    void CurTextStyleChanged() override;
    void CurParaStyleChanged() override;
    int ConvertStyle(int styleNo, int userData, bool appliedToText) override;
    void SetCaret(int x, int y, int width, int height) override;
    void HideCaret() override;

protected:
    void KeyDown(uint16_t& key, TShiftState shift) override;
    // Releasing Ctrl ends the links' reacting (rnoCtrlJumps).
    void KeyUp(uint16_t& key, TShiftState shift) override;
    void KeyPress(char16_t& key) override;
    void KeyText(std::u16string_view text) override;
    bool focusNextPrevChild(bool next) override;
    bool ClaimsShortcut(uint16_t key, TShiftState shift) override;
    void DoEnter() override;
    void DoExit() override;
    void Dispatch(TMessage& message) override;
    void Paint() override;
    // A scroll moves the text under a caret that stays where typing goes: it is drawn again
    // where that place went, and not at all when the place left the view.
    void AfterVScroll() override;
    void AfterHScroll() override;
    void ImeInput(std::u16string_view commit, std::u16string_view preedit) override;
    TRect ImeCursorRect() const override;

private:
    // Runs one command inside an undo group that is closed, or dropped when empty, whatever
    // the command throws; the document is reformatted after a failure.
    bool Grouped(TRNUndoType undoType, const std::function<bool()>& command);
    // Runs one user action whose steps may each tell a change: OnChange hears of them once,
    // after the action, and only when one of them changed the document.
    bool OneNotice(const std::function<bool()>& action);
    int HoldNotices();
    void ReleaseNotices(int held);
    void NotifyChange();
    // Whether an insertion may replace the selection; a refusal beeps.
    bool SelectionReplaceable();
    void Typed(std::u16string_view text);
    // Text that the current 8-bit style's code page cannot hold switches the current style
    // to the sheet's Unicode style (DefUnicodeStyle), or without one to the current style's
    // Unicode twin (found, or added to the sheet), before it goes in.
    void BeforeUnicode(std::u16string_view text);
    // Runs an insertion as one undo step that first removes the selection (true, after a
    // beep, when the document may not change). Text is told as a change here (`isText`);
    // a document read in tells its own.
    bool InsertOverSelection(const std::function<bool()>& insert, bool isText);
    // As InsertOverSelection with the file's bytes; a file that cannot be read answers
    // false and changes nothing.
    bool InsertFile(const std::string& fileName, const std::function<bool(TMemoryStream&)>& insert,
                    bool isText);
    // Undo or Redo, and the focus back to the editor.
    void Replay(bool redo);
    TRNUndoList& ReplayList(bool redo);
    void ReplayGroup(bool redo);
    // The first format the clipboard offers, in the order RNF, RTF, text, picture.
    void PasteDefault();
    // The open cell editor when it is an editor itself: commands pass to it.
    TRichNoteEdit* InplaceEdit() const;
    // Runs `change` in an undo group of `undoType` (joining one open in group mode), drops
    // the group when it stayed empty and signals the change; false when the editor refused.
    bool ItemChange(TRNUndoType undoType, const std::function<void()>& change);
    // Replaces item `itemNo` by `item`, named `name` and tagged with a copy of `tag`.
    void ReplaceItemEd(int itemNo, const std::string& name, std::unique_ptr<TCustomRNItemInfo> item,
                       const RNTag& tag);

    std::u16string preedit_;
    // The conversion in progress: ApplyTextStyle's own, or none for OnStyleConversion.
    std::function<int(int styleNo, bool appliedToText)> conversion_;
    // The notices held since BeforeInserting.
    int insertingHeld_ = 0;
    int updateCount_ = 0;
    // Changes told while an update was open.
    int heldChanges_ = 0;
};
