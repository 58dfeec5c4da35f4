#pragma once

// The works that make a metafile's image beside the window (PicturePreparation.h). A Windows
// metafile is played by our own player on a worker thread, into an image of the size asked: its
// time is counted in the thread's CPU time, so that a busy machine makes it slower but does not
// change whether it is drawn; a play nobody wants any more stops where it is. An
// enhanced metafile is converted and drawn in the converting process (MetafileConversion.h), its
// conversion kept by content for the picture's other sizes.

#include "platform/graphics/MetafileRecords.h"
#include "platform/graphics/PicturePreparation.h"

#include <memory>

class QPainter;
class QRectF;

// The work that draws the Windows metafile `bytes` (which gave `layout`) `width` x `height`
// pixels large.
TPreparationWork WmfPreparation(std::shared_ptr<const TPictureBytes> bytes,
                                const TMetafileLayout& layout, int width, int height);

// The work that draws the enhanced metafile `bytes` (which gave `layout`; `ownWidth` x
// `ownHeight` screen pixels at its own size) `width` x `height` pixels large.
TPreparationWork EmfPreparation(std::shared_ptr<const TPictureBytes> bytes,
                                const TMetafileLayout& layout, int ownWidth, int ownHeight,
                                int width, int height);
