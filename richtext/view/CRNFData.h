#pragma once

// The formatted documents: an item list together with the draw items word wrap cut it into,
// the selection held in draw-item terms, the hypertext areas and the state bits that
// painting, the mouse and formatting share. The document that owns the items answers the
// questions of geometry, options and events: the viewer's root data from its control
// (through IRichNoteHost), a nested document (a table cell) from the document above it.

#include "platform/graphics/Canvas.h"
#include "platform/graphics/ClipboardWriter.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNClasses.h"
#include "richtext/model/RNStyleFontInfo.h"
#include "richtext/view/DLines.h"
#include "richtext/view/RichNoteHost.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TCustomRNFormattedData;
class IRNEditContext;
class TRNStyle;
class TParaInfo;
class TRichNoteRNData;
class TPrintableRNData;
struct TRNMarkArea;

enum class TRNStateItem : uint8_t {
    rnstClickedBeyondLine,
    rnstMakingSelection,
    rnstDrawHover,
    rnstSkipFormatting,
    rnstFormatParas,
    rnstIgnoreNextMouseDown,
    rnstChangingBkPalette,
    rnstCompletelySelected,
    rnstClearing,
    rnstResizing,
    rnstDoNotMoveChildren,
    rnstInplaceJustUnassigned,
    rnstIgnoreNextChar,
    rnstDoNotTab
};
using TRNState = TSet<TRNStateItem>;

// One hypertext area, in document coordinates.
struct TRNJumpInfo {
    TCustomRNFormattedData* RNData = nullptr;
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Width = 0;
    int32_t Height = 0;
    int32_t Id = 0;
    int32_t DrawItemNo = 0;
    TCursor Cursor = 0;
};

enum class TRNTabNavigationType : uint8_t { rntnNone, rntnTab, rntnCtrlTab };

// A figure drawn by inverting what is under it (a resize guide line): each call draws it when
// it is absent and erases it when it is present. The document holds at most one.
class IRNXorFigure {
public:
    virtual ~IRNXorFigure() = default;
    virtual void DrawXor(TCustomRNFormattedData& sender, uint32_t shift, int x, int y) = 0;
};

class TCustomRNFormattedData : public TCustomRNData {
public:
    TCustomRNFormattedData();
    ~TCustomRNFormattedData() override;

    // XOR drawing (a temporary figure such as a resize guide).
    bool XorDrawn = false;
    IRNXorFigure* XorFigure = nullptr;
    int LastXorX = 0;
    int LastXorY = 0;

    TCustomRNItemInfo* CaptureMouseItem = nullptr;
    int32_t ZoomPercent = 100;
    TRNList<TRNJumpInfo> Jumps;
    int32_t JumpCount = 0;
    int32_t LastFormattedItemNo = -1;
    // The whole layouts done so far: a full pass, or a pass at a new width; a resize that keeps
    // the width is not one. Tells a caller whether showing a document laid it out again.
    uint32_t WholeLayouts = 0;
    int32_t LastJumpMovedAbove = -1;
    int32_t HotDrawItemNo = -1;
    TCustomRNFormattedData* LastRNDataMovedAbove = nullptr;
    int32_t LastJumpDowned = -1;
    int32_t SelStartNo = -1;
    int32_t SelEndNo = -1;
    int32_t SelStartOffs = 0;
    int32_t SelEndOffs = 0;
    TCustomRNItemInfo* PartialSelectedItem = nullptr;
    // The item drawn in its active state.
    TCustomRNItemInfo* CurrentItem = nullptr;
    bool SkipNextFormat = false;
    int32_t DocumentHeight = 0;
    int32_t TextWidth = -1;
    int32_t FocusedItemNo = -1;
    TRNState State;
    TRNDrawLines DrawItems;
    // The widest unbreakable content at the last format (screen pixels), and the counter the
    // editor holds while it must not build or drop the hypertext areas.
    int32_t DocMinWidth = 0;
    int32_t JumpBookkeeping = 0;

