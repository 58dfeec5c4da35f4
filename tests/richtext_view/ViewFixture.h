#pragma once

// A viewer without a window: a host that keeps every answer in a field, the fixed-metrics
// canvas and a style sheet whose text measures in round numbers. Text style 0 (and 1) is
// 12 points: every character 8 px wide, ascent 16, descent 4, so a line is 20 px high.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/FakeCanvas.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNStyle.h"
#include "richtext/view/CRNFData.h"
#include "tests/support/TextTagsRun.h"

#include <memory>
#include <string>
#include <vector>

// The settings are the host's own fields, as they are a viewer's; a plain host starts without
// margins or links.
class FakeHost : public IRichNoteHost, public TRichNoteSettings {
public:
    FakeHost() {
        Flags = TRNFlags{TRNFlag::rnflTrim};
        LeftMargin = RightMargin = TopMargin = BottomMargin = 0;
        UseTextTagsIfAsked(*this);
    }
    TRNStyle* Style = nullptr;
    int HPos = 0, VPos = 0, VSmallStep = 10;
    int ClientWidth = 200, ClientHeight = 100;
    TColor Color = clNone;
    TCursor Cursor = 7;
    TCanvas* Canvas = nullptr;
    bool Destroying = false;
    bool HasWindow = true;
    std::vector<TRect> Invalidated;
    int Updates = 0;
    int ScrollBarUpdates = 0;
    int LastScrollY = -1;
    // Called with the area after each scroll-bar update: lets a test change the client size
    // as a scroll bar coming or going would.
    std::function<void(FakeHost&, int width, int ySteps)> OnScrollBars;
    mutable TRichNoteEvents Handlers;

    TRichNoteSettings& Settings() override { return *this; }
    TRNStyle* GetStyle() const override { return Style; }
    TRNBackground* GetBackground() const override { return nullptr; }
    int GetHPos() const override { return HPos; }
    void SetHPos(int x) override { HPos = x; }
    int GetVPos() const override { return VPos; }
    int GetVSmallStep() const override { return VSmallStep; }
    void SetVSmallStep(int step) override { VSmallStep = step; }
    int GetClientWidth() const override { return ClientWidth; }
    int GetClientHeight() const override { return ClientHeight; }
    TColor GetColor() const override { return Color; }
    TCursor GetCursor() const override { return Cursor; }
    TCanvas* GetCanvas() const override { return Canvas; }
    IControlParent* AsControlParent() const override { return nullptr; }
    bool IsDestroying() const override { return Destroying; }
    TRNPaletteAction GetDoInPaletteMode() const override { return TRNPaletteAction::rnpaDoNothing; }
    TRNRTFReaderProperties* GetRTFReadProperties() override { return nullptr; }
    bool HandleAllocated() const override { return HasWindow; }
    void InvalidateClient(const TRect* r) override {
        Invalidated.push_back(r ? *r : Rect(0, 0, ClientWidth, ClientHeight));
    }
    void UpdateClient() override { ++Updates; }
    void ScrollTo(int y) override { LastScrollY = y; }
    void ScrollToNoRedraw(int y) override { LastScrollY = y; }
    void UpdateScrollBars(int xSize, int ySteps, bool, bool) override {
        ++ScrollBarUpdates;
        if (OnScrollBars) {
            OnScrollBars(*this, xSize, ySteps);
        }
    }
    IRNInplaceEditor* GetInplaceEditor() const override { return nullptr; }
    void AssignInplace(IRNInplaceEditor*) override {}
    void UnassignInplace(IRNInplaceEditor*) override {}
    void DestroyInplace() override {}
    TRichNoteEvents& Events() const override { return Handlers; }
};

// The root data on the fake canvas; a test that changes an answer FakeHost keeps fixed
// gives its own host class.
template <class HostT = FakeHost> struct HostedViewer {
    TFakeCanvas Canvas;
    TRNStyle Style;
    HostT Host;
    std::unique_ptr<TRichNoteRNData> Data;

    explicit HostedViewer(int clientWidth = 200) {
        Style.TextStyles()[0].Size = 12;
        Style.TextStyles()[1].Size = 12;
        Host.Style = &Style;
        Host.Canvas = &Canvas;
        Host.ClientWidth = clientWidth;
        Data = std::make_unique<TRichNoteRNData>(Host);
    }
    TRichNoteRNData& D() { return *Data; }
    TParaInfo& Para(int no) { return Style.ParaStyles()[no]; }
    void Format() { Data->Format_(false, true, false, 0, Canvas, false); }
    void AddPicture(int size, int paraNo, TRNVAlign align) {
        Data->AddPictureEx("p", std::make_unique<TBitmap>(size, size), paraNo, align);
    }
    const TRNDrawLineInfo& DI(int i) const { return *Data->DrawItems[i]; }
};

using Viewer = HostedViewer<>;
