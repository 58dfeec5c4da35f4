#pragma once

// The editor's document data: the viewer's data with a caret, current text and paragraph
// styles, and undo and redo lists. Every edit changes the item list only through the Do_
// primitives, each of which first records how to reverse itself.

#include "richtext/view/CRNFData.h"
#include "richtext/view/RNEditContext.h"
#include "richtext/view/RNEditHost.h"
#include "richtext/view/RNUndo.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

// One place the caret can stand on the current screen line.
struct TRNCharPos {
    int32_t X = 0;
    int32_t DrawItemNo = -1;
    int32_t Offset = -1;
    // 1, or 2 where the caret stands after the last character of a text piece.
    int32_t MoveCaret = 1;
};

inline constexpr int RichNoteEditCaretWidth = 1;
inline constexpr int RichNoteEditCaretHeightExtra = 0;
inline constexpr int RichNoteEditMaxCaretHeight = 1000;

enum class TRNUndoDestination : uint8_t { None, Undo, Redo };

class TRNEditRNData : public TRichNoteRNData, public IRNUndoTarget, public IRNEditContext {
public:
    TRNEditRNData(IRichNoteHost& richNote, IRNEditHost& editHost);
    ~TRNEditRNData() override;

    IRNEditHost& EditHost;

    // The caret: its draw item and its index into the stops of its screen line.
    int32_t CaretDrawItemNo = -1;
    int32_t CaretOffs = -1;
    std::vector<TRNCharPos> CharEnds;
    int32_t CurTextStyleNo = 0;
    int32_t CurParaStyleNo = 0;
    TRNUndoDestination UndoDest = TRNUndoDestination::None;

    void ClearTemporal() override;
    void Clear() override;

    // Undo groups.
    TRNUndoList& UndoList() override { return undoList_; }
    TRNUndoList& RedoList() override { return redoList_; }
    TRNUndoList* GetUndoList() override;
    bool BeginUndoSequence(TRNUndoType undoType) override;
    bool BeginNamedUndoSequence(TRNUndoType undoType, const std::string& caption) override;
    bool BeginRedoSequence(TRNUndoType undoType, const std::string& caption) override;
    void EndUndoSequence();
    void SetUndoGroupMode(bool on);

    // Paragraphs and items.
    int GetParaEndItemNo(int itemNo) const;
    void SetParaStyle(int first, int last, int paraNo, bool& fullReformat);
    std::unique_ptr<TCustomRNItemInfo> CreateTextCopy(const TCustomRNItemInfo& item) const;

    // The primitives.
    void Do_DeleteItem(int itemNo, bool& fullReformat) override;
    void Do_DeleteItems(int first, int last, bool& fullReformat) override;
    void Do_InsertItem(int itemNo, std::string text, std::unique_ptr<TCustomRNItemInfo> item,
                       bool fromUndo, bool& fullReformat) override;
    void Do_InsertItems(int itemNo, TRNUndoItemList& list, bool fromUndo,
                        bool& fullReformat) override;
    void Do_DeleteSubstring(int itemNo, int pos, int count) override;
    void Do_InsertSubstring(int itemNo, int pos, const std::string& text) override;
    void Do_Concate(int itemNo);
    void Do_ModifyItem(int itemNo, std::string text,
                       std::unique_ptr<TCustomRNItemInfo> newItem) override;
    void Do_ChangeText(int itemNo, const std::string& text) override;
    void Do_StyleNo(int itemNo, int styleNo) override;
    void Do_Para(int first, int last, bool& fullReformat, int paraNo) override;
    void Do_ParaList(int first, const std::vector<int>& list, bool& fullReformat) override;
    void Do_NewLine(int itemNo, bool sameAsPrev, bool& fullReformat, int paraNo) override;
    void Do_BR(int itemNo, bool br) override;
    void Do_PageBreak(int itemNo, bool pageBreak) override;
    void Do_Tag(int itemNo, const RNTag& tag, bool assignAsIs) override;
    // Item -1 is the checkpoint after the last item.
    void Do_AddCP(int itemNo, std::unique_ptr<TRNCPInfo> checkpoint) override;
    void Do_DeleteCP(int itemNo) override;
    void Do_ChangeVAlign(int itemNo, TRNVAlign vAlign) override;
    void Do_Resize(int itemNo, int width, int height, bool reformat) override;
    TRNUndoModifyItemProps* Do_ModifyItemIntProperty(int itemNo, IRNIntProperties* subObject,
                                                     const std::string& propName, int value,
                                                     bool affectsSize, bool affectsWidth,
                                                     TRNUndoPropsMaker undoClass) override;
    TRNUndoModifyItemProps* Do_ModifyItemIntProperties(int itemNo, IRNIntProperties* subObject,
                                                       const TRNIntPropList& propList,
                                                       bool affectsSize, bool affectsWidth,
                                                       TRNUndoPropsMaker undoClass) override;
    void Do_ItemModifyTerminator(int itemNo, bool opening) override;