    // Geometry, options and scrolling, answered by the owner of the document.
    virtual void GetSADForFormatting(TCanvas& canvas, TRNScreenAndDevice& sad);
    virtual void GetOrigin(int& x, int& y);
    virtual TRNFlags GetFlags() const = 0;
    virtual void SetFlags(TRNFlags flags) = 0;
    virtual int GetAreaWidth() const = 0;
    virtual int GetLeftMargin() const = 0;
    virtual int GetRightMargin() const = 0;
    virtual int GetTopMargin() const = 0;
    virtual int GetBottomMargin() const = 0;
    virtual int GetMinTextWidth() const = 0;
    virtual int GetMaxTextWidth() const = 0;
    virtual TRNBackground* GetBackground() const = 0;
    virtual void AdjustVScrollUnits() = 0;
    virtual void SetDocumentAreaSize(int width, int height, bool redraw) = 0;
    virtual int GetHOffs() const { return 0; }
    virtual int GetVOffs() const { return 0; }
    virtual int GetWidth() const = 0;
    virtual int GetHeight() const = 0;
    virtual TCanvas* GetCanvas() const { return nullptr; }
    virtual void ScrollTo(int y, bool redraw) = 0;
    virtual void HScrollTo(int x) = 0;
    virtual int GetVSmallStep() const = 0;
    virtual void ClearTemporal();
    virtual void Format_(bool onlyResized, bool forceFormat, bool noScroll, int depth,
                         TCanvas& canvas, bool onlyTail);
    virtual TColor GetColor() const = 0;

    // Notifications and events; the root raises the control's published events.
    virtual void Formatted(int /*firstItemNo*/, int /*lastItemNo*/, bool /*partial*/) {}
    virtual IRNInplaceEditor* GetInplaceEditor() const { return nullptr; }
    virtual void DestroyInplaceEditor() {}
    virtual void ShowRectangle(int left, int top, int width, int height);
    virtual void DoCopy() = 0;
    virtual bool IsAssignedCopy() const = 0;
    virtual bool IsAssignedRNMouseUp() const = 0;
    virtual bool IsAssignedRNMouseDown() const = 0;
    virtual bool IsAssignedRNRightClick() const { return false; }
    virtual bool IsAssignedJump() const = 0;
    virtual bool IsAssignedRNDblClick() const { return false; }
    virtual bool IsAssignedCheckpointVisible() const = 0;
    virtual void DoRNMouseUp(int button, uint32_t shift, int itemNo, int x, int y) = 0;
    virtual void DoRNMouseDown(int button, uint32_t shift, int itemNo, int x, int y) = 0;
    virtual void DoRNRightClick(const std::string& /*clickedWord*/, int /*styleNo*/, int /*x*/,
                                int /*y*/) {}
    void DoJump(int jumpNo) override = 0;
    virtual void DoRNMouseMove(int id) = 0;
    virtual void DoRNDblClick(const std::string& /*clickedWord*/, int /*styleNo*/) {}
    virtual void DoSelect() {}
    virtual void DoCheckpointVisible(TRNCPInfo* checkpoint) = 0;
    virtual TCursor GetNormalCursor() const = 0;
    virtual TCPEventKind GetCPEventKind() const { return TCPEventKind::cpeNone; }
    virtual void DoOnSelection(bool /*moveCaret*/) {}
    virtual void Deselect(TCustomRNItemInfo* newPartiallySelected);

    // Zoom never scales here.
    void ZoomInt(int& /*x*/) const {}
    void ApplyZoom(TCanvas& /*canvas*/) const {}
    void RestoreZoom(TCanvas& /*canvas*/) const {}
    void ZoomRectDown(TRect& /*r*/) const {}
    int GetZHOffs() const { return GetHOffs(); }
    int GetZVOffs() const { return GetVOffs(); }

