#pragma once

// Part of an image as an image of its own, read where its pixels lie: a part of a large image
// drawn or shrunk costs no copy of it.

#include <QImage>
#include <QRect>

// The pixels of `part` (within `image`) of `image`: read in place for images of 32 bits a pixel,
// valid only while `image` lives unchanged; copied for the others.
QImage ImagePart(const QImage& image, const QRect& part);
