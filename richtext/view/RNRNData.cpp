// The viewer's root data: answers and events come from its control.

#include "richtext/model/RNStyle.h"
#include "richtext/view/CRNFData.h"
#include "richtext/view/RNWindow.h"

TRichNoteRNData::TRichNoteRNData(IRichNoteHost& richNote) : RichNote(richNote) {}

TRichNoteRNData::~TRichNoteRNData() {
    FreeContents();
}

namespace {

// A step of 0 or less comes from a control without a window yet; it counts as the default.
int SmallStep(const IRichNoteHost& host) {
    const int step = host.GetVSmallStep();
    return step > 0 ? step : 10;
}

} // namespace

TColor TRichNoteRNData::GetColor() const {
    const TColor color = RichNote.GetColor();
    if (color != clNone) {
        return color;
    }
    const TRNStyle* style = RichNote.GetStyle();
    return style ? style->Color : clWindow;
}

void TRichNoteRNData::ScrollTo(int y, bool redraw) {
    if (redraw) {
        RichNote.ScrollTo(y);
    } else {
        RichNote.ScrollToNoRedraw(y);
    }
}

void TRichNoteRNData::SetDocumentAreaSize(int width, int height, bool redraw) {
    RichNote.UpdateScrollBars(width, height / SmallStep(RichNote) + 1, true, redraw);
}

void TRichNoteRNData::AdjustVScrollUnits() {
    // The vertical range stays within 32000 steps.
    const int height = DocumentHeight;
    const int step = SmallStep(RichNote);
    if (height / step < 32001) {
        if (step > 10 && height / 10 < 32001) {
            RichNote.SetVSmallStep(10);
        }
        return;
    }
    int newStep = height / 32000;
    if (height / newStep > 32000) {
        ++newStep;
    }
    RichNote.SetVSmallStep(newStep);
}

// Events.

void TRichNoteRNData::DoJump(int jumpNo) {
    if (Events().OnJump) {
        Events().OnJump(RichNote, jumpNo);
    }
}

void TRichNoteRNData::DoRNMouseMove(int id) {
    if (Events().OnRNMouseMove) {
        Events().OnRNMouseMove(RichNote, id);
    }
}

void TRichNoteRNData::DoRNMouseDown(int button, uint32_t shift, int itemNo, int x, int y) {
    if (Events().OnRNMouseDown) {
        Events().OnRNMouseDown(RichNote, button, shift, itemNo, x, y);
    }
}

void TRichNoteRNData::DoRNMouseUp(int button, uint32_t shift, int itemNo, int x, int y) {
    if (IsAssignedRNMouseUp()) {
        Events().OnRNMouseUp(RichNote, button, shift, itemNo, x, y);
    }
}

void TRichNoteRNData::DoRNRightClick(const std::string& clickedWord, int styleNo, int x, int y) {
    if (Events().OnRNRightClick) {
        Events().OnRNRightClick(RichNote, clickedWord, styleNo, x, y);
    }
}

void TRichNoteRNData::DoRNDblClick(const std::string& clickedWord, int styleNo) {
    if (Events().OnRNDblClick) {
        Events().OnRNDblClick(RichNote, clickedWord, styleNo);
    }
}

void TRichNoteRNData::DoSelect() {
    if (Events().OnSelect && !RichNote.IsDestroying()) {
        Events().OnSelect(RichNote);
    }
}

void TRichNoteRNData::DoCheckpointVisible(TRNCPInfo* checkpoint) {
    if (Events().OnCheckpointVisible) {
        Events().OnCheckpointVisible(RichNote, checkpoint);
    }
}

void TRichNoteRNData::DoCopy() {
    if (Events().OnCopy) {
        Events().OnCopy(RichNote);
    }
}

void TRichNoteRNData::ControlAction2(TRNControlAction action, int itemNo,
                                     IEmbeddedControl& control) {
    if (Events().OnControlAction) {
        Events().OnControlAction(RichNote, action, itemNo, control);
    }
}

std::string TRichNoteRNData::GetURL(int id) {
    std::string url;
    if (Events().OnURLNeeded) {
        Events().OnURLNeeded(RichNote, id, url);
    }
    return url;
}

void TRichNoteRNData::HTMLSaveImage(TCustomRNData& rnData, int itemNo, const std::string& path,
                                    TColor backgroundColor, std::string& location,
                                    bool& doDefault) {
    location.clear();
    doDefault = true;
    if (Events().OnHTMLSaveImage) {
        Events().OnHTMLSaveImage(RichNote, rnData, itemNo, path, backgroundColor, location,
                                 doDefault);
    }
}

std::unique_ptr<TGraphic> TRichNoteRNData::RNFPictureNeeded(const std::string& name,
                                                            const RNTag& tag) {
    std::unique_ptr<TGraphic> graphic;
    if (Events().OnRNFPictureNeeded) {
        Events().OnRNFPictureNeeded(RichNote, name, tag, graphic);
    }
    return graphic;
}

std::unique_ptr<IEmbeddedControl> TRichNoteRNData::RNFControlNeeded(const std::string& name,
                                                                    const RNTag& tag) {
    std::unique_ptr<IEmbeddedControl> control;
    if (Events().OnRNFControlNeeded) {
        Events().OnRNFControlNeeded(RichNote, name, tag, control);
    }
    return control;
}

const TImageList* TRichNoteRNData::RNFImageListNeeded(int imageListTag) {
    const TImageList* imageList = nullptr;
    if (Events().OnRNFImageListNeeded) {
        Events().OnRNFImageListNeeded(RichNote, imageListTag, imageList);
    }
    return imageList;
}

std::string TRichNoteRNData::SaveComponentToFile(const std::string& path, IEmbeddedControl& control,
                                                 TRNSaveFormat format) {
    std::string text;
    if (Events().OnSaveComponentToFile) {
        Events().OnSaveComponentToFile(RichNote, path, control, format, text);
    }
    return text;
}

// What the root data asks of the window it is shown in, when it has one.

void TRichNoteRNData::SetCursor(TCursor cursor) {
    if (IRNWindow* window = RichNote.Window()) {
        window->ShowWindowCursor(cursor);
    }
}

TPoint TRichNoteRNData::ClientToScreen(TPoint p) const {
    IRNWindow* window = RichNote.Window();
    return window ? window->WindowToScreen(p) : p;
}

TPoint TRichNoteRNData::ScreenToClient(TPoint p) const {
    IRNWindow* window = RichNote.Window();
    return window ? window->ScreenToWindow(p) : p;
}

void TRichNoteRNData::FocusControl() {
    if (IRNWindow* window = RichNote.Window()) {
        window->FocusWindow();
    }
}

bool TRichNoteRNData::FocusNeighbour(bool backward) {
    IRNWindow* window = RichNote.Window();
    return window && window->FocusNextWindow(backward);
}