    // Clearing.
    void Clear() override;
    void ClearJumps();
    void ClearLastJump();
    void InternalFreeItem(std::unique_ptr<TCustomRNItemInfo> item) override;
    // A nested document or an item that goes away (freed, or moved to the undo list) is
    // dropped from every reference the root keeps.
    void ForgetData(const TCustomRNFormattedData* data);
    void ForgetItem(const TCustomRNItemInfo* item);
    TCustomRNFormattedData* GetFormattedRoot() { return Formatted(GetRootData()); }
    // How an item in this document records its edits: none unless the document is an
    // editor's.
    virtual IRNEditContext* GetEditContext() { return nullptr; }
    // The edit context of any document, none for one that is not formatted.
    static IRNEditContext* EditContextOf(TCustomRNData* data) {
        TCustomRNFormattedData* formatted = Formatted(data);
        return formatted ? formatted->GetEditContext() : nullptr;
    }
    bool IsFormattedData() const final { return true; }
    // The document as the root data of a control (a viewer, an editor, a print component),
    // null for a nested one.
    virtual TRichNoteRNData* AsRichNoteData() { return nullptr; }
    // The document as a printed page, null for any other.
    virtual TPrintableRNData* AsPrintableData() { return nullptr; }
    // The document as a formatted one, null when it is none.
    static TCustomRNFormattedData* Formatted(TCustomRNData* data) {
        return data && data->IsFormattedData() ? static_cast<TCustomRNFormattedData*>(data)
                                               : nullptr;
    }

    // Selection bounds, in draw-item terms (Get) and item terms (Store, Restore).
    void SelectAll();
    void GetSelBounds(int& startNo, int& endNo, int& startOffs, int& endOffs, bool normalize) const;
    // Whether the selection was drawn backwards: its start lies after its end.
    bool SelectedBackward() const {
        return SelStartNo > SelEndNo || (SelStartNo == SelEndNo && SelStartOffs > SelEndOffs);
    }
    void StoreSelBounds(int& startItemNo, int& endItemNo, int& startItemOffs, int& endItemOffs,
                        bool normalize) const;
    void RestoreSelBounds(int startItemNo, int endItemNo, int startItemOffs, int endItemOffs);
    void DeselectPartiallySelectedItem();

    // Items and draw items.
    void DrawItem2Item(int drawItemNo, int drawItemOffs, int& itemNo, int& itemOffs) const;
    void Item2DrawItem(int itemNo, int itemOffs, int& drawItemNo, int& drawItemOffs) const;
    void Item2FirstDrawItem(int itemNo, int& drawItemNo) const;
    int FindDrawItemByItem(int itemNo) const;
    // The first draw item of `item`, an item of this data known by reference; its record is
    // brought up to date on the way. -1 when it has none.
    int FirstDrawItemOf(TCustomRNItemInfo& item);
    int GetOffsBeforeDrawItem(int drawItemNo) const;
    int GetOffsAfterDrawItem(int drawItemNo) const;
    void GetScreenLineBounds(int drawItemNo, int& first, int& last) const;

    // Positions in document pixels.
    int GetDrawItemNo(int y, int kind) const;
    int GetFirstVisible(int y) const { return GetDrawItemNo(y, 1); }
    int GetFirstItemVisible() const;
    int GetLastItemVisible() const;
    int FindDrawItemAtPos(int x, int y) const;
    // With `strict`, a point outside the line's rectangle finds nothing (-1).
    void FindDrawItemForSel(int x, int y, int& drawItemNo, int& drawItemOffs, bool strict = false);

    void AdjustJumpsCoords();
    void AdjustChildrenCoords();

    // Painting: the part of the document under `clipRect` (window coordinates) onto `canvas`,
    // whose (0, 0) stands for the top-left corner of `clipRect`. The caller fills the
    // background first.
    void PaintTo(TCanvas& canvas, const TRect& clipRect);
    // Repaint requests to the control that shows the document (through the root document).
    void Invalidate();
    void Refresh();
    void InvalidateRect(const TRect& r);
    void InvalidateJumpRect(int id);
    // The XOR figure. ClearXorDrawing answers whether it erased one.
    void AssignXorDrawing(IRNXorFigure* figure);
    void UnAssignXorDrawing(IRNXorFigure* figure);
    bool UsingThisXorDrawing(const IRNXorFigure* figure) const { return figure == XorFigure; }
    void XorDrawing();
    void XorDrawingEx(int x, int y);
    bool ClearXorDrawing();
    // Palettes do not exist on true-colour displays: the hooks only keep their state.
    void UpdateBackgroundPaletteInfo(TRNBackground* background);
    bool UpdatingBackgroundPalette() const {
        return State.Contains(TRNStateItem::rnstChangingBkPalette);
    }
    virtual TRNPaletteAction GetDoInPaletteMode() const { return TRNPaletteAction::rnpaDoNothing; }

