#include "platform/graphics/Metafile.h"

#include "platform/base/CheckedSize.h"
#include "platform/base/Rounding.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/MetafilePreparation.h"
#include "platform/graphics/PictureShowing.h"
#include "platform/graphics/ScreenMetrics.h"
#include "platform/graphics/WmfPlayer.h"

#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <cstdlib>
#include <limits>

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

// How long a play straight onto a device runs at the most before the window's event loop is
// served again, inside a job on the application's thread.
constexpr qint64 PlayStretchMillis = 20;

// A printed page keeps every edge drawn on it and compresses them all in one call when the page
// ends, the window waiting meanwhile: a play straight onto a device draws this many at the most
// (about 20 ms of that call), then ends as it ends when its time is spent.
constexpr qint64 StraightEdges = 150000;

// The play's time on the clock, the event loop served between its records (ServeStraightDrawing)
// every stretch and the time spent serving left out: what the window does meanwhile is not the
// picture's. Past its edges the play's time is spent.
class TServingPlayMeter : public TPlayMeter {
public:
    TServingPlayMeter() {
        clock_.start();
        served_.start();
    }
    void Drawing(qsizetype edges, int) override { edges_ += edges; }
    qint64 Elapsed() override {
        if (edges_ > StraightEdges) {
            return std::numeric_limits<qint64>::max() / 2;
        }
        if (serving_ && served_.elapsed() >= PlayStretchMillis) {
            QElapsedTimer serving;
            serving.start();
            serving_ = ServeStraightDrawing();
            servingMillis_ += serving.elapsed();
            served_.start();
        }
        return Played();
    }
    // The play's own time so far.
    qint64 Played() const { return clock_.elapsed() - servingMillis_; }

private:
    QElapsedTimer clock_;
    QElapsedTimer served_;
    qint64 servingMillis_ = 0;
    bool serving_ = true;
    qint64 edges_ = 0;
};

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
    // The images of a content at a size are shared by every copy of it: the kind tells the two
    // players apart. The image is drawn smaller when the bound leaves it less than its size.
    const TPreparationWorkMaker work = [&]() -> TPreparationWork {
        return [bytes = bytes_, layout = layout_, enhanced = enhanced_, ownWidth = Width(),
                ownHeight = Height(), width, height](TPreparationContext& context) {
            int fitWidth = width;
            int fitHeight = height;
            FitImageBytes(fitWidth, fitHeight, context.ImageBytes());
            const TPreparationWork drawing =
                enhanced ? EmfPreparation(bytes, layout, std::max(1, ownWidth),
                                          std::max(1, ownHeight), fitWidth, fitHeight)
                         : WmfPreparation(bytes, layout, fitWidth, fitHeight);
            return drawing(context);
        };
    };
    return PreparedPicture(bytes_, {{}, enhanced_ ? 'E' : 'W', width, height}, work);
}

void TMetafile::Draw(TCanvas& canvas, const TRect& r) const {
    if (!bytes_ || IsRectEmpty(r)) {
        return;
    }
    const TRect device = canvas.LogicalToDevice(r);
    int width = std::abs(device.Width());
    int height = std::abs(device.Height());
    if (width == 0 || height == 0) {
        return;
    }
    // A printer gets a Windows metafile's own drawing; anything else the prepared image, at the
    // size it covers there (within the pixels any picture may take).
    if (!enhanced_ && !ScreenLike(canvas)) {
        if (!PlayStraight(canvas, r)) {
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

bool TMetafile::PlayStraight(TCanvas& canvas, const TRect& r) const {
    const qint64 millis = StraightDrawingMillis();
    if (!WmfHasBox(layout_) || millis <= 0) {
        return false;
    }
    const QByteArray* digest = PreparedDigest(bytes_);
    if (!digest || PicturePreparer().Refused(*digest)) {
        return false;
    }
    // The window is served during the play: whatever it does to this picture meanwhile, the
    // play keeps the bytes and the layout it started with.
    const std::shared_ptr<const TPictureBytes> bytes = bytes_;
    const TMetafileLayout layout = layout_;
    // Whatever the records draw beyond the picture's own window stays inside its rectangle. A
    // surface that records what it is asked to paint (and paints nothing) has it whole.
    bool whole = true;
    TServingPlayMeter meter;
    {
        TClipKeeper clip(canvas);
        canvas.IntersectClipRect(r);
        canvas.PaintWith("Metafile", [&](QPainter& painter) {
            whole = PlayWmf(bytes->Bytes(), layout, painter,
                            QRectF(r.Left, r.Top, r.Width(), r.Height()), millis, meter);
        });
    }
    StraightDrawingTook(meter.Played());
    return whole;
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
