#pragma once

// What the root data of a viewer asks of its control. The viewer control implements this;
// the formatting layer needs no window, so tests stand a plain object in its place.

#include "platform/graphics/Color.h"
#include "platform/graphics/EmbeddedControl.h"
#include "platform/graphics/Graphic.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNOptions.h"
#include "richtext/model/RNStyleFontInfo.h"
#include "richtext/view/RNInplaceEditor.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class TCanvas;
class TImageList;
class TRNBackground;
class TRNStyle;
class TRNRTFReaderProperties;

enum class TRNFlag : uint8_t {
    rnflUseJumps,             // formatting builds the hypertext areas
    rnflTrim,                 // the space at a line break is not drawn
    rnflShareContents,        // the items belong to another document
    rnflUseExternalLeading,   // a line's ascent includes the font's external leading
    rnflMouseXYAlwaysCorrect, // mouse positions need no correction
    rnflAllowCustomDrawItems  // items may make draw items of their own class
};
using TRNFlags = TSet<TRNFlag>;

enum class TCPEventKind : uint8_t { cpeNone, cpeAsSectionStart, cpeWhenVisible };

class IRichNoteHost;

// The control's published events; Sender is the control.
struct TRichNoteEvents {
    std::function<void(IRichNoteHost& sender, int id)> OnJump;
    std::function<void(IRichNoteHost& sender, int id)> OnRNMouseMove;
    std::function<void(IRichNoteHost& sender, int button, uint32_t shift, int itemNo, int x, int y)>
        OnRNMouseDown;
    std::function<void(IRichNoteHost& sender, int button, uint32_t shift, int itemNo, int x, int y)>
        OnRNMouseUp;
    std::function<void(IRichNoteHost& sender, const std::string& clickedWord, int styleNo, int x,
                       int y)>
        OnRNRightClick;
    std::function<void(IRichNoteHost& sender, const std::string& clickedWord, int styleNo)>
        OnRNDblClick;
    std::function<void(IRichNoteHost& sender)> OnSelect;
    std::function<void(IRichNoteHost& sender, TRNCPInfo* checkpoint)> OnCheckpointVisible;
    std::function<void(IRichNoteHost& sender)> OnCopy;
    std::function<void(IRichNoteHost& sender, TRNControlAction action, int itemNo,
                       IEmbeddedControl& control)>
        OnControlAction;
    std::function<void(IRichNoteHost& sender, int id, std::string& url)> OnURLNeeded;
    std::function<void(IRichNoteHost& sender, const std::string& name, const RNTag& tag,
                       std::unique_ptr<TGraphic>& graphic)>
        OnRNFPictureNeeded;
    std::function<void(IRichNoteHost& sender, const std::string& name, const RNTag& tag,
                       std::unique_ptr<IEmbeddedControl>& control)>
        OnRNFControlNeeded;
    std::function<void(IRichNoteHost& sender, int imageListTag, const TImageList*& imageList)>
        OnRNFImageListNeeded;
    std::function<void(IRichNoteHost& sender, const std::string& path, IEmbeddedControl& control,
                       TRNSaveFormat format, std::string& text)>
        OnSaveComponentToFile;
    std::function<void(IRichNoteHost& sender, TCustomRNData& rnData, int itemNo,
                       const std::string& path, TColor backgroundColor, std::string& location,
                       bool& doDefault)>
        OnHTMLSaveImage;
};

class IRichNoteHost {
public:
    virtual ~IRichNoteHost() = default;

    virtual TRNOptions GetOptions() const = 0;
    virtual void SetOptions(TRNOptions options) = 0;
    virtual TRNFOptions GetRNFOptions() const = 0;
    virtual void SetRNFOptions(TRNFOptions options) = 0;
    virtual TRNRTFOptions GetRTFOptions() const = 0;
    virtual void SetRTFOptions(TRNRTFOptions options) = 0;
    virtual TRNFWarnings GetRNFWarnings() const = 0;
    virtual void SetRNFWarnings(TRNFWarnings warnings) = 0;
    virtual TRNFReaderStyleMode GetRNFTextStylesReadMode() const = 0;
    virtual TRNFReaderStyleMode GetRNFParaStylesReadMode() const = 0;
    virtual TRNStyle* GetStyle() const = 0;
    virtual TRNFlags GetFlags() const = 0;
    virtual void SetFlags(TRNFlags flags) = 0;
    virtual int GetFirstJumpNo() const = 0;

    // Geometry, in screen pixels.
    virtual int GetAreaWidth() const = 0;
    virtual int GetLeftMargin() const = 0;
    virtual int GetRightMargin() const = 0;
    virtual int GetTopMargin() const = 0;
    virtual int GetBottomMargin() const = 0;
    virtual int GetMinTextWidth() const = 0;
    virtual int GetMaxTextWidth() const = 0;
    virtual TRNBackground* GetBackground() const = 0;
    virtual int GetHPos() const = 0;
    virtual void SetHPos(int x) = 0;
    // The vertical position counts small steps.
    virtual int GetVPos() const = 0;
    virtual int GetVSmallStep() const = 0;
    virtual void SetVSmallStep(int step) = 0;
    // The client size changes at once when a scroll bar comes or goes.
    virtual int GetClientWidth() const = 0;
    virtual int GetClientHeight() const = 0;
    // clNone: the style sheet's colour.
    virtual TColor GetColor() const = 0;
    virtual TCursor GetCursor() const = 0;
    virtual std::string GetDelimiters() const = 0;
    virtual TCPEventKind GetCPEventKind() const = 0;
    virtual TCanvas* GetCanvas() const = 0;
    virtual IControlParent* AsControlParent() const = 0;
    // While the control is being destroyed it raises no selection event.
    virtual bool IsDestroying() const = 0;
    virtual TRNPaletteAction GetDoInPaletteMode() const = 0;
    // The RTF import settings, made on first use.
    virtual TRNRTFReaderProperties* GetRTFReadProperties() = 0;

    // Repainting: whether the control has a window yet, a part of its client area (null: all
    // of it) marked for painting, and what is marked painted now.
    virtual bool HandleAllocated() const = 0;
    virtual void InvalidateClient(const TRect* r) = 0;
    virtual void UpdateClient() = 0;

    // Scrolling: a document y, with and without repainting; the extents are the area width
    // in pixels and the height in small steps.
    virtual void ScrollTo(int y) = 0;
    virtual void ScrollToNoRedraw(int y) = 0;
    virtual void UpdateScrollBars(int xSize, int ySteps, bool redraw, bool updateH) = 0;

    // The in-place editor open over the document (a table cell), if any.
    virtual IRNInplaceEditor* GetInplaceEditor() const = 0;
    virtual void AssignInplace(IRNInplaceEditor* editor) = 0;
    virtual void UnassignInplace(IRNInplaceEditor* editor) = 0;
    virtual void DestroyInplace() = 0;

    virtual TRichNoteEvents& Events() const = 0;
};