    // Inserting and typing.
    bool IsProtected(int itemNo, TRNProtectOption option) const;
    // Whether nothing may go between item `itemNo` and the next (-1: before the first); a
    // true answer beeps.
    bool IsSticking(int itemNo);
    std::unique_ptr<TCustomRNItemInfo> CreateTextItem(const RNTag& tag, int paraNo, int styleNo,
                                                      bool sameAsPrev, bool br);
    void InsString(std::string text, int itemNo, const RNTag& tag, int paraNo, int styleNo,
                   bool sameAsPrev, bool br, bool& fullReformat);
    void InsEmptyString(int itemNo, const RNTag& tag, int paraNo, int styleNo, bool br);
    // Places `item` at the caret; false (and `item` freed) when refused.
    bool InsSomething(std::unique_ptr<TCustomRNItemInfo>& item, std::string text, int& insertPoint,
                      int& itemsAdded, bool& fullReformat);
    bool InsertSomething(std::unique_ptr<TCustomRNItemInfo> item, std::string text);
    bool InsertString(const std::string& text, int styleNo);
    bool InsertFirstRNFItem(int& index, std::string text, std::unique_ptr<TCustomRNItemInfo> item,
                            bool editorCall, bool& fullReformat) override;
    // One typed character: the key's UTF-16 text (two units for a surrogate pair).
    void KeyPress(std::u16string_view key);
    void InsertPageBreak();
    // Text at the caret, inside the caller's undo group: U+2028, VT and NUL break the line,
    // U+2029, CR and LF start a paragraph (CR LF and LF CR are one), tabs become spaces.
    // `text` is UTF-16. The lines join the text around the caret where they can; the caller
    // tells the change.
    bool InsertTextW_(std::u16string_view text);
    // 8-bit text in the current style's code page; lines end with CR LF, CR or LF.
    bool InsertText_(std::string_view text);
    // A note or an RTF document at the caret, inside the caller's undo group. One that
    // fails part-way leaves the document as it was, beeps and answers false.
    bool InsertRNFFromStreamEd_(TStream& stream);
    bool InsertRTFFromStreamEd_(TStream& stream);
    // Text files at the caret: 8-bit in the current style's code page, in the OEM page 437,
    // or UTF-16 (a byte-order mark is skipped; a big-endian one swaps the bytes). An odd-sized
    // UTF-16 file changes nothing and answers false.
    bool InsertTextFromFile(const std::string& fileName);
    bool InsertOEMTextFromFile(const std::string& fileName);
    bool InsertTextFromFileW(const std::string& fileName);
    // The same with the bytes of a file already read.
    bool InsertTextFileBytes(std::string_view bytes, bool oem);
    bool InsertTextFileBytesW(std::string_view bytes);
    // The exports need the hypertext areas, which the editor keeps only while needed.
    bool SaveHTMLExport(TStream& stream, TRNHTMLExportOptions& exp) override;
    // Records `count` items a reader has already placed from `itemNo` on.
    void Do_InsertItems_1(int itemNo, int count);
    // After them: the rest of their last paragraph takes its style, and their checkpoints
    // are added as recorded changes.
    void Do_InsertItems_2(int itemNo, int count, bool& fullReformat);
    // The end of a text insertion: the items after `firstItem` up to `lastItem` are recorded,
    // the last joins the item after it and the first the item before it where they can, the
    // paragraphs are formatted and the caret goes to the end of the inserted text.
    void AfterAddingText(int firstItem, int lastItem, bool fullReformat, int firstDrawItem,
                         int lastDrawItem, int itemsAdded);
    // Joins the items firstItem..lastItem of a read document with each other and with their
    // neighbours where they can, and drops an empty first item that continues its line.
    // `caretOffset` (in `lastItem`) keeps pointing after the inserted content; every join
    // among them or with the item before them moves `lastItem` back, and every join or
    // deletion lowers `itemsAdded`.
    void ConcateAfterAdding(int& firstItem, int& lastItem, int& caretOffset, int& itemsAdded);

