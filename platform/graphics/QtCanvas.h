#pragma once

// The canvas that really draws, with QPainter: on an image (a bitmap, a window's surface) or
// through a painter that is already active (a printer page). Text is placed cluster by
// cluster at whole-pixel advances with no kerning, so widths add up across pieces as they do
// on the platform the program was written for. The pen modes pmNot, pmXor and pmNotXor need an
// image: through an outside painter they draw as pmCopy.

#include "platform/graphics/Canvas.h"

#include <QFont>
#include <QImage>

#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

class TQtCanvas : public TCanvas {
public:
    // Draws on `*image`, whatever image is there at the time of each call (the owner may
    // replace or resize it). Its resolution is `pixelsPerInch`.
    explicit TQtCanvas(QImage* image, int pixelsPerInch = 96);
    // Draws with `painter`, active for as long as the canvas is used; `size` is the surface.
    TQtCanvas(QPainter* painter, TSize size, int pixelsPerInchX, int pixelsPerInchY);
    ~TQtCanvas() override;

    int PixelsPerInchX() const override { return ppiX_; }
    int PixelsPerInchY() const override { return ppiY_; }
    TSize SurfaceSize() const override;
    bool KeepsWholeImages() const override;
    bool GrabImage(const TRect& r, QImage& out) const override;
    void PaintWith(std::string_view what, const std::function<void(QPainter&)>& paint) override;

    // The Qt font the canvas font draws with.
    QFont QtFont();

    // Called after each drawing call on the image (a control shows its surface then).
    std::function<void()> OnDrawn;

protected:
    void DoPolyline(const std::vector<TPoint>& points) override;
    void DoRectangle(const TRect& r) override;
    void DoRoundRect(const TRect& r, int cornerWidth, int cornerHeight) override;
    void DoEllipse(const TRect& r) override;
    void DoPolygon(const std::vector<TPoint>& points) override;
    void DoFillRect(const TRect& r) override;
    void DoFrameRect(const TRect& r) override;
    void DoFocusRect(const TRect& r) override;
    TColor DoGetPixel(int x, int y) const override;
    void DoSetPixel(int x, int y, TColor color) override;
    void DoTextOut(int x, int y, std::u16string_view text, const TRect* clip,
                   const TRect* opaque) override;
    std::vector<int> DoCharExtents(std::u16string_view text) override;
    int DoTextWidth(std::u16string_view text) override;
    TTextMetric DoTextMetrics() override;
    void DoDrawImage(const TRect& dest, const QImage& image, const TRect& source) override;
    void DoCopyRect(const TRect& dest, const TCanvas& source, const TRect& sourceRect) override;

private:
    struct FontFace;
    struct FontCache;

    void Paint(const std::function<void(QPainter&)>& fn);
    // The canvas's anisotropic mapping as a painter transform.
    void ApplyMapping(QPainter& p) const;
    // Pen-drawn figures: the pen mode's composition, no smoothing.
    void PaintFigure(const std::function<void(QPainter&)>& fn);
    // The canvas pen (none when clear) and brush (none when clear or of no colour).
    void UsePenAndBrush(QPainter& p);
    // The face of the canvas font, built when no kept one matches it.
    FontFace& Face();
    // Splits text into the pieces that are drawn and measured as one (a character with its
    // combining marks, a surrogate pair); each gets its whole-pixel advance.
    void Clusters(std::u16string_view text, std::vector<std::u16string_view>& clusters);

    QImage* image_ = nullptr;
    QPainter* painter_ = nullptr;
    TSize painterSize_;
    int ppiX_ = 96;
    int ppiY_ = 96;
    std::unique_ptr<FontCache> fonts_;
};

// The family that stands in for a Windows font name ("MS Sans Serif" and "Arial" are drawn
// with Liberation Sans, "Times New Roman" with Liberation Serif, "Courier New" with
// Liberation Mono); other names are used as they are.
QString SubstituteFontFamily(const std::string& name);

// The on and off lengths, in pixels, of the dashes and dots of a styled pen one pixel wide;
// none for the other styles.
std::vector<int> DashPattern(TPenStyle style);

// The character height (em) in pixels of `font`'s family for a font height as the platform
// gives it: negative, the character height itself; positive, the cell (ascent and descent)
// the characters are scaled to fit.
int FontCharacterHeight(const QFont& font, int height);
// Stretches or narrows `font` so that its average character is `width` pixels wide.
void StretchFontToWidth(QFont& font, double width);
