#pragma once

// The scrolling window the viewer, the editor and the print preview derive from: a document
// extent and a scroll position driving the control's own scroll bars (so that the client
// size changes at once when a bar comes or goes), scrolling of the surface and of the child
// widgets, keys and the wheel turned into scrolling, and one in-place editor.
//
// Vertical positions count small steps of VSmallStep pixels, horizontal ones pixels.

#include "platform/widgets/Control.h"
#include "richtext/model/RNItem.h"
#include "richtext/view/RNInplaceEditor.h"

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

enum class TBorderStyle { bsNone, bsSingle };

struct TRNPaletteEntry {
    uint8_t Red = 0;
    uint8_t Green = 0;
    uint8_t Blue = 0;
    uint8_t Flags = 0;
};

class TRNScroller : public TCustomControl, public IRNInplaceEditor {
public:
    explicit TRNScroller(QWidget* parent = nullptr);
    ~TRNScroller() override;

    // Records the document extent (width in pixels, height in small steps) and sets the bars.
    void UpdateScrollBars(int xSize, int ySize, bool redraw, bool updateH);
    int VPos() const { return vPos_; }
    int HPos() const { return hPos_; }
    virtual void SetVPos(int p, bool redraw);
    virtual void SetHPos(int p);
    void SetVScrollPos(int p) { SetVPos(p, true); }
    void ScrollTo(int y) { SetVPos(y / VSmallStep, true); }
    void ScrollToNoRedraw(int y) { SetVPos(y / VSmallStep, false); }
    int GetVScrollMax() const;
    // Moves every child widget: its kept y (Tag) by dy, its window y to that y within the
    // window system's range, its x by dx.
    void ScrollChildren(int dx, int dy);

    bool VScrollVisible() const { return vScrollVisible_; }
    bool HScrollVisible() const { return hScrollVisible_; }
    void SetVScrollVisible(bool visible);
    void SetHScrollVisible(bool visible);
    TBorderStyle BorderStyle() const { return borderStyle_; }
    void SetBorderStyle(TBorderStyle style);
    TRNPaletteAction DoInPaletteMode() const { return doInPaletteMode_; }
    void SetDoInPaletteMode(TRNPaletteAction mode);
    // No palette exists on true-colour displays.
    uintptr_t GetPalette() const { return 0; }

    // The in-place editor (a cell editor over the document).
    TRNScroller* InplaceEditor() const { return inplaceEditor_; }
    void AssignInplace(TRNScroller* editor);
    void UnassignInplace(TRNScroller* editor);
    void DestroyInplace();

    // The 216 colours of the colour cube, blue changing slowest and red fastest.
    static std::vector<TRNPaletteEntry> GenerateLogPalette();
    virtual void UpdatePaletteInfo() {}

    int VSmallStep = 10;
    bool Tracking = true;
    // Scrolling repaints the whole window instead of moving its pixels.
    bool FullRedraw = false;
    // A vertical bar with nothing to scroll stays shown, disabled.
    bool KeepVScrollDisabled = false;
    bool KeyboardScroll = true;
    // Small steps per wheel notch; 0 leaves the wheel to the parent.
    int WheelStep = 2;
    std::function<void()> OnVScrolled;

protected:
    virtual int GetDefSmallStep() const { return 10; }
    virtual void AfterVScroll();
    virtual void AfterHScroll() {}
    void Dispatch(TMessage& message) override;
    void KeyDown(uint16_t& key, TShiftState shift) override;
    bool DoMouseWheel(TShiftState shift, int delta, TPoint position) override;
    void DoEnter() override;

    int vScrollMax_ = 0;
    int vScrollPage_ = 0;
    int vScrollDocHeight_ = 0;
    int hScrollMax_ = 0;
    int hScrollPage_ = 0;
    int hScrollDocWidth_ = 0;

private:
    void VScroll(uint32_t code, intptr_t position);
    void HScroll(uint32_t code, intptr_t position);
    int ClampV(int p) const;

    int vPos_ = 0;
    int hPos_ = 0;
    bool vScrollVisible_ = true;
    bool hScrollVisible_ = true;
    bool updatingBars_ = false;
    int wheelDelta_ = 0;
    TBorderStyle borderStyle_ = TBorderStyle::bsNone;
    TRNPaletteAction doInPaletteMode_ = TRNPaletteAction::rnpaCreateCopies;
    TRNScroller* inplaceEditor_ = nullptr;
};