    // Deleting and Enter.
    bool CanDelete();
    bool DeleteSelection_();
    bool OnDeletePress_(bool ctrl, bool fromPrevLine);
    bool OnBackSpacePress_(bool ctrl);
    bool OnEnterPress_(bool shift);
    void Reformat_(bool fullFormat, bool forceFormat, bool onlyResized, int firstDrawItem,
                   int lastDrawItem, int itemsAdded);

    // Styles.
    void ApplyParaStyle(int paraNo);
    // Converts the selected text through the editor host's conversion `userData`; without a
    // selection only the current text style changes.
    void ApplyStyleConversion_(int userData);
    std::string ConvertText(const std::string& text, int oldStyle, int newStyle) const;
    // Makes `styleNo` the current text style and, unless that style keeps the caret from
    // switching to it, the one the next conversion starts from: what the style buttons show
    // is then what their next press acts on.
    void TakeTextStyle(int styleNo);
    // The style of the first character at or after (itemNo, offs) in the items up to
    // `lastItem`; -1 when they hold no text there.
    int TextStyleFrom(int itemNo, int offs, int lastItem) const;

    // Reformatting after edits.
    void Reformat(bool fullFormat, bool forceFormat, bool noScroll, int itemNo,
                  bool scroll) override;
    void BeginItemModify(int itemNo, int& width) override;
    void EndItemModify(int itemNo, int width) override;
    void ResizeControl(int itemNo, int width, int height, bool reformat);
    void DoResizeControl(int itemNo, int oldWidth, int oldHeight, int newWidth, int newHeight);
    void AdjustControlPlacement(int itemNo);
    // After formatting: controls whose size no longer fits their draw items (a widget that
    // sized itself when shown) get their paragraphs formatted again.
    void Formatted(int firstItemNo, int lastItemNo, bool partial) override;
    void Change() { ChangeEx(true); }
    void ChangeEx(bool clearRedo) override { EditHost.DoChange(clearRedo); }

    // The edit context of the items in this document.
    IRNEditContext* GetEditContext() override { return this; }
    IRNUndoTarget& UndoTarget() override { return *this; }
    void BeginItemUndoGroup() override;
    void EndItemUndoGroup() override;
    void ItemResized(int itemNo) override;
    bool BeforeChange() override { return EditHost.BeforeChange(true); }
    // The editor keeps hypertext areas only while something needs them. Their ids count from
    // 0, like a viewer's: the first jump number is added when a jump is reported.
    using TCustomRNFormattedData::BuildJumpsCoords;
    void BuildJumpsCoords() override;
    void ClearJumpsCoords() override;

    // The caret. Its stops are the places it can stand on its screen line; `dOffs` is the
    // draw-item offset less 2 (below 0: the start of the piece).
    int32_t CaretHeight = 0;
    int32_t FallbackTextStyleNo = 0;
    bool HasCaret() const {
        return CaretDrawItemNo >= 0 && CaretOffs >= 0 &&
               CaretOffs < static_cast<int>(CharEnds.size());
    }
    const TRNCharPos& CaretStop() const { return CharEnds[static_cast<size_t>(CaretOffs)]; }
    void GetCaretItem(int& itemNo, int& offs) const;
    int GetCurItemNo();
    int GetOffsetInCurItem();
    void OnChangeCaretLine(int dOffs);
    void ChangeCaret(bool forceCreate, bool scrollToCaret, bool dontChangeStyle,
                     bool refreshBefore);
    // The view scrolled: the caret keeps its place in the text and the style typing takes, and
    // is drawn where that place is now. A scroll in the middle of a layout (the scroll bars
    // set again) waits for the caret the layout puts back.
    void CaretAfterScroll();
    void SetCurTextStyleNo(int value);
    void SetCurParaStyleNo(int value);
    void PrepareForEdit();
    bool NotFormatted() const { return DrawItems.Count() == 0; }
    void Format_(bool onlyResized, bool forceFormat, bool noScroll, int depth, TCanvas& canvas,
                 bool onlyTail) override;
    // Puts the caret at an item position.
    void SetCaretAtItem(int itemNo, int offs);

    // Caret movement; Left, Right, Up and Down answer true when the caret could not move.
    void OnHomePress(bool ctrl);
    void OnEndPress(bool ctrl);
    bool OnLeftPress(bool shift, bool ctrl);
    bool OnRightPress(bool shift, bool ctrl);
    bool OnUpPress();
    bool OnDownPress();
    void OnPgUpPress();
    void OnPgDownPress();
    void StartShiftMoving();
    void EndShiftMoving();
    void DoOnSelection(bool moveCaret) override;
    void GetSelStart(int& drawItemNo, int& drawItemOffs) override;
    void GetSelectionBoundsEx(int& startItemNo, int& startItemOffs, int& endItemNo,
                              int& endItemOffs, bool normalize);
    void SelectCurrentWord();
    void SrchStart(bool down, int& itemNo, int& offs) override;
    TPoint GetIMEWinCoord() const;

