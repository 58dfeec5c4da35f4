#pragma once

// A Windows metafile, enhanced (EMF) or placeable (WMF). This program cannot play metafiles
// back: it keeps the bytes, reads the size from the header, and draws a frame where the
// picture goes.

#include "platform/graphics/Graphic.h"

class TMetafile : public TGraphic {
public:
    std::string ClassName() const override { return "TMetafile"; }
    bool Empty() const override { return bytes_.empty(); }
    // In screen pixels (96 per inch).
    int Width() const override;
    int Height() const override;
    void Draw(TCanvas& canvas, const TRect& r) const override;
    void LoadFromBytes(std::string_view bytes) override;
    std::string SaveToBytes() const override { return bytes_; }
    std::unique_ptr<TGraphic> Clone() const override;

    bool Enhanced() const { return enhanced_; }
    // The size in hundredths of a millimetre.
    int MMWidth() const { return mmWidth_; }
    int MMHeight() const { return mmHeight_; }
    // Units per inch of a placeable metafile's frame (0 for an enhanced one).
    int Inch() const { return inch_; }
    // The bytes of the header that gave the size (22 for a placeable metafile, the header
    // record's size for an enhanced one).
    int HeaderSize() const { return headerSize_; }

private:
    std::string bytes_;
    bool enhanced_ = false;
    int mmWidth_ = 0;
    int mmHeight_ = 0;
    int inch_ = 0;
    int headerSize_ = 0;
};
