#pragma once

// The side bar: a stack of panels, each with a caption bar and either its items or one hosted
// control. In single-panel mode exactly one panel (TopPanel) is open and fills the space
// between the captions stacked above and below it; in multi-panel mode any panels are open,
// laid out one under the other and scrolled by a vertical scroll bar.
//
// Painting runs on any canvas (PaintTo), so that geometry and drawing can be checked on the
// fixed-metrics canvas. Opening an item's URL goes through the ShellOpen hook; the pointer is
// read through the Pointer hook.
//
// Main thread only.

#include "controls/ShelfBarCaption.h"
#include "controls/ShelfBarPanels.h"
#include "platform/widgets/Control.h"
#include "platform/widgets/ScrollBar.h"

#include <QImage>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class TImageList;
class TShelfBarDropTarget;
struct TShelfBarEditors;

enum class TShelfBarMode { imSinglePanelActive, imMultiPanelActive };

// The value button of a property row.
enum class TShelfEditButtonKind { ebDropDown, ebMore, ebSpin, ebNone };

// Where the pointer is (screen coordinates) and whether its left button is down.
struct TPointerState {
    TPoint ScreenPos;
    bool LeftDown = false;
};
TPointerState CurrentPointerState();

class TShelfBar : public TCustomControl {
public:
    static constexpr int ScrollBarWidth = 16;
    static constexpr int ArrowSize = 18;

    explicit TShelfBar(QWidget* parent = nullptr);
    ~TShelfBar() override;

    TShelfPanels& Panels() { return *panels_; }
    const TShelfPanels& Panels() const { return *panels_; }
    // Copies the panels.
    void SetShelfPanels(const TShelfPanels& value);
    int TopPanel() const { return topPanel_; }
    // Opens panel `index` alone; an index that is not a panel's is ignored. Raises no event.
    void SetTopPanel(int index);
    TShelfBarMode Mode() const { return mode_; }
    void SetMode(TShelfBarMode mode);
    TShelfCaption& PanelCaption() { return caption_; }
    void SetPanelCaption(const TShelfCaption& value) { caption_.Assign(value); }
    // Not owned; set to null before the list goes away.
    const TImageList* Images() const { return images_; }
    void SetImages(const TImageList* images);
    bool Flat() const { return flat_; }
    void SetFlat(bool value);
    // Files from the desktop become items of the open panel (AcceptFiles); with
    // OleDropTarget on, drops go to DropTarget() instead.
    bool AcceptFiles() const { return acceptFiles_; }
    void SetAcceptFiles(bool value);
    bool OleDropTarget() const { return oleDropTarget_; }
    void SetOleDropTarget(bool value);
    bool AutoAdvance() const { return autoAdvance_; }
    void SetAutoAdvance(bool value) { autoAdvance_ = value; }
    bool ShowFocus() const { return showFocus_; }
    void SetShowFocus(bool value) { showFocus_ = value; }
    TScrollBar& ScrollBar() { return *scrollBar_; }
    bool ScrollBarShown() const { return !scrollBar_->isHidden(); }

    // Geometry, in client coordinates.
    TRect GetCaptionRect(const TShelfPanel* panel) const;
    TRect GetItemRect(const TShelfPanel* panel, const TShelfItem* item) const;
    // The open panel's area in single-panel mode.
    TRect OpenAreaRect() const;
    // The width items are drawn in.
    int ShelfWidth() const;

    // Hit tests.
    TShelfPanel* GetCaption(int x, int y) const;
    TShelfPanel* GetPanel(int x, int y) const;
    TShelfItem* GetItem(int x, int y) const;
    bool GetPanelItemAtXY(int x, int y, TShelfPanel*& panel, TShelfItem*& item) const;
    bool IsPanelItemAtXY(int x, int y) const;
    bool GetPanelAtXY(int x, int y, TShelfPanel*& panel) const;

    // Recomputes the first and last open panel and the scroll bar, then places the hosted
    // controls.
    void ArrangeOpenClose();
    void ArrangeControls();
    int FirstOpenPanel() const { return firstOpen_; }
    int LastOpenPanel() const { return lastOpen_; }

    // A click on an item: OnItemClick and the URL for the left button, OnItemRightClick for
    // the right one.
    void ItemClicked(TMouseButton button, TShelfPanel* panel, TShelfItem* item);
    void PanelOpened(TShelfPanel* panel);
    void PanelClosed(TShelfPanel* panel);

