#pragma once

// The table of cursors behind the framework's cursor numbers (the screen's cursor list):
// built-in shapes, plus cursors a program registers under its own numbers (the hypertext hand
// is 101).

#include "platform/base/CursorNumbers.h"

#include <QCursor>

// The Qt cursor for a number: a registered one, a built-in shape, or the arrow.
QCursor CursorFor(TCursor cursor);
// Registers (or replaces) the cursor shown for `cursor`.
void RegisterCursor(TCursor cursor, const QCursor& shape);