    // What the repaint requests reach: a nested document asks its root, the root its control.
    virtual bool ControlHasWindow() const;
    virtual bool ControlDestroying() const;
    // Null: the whole control.
    virtual void InvalidateControl(const TRect* r);
    virtual void UpdateControl();

    // Word wrap.
    void Format();
    void StartFormatting() { State.Include(TRNStateItem::rnstSkipFormatting); }
    void EndFormatting() { State.Exclude(TRNStateItem::rnstSkipFormatting); }
    int CalculateMinItemWidthPlus(int itemNo) const;
    int CalculateMinItemsWidthPlus(int first, int last) const;
    int CalculateMinDocWidthPlus() const;

    // The pass state shared by the line routines (device pixels).
    struct TFormatState {
        TRNScreenAndDevice Sad;
        TCanvas* Canvas = nullptr;
        int X = 0;
        int Y = 0;
        int LineDescent = 0;
        int LineAscent = 0;
        int LineTop = 0;
        int LineLeft = 0;
        int LineMaxWidth = 0;
        int LineFirst = 0; // the current line's first draw item
        int Index = 0;     // where the next draw item goes
        bool NewPara = true;
        bool NoLineToFinish = true;
        int LastTextStyle = -1;
        int VShift = 0;
        TTextMetric Metrics;
        int H(int v) const;
        int V(int v) const;
    };
    void FormatLine(TFormatState& s, std::string_view text, int offs, int len, int itemNo);
    // One item of a pass, as the alignment of its paragraph asks.
    void FormatItem(TFormatState& s, int itemNo);
    void FormatWords(TFormatState& s, int itemNo);
    void FinishScreenLine(const TRNScreenAndDevice& sad, int rightEdge, int drawItemCount,
                          bool& noLineToFinish, int& extraSpace, bool lastLineOfPara);

    // What the text pieces of one draw item are painted with.
    struct TPaintPass {
        TCanvas* Canvas = nullptr;
        TRNStyle* Style = nullptr;
        int DX = 0;
        int DY = 0;
        int LastStyleNo = -1;
    };

    // Partial reformat and scrolling.
    // The draw items to rewrap around an edit of first..last: their paragraphs and one more
    // on either side.
    void GetParaBounds(int drawItemNo1, int drawItemNo2, int& paraStart, int& paraEnd) const;
    // Rewraps the paragraphs of the draw items first..last; `itemsInserted` items were added
    // (removed when negative) among them, and the draw items below still carry the old
    // item numbers.
    void FormatParas(int startDrawItemNo, int endDrawItemNo, int itemsInserted);
    void FormatParasExact(int startDrawItemNo, int endDrawItemNo, int itemsInserted);
    // Marks for painting the document rows top..bottom that a rewrap changed, clipped to
    // the view (INT_MAX for bottom: down to the view's bottom).
    void InvalidateReformatted(int top, int bottom);
    bool GetItemCoords(int itemNo, int& left, int& top) const;
    bool GetItemClientCoords(int itemNo, int& left, int& top) const;
    // Raises the checkpoint-visible event the control asks for, after a vertical scroll.
    void AfterVScroll();
    // What the checkpoint-visible event reported last; forgotten with its checkpoint.
    TRNCPInfo* LastReportedCheckpoint = nullptr;
    bool RemoveCheckpoint(int itemNo);

