#pragma once

// The look of a disabled tool button's picture. The style's own disabled look greys the
// colours and keeps most of the contrast, so a grey or dark picture looked the same enabled or
// disabled; a faded picture keeps a third of the contrast and no colour.

#include <QIcon>
#include <QImage>

// A picture's disabled look: grey, with a third of its contrast; transparency stays.
QImage Faded(const QImage& image);

// The icon's pictures, each with its faded picture for the disabled state, at the sizes the
// icon has and the sizes tool bars draw at. A null icon stays null.
QIcon WithFadedDisabled(const QIcon& icon);
