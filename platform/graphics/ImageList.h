#pragma once

// A list of same-sized images (the status bar's, the side bar's, the main window's), drawn by
// index, normally or greyed for a disabled state.

#include "platform/graphics/Bitmap.h"

#include <QImage>

#include <vector>

class TCanvas;

class TImageList {
public:
    explicit TImageList(int width = 16, int height = 16);

    int Width() const { return width_; }
    int Height() const { return height_; }
    // Changing the size empties the list.
    void SetSize(int width, int height);
    int Count() const { return static_cast<int>(images_.size()); }
    // A number the owner gives the list; stored notes name a bullet's list by it.
    int32_t Tag = 0;

    // Adds the images of `bitmap`, cut into pieces of the list's width from the left (a
    // strip of several images adds them all). With `mask`, the pixels whose mask is not
    // black are transparent. Returns the index of the first image added, -1 for none.
    int Add(const TBitmap& bitmap, const TBitmap* mask = nullptr);
    // As Add, with the pixels of `maskColor` transparent.
    int AddMasked(const TBitmap& bitmap, TColor maskColor);
    // An image of any size, scaled to the list's size; its alpha is kept.
    int AddImage(const QImage& image);
    void Delete(int index);
    void Clear();

    // Draws image `index` with its top-left corner at (x, y); nothing for an index outside
    // the list. Disabled images are drawn greyed.
    void Draw(TCanvas& canvas, int x, int y, int index, bool enabled = true) const;
    // As Draw, with every visible pixel mixed half and half with `color` (how a selected
    // image shows).
    void DrawBlended(TCanvas& canvas, int x, int y, int index, TColor color) const;
    // The image, with alpha; null outside the list.
    QImage Image(int index) const;

private:
    int width_;
    int height_;
    std::vector<QImage> images_;
};