    // Selection, word look-up and search. An empty range of the document's own gives way to
    // a selection inside the partially selected item (cells of a table), as no range does.
    virtual bool SelectionExists(bool allowReset, bool usePartial);
    // The selection lies inside the partially selected item, not in the document's own range.
    bool SelectionInsideItem() const;
    virtual void GetSelStart(int& drawItemNo, int& drawItemOffs);
    void GetSelectionBounds(int& startItemNo, int& startItemOffs, int& endItemNo, int& endItemOffs,
                            bool normalize) const;
    void GetSelectionBoundsEx(int& startItemNo, int& startItemOffs, int& endItemNo,
                              int& endItemOffs, bool normalize) const {
        GetSelectionBounds(startItemNo, startItemOffs, endItemNo, endItemOffs, normalize);
    }
    // Moves the selection; repaints nothing and scrolls nowhere.
    void SetSelectionBounds(int startItemNo, int startItemOffs, int endItemNo, int endItemOffs);
    void SetPartialSelectedItem(TCustomRNItemInfo* item);
    // The selection (and the focus) would name items that are gone.
    void DeleteItems(int firstItemNo, int count) override;
    bool FindWordAt(std::string& word, int x, int y, int& styleNo, int& itemNo, int& offs);
    void GetWordAt(int x, int y, int& itemNo, std::string& word);
    void SelectWordAt(int x, int y);
    // The selection as text: raw UTF-16LE with `unicode`, else 8-bit.
    std::string GetSelText(bool unicode);
    TGraphic* GetSelectedImage();
    TRect GetClientSelectionRect();
    TRect GetSelectionRect();
    // `text` is 8-bit in the document's code page; SearchTextW takes UTF-16. A Unicode item
    // is compared in UTF-16, an 8-bit one in its bytes.
    bool SearchText(bool down, bool matchCase, std::string_view text);
    bool SearchTextW(bool down, bool matchCase, std::u16string text);
    virtual void SrchStart(bool down, int& itemNo, int& offs);
    virtual void SrchSelectIt(int itemNo, int offs, int length);
    void RNFGetLimits(bool selectionOnly, int& startItem, int& endItem, int& startOffs,
                      int& endOffs) override;

    // The mouse (window coordinates), hot items and hypertext areas.
    void MouseMove(uint32_t shift, int x, int y);
    void MouseDown(int button, uint32_t shift, int x, int y);
    virtual void MouseUp(int button, uint32_t shift, int x, int y);
    // The point comes with the event: the cursor may have moved on since.
    void DblClick(int x, int y);
    void MouseLeave();
    void SearchHotItem(int x, int y);
    void SetMouseCapture(TCustomRNItemInfo* item, int& left, int& top);
    void ReleaseMouseCapture(TCustomRNItemInfo* item);
    void BuildJumpsCoords(int& startJumpNo, TRNList<TRNJumpInfo>* list);
    void GetCheckpointXY(TRNCPInfo* checkpoint, int& x, int& y);
    int GetCheckpointYEx(TRNCPInfo* checkpoint);
    int GetJumpPointY(int id);
    int GetJumpPointItemNo(int id);
    void GetJumpPointLocation(int id, TCustomRNFormattedData*& rnData, int& itemNo);
    virtual void SetCursor(TCursor cursor);
    virtual TPoint ClientToScreen(TPoint p) const { return p; }
    virtual TPoint ScreenToClient(TPoint p) const { return p; }
    virtual void FocusControl() {}

    // Focus among the items that take it.
    int GetNextFocusedItem(int itemNo, bool goForward, TCustomRNData*& topLevelRNData,
                           int& topLevelItemNo);
    virtual void AdjustFocus(int newFocusedItemNo, TCustomRNData* topLevelRNData,
                             int topLevelItemNo);
    void ClearFocus();

