#pragma once

// A Windows metafile, enhanced (EMF) or not (WMF, placeable or not). The bytes are kept as
// read, shared by the picture's copies. The picture is drawn from an image of the size it is
// drawn at, prepared beside the window (PicturePreparation.h, PictureShowing.h): Windows
// metafiles played by our own player, enhanced ones converted and drawn in a process of their
// own. A printer gets a Windows metafile's drawing itself, played straight onto it, when the page
// can take it; a print gets an image prepared at the page's size otherwise, or, too costly there,
// at the size the screen shows. A picture not ready yet, or that cannot be drawn within its
// bounds, is shown as its frame.

#include "platform/graphics/Graphic.h"
#include "platform/graphics/MetafileRecords.h"

#include <memory>

class TPictureBytes;
struct TPictureKey;
enum class TStraightPlay;

class TMetafile : public TGraphic {
public:
    TMetafile();
    ~TMetafile() override;

    std::string ClassName() const override { return "TMetafile"; }
    bool Empty() const override { return bytes_ == nullptr; }
    // In screen pixels (96 per inch).
    int Width() const override;
    int Height() const override;
    // The picture scaled into `r`. One not ready, or that the players cannot draw, draws as a grey
    // frame.
    void Draw(TCanvas& canvas, const TRect& r) const override;
    // Refuses bytes that are no metafile, are cut short, hold records reaching past their end
    // or would need more than 64 MB of pixels at their own size.
    void LoadFromBytes(std::string_view bytes) override;
    std::string SaveToBytes() const override;
    std::unique_ptr<TGraphic> Clone() const override;

    bool Enhanced() const { return enhanced_; }
    // Whether the 22-byte placeable header leads a Windows metafile.
    bool Placeable() const { return layout_.Placeable; }
    // The size in hundredths of a millimetre.
    int MMWidth() const { return mmWidth_; }
    int MMHeight() const { return mmHeight_; }
    // Units per inch: a placeable metafile's own; 0 for the others until one is set.
    int Inch() const { return inch_; }
    // Sets the units per inch of a metafile that has no placeable header, which a Windows
    // metafile's size then follows; a placeable metafile keeps its own.
    void SetInch(int inch);
    // The bytes of the header that gave the size (22 for a placeable metafile, 18 for one
    // without, the header record's size for an enhanced one).
    int HeaderSize() const { return headerSize_; }
    // What the bytes say of themselves, with the frame a Windows metafile is drawn over (its
    // drawing's box where neither a placeable header nor window records give one).
    const TMetafileLayout& Layout() const { return layout_; }

private:
    // The size in hundredths of a millimetre that `layout` has at `inch` units per inch.
    static void SizeOf(const TMetafileLayout& layout, int inch, int& mmWidth, int& mmHeight);
    // The image of the picture `width` x `height` pixels large, as PreparedImage has it.
    QImage PreparedAt(int width, int height) const;
    // The same, prepared for a page on its own account: a picture too costly to prepare at a
    // page's size is not refused at the sizes the screen shows it at.
    QImage PreparedForPage(int width, int height) const;
    // A Windows metafile played straight onto a device.
    TStraightPlay PlayStraight(TCanvas& canvas, const TRect& r) const;
    // The picture over `r` of a page printed in a job, `width` x `height` pixels there.
    void DrawPrinted(TCanvas& canvas, const TRect& r, int width, int height) const;

    std::shared_ptr<const TPictureBytes> bytes_;
    TMetafileLayout layout_;
    bool enhanced_ = false;
    int mmWidth_ = 0;
    int mmHeight_ = 0;
    int inch_ = 0;
    int headerSize_ = 0;
};

// Gives `graphic`, when it is a metafile that came without units per inch, the default 1440,
// as metafiles read from documents and the clipboard are given.
void GiveMetafileDefaultInch(TGraphic& graphic);
