#pragma once

// What the root data of a viewer asks of its control. The viewer control implements this;
// the formatting layer needs no window, so tests stand a plain object in its place.

#include "platform/graphics/Color.h"
#include "platform/graphics/EmbeddedControl.h"
#include "platform/graphics/Graphic.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNOptions.h"
#include "richtext/model/RNStyleFontInfo.h"
#include "richtext/model/RichNoteSettings.h"
#include "richtext/view/RNInplaceEditor.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

class IRNWindow;
class TCanvas;
class TImageList;
class TRNBackground;
class TRNStyle;
class TRNRTFReaderProperties;

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

    // The options, geometry and flags, read and changed in place.
    virtual TRichNoteSettings& Settings() = 0;
    // The style sheet the control is bound to; null once it is freed.
    virtual TRNStyle* GetStyle() const = 0;

    virtual TRNBackground* GetBackground() const = 0;
    // The scroll position and the client size, in screen pixels.
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

    // The window the document is shown in; none for a host without one (a print component,
    // a test's plain host).
    virtual IRNWindow* Window() { return nullptr; }
};
