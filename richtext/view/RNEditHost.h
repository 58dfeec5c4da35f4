#pragma once

// What the editor data asks of the editor control beyond the viewer's host: its editing
// options, the change and current-style events, style conversion and the caret. The editor
// control implements it; tests stand a plain object in its place.

#include "platform/base/Set.h"

#include <cstdint>

enum class TRNEditorOption : uint8_t {
    rnoClearTagOnStyleApp,
    rnoCtrlJumps,
    rnoDoNotWantReturns,
    rnoWantTabs,
    rnoAutoSwitchLang
};
using TRNEditorOptions = TSet<TRNEditorOption>;

class IRNEditHost {
public:
    virtual ~IRNEditHost() = default;
    virtual TRNEditorOptions GetEditorOptions() const = 0;
    // The document changed; `clearRedo` empties the redo list (an edit, not an undo).
    virtual void DoChange(bool clearRedo) = 0;
    virtual void CurTextStyleChanged() = 0;
    virtual void CurParaStyleChanged() = 0;
    // The style a text of style `styleNo` gets from the conversion `userData`.
    virtual int ConvertStyle(int styleNo, int userData, bool appliedToText) = 0;
    // The caret, in client pixels; Hide takes it off the surface.
    virtual void SetCaret(int x, int y, int width, int height) = 0;
    virtual void HideCaret() = 0;
    // Whether the document may change now; `fromOutside`: the change does not come from the
    // user's typing in the control.
    virtual bool BeforeChange(bool /*fromOutside*/) { return true; }
};
