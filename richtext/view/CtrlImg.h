#pragma once

// Plain, state-free pictures of the controls inside a note, for printing them: a control
// cannot be asked to paint on a printer page.

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/EmbeddedControl.h"

#include <memory>

// A new bitmap of the control's size with its picture, chosen by its kind: a button, an edit
// box, a memo, a panel (with its children), any other windowed control by its own painting.
// A control without a window leaves the bitmap as it was made.
std::unique_ptr<TBitmap> DrawControl(const IEmbeddedControl& control);
std::unique_ptr<TBitmap> DrawButton(const IEmbeddedControl& button);
std::unique_ptr<TBitmap> DrawEdit(const IEmbeddedControl& edit);
std::unique_ptr<TBitmap> DrawMemo(const IEmbeddedControl& memo);
std::unique_ptr<TBitmap> DrawPanel(const IEmbeddedControl& panel);
