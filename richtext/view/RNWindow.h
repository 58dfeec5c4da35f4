#pragma once

// The window a root document is shown in, as the document's mouse and focus code needs it:
// the cursor over it, its screen position and the keyboard focus. The viewer control implements
// this; a document without a window (a test's, a printed one) goes without.

#include "platform/graphics/Types.h"
#include "richtext/model/RNStyleFontInfo.h"

// The viewer control behind a window, as the controls that lay an editor over it know it. Its
// definition belongs to the controls: the document only hands it on.
class IRNViewerControl;

class IRNWindow {
public:
    virtual ~IRNWindow() = default;
    // Shows `cursor` for the moment (a hand over a link).
    virtual void ShowWindowCursor(TCursor cursor) = 0;
    virtual TPoint WindowToScreen(TPoint p) const = 0;
    virtual TPoint ScreenToWindow(TPoint p) const = 0;
    // Takes the keyboard focus where the window can have it.
    virtual void FocusWindow() = 0;
    // Hands the focus to the next (or previous) control in the tab order; false: there is none.
    virtual bool FocusNextWindow(bool backward) = 0;
    virtual IRNViewerControl* ViewerControl() = 0;
};