    // Clipboard copy: every format of one copy goes out together.
    void Copy(TColor color, IRNBackground* background);
    bool CopyDef(TColor color, IRNBackground* background);
    void CopyText();
    void CopyTextW();
    void CopyImage();
    void CopyRNF(TColor color, IRNBackground* background);
    void CopyRTF(TColor color, IRNBackground* background);
    virtual IClipboardWriter* GetClipboard() const { return nullptr; }
    void CopyText_(IClipboardWriter& clipboard);
    void CopyTextW_(IClipboardWriter& clipboard);
    void CopyImage_(IClipboardWriter& clipboard);
    void CopyRNF_(IClipboardWriter& clipboard, TColor color, IRNBackground* background);
    void CopyRTF_(IClipboardWriter& clipboard, TColor color, IRNBackground* background);

protected:
    // The owner's part of the destruction: items (and the documents they hold) are freed
    // while this object still answers as a formatted document; borrowed items are only let go.
    void FreeContents();
    // Nothing that clearing would drop: no item of its own or borrowed list, no checkpoint, no
    // draw item, no hypertext area, and nothing the mouse or the hover state names. Each destructor
    // down the chain clears, and a table frees thousands of cells: all but the first find nothing
    // to do.
    bool HoldsNothing() const;
    // No selection, no focused item and no checkpoint reported as visible.
    bool SelectsNothing() const;

private:
    // Set while a deselection is one step of a larger selection change that raises its own
    // notice.
    bool holdSelectNotice_ = false;
    // An empty document with this one's options and style sheet, to write a copy from.
    std::unique_ptr<TRNPlainRootData> EmptyCopyDocument() const;
    // Such a document holding what is selected inside the partially selected item, as an
    // item of its own; null when the selection is not inside an item.
    std::unique_ptr<TRNPlainRootData> SelectedInsideItem();
    const TParaInfo& ParaOf(int itemNo) const;
    bool IsParaStartDrawItem(int drawItemNo) const;
    int SpacingBefore(const TFormatState& s, int itemNo) const;
    void ReportCheckpoint(TRNCPInfo* checkpoint);
    bool JumpHover(int x, int y);
    bool HotItemMove(uint32_t shift, int x, int y);
    void LimitToView(int& x, int& y) const;
    void CollapseSelection(int drawItemNo, int offs);
    void SelectFoundWord(int itemNo, int offs, const std::string& word);
    struct TSearchKey;
    bool SearchPart(int itemNo, int from, bool down, const TSearchKey& key, std::string& buffer,
                    int& found) const;
    void FormatText(TFormatState& s, std::string_view text, int offs, int len, int itemNo);
    void FormatInline(TFormatState& s, int itemNo);
    void FormatFullLine(TFormatState& s, int itemNo);
    // Ends the current line and sets up the next one: its left edge, width and spacing.
    void StartLine(TFormatState& s, int itemNo, bool paraStart, int& extra);
    void RaiseLine(TFormatState& s, int ascent);
    std::unique_ptr<TRNDrawLineInfo> NewDrawItem(TFormatState& s, TCustomRNItemInfo& item);
    void PlaceDrawItem(TFormatState& s, std::unique_ptr<TRNDrawLineInfo> d, bool recordFirst);
    int SearchLineByTop(int y) const;
    TCustomRNFormattedData* RepaintTarget();
    const TCustomRNFormattedData* RepaintTarget() const;
    int PaintParaBacks(TPaintPass& pass, int first, int last, const TRect& docRect);
    void PaintTextDrawItem(TPaintPass& pass, int d, int startNo, int endNo, int startOffs,
                           int endOffs);
    void PaintTextPiece(TPaintPass& pass, int d, const std::string& text, int left, int width,
                        int firstChar, bool selected, bool startsAtStart, bool endsAtEnd,
                        bool hover, int spaceBefore);
    void PaintNonTextDrawItem(TPaintPass& pass, int d, int startNo, int endNo, int startOffs,
                              int endOffs, const TRect& canvasRect);
    bool IsHoverJump(const TCustomRNItemInfo& item) const;
    TRNMarkArea MarkArea() const;
};

// Focus among the controls of a document.
class TRNControlData : public TCustomRNFormattedData {
public:
    TRNTabNavigationType TabNavigation = TRNTabNavigationType::rntnTab;

    // Paints the clip rectangle of the control's canvas through one off-screen bitmap of its
    // size: the background, then the document, then a copy onto the canvas.
    void PaintBuffered();

    // The focus path: the (possibly nested) document holding the focused item, and the item.
    int32_t TopLevelFocusedItemNo = -1;
    TCustomRNData* TopLevelFocusedRNData = nullptr;
    // Where copies go (the viewer gives the system clipboard); null: nowhere.
    IClipboardWriter* Clipboard = nullptr;

