#include "platform/graphics/Graphic.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/PictureShowing.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <iterator>

TGraphic::~TGraphic() = default;

bool TGraphic::Assign(const TGraphic& source) {
    if (&source == this) {
        return true;
    }
    if (source.ClassName() != ClassName()) {
        return false;
    }
    LoadFromBytes(source.SaveToBytes());
    transparent_ = source.transparent_;
    return true;
}

bool TPixelGraphic::Assign(const TGraphic& source) {
    if (TGraphic::Assign(source)) {
        return true;
    }
    const auto* pixels = dynamic_cast<const TPixelGraphic*>(&source);
    if (!pixels && !source.Empty()) {
        return false;
    }
    SetImage(pixels ? pixels->Image() : QImage());
    return true;
}

void TPixelGraphic::Store(QImage image, std::string bytes) {
    image_ = std::move(image);
    bytes_ = std::move(bytes);
    Changed();
}

void TPixelGraphic::CopyFrom(const TPixelGraphic& other) {
    image_ = other.image_;
    bytes_ = other.bytes_;
    SetTransparent(other.Transparent());
}

void TGraphic::LoadFromFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        throw EStreamError("Cannot open file \"" + path.string() + "\"");
    }
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        throw EStreamError("Cannot read file \"" + path.string() + "\"");
    }
    LoadFromBytes(bytes);
}

void TGraphic::SaveToFile(const std::filesystem::path& path) const {
    std::string bytes = SaveToBytes();
    std::filesystem::path temp = path;
    temp += ".tmp";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        // A print's or an export's window is served between pieces: a picture of tens of
        // megabytes takes a tenth of a second to write.
        constexpr size_t Piece = size_t{4} << 20;
        for (size_t at = 0; at < bytes.size() && out; at += Piece) {
            if (at > 0) {
                out.flush();
                ServeStraightDrawing();
            }
            out.write(bytes.data() + at,
                      static_cast<std::streamsize>(std::min(Piece, bytes.size() - at)));
        }
        out.flush();
        if (!out) {
            out.close();
            std::error_code ignored;
            std::filesystem::remove(temp, ignored);
            throw EStreamError("Cannot write file \"" + path.string() + "\"");
        }
    }
    std::error_code error;
    std::filesystem::rename(temp, path, error);
    if (error) {
        std::filesystem::remove(temp, error);
        throw EStreamError("Cannot write file \"" + path.string() + "\"");
    }
}

void TGraphic::SetTransparent(bool value) {
    if (transparent_ != value) {
        transparent_ = value;
        Changed();
    }
}

void TGraphic::Changed() {
    if (OnChange) {
        OnChange();
    }
}

std::unique_ptr<TGraphic> CreateGraphic(std::string_view className) {
    if (className == "TBitmap") {
        return std::make_unique<TBitmap>();
    }
    if (className == "TJPEGImage") {
        return std::make_unique<TJPEGImage>();
    }
    if (className == "TIcon") {
        return std::make_unique<TIcon>();
    }
    if (className == "TMetafile") {
        return std::make_unique<TMetafile>();
    }
    return nullptr;
}

std::string GraphicClassForExtension(std::string_view extension) {
    if (!extension.empty() && extension.front() == '.') {
        extension.remove_prefix(1);
    }
    std::string ext;
    for (char c : extension) {
        ext += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    if (ext == "bmp") {
        return "TBitmap";
    }
    if (ext == "jpg" || ext == "jpeg") {
        return "TJPEGImage";
    }
    if (ext == "ico") {
        return "TIcon";
    }
    if (ext == "wmf" || ext == "emf") {
        return "TMetafile";
    }
    return "";
}
