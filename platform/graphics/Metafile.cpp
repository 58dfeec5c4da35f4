#include "platform/graphics/Metafile.h"

#include "platform/base/CheckedSize.h"
#include "platform/base/Rounding.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/MetafilePreparation.h"
#include "platform/graphics/PictureShowing.h"
#include "platform/graphics/ScreenMetrics.h"
#include "platform/graphics/StraightPlay.h"
#include "platform/graphics/WmfPlayer.h"

#include <QImage>

#include <cstdlib>

namespace {

int PixelsOf(int hundredthsMM) {
    return MulDiv(hundredthsMM, 96, 2540);
}

bool ScreenLike(const TCanvas& canvas) {
    auto screenLike = [](int ppi) { return ppi == 96 || ppi == ScreenPixelsPerInch(); };
    return screenLike(canvas.PixelsPerInchX()) && screenLike(canvas.PixelsPerInchY());
}

// A size whose pixels any picture may take: `width` x `height`, or as near as keeps its shape.
void FitPixelBound(int& width, int& height) {
    FitImageBytes(width, height, MaxPicturePixelBytes);
}

// A page's own try at a picture is known apart from the picture's other sizes: the content it is
// kept and refused under is the picture's with this after it.
const QByteArray PageTry = QByteArrayLiteral("/page");

// The work that prepares the picture of `bytes` (which gave `layout`; `ownWidth` x `ownHeight`
// screen pixels at its own size) `width` x `height` pixels large, or smaller when the bound of
// ready images leaves it less than that. The images of a content at a size are shared by every
// copy of it: the kind (KindOf) tells the two players apart.
TPreparationWorkMaker WorkAt(const std::shared_ptr<const TPictureBytes>& bytes,
                             const TMetafileLayout& layout, int ownWidth, int ownHeight, int width,
                             int height) {
    return [&bytes, &layout, ownWidth, ownHeight, width, height]() -> TPreparationWork {
        return [bytes, layout, ownWidth, ownHeight, width, height](TPreparationContext& context) {
            int fitWidth = width;
            int fitHeight = height;
            FitImageBytes(fitWidth, fitHeight, context.ImageBytes());
            const TPreparationWork drawing =
                layout.Enhanced
                    ? EmfPreparation(bytes, layout, ownWidth, ownHeight, fitWidth, fitHeight)
                    : WmfPreparation(bytes, layout, fitWidth, fitHeight);
            return drawing(context);
        };
    };
}

char KindOf(const TMetafileLayout& layout) {
    return layout.Enhanced ? 'E' : 'W';
}

} // namespace

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

int TMetafile::Width() const {
    return PixelsOf(mmWidth_);
}

int TMetafile::Height() const {
    return PixelsOf(mmHeight_);
}

void TMetafile::SizeOf(const TMetafileLayout& layout, int inch, int& mmWidth, int& mmHeight) {
    if (layout.Enhanced) {
        mmWidth = static_cast<int>(layout.MMWidth);
        mmHeight = static_cast<int>(layout.MMHeight);
        return;
    }
    const int units = inch > 0 ? inch : DefaultMetafileInch;
    mmWidth = MulDiv(std::abs(layout.Right - layout.Left), 2540, units);
    mmHeight = MulDiv(std::abs(layout.Bottom - layout.Top), 2540, units);
}

void TMetafile::LoadFromBytes(std::string_view bytes) {
    if (bytes.empty()) {
        bytes_.reset();
        layout_ = {};
        enhanced_ = false;
        mmWidth_ = mmHeight_ = inch_ = headerSize_ = 0;
        Changed();
        return;
    }
    TMetafileLayout layout = ReadMetafileLayout(bytes);
    if (!layout.Enhanced && !layout.HasFrame) {
        // No frame of its own: the box its drawing covers.
        if (!WmfDrawingBox(bytes, layout.Left, layout.Top, layout.Right, layout.Bottom)) {
            throw EInvalidGraphic(InvalidPictureFormat);
        }
        layout.HasFrame = true;
    }
    int mmWidth = 0;
    int mmHeight = 0;
    SizeOf(layout, layout.Inch, mmWidth, mmHeight);
    if (static_cast<int64_t>(PixelsOf(mmWidth)) * PixelsOf(mmHeight) * 4 > MaxPicturePixelBytes) {
        throw EInvalidGraphic(InvalidPictureFormat);
    }
    bytes_ = std::make_shared<const TPictureBytes>(std::string(bytes));
    layout_ = layout;
    enhanced_ = layout.Enhanced;
    inch_ = layout.Inch;
    mmWidth_ = mmWidth;
    mmHeight_ = mmHeight;
    headerSize_ = layout.HeaderSize;
    if (enhanced_ && layout.ImagesFit) {
        // It will be converted when it is shown: a converting process waits for it by then.
        StartEnhancedMetafileConverters();
    }
    Changed();
}

std::string TMetafile::SaveToBytes() const {
    return bytes_ ? bytes_->Bytes() : std::string();
}

