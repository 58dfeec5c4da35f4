#pragma once

// The side bar's picture: the bytes of a picture file (bitmap, icon, GIF, JPEG or metafile) as
// they were read, decoded for drawing (JPEG images and metafiles beside the window) and drawn
// stretched over a rectangle. The bytes, not the
// decoded pixels, are what copies take and what streams store.

#include "platform/graphics/Graphic.h"

#include <QImage>

#include <cstddef>
#include <istream>
#include <memory>
#include <ostream>
#include <string>

class TShelfImage : public TGraphic {
public:
    std::string ClassName() const override { return "TShelfImage"; }
    bool Empty() const override { return empty_; }
    // Pixels of the decoded picture; 0 when there is none.
    int Width() const override;
    int Height() const override;
    // Stretched over `r`; nothing when empty.
    void Draw(TCanvas& canvas, const TRect& r) const override;

    // Empty bytes make an empty picture; bytes that do not decode raise EInvalidGraphic and
    // leave the picture empty.
    void LoadFromBytes(std::string_view bytes) override;
    std::string SaveToBytes() const override { return data_; }
    std::unique_ptr<TGraphic> Clone() const override;

    // Another side-bar picture: its bytes copied (an empty one gives an empty picture), with
    // one OnChange. Any other class raises EInvalidGraphic and changes nothing.
    bool Assign(const TGraphic& source) override;
    // Clears the picture, with one OnChange.
    void Assign(std::nullptr_t);

    // The whole rest of the stream; raises EInvalidGraphic (the picture then stays empty).
    void LoadFromStream(std::istream& stream);
    void SaveToStream(std::ostream& stream) const;
    // A file that cannot be read or decoded leaves the picture empty and raises nothing.
    void LoadFromFile(const std::filesystem::path& path);
    // The application's resource ":/<name>", or ":/<id>".
    void LoadFromResourceName(const std::string& name);
    void LoadFromResourceID(int id);

private:
    // Decodes data_ into picture_; raises on failure.
    void LoadPicture();
    void Take(std::string bytes);

    std::string data_;
    bool empty_ = true;
    QImage picture_;
    // A metafile or a JPEG image is drawn from an image prepared beside the window, not decoded
    // here; copies share it.
    std::shared_ptr<const TGraphic> prepared_;
};