    IClipboardWriter* GetClipboard() const override;
    void AdjustFocus(int newFocusedItemNo, TCustomRNData* topLevelRNData,
                     int topLevelItemNo) override;
    void Deselect(TCustomRNItemInfo* newPartiallySelected) override;
    void MouseUp(int button, uint32_t shift, int x, int y) override;
    // Where the focus came from: nowhere known, the control itself, another window of the
    // same form, or an embedded control.
    struct TFocusOrigin {
        bool Given = false;
        bool Self = false;
        IEmbeddedControl* Control = nullptr;
    };
    // Moves the focus to the next item that takes it, or out of the control.
    void DoTabNavigation(bool backward, const TFocusOrigin& origin);
    // A control of the document took the focus (a click, say): the item that holds it, in a
    // table cell too, becomes the focused item. False when no item holds it.
    bool ControlFocused(IEmbeddedControl* control);
    // Runs the focused item (a hotspot fires its jump).
    void ExecuteFocused();
    // Inverts a dotted rectangle around the focused item: a second call erases it.
    void DrawFocusedRect(TCanvas& canvas);
    // The control's side: focusing itself, and handing the focus to the next window of its
    // form in tab order (false when none can take it).
    virtual void FocusSelf() {}
    virtual bool FocusNeighbour(bool /*backward*/) { return false; }
    // Forgets the focus path when it runs through `data` (null: whatever it is).
    void ForgetFocus(const TCustomRNData* data);
};

// The root data of a viewer control: every question is answered by the control.
class TRichNoteRNData : public TRNControlData {
public:
    explicit TRichNoteRNData(IRichNoteHost& richNote);
    ~TRichNoteRNData() override;

    IRichNoteHost& RichNote;

    TRNOptions GetOptions() const override { return Settings().Options; }
    void SetOptions(TRNOptions options) override { Settings().Options = options; }
    TRNFOptions GetRNFOptions() const override { return Settings().RNFOptions; }
    void SetRNFOptions(TRNFOptions options) override { Settings().RNFOptions = options; }
    TRNRTFOptions GetRTFOptions() const override { return Settings().RTFOptions; }
    void SetRTFOptions(TRNRTFOptions options) override { Settings().RTFOptions = options; }
    TRNFWarnings GetRNFWarnings() const override { return Settings().RNFWarnings; }
    void SetRNFWarnings(TRNFWarnings warnings) override { Settings().RNFWarnings = warnings; }
    TRNFReaderStyleMode GetRNFTextStylesReadMode() const override {
        return Settings().RNFTextStylesReadMode;
    }
    TRNFReaderStyleMode GetRNFParaStylesReadMode() const override {
        return Settings().RNFParaStylesReadMode;
    }
    TRNStyle* GetRNStyle() const override { return RichNote.GetStyle(); }
    std::string GetDelimiters() const override { return Settings().Delimiters; }
    IControlParent* GetParentControl() const override { return RichNote.AsControlParent(); }
    TRichNoteRNData* AsRichNoteData() override { return this; }
    int GetFirstJumpNo() const override { return Settings().FirstJumpNo; }

    TRNFlags GetFlags() const override { return Settings().Flags; }
    void SetFlags(TRNFlags flags) override { Settings().Flags = flags; }
    // The document is laid out across the client area.
    int GetAreaWidth() const override { return RichNote.GetClientWidth(); }
    int GetLeftMargin() const override { return Settings().LeftMargin; }
    int GetRightMargin() const override { return Settings().RightMargin; }
    int GetTopMargin() const override { return Settings().TopMargin; }
    int GetBottomMargin() const override { return Settings().BottomMargin; }
    int GetMinTextWidth() const override { return Settings().MinTextWidth; }
    int GetMaxTextWidth() const override { return Settings().MaxTextWidth; }
    TRNBackground* GetBackground() const override { return RichNote.GetBackground(); }
    int GetHOffs() const override { return RichNote.GetHPos(); }
    int GetVOffs() const override { return RichNote.GetVPos() * RichNote.GetVSmallStep(); }
    int GetWidth() const override { return RichNote.GetClientWidth(); }
    int GetHeight() const override { return RichNote.GetClientHeight(); }
    int GetVSmallStep() const override { return RichNote.GetVSmallStep(); }
    TCanvas* GetCanvas() const override { return RichNote.GetCanvas(); }
    TColor GetColor() const override;
    TCursor GetNormalCursor() const override { return RichNote.GetCursor(); }
    TCPEventKind GetCPEventKind() const override { return Settings().CPEventKind; }
    IRNInplaceEditor* GetInplaceEditor() const override { return RichNote.GetInplaceEditor(); }
    TRNPaletteAction GetDoInPaletteMode() const override { return RichNote.GetDoInPaletteMode(); }
    TRNRTFReaderProperties* GetRTFProperties() override { return RichNote.GetRTFReadProperties(); }
    bool ControlHasWindow() const override { return RichNote.HandleAllocated(); }
    bool ControlDestroying() const override { return RichNote.IsDestroying(); }
    void InvalidateControl(const TRect* r) override { RichNote.InvalidateClient(r); }
    void UpdateControl() override { RichNote.UpdateClient(); }