    // What a replay of a group asks.
    TCustomRNData& UndoData() override { return *this; }
    int MinItemWidth(int itemNo) const override { return CalculateMinItemWidthPlus(itemNo); }
    int MinItemsWidth(int first, int last) const override {
        return CalculateMinItemsWidthPlus(first, last);
    }
    int RecordedDocMinWidth() const override { return DocMinWidth; }
    int CurrentDocMinWidth() const override { return CalculateMinDocWidthPlus(); }
    void UndoDeselect() override { Deselect(nullptr); }
    void UndoParaRange(int firstItem, int lastItem, int& firstDrawItem, int& lastDrawItem) override;
    void UndoFormatWhole() override { Format(); }
    void UndoFormatParas(int firstDrawItem, int lastDrawItem, int itemsAdded) override {
        FormatParas(firstDrawItem, lastDrawItem, itemsAdded);
    }
    bool UndoHasInplaceEditor() const override { return GetInplaceEditor() != nullptr; }
    void UndoSetCaret(int itemNo, int offs) override;
    void UndoInvalidate() override { Invalidate(); }
    void UndoFailed() override;

protected:
    TCustomRNItemInfo& TextItem(int itemNo) const;
    void MoveItemToUndo(int itemNo, TCustomRNItemInfo& item);
    void InsertSlot(int itemNo, std::string text, std::unique_ptr<TCustomRNItemInfo> item,
                    bool fromUndo);
    bool StyleIsUnicode(int styleNo) const;

private:
    // The selection in item terms and the draw items of its paragraphs.
    struct TRNSelRange {
        int FirstDrawItem = 0;
        int LastDrawItem = 0;
        int Start = 0;
        int StartOffs = 0;
        int End = 0;
        int EndOffs = 0;
    };
    TRNSelRange SelectionRange() const;
    void ConvertWholeItem(int itemNo, int newStyle, bool clearTag);
    bool TextRangeDeletable(int itemNo, int a, int b) const;
    // Gives the caret's paragraph the paragraph style `paraNo` (the current one when Delete
    // or Backspace was pressed), as part of the key's undo step.
    void ApplyCurParaToCaret(int paraNo);
    void CaretToFirstStopOf(int itemNo);
    // A refused command: a beep, and no empty group left behind.
    bool Refuse();
    // Runs a reader that places items at the caret; `read` answers success and how many
    // items after the first it placed.
    bool InsertReadAtCaret(const std::function<bool(int& index, int& nonFirstAdded)>& read);
    // Lays the whole note out again in the middle of an edit (`format`). The caret stands on
    // the first line meanwhile, and that line's text style is no choice of the user's: the text
    // style in use stays as it was, and where the edit then puts the caret decides it (text
    // there gives its own; after a picture, a table or another item that is no text, it stays).
    void FormatKeepingTextStyle(const std::function<void()>& format);
    // Lines of text in the current text style, already in its encoding; `BR` tells a line
    // that continues the paragraph before it on a new line.
    struct TRNTextLine {
        std::string Text;
        bool BR = false;
    };
    // The first line at the caret, the others as paragraphs (or lines) after it.
    bool InsertLines(const std::vector<TRNTextLine>& lines);
    // A line (UTF-16LE when `unicode`, else 8-bit in the current text style's code page) in
    // the current text style's encoding, its tabs replaced by spaces.
    TRNTextLine LineForStyle(std::string_view line, bool unicode, bool br) const;
    // Joins item `itemNo` to the one before it when they may join; answers the length of
    // the item in front, -1 when they stay apart.
    int JoinWithPrevious(int itemNo);
    // Joins the first inserted item to the one before it when they may join; the caret
    // offset grows when it was the only one left.
    bool JoinFirstAdded(int firstItem, int& lastItem, int& caretOffset, int& itemsAdded);
    void MoveCaretToLine(int drawItemNo, bool lastStop);
    // The caret to the draw item under a document point; false when there is none.
    bool CaretToPoint(int x, int y, bool scroll);
    bool MoveCaretLine(bool down);
    void ShowCaretAtStop(bool scroll);

    TRNUndoList undoList_;
    TRNUndoList redoList_{-1};
    // The control being resized by the editor, which placement leaves alone.
    IEmbeddedControl* resizingControl_ = nullptr;
    bool placingControl_ = false;
};