void TMetafile::SetInch(int inch) {
    if (inch <= 0 || inch == inch_ || layout_.Placeable || !bytes_) {
        return;
    }
    int mmWidth = 0;
    int mmHeight = 0;
    SizeOf(layout_, inch, mmWidth, mmHeight);
    if (static_cast<int64_t>(PixelsOf(mmWidth)) * PixelsOf(mmHeight) * 4 > MaxPicturePixelBytes) {
        return;
    }
    inch_ = inch;
    mmWidth_ = mmWidth;
    mmHeight_ = mmHeight;
    Changed();
}

QImage TMetafile::PreparedAt(int width, int height) const {
    return PreparedPicture(
        bytes_, {{}, KindOf(layout_), width, height},
        WorkAt(bytes_, layout_, std::max(1, Width()), std::max(1, Height()), width, height));
}

QImage TMetafile::PreparedForPage(int width, int height) const {
    const QByteArray* digest = PreparedDigest(bytes_);
    if (!digest) {
        return {};
    }
    return PreparedImage(
        {*digest + PageTry, KindOf(layout_), width, height},
        WorkAt(bytes_, layout_, std::max(1, Width()), std::max(1, Height()), width, height));
}

void TMetafile::Draw(TCanvas& canvas, const TRect& r) const {
    if (!bytes_ || IsRectEmpty(r) || OutsidePaint(canvas, r)) {
        return;
    }
    const TRect device = canvas.LogicalToDevice(r);
    int width = std::abs(device.Width());
    int height = std::abs(device.Height());
    if (width == 0 || height == 0) {
        return;
    }
    // A print gets what a page can take (DrawPrinted). Elsewhere a page gets a Windows metafile's
    // own drawing; anything else the prepared image, at the size it covers there (within the
    // pixels any picture may take).
    if (!ScreenLike(canvas) && InPictureJob()) {
        DrawPrinted(canvas, r, width, height);
        return;
    }
    if (!enhanced_ && !ScreenLike(canvas)) {
        if (PlayStraight(canvas, r) != TStraightPlay::Drawn) {
            DrawPictureFrame(canvas, r);
        }
        return;
    }
    FitPixelBound(width, height);
    const QImage image = PreparedAt(width, height);
    if (image.isNull()) {
        DrawPictureFrame(canvas, r);
        return;
    }
    canvas.DrawImage(r, image, Rect(0, 0, image.width(), image.height()));
}

TStraightPlay TMetafile::PlayStraight(TCanvas& canvas, const TRect& r) const {
    if (!WmfHasBox(layout_)) {
        return TStraightPlay::Unplayed;
    }
    const QByteArray* digest = PreparedDigest(bytes_);
    if (!digest || PicturePreparer().Refused(*digest)) {
        return TStraightPlay::Unplayed;
    }
    // The window is served during the play: whatever it does to this picture meanwhile, the
    // play keeps the bytes and the layout it started with.
    const std::shared_ptr<const TPictureBytes> bytes = bytes_;
    const TMetafileLayout layout = layout_;
    return PlayStraightOnto(canvas, r, bytes->Bytes(), layout);
}

void TMetafile::DrawPrinted(TCanvas& canvas, const TRect& r, int width, int height) const {
    if (!enhanced_) {
        switch (PlayStraight(canvas, r)) {
        case TStraightPlay::Drawn:
            return;
        case TStraightPlay::Unplayed:
            DrawPictureFrame(canvas, r);
            return;
        case TStraightPlay::TooCostly:
        case TStraightPlay::Cut:
            // An image instead; over what a cut play drew, which is part of the same picture.
            break;
        }
    }
    // The image at the page's size; one too costly to prepare there, at the size the screen
    // shows the rectangle, drawn stretched; only then the frame.
    int screenWidth = std::max(1, MulDiv(width, 96, std::max(1, canvas.PixelsPerInchX())));
    int screenHeight = std::max(1, MulDiv(height, 96, std::max(1, canvas.PixelsPerInchY())));
    FitPixelBound(width, height);
    FitPixelBound(screenWidth, screenHeight);
    QImage image;
    if (int64_t{screenWidth} * screenHeight < int64_t{width} * height) {
        image = PreparedForPage(width, height);
        if (image.isNull()) {
            image = PreparedAt(screenWidth, screenHeight);
        }
    } else {
        image = PreparedAt(width, height);
    }
    if (image.isNull()) {
        DrawPictureFrame(canvas, r);
        return;
    }
    canvas.DrawImage(r, image, Rect(0, 0, image.width(), image.height()));
}

std::unique_ptr<TGraphic> TMetafile::Clone() const {
    auto copy = std::make_unique<TMetafile>();
    copy->bytes_ = bytes_;
    copy->layout_ = layout_;
    copy->enhanced_ = enhanced_;
    copy->mmWidth_ = mmWidth_;
    copy->mmHeight_ = mmHeight_;
    copy->inch_ = inch_;
    copy->headerSize_ = headerSize_;
    copy->SetTransparent(Transparent());
    return copy;
}

void GiveMetafileDefaultInch(TGraphic& graphic) {
    auto* metafile = dynamic_cast<TMetafile*>(&graphic);
    if (metafile && !metafile->Empty() && metafile->Inch() == 0) {
        metafile->SetInch(DefaultMetafileInch);
    }
}