    void ScrollTo(int y, bool redraw) override;
    void HScrollTo(int x) override { RichNote.SetHPos(x); }
    void SetDocumentAreaSize(int width, int height, bool redraw) override;
    void AdjustVScrollUnits() override;
    void AssignInplace(IRNInplaceEditor* editor) { RichNote.AssignInplace(editor); }
    void UnassignInplace(IRNInplaceEditor* editor) { RichNote.UnassignInplace(editor); }
    void DestroyInplaceEditor() override { RichNote.DestroyInplace(); }

    // Events of the control.
    void DoJump(int jumpNo) override;
    void DoRNMouseMove(int id) override;
    void DoRNMouseDown(int button, uint32_t shift, int itemNo, int x, int y) override;
    void DoRNMouseUp(int button, uint32_t shift, int itemNo, int x, int y) override;
    void DoRNRightClick(const std::string& clickedWord, int styleNo, int x, int y) override;
    void DoRNDblClick(const std::string& clickedWord, int styleNo) override;
    void DoSelect() override;
    void DoCheckpointVisible(TRNCPInfo* checkpoint) override;
    void DoCopy() override;
    // The viewer's window: cursor, focus, screen positions and neighbours in tab order.
    void SetCursor(TCursor cursor) override;
    TPoint ClientToScreen(TPoint p) const override;
    TPoint ScreenToClient(TPoint p) const override;
    void FocusControl() override;
    void FocusSelf() override { FocusControl(); }
    bool FocusNeighbour(bool backward) override;
    bool IsAssignedCopy() const override { return bool(Events().OnCopy); }
    bool IsAssignedRNMouseUp() const override { return bool(Events().OnRNMouseUp); }
    bool IsAssignedRNMouseDown() const override { return bool(Events().OnRNMouseDown); }
    bool IsAssignedRNRightClick() const override { return bool(Events().OnRNRightClick); }
    bool IsAssignedJump() const override { return bool(Events().OnJump); }
    bool IsAssignedRNDblClick() const override { return bool(Events().OnRNDblClick); }
    bool IsAssignedCheckpointVisible() const override { return bool(Events().OnCheckpointVisible); }
    void ControlAction2(TRNControlAction action, int itemNo, IEmbeddedControl& control) override;
    std::string GetURL(int id) override;
    void HTMLSaveImage(TCustomRNData& rnData, int itemNo, const std::string& path,
                       TColor backgroundColor, std::string& location, bool& doDefault) override;
    std::unique_ptr<TGraphic> RNFPictureNeeded(const std::string& name, const RNTag& tag) override;
    std::unique_ptr<IEmbeddedControl> RNFControlNeeded(const std::string& name,
                                                       const RNTag& tag) override;
    const TImageList* RNFImageListNeeded(int imageListTag) override;
    std::string SaveComponentToFile(const std::string& path, IEmbeddedControl& control,
                                    TRNSaveFormat format) override;

private:
    TRichNoteEvents& Events() const { return RichNote.Events(); }
    TRichNoteSettings& Settings() const { return RichNote.Settings(); }
};