    // In-place editing of property rows: one editor at a time, placed over the value.
    virtual void StartEdit(TShelfItem* item);
    virtual void StopEdit(TShelfItem* item);
    // Takes the editor's value into the edited item.
    void UpdateEdit();
    // Enter, Up or Down from an editor: commit, or move to the next or previous row.
    void NextEdit(TShelfItem* item, uint16_t key);
    virtual void GetValueList(TShelfItem* item, std::vector<std::string>& values);
    // The editors' events.
    void EditDblClick();
    void EditChanged();
    void ComboChanged();
    void EditBtnClick();
    bool IsEditing() const { return editing_; }
    TShelfItem* EditedItem() const { return editedItem_; }
    // 0 combo, 1 date-time picker, 2 edit button, 3 none, 4 colour combo.
    int EditorKind() const { return editorKind_; }
    // Made on first use; hidden between edits.
    TShelfBarEditors& Editors();
    // Ask for a colour or a font, starting from the value given; false when cancelled.
    std::function<bool(TShelfBar& owner, TColor& color)> ColorDialog;
    std::function<bool(TShelfBar& owner, TFont& font)> FontDialog;

    // Mouse, keys and hints (in client coordinates).
    void MouseDownSinglePanel(TMouseButton button, int x, int y);
    void MouseDownMultiPanel(TMouseButton button, int x, int y);
    // Alt and a key: opens the panel whose caption has "&" before that letter, or clicks such
    // an item of it; true when one was found.
    bool SearchShortcutCaption(uint16_t key);
    std::string GetHint(int x, int y);
    std::string GetHintSingle(int x, int y);
    std::string GetHintMulti(int x, int y);
    // The hint at a point, or the bar's own hint.
    std::string GetCursorHint(TPoint p);
    bool GetCursorSingle(int x, int y) const;
    bool GetCursorMulti(int x, int y) const;
    // For subclasses with buttons on their captions: true when they took the click, the
    // move or the hint.
    virtual bool MouseDownCaptionOptions(TShelfPanel*, int, int) { return false; }
    virtual bool MouseMoveCaptionOptions(TShelfPanel*, int, int) { return false; }
    virtual bool HintCaptionOptions(TShelfPanel*, int, int, std::string&) { return false; }
    // Files dropped from the desktop with AcceptFiles on (and the drop target off).
    void WMDropFiles(const std::vector<std::string>& files);
    // Null while OleDropTarget is off.
    TShelfBarDropTarget* DropTarget() const { return dropTarget_.get(); }

    // Repaints one item's row, while it is shown.
    virtual void InvalidateItem(TShelfPanel* panel, TShelfItem* item);
    // Repaints the whole bar.
    virtual void InvalidateBar() { Invalidate(); }

    bool IsMouseDown() const { return mouseDown_; }
    // Gives the bar the focus once the events waiting now are handled.
    void HidePopup();
    bool DoVisualStyles() const;
    static std::string GetVersionString() { return "1.01, January 2002"; }
    // The scroll bar moved.
    void Scroll();

    // Rebuilds the caption background for the current width and caption settings.
    void ShadeHeader();
    const QImage& ShadeBitmap() const { return shade_; }

    // Draws the whole bar on `canvas`.
    void PaintTo(TCanvas& canvas);
    void PaintSinglePanel(TCanvas& canvas);
    void PaintMultiPanel(TCanvas& canvas);
    virtual void DrawCaption(TCanvas& canvas, TShelfPanel& panel, TRect rect);
    // For subclasses: extra buttons on a caption, after its background, mark and image.
    virtual void DrawCaptionOptions(TShelfPanel& panel, TCanvas& canvas, const TRect& rect);
    virtual void DrawItem(TCanvas& canvas, TShelfPanel& panel, TShelfItem& item, const TRect& rect);
    void DrawButtonUp(TCanvas& canvas);
    void DrawButtonDown(TCanvas& canvas);
    bool ScrollUpShown() const { return scrollUp_; }
    bool ScrollDownShown() const { return scrollDown_; }

    // Called by the panels and items.
    void PanelDeleting(int index);
    void PanelsRemoved();
    void ItemDestroying(TShelfItem* item);
    void WatchControl(QWidget* control);

