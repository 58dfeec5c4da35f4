#pragma once

// The read-only rich-text control: a scrolling window that owns one document data object and
// one background, is bound to a style sheet, formats the document to its width and paints it.
// The document work is the data object's; the control holds the properties the data object
// asks for, passes the building, query and file operations on, and runs the auto-scroll timer
// of drag selection.

#include "platform/widgets/EmbeddedWidget.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNHTML.h"
#include "richtext/model/RNRTFProps.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNBack.h"
#include "richtext/view/RNScroll.h"
#include "richtext/view/RNWindow.h"

#include <memory>
#include <string>
#include <string_view>

class TStream;

class TRichNote;
class TRichNoteEdit;
using TRichNoteDataClass = std::unique_ptr<TRichNoteRNData> (*)(IRichNoteHost& owner);

// What a control laid over a viewer (a table's cell editor) knows of it, reached from the
// document through its window.
class IRNViewerControl {
public:
    virtual ~IRNViewerControl() = default;
    virtual TRichNote& Viewer() = 0;
    // The viewer as an editor control, when it is one.
    virtual TRichNoteEdit* Editor() { return nullptr; }
};

// The options, geometry and flags are the control's own properties (its settings value), set
// directly by whoever configures the control.
class TRichNote : public TRNScroller,
                  public IRichNoteHost,
                  public IRNWindow,
                  public IRNViewerControl,
                  public TRichNoteSettings {
public:
    explicit TRichNote(QWidget* parent = nullptr);
    ~TRichNote() override;

    // The data object, made on first use by the class GetDataClass names.
    TRichNoteRNData& RNData();
    virtual TRichNoteDataClass GetDataClass() const;
    TRNBackground& Background() { return *background_; }

    // Properties.
    TRNStyle* Style() const { return style_; }
    void SetStyle(TRNStyle* style);
    TRichNoteEvents Handlers;
    bool AllowSelection() const { return Options.Contains(TRNOption::rnoAllowSelection); }
    bool SingleClick() const { return Options.Contains(TRNOption::rnoSingleClick); }
    // Whether a mouse selection is offered as the primary selection.
    bool AutoCopies() const {
        return Options.Contains(TRNOption::rnoAutoCopyText) ||
               Options.Contains(TRNOption::rnoAutoCopyUnicodeText) ||
               Options.Contains(TRNOption::rnoAutoCopyRNF) ||
               Options.Contains(TRNOption::rnoAutoCopyImage) ||
               Options.Contains(TRNOption::rnoAutoCopyRTF);
    }
    TRNTabNavigationType TabNavigation() { return RNData().TabNavigation; }
    virtual void SetTabNavigation(TRNTabNavigationType value) { RNData().TabNavigation = value; }
    // The colour painted behind the document: Color, or the style sheet's when Color is
    // clNone, or the window colour without a style sheet.
    TColor GetEffectiveColor() { return RNData().GetColor(); }
    TColor GetHoverColor(TColor color) const;
    void SetBackgroundBitmap(const TBitmap& bitmap);
    TBackgroundStyle BackgroundStyle() const { return background_->Style; }
    void SetBackgroundStyle(TBackgroundStyle style);
    // Accepted only when the scroll range stays below 32001 steps.
    void SetVSmallStep(int step) override;

    // Formatting.
    void Format();
    void FormatTail();
    // Lays the document out again only when its layout is not that of its items at the present
    // width: items added since the last layout, or a new width.
    void FormatIfStale();
    virtual void ClearTemporal();

    // Building the document; each appends without formatting.
    void AddItem(std::string text, std::unique_ptr<TCustomRNItemInfo> item);
    void AddNL(std::string s, int styleNo, int paraNo);
    void AddNLTag(std::string s, int styleNo, int paraNo, const RNTag& tag);
    template <class... Args>
    void AddFmt(int styleNo, int paraNo, const char* format, Args... args) {
        RNData().AddFmt(styleNo, paraNo, format, args...);
    }
    void Add(std::string s, int styleNo) { AddNLTag(std::move(s), styleNo, -1, {}); }
    void AddTag(std::string s, int styleNo, const RNTag& tag) {
        AddNLTag(std::move(s), styleNo, -1, tag);
    }
    void AddFromNewLine(std::string s, int styleNo) { AddNLTag(std::move(s), styleNo, 0, {}); }
    void AddCenterLine(std::string s, int styleNo) { AddNLTag(std::move(s), styleNo, 1, {}); }
    void AddText(std::string_view s, int styleNo) { AddTextNL(s, styleNo, -1, 0); }
    void AddTextFromNewLine(std::string_view s, int styleNo) { AddTextNL(s, styleNo, 0, 0); }
    void AddTextNL(std::string_view s, int styleNo, int firstParaNo, int otherParaNo);
    void AddTextBlockNL(std::string_view s, int styleNo, int paraNo);
    void AddNLATag(std::string_view s, int styleNo, int paraNo, const RNTag& tag);
    void AddNLWTag(std::u16string_view s, int styleNo, int paraNo, const RNTag& tag);
    // `text` is UTF-16LE; an 8-bit style gets it in its code page.
    void AddTextNLW(std::string_view text, int styleNo, int firstParaNo, int otherParaNo,
                    bool asSingleParagraph);
    void AddBreak() { AddBreakTag({}); }
    void AddBreakTag(const RNTag& tag);
    void AddBreakEx(uint8_t width, TRNBreakStyle style, TColor color) {
        AddBreakExTag(width, style, color, {});
    }
    void AddBreakExTag(uint8_t width, TRNBreakStyle style, TColor color, const RNTag& tag);
    int AddCheckpoint() { return AddNamedCheckpointExTag("", false, {}); }
    int AddCheckpointTag(const RNTag& tag) { return AddNamedCheckpointExTag("", false, tag); }
    int AddNamedCheckpoint(const std::string& name) {
        return AddNamedCheckpointExTag(name, false, {});
    }
    int AddNamedCheckpointEx(const std::string& name, bool raiseEvent) {
        return AddNamedCheckpointExTag(name, raiseEvent, {});
    }
    int AddNamedCheckpointExTag(const std::string& name, bool raiseEvent, const RNTag& tag);
    void AddBullet(int imageIndex, const TImageList* imageList, bool fromNewLine) {
        AddBulletExTag("", imageIndex, imageList, fromNewLine ? 0 : -1, {});
    }
    void AddBulletEx(const std::string& name, int imageIndex, const TImageList* imageList,
                     int paraNo) {
        AddBulletExTag(name, imageIndex, imageList, paraNo, {});
    }
    void AddBulletExTag(const std::string& name, int imageIndex, const TImageList* imageList,
                        int paraNo, const RNTag& tag);
    void AddHotspot(int imageIndex, const TImageList* imageList, bool fromNewLine) {
        AddHotspotExTag("", imageIndex, imageIndex, imageList, fromNewLine ? 0 : -1, {});
    }
    void AddHotspotEx(const std::string& name, int imageIndex, int hotImageIndex,
                      const TImageList* imageList, int paraNo) {
        AddHotspotExTag(name, imageIndex, hotImageIndex, imageList, paraNo, {});
    }
    void AddHotspotExTag(const std::string& name, int imageIndex, int hotImageIndex,
                         const TImageList* imageList, int paraNo, const RNTag& tag);
    void AddPicture(std::unique_ptr<TGraphic> graphic) {
        AddPictureExTag("", std::move(graphic), 1, TRNVAlign::rnvaBaseline, {});
    }
    void AddPictureEx(const std::string& name, std::unique_ptr<TGraphic> graphic, int paraNo,
                      TRNVAlign vAlign) {
        AddPictureExTag(name, std::move(graphic), paraNo, vAlign, {});
    }
    void AddPictureExTag(const std::string& name, std::unique_ptr<TGraphic> graphic, int paraNo,
                         TRNVAlign vAlign, const RNTag& tag);
    void AddControl(std::unique_ptr<IEmbeddedControl> control, bool centered) {
        AddControlExTag("", std::move(control), centered ? 1 : 0, TRNVAlign::rnvaBaseline, {});
    }
    void AddControlEx(const std::string& name, std::unique_ptr<IEmbeddedControl> control,
                      int paraNo, TRNVAlign vAlign) {
        AddControlExTag(name, std::move(control), paraNo, vAlign, {});
    }
    void AddControlExTag(const std::string& name, std::unique_ptr<IEmbeddedControl> control,
                         int paraNo, TRNVAlign vAlign, const RNTag& tag);
    void AppendFrom(const TRichNote& source);
    void SetAddParagraphMode(bool allowNewPara);
    void DeleteSection(const std::string& cpName);
    void DeleteLines(int firstItemNo, int count);
    void Clear();

    // Queries.
    int GetLineCount() { return RNData().ItemCount(); }
    TCustomRNItemInfo& GetItem(int itemNo) { return RNData().GetItem(itemNo); }
    int GetItemNo(const TCustomRNItemInfo* item) { return RNData().GetItemNo(item); }
    int GetItemStyle(int itemNo) { return RNData().GetItemStyle(itemNo); }
    int GetItemPara(int itemNo) { return RNData().GetItemPara(itemNo); }
    bool IsFromNewLine(int itemNo) { return RNData().IsFromNewLine(itemNo); }
    bool IsParaStart(int itemNo) { return RNData().IsParaStart(itemNo); }
    const std::string& GetItemText(int itemNo) { return RNData().GetItemText(itemNo); }
    void SetItemText(int itemNo, std::string text);
    const RNTag& GetItemTag(int itemNo) { return RNData().GetItemTag(itemNo); }
    void SetItemTag(int itemNo, const RNTag& tag) { RNData().SetItemTag(itemNo, tag); }
    int GetOffsBeforeItem(int itemNo) { return RNData().GetOffsBeforeItem(itemNo); }
    int GetOffsAfterItem(int itemNo) { return RNData().GetOffsAfterItem(itemNo); }
    bool GetPageBreaksBeforeItems(int itemNo) { return RNData().GetPageBreaksBeforeItems(itemNo); }
    void SetPageBreaksBeforeItems(int itemNo, bool value);
    void GetTextInfo(int itemNo, std::string& text, RNTag& tag) {
        RNData().GetTextInfo(itemNo, text, tag);
    }
    void GetBreakInfo(int itemNo, uint8_t& width, TRNBreakStyle& style, TColor& color, RNTag& tag) {
        RNData().GetBreakInfo(itemNo, width, style, color, tag);
    }
    void GetBulletInfo(int itemNo, std::string& name, int& imageIndex, const TImageList*& imageList,
                       RNTag& tag) {
        RNData().GetBulletInfo(itemNo, name, imageIndex, imageList, tag);
    }
    void GetHotspotInfo(int itemNo, std::string& name, int& imageIndex, int& hotImageIndex,
                        const TImageList*& imageList, RNTag& tag) {
        RNData().GetHotspotInfo(itemNo, name, imageIndex, hotImageIndex, imageList, tag);
    }
    void GetPictureInfo(int itemNo, std::string& name, TGraphic*& graphic, TRNVAlign& vAlign,
                        RNTag& tag) {
        RNData().GetPictureInfo(itemNo, name, graphic, vAlign, tag);
    }
    void GetControlInfo(int itemNo, std::string& name, IEmbeddedControl*& control,
                        TRNVAlign& vAlign, RNTag& tag) {
        RNData().GetControlInfo(itemNo, name, control, vAlign, tag);
    }
    // The setters change the item only; the caller formats when its size changed.
    void SetBreakInfo(int itemNo, uint8_t width, TRNBreakStyle style, TColor color,
                      const RNTag& tag) {
        RNData().SetBreakInfo(itemNo, width, style, color, tag);
    }
    void SetBulletInfo(int itemNo, const std::string& name, int imageIndex, const RNTag& tag) {
        RNData().SetBulletInfo(itemNo, name, imageIndex, tag);
    }
    void SetHotspotInfo(int itemNo, const std::string& name, int imageIndex, int hotImageIndex,
                        const RNTag& tag) {
        RNData().SetHotspotInfo(itemNo, name, imageIndex, hotImageIndex, tag);
    }
    bool SetPictureInfo(int itemNo, const std::string& name, std::unique_ptr<TGraphic> graphic,
                        TRNVAlign vAlign, const RNTag& tag) {
        return RNData().SetPictureInfo(itemNo, name, std::move(graphic), vAlign, tag);
    }
    bool SetControlInfo(int itemNo, const std::string& name, TRNVAlign vAlign, const RNTag& tag) {
        return RNData().SetControlInfo(itemNo, name, vAlign, tag);
    }
    // Checkpoints.
    TRNCPInfo* GetFirstCheckpoint() { return RNData().GetFirstCheckpoint(); }
    TRNCPInfo* GetNextCheckpoint(const TRNCPInfo* cp) { return RNData().GetNextCheckpoint(cp); }
    TRNCPInfo* GetItemCheckpoint(int itemNo) { return RNData().GetItemCheckpoint(itemNo); }
    int GetCheckpointItemNo(const TRNCPInfo* cp) { return RNData().GetCheckpointItemNo(cp); }
    int GetCheckpointNo(const TRNCPInfo* cp) { return RNData().GetCheckpointNo(cp); }
    TRNCPInfo* GetCheckpointByNo(int no) { return RNData().GetCheckpointByNo(no); }
    TRNCPInfo* FindCheckpointByName(const std::string& name) {
        return RNData().FindCheckpointByName(name);
    }
    TRNCPInfo* FindCheckpointByTag(const RNTag& tag) { return RNData().FindCheckpointByTag(tag); }
    void GetCheckpointInfo(const TRNCPInfo* cp, RNTag& tag, std::string& name, bool& raiseEvent) {
        RNData().GetCheckpointInfo(cp, tag, name, raiseEvent);
    }
    void SetCheckpointInfo(int itemNo, const RNTag& tag, const std::string& name, bool raiseEvent) {
        RNData().SetCheckpointInfo(itemNo, tag, name, raiseEvent);
    }
    bool RemoveCheckpoint(int itemNo) { return RNData().RemoveCheckpoint(itemNo); }
    int FindControlItemNo(const IEmbeddedControl* control) {
        return RNData().FindControlItemNo(control);
    }
    // Where a checkpoint, a jump or an item lies in the formatted document (client
    // coordinates for GetItemClientCoords); GetCheckpointY takes the checkpoint's number.
    void GetCheckpointXY(TRNCPInfo* checkpoint, int& x, int& y) {
        RNData().GetCheckpointXY(checkpoint, x, y);
    }
    int GetCheckpointYEx(TRNCPInfo* checkpoint) { return RNData().GetCheckpointYEx(checkpoint); }
    int GetCheckpointY(int no) { return GetCheckpointYEx(GetCheckpointByNo(no)); }
    int GetJumpPointY(int id) { return RNData().GetJumpPointY(id); }
    int GetJumpPointItemNo(int id) { return RNData().GetJumpPointItemNo(id); }
    void GetJumpPointLocation(int id, TCustomRNFormattedData*& rnData, int& itemNo) {
        RNData().GetJumpPointLocation(id, rnData, itemNo);
    }
    bool GetItemCoords(int itemNo, int& left, int& top) {
        return RNData().GetItemCoords(itemNo, left, top);
    }
    bool GetItemClientCoords(int itemNo, int& left, int& top) {
        return RNData().GetItemClientCoords(itemNo, left, top);
    }
    // The document (possibly a table cell's) and the item in it that hold the focus; null and
    // -1 when none does.
    void GetFocusedItem(TCustomRNData*& rnData, int& itemNo) {
        rnData = RNData().TopLevelFocusedRNData;
        itemNo = rnData ? RNData().TopLevelFocusedItemNo : -1;
    }
    int GetDocumentHeight() { return RNData().DocumentHeight; }
    int GetFirstItemVisible() { return RNData().GetFirstItemVisible(); }
    int GetLastItemVisible() { return RNData().GetLastItemVisible(); }
    bool CompareTags(const RNTag& t1, const RNTag& t2) const;
    // Takes over every event handler of another viewer.
    virtual void AssignEvents(const TRichNote& source);

    // Selection.
    void SelectAll() { RNData().SelectAll(); }
    void Deselect() { RNData().Deselect(nullptr); }

    // Selection, search and copy (RichNoteInput.cpp).
    bool SelectionExists() { return RNData().SelectionExists(false, true); }
    void GetSelectionBounds(int& startItemNo, int& startItemOffs, int& endItemNo, int& endItemOffs,
                            bool normalize) {
        RNData().GetSelectionBounds(startItemNo, startItemOffs, endItemNo, endItemOffs, normalize);
    }
    void SetSelectionBounds(int startItemNo, int startItemOffs, int endItemNo, int endItemOffs) {
        RNData().SetSelectionBounds(startItemNo, startItemOffs, endItemNo, endItemOffs);
    }
    TRect GetSelectionRect() { return RNData().GetSelectionRect(); }
    void SelectWordAt(int x, int y) { RNData().SelectWordAt(x, y); }
    void GetWordAt(int x, int y, int& itemNo, std::string& word) {
        RNData().GetWordAt(x, y, itemNo, word);
    }
    std::string GetSelText() { return RNData().GetSelText(false); }
    // The selected text as UTF-16.
    std::u16string GetSelTextW();
    TGraphic* GetSelectedImage() { return RNData().GetSelectedImage(); }
    // `text` is 8-bit in the document's code page; SearchTextW takes UTF-16.
    bool SearchText(std::string_view text, TRNSearchOptions options);
    bool SearchTextW(std::u16string_view text, TRNSearchOptions options);
    void Copy();
    bool CopyDef();
    void CopyText() { RNData().CopyText(); }
    void CopyTextW() { RNData().CopyTextW(); }
    void CopyImage() { RNData().CopyImage(); }
    void CopyRNF();
    void CopyRTF();

    // Files and streams: the control passes its colour and background; loading a note may
    // change both.
    bool LoadRNF(const std::string& fileName);
    bool LoadRNFFromStream(TStream& stream);
    bool InsertRNFFromStream(TStream& stream, int index);
    bool AppendRNFFromStream(TStream& stream, int paraNo);
    bool SaveRNF(const std::string& fileName, bool selectionOnly);
    bool SaveRNFToStream(TStream& stream, bool selectionOnly);
    bool LoadText(const std::string& fileName, int styleNo, int paraNo, bool asSingleParagraph);
    bool LoadTextW(const std::string& fileName, int styleNo, int paraNo, bool asSingleParagraph);
    bool SaveText(const std::string& fileName, int lineWidth);
    bool SaveTextW(const std::string& fileName, int lineWidth);
    bool SaveTextToStream(const std::string& path, TStream& stream, int lineWidth,
                          bool selectionOnly, bool textOnly);
    bool SaveTextToStreamW(const std::string& path, TStream& stream, int lineWidth,
                           bool selectionOnly, bool textOnly);

    // RTF: a load answers true when the reader reported no error.
    bool LoadRTF(const std::string& fileName);
    bool LoadRTFFromStream(TStream& stream);
    bool SaveRTF(const std::string& fileName, bool selectionOnly);
    bool SaveRTFToStream(TStream& stream, bool selectionOnly);
    TRNRTFReaderProperties* GetRTFReadProperties() override;
    // Copies `properties` into the control's (made first when missing); null frees them.
    void SetRTFReadProperties(const TRNRTFReaderProperties* properties);
    virtual bool RTFReaderAssigned() const { return rtfReadProperties_ != nullptr; }

    // HTML: the images prefix and the options are remembered for the pictures written during
    // the export, whose counter starts at 0.
    bool SaveHTML(const std::string& fileName, const std::string& title,
                  const std::string& imagesPrefix, TRNSaveOptions options);
    bool SaveHTMLToStream(TStream& stream, const std::string& path, const std::string& title,
                          const std::string& imagesPrefix, TRNSaveOptions options);
    bool SaveHTMLEx(const std::string& fileName, const std::string& title,
                    const std::string& imagesPrefix, const std::string& extraStyles,
                    const std::string& externalCSS, const std::string& cpPrefix,
                    TRNSaveOptions options);
    bool SaveHTMLToStreamEx(TStream& stream, const std::string& path, const std::string& title,
                            const std::string& imagesPrefix, const std::string& extraStyles,
                            const std::string& externalCSS, const std::string& cpPrefix,
                            TRNSaveOptions options);
    // A picture written for an export in progress; its file name without the folder.
    virtual std::string SavePicture(TRNSaveFormat format, const std::string& path,
                                    const TGraphic& graphic);

    // Drag-selection auto-scroll: the step for a mouse coordinate and the client extent
    // along it (-10 beyond 20 pixels before the start, -1 nearer, 10 and 1 past the end).
    static int AutoScrollStep(int pos, int extent);
    int AutoScrollV() const { return autoScrollV_; }
    int AutoScrollH() const { return autoScrollH_; }
    void ActivateScrollTimer();
    void DeactivateScrollTimer();
    bool ScrollTimerActive() const { return scrollTimerActive_; }
    // The timer's id and period.
    static constexpr uint32_t ScrollTimerId = 1;
    static constexpr int ScrollTimerPeriod = 100;

    void UpdatePaletteInfo() override;

    // What the data object asks.
    TRichNoteSettings& Settings() override { return *this; }
    TRNStyle* GetStyle() const override { return style_; }
    TRNBackground* GetBackground() const override { return background_.get(); }
    int GetHPos() const override { return HPos(); }
    void SetHPos(int x) override { TRNScroller::SetHPos(x); }
    int GetVPos() const override { return VPos(); }
    int GetVSmallStep() const override { return VSmallStep; }
    int GetClientWidth() const override { return ClientWidth(); }
    int GetClientHeight() const override { return ClientHeight(); }
    TColor GetColor() const override { return Color(); }
    // The control's own cursor: what the document shows over a link is only for the moment.
    TCursor GetCursor() const override { return NormalCursor(); }
    TCanvas* GetCanvas() const override;
    IControlParent* AsControlParent() const override { return controlParent_.get(); }
    bool IsDestroying() const override { return destroying_; }
    TRNPaletteAction GetDoInPaletteMode() const override { return DoInPaletteMode(); }
    bool HandleAllocated() const override { return true; }
    void InvalidateClient(const TRect* r) override;
    void UpdateClient() override { Update(); }
    void ScrollTo(int y) override { TRNScroller::ScrollTo(y); }
    void ScrollToNoRedraw(int y) override { TRNScroller::ScrollToNoRedraw(y); }
    void UpdateScrollBars(int xSize, int ySteps, bool redraw, bool updateH) override {
        TRNScroller::UpdateScrollBars(xSize, ySteps, redraw, updateH);
    }
    // Every in-place editor is a scroller, so the interface converts straight back to it.
    IRNInplaceEditor* GetInplaceEditor() const override { return InplaceEditor(); }
    void AssignInplace(IRNInplaceEditor* editor) override {
        TRNScroller::AssignInplace(static_cast<TRNScroller*>(editor));
    }
    void UnassignInplace(IRNInplaceEditor* editor) override {
        TRNScroller::UnassignInplace(static_cast<TRNScroller*>(editor));
    }
    TCustomRNFormattedData* InplaceDocument() override { return &RNData(); }
    void ShowWindowCursor(TCursor cursor) override;
    TPoint WindowToScreen(TPoint p) const override;
    TPoint ScreenToWindow(TPoint p) const override;
    void FocusWindow() override;
    bool FocusNextWindow(bool backward) override;
    IRNWindow* Window() override { return this; }
    IRNViewerControl* ViewerControl() override { return this; }
    TRichNote& Viewer() override { return *this; }
    void DestroyInplace() override { TRNScroller::DestroyInplace(); }
    TRichNoteEvents& Events() const override { return const_cast<TRichNote*>(this)->Handlers; }

protected:
    // Makes the data object again by GetDataClass: a descendant with a data class of its own
    // calls it from its constructor, since the base constructor may already have made one.
    void RecreateData() { data_ = NewData(); }
    // The data object of GetDataClass; a descendant whose data needs more of it than the host
    // makes it here.
    virtual std::unique_ptr<TRichNoteRNData> CreateData() { return GetDataClass()(*this); }

    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void Dispatch(TMessage& message) override;
    void AfterVScroll() override;
    void AfterHScroll() override;
    // Input the document handles itself (RichNoteInput.cpp).
    void KeyDown(uint16_t& key, TShiftState shift) override;
    void DblClick() override;
    void MouseLeave() override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    bool focusNextPrevChild(bool next) override;
    // The application's focus went to `now`: when it is a control of the document, its item
    // becomes the focused one.
    void ChildFocused(QWidget* now);
    void DoOnBackBitmapChange();
    void StartHTMLExport(const std::string& imagesPrefix, TRNSaveOptions options, bool plain);

private:
    // Where the last double click was: the cursor may have moved on since.
    TPoint dblClickPos_{};
    // WM_COPY: the open in-place editor copies, else the automatic-copy formats go out.
    void CopyMessage();
    void TimerScroll();
    void InvalidateIfAsked();
    bool CanFormat() const { return VSmallStep != 0; }

    TRNStyle* style_ = nullptr;
    int styleFreeKey_ = 0;
    std::unique_ptr<TRNBackground> background_;
    std::unique_ptr<TWidgetControlParent> controlParent_;
    // The data of GetDataClass, copying to the system clipboard.
    std::unique_ptr<TRichNoteRNData> NewData();
    std::unique_ptr<TRichNoteRNData> data_;
    std::unique_ptr<TRNRTFReaderProperties> rtfReadProperties_;
    std::string imagesPrefix_;
    TRNSaveOptions saveOptions_;
    TColor currentFileColor_ = clNone;
    int imageSaveNo_ = 0;
    bool scrollTimerActive_ = false;
    int autoScrollV_ = 0;
    int autoScrollH_ = 0;
    bool destroying_ = false;
    QMetaObject::Connection focusWatch_;
};
