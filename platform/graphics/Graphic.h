#pragma once

// Pictures: bitmaps, JPEG images, icons and metafiles. Each keeps the file bytes it was loaded
// from and writes exactly those back until the picture itself is changed, so that stored
// documents keep their pictures byte for byte.

#include "platform/base/Exceptions.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Types.h"

#include <QImage>

#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

class TCanvas;

// What a picture that cannot be loaded is refused with.
inline constexpr const char* InvalidPictureFormat = "Could not load image. Invalid format";

// Bytes that are not a picture of the kind asked for.
class EInvalidGraphic : public Exception {
public:
    using Exception::Exception;
};

class TGraphic {
public:
    virtual ~TGraphic();

    // The framework's class name ("TBitmap", "TJPEGImage", "TIcon", "TMetafile"): stored
    // documents name pictures by it.
    virtual std::string ClassName() const = 0;
    virtual bool Empty() const = 0;
    virtual int Width() const = 0;
    virtual int Height() const = 0;
    // Draws the picture stretched over `r`.
    virtual void Draw(TCanvas& canvas, const TRect& r) const = 0;

    // Reads the picture's file form; raises EInvalidGraphic, leaving the picture as it was,
    // when the bytes are not one. Empty bytes make an empty picture.
    virtual void LoadFromBytes(std::string_view bytes) = 0;
    // The file form: the bytes loaded when the picture is unchanged.
    virtual std::string SaveToBytes() const = 0;
    virtual std::unique_ptr<TGraphic> Clone() const = 0;

    // Copies `source` when it is of the same class; returns false (and changes nothing)
    // otherwise. Pictures that can convert override it.
    virtual bool Assign(const TGraphic& source);

    void LoadFromFile(const std::filesystem::path& path);
    void SaveToFile(const std::filesystem::path& path) const;

    // Drawn with the pixels of TransparentColor left out (bitmaps and JPEG images).
    bool Transparent() const { return transparent_; }
    void SetTransparent(bool value);

    TChangeEvent OnChange;

protected:
    void Changed();

private:
    bool transparent_ = false;
};

// Pictures that decode to pixels (bitmaps, JPEG images, icons): the pixels and the file
// bytes they came from.
class TPixelGraphic : public TGraphic {
public:
    bool Empty() const override { return image_.isNull(); }
    int Width() const override { return image_.width(); }
    int Height() const override { return image_.height(); }
    std::string SaveToBytes() const override { return bytes_; }
    // Same class: a copy; otherwise the pixels of any picture that has them.
    bool Assign(const TGraphic& source) override;

    // The pixels, decoded now when the picture keeps them only encoded; null when they cannot
    // be had within a picture's bounds.
    const QImage& Image() const {
        DecodePixels();
        return image_;
    }
    // New pixels; the file form is made from them.
    virtual void SetImage(const QImage& image) = 0;

protected:
    // Sets image_ from the file form when the picture decodes only on demand.
    virtual void DecodePixels() const {}
    // Keeps `image` and the bytes it was read from, and notifies.
    void Store(QImage image, std::string bytes);
    void CopyFrom(const TPixelGraphic& other);

    mutable QImage image_;
    std::string bytes_;
};

// A new empty picture of a class named as stored documents name it, or null for a class
// this program does not have.
std::unique_ptr<TGraphic> CreateGraphic(std::string_view className);

// The class that reads files with this extension ("bmp", ".JPG" ...), or "" when none does.
std::string GraphicClassForExtension(std::string_view extension);