    using TPanelEvent = std::function<void(TShelfBar& sender, TShelfPanel* panel)>;
    using TItemEvent = std::function<void(TShelfBar& sender, TShelfPanel* panel, TShelfItem* item)>;
    TItemEvent OnItemClick;
    TItemEvent OnItemRightClick;
    std::function<void(TShelfBar& sender, const std::string& url, bool& defaultHandler)> OnURLClick;
    TPanelEvent OnPanelOpen;
    TPanelEvent OnPanelClose;
    std::function<void(TShelfBar& sender, TShelfItem& item, TCanvas& canvas, const TRect& rect,
                       bool& defaultDraw)>
        OnItemDraw;
    std::function<void(TShelfBar& sender, TShelfPanel& panel, TCanvas& canvas, const TRect& rect,
                       bool& defaultDraw)>
        OnPanelDraw;
    std::function<void(TShelfBar& sender, TShelfItem& item, TCanvas& canvas, const TRect& rect,
                       bool& defaultDraw)>
        OnCustomEditDraw;
    std::function<void(TShelfBar& sender, TShelfItem& item, TShelfEditButtonKind& button)>
        OnCustomEditButton;
    // Raised by in-place editing.
    TItemEvent OnEditStart;
    TItemEvent OnEditStop;
    TItemEvent OnEditUpdate;
    TItemEvent OnEditDblClick;
    TItemEvent OnEditBtnClick;
    std::function<void(TShelfBar& sender, TShelfItem* item, std::vector<std::string>& values)>
        OnGetValueList;
    // Raised for each file or URL dropped on the bar; clearing defaultHandler keeps it out.
    std::function<void(TShelfBar& sender, const std::string& fileName, bool& defaultHandler)>
        OnFileDrop;
    std::function<void(TShelfBar& sender, const std::string& url, bool& defaultHandler)> OnURLDrop;

    // Opens a URL with the desktop's handler ("open"); unset, nothing is opened.
    std::function<void(const std::string& url)> ShellOpen;
    std::function<TPointerState()> Pointer = CurrentPointerState;

protected:
    void Paint() override;
    void Resize() override;
    void MouseDown(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseUp(TMouseButton button, TShiftState shift, int x, int y) override;
    void MouseMove(TShiftState shift, int x, int y) override;
    void MouseLeave() override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    bool event(QEvent* e) override;
    // A double click is left to the owner's OnDblClick; it is not a second press.
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dragLeaveEvent(QDragLeaveEvent* e) override;
    void dropEvent(QDropEvent* e) override;

    // The hover state the mouse handling keeps.
    TShelfItem* hoverItem_ = nullptr;
    int hoverCaption_ = -1;
    bool mouseDown_ = false;
    // The in-place edit under way.
    bool editing_ = false;
    TShelfItem* editedItem_ = nullptr;

private:
    // The top of panel `index`'s caption in multi-panel mode.
    int MultiCaptionTop(int index) const;
    int CaptionHeight() const { return caption_.Height(); }
    // The pointer in client coordinates.
    TPoint PointerPos() const;
    bool PointerIn(const TRect& r) const { return PtInRect(r, PointerPos()); }
    void PlaceScrollBar();
    void FillArea(TCanvas& canvas, const TShelfPanel& panel, const TRect& area);
    void DrawMark(TCanvas& canvas, bool open, const TRect& box);
    void DrawIconItem(TCanvas& canvas, TShelfPanel& panel, TShelfItem& item, TRect r,
                      unsigned flags);
    void DrawButtonItem(TCanvas& canvas, TShelfPanel& panel, TShelfItem& item, TRect r);
    void DrawPropertyItem(TCanvas& canvas, TShelfPanel& panel, TShelfItem& item, TRect r,
                          unsigned flags);
    static void DrawHoverFrame(TCanvas& canvas, TRect box, bool pressed);

    std::unique_ptr<TShelfPanels> panels_;
    int topPanel_ = 0;
    TShelfCaption caption_;
    bool scrollUp_ = false;
    bool scrollDown_ = false;
    int lastOpen_ = -1;
    int firstOpen_ = -1;
    TShelfBarMode mode_ = TShelfBarMode::imSinglePanelActive;
    TScrollBar* scrollBar_;
    int lastWidth_ = -1;
    QImage shade_;
    bool flat_ = false;
    const TImageList* images_ = nullptr;
    bool autoAdvance_ = false;
    bool acceptFiles_ = false;
    bool showFocus_ = false;
    bool oleDropTarget_ = false;
    std::vector<QMetaObject::Connection> watches_;
    int editorKind_ = 3;
    std::unique_ptr<TShelfBarEditors> editors_;
    std::unique_ptr<TShelfBarDropTarget> dropTarget_;
    std::string lastHint_;
    // The bar's cursor while the pointer is over a caption with its own cursor.
    std::optional<TCursor> savedCursor_;
};

// Colour bands across `r`, from `from` to `to`, in `steps` bands (one for 0).
void DrawGradient(TCanvas& canvas, TColor from, TColor to, int steps, const TRect& r,
                  bool horizontal);

// Where the picture of an automatic icon comes from.
struct TAutoIconSource {
    enum class Kind { IconFile, Program, Shell };
    Kind Source = Kind::Shell;
    // The file to read or the name to look the desktop's icon up for.
    std::string Name;
    bool operator==(const TAutoIconSource&) const = default;
};
TAutoIconSource AutoIconSource(const std::string& url, bool large);
