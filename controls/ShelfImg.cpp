#include "controls/ShelfImg.h"

#include "platform/graphics/Canvas.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/Metafile.h"

#include <QBuffer>
#include <QFile>
#include <QImageReader>

#include <fstream>
#include <iterator>
#include <new>

namespace {

// What the side bar has always shown: bitmaps, icons, GIF and JPEG.
bool Decodable(const QByteArray& format) {
    for (const char* known : {"bmp", "dib", "ico", "cur", "gif", "jpeg", "jpg"}) {
        if (format == known) {
            return true;
        }
    }
    return false;
}

// Placeable, plain and enhanced metafiles by their first bytes.
bool LooksLikeMetafile(std::string_view b) {
    if (b.size() >= 4 && ReadU32(b, 0) == 0x9AC6CDD7) {
        return true;
    }
    if (b.size() >= 44 && ReadU32(b, 0) == 1 && ReadU32(b, 40) == 0x464D4520) {
        return true;
    }
    return b.size() >= 4 && (ReadU16(b, 0) == 1 || ReadU16(b, 0) == 2) && ReadU16(b, 2) == 9;
}

} // namespace

int TShelfImage::Width() const {
    return prepared_ ? prepared_->Width() : picture_.width();
}

int TShelfImage::Height() const {
    return prepared_ ? prepared_->Height() : picture_.height();
}

void TShelfImage::Draw(TCanvas& canvas, const TRect& r) const {
    if (empty_) {
        return;
    }
    if (prepared_) {
        prepared_->Draw(canvas, r);
        return;
    }
    if (picture_.isNull()) {
        return;
    }
    canvas.DrawImage(r, picture_, Rect(0, 0, picture_.width(), picture_.height()));
}

void TShelfImage::LoadPicture() {
    QByteArray bytes;
    try {
        bytes = QByteArray(data_.data(), static_cast<qsizetype>(data_.size()));
    } catch (const std::bad_alloc&) {
        throw EInvalidGraphic("Could not allocate memory for image");
    }
    if (bytes.isEmpty()) {
        throw EInvalidGraphic("Empty image stream created");
    }
    QBuffer buffer(&bytes);
    if (!buffer.open(QIODevice::ReadOnly)) {
        throw EInvalidGraphic("Could not create image stream");
    }
    picture_ = QImage();
    prepared_.reset();
    if (LooksLikeMetafile(data_)) {
        // Refused as any picture that cannot be loaded.
        auto metafile = std::make_shared<TMetafile>();
        metafile->LoadFromBytes(data_);
        prepared_ = std::move(metafile);
        return;
    }
    QImageReader reader(&buffer);
    if (!reader.canRead() || !Decodable(reader.format())) {
        throw EInvalidGraphic(InvalidPictureFormat);
    }
    if (reader.format() == "jpeg" || reader.format() == "jpg") {
        // Decoded when drawn, within a picture's bounds, beside the window: a JPEG of hundreds of
        // scans took seconds to decode here.
        auto jpeg = std::make_shared<TJPEGImage>();
        try {
            jpeg->LoadFromBytes(data_);
        } catch (const EInvalidGraphic&) {
            throw EInvalidGraphic("Could not load image");
        }
        prepared_ = std::move(jpeg);
        return;
    }
    QImage image = reader.read();
    if (image.isNull()) {
        throw EInvalidGraphic("Could not load image");
    }
    picture_ = std::move(image);
}

void TShelfImage::Take(std::string bytes) {
    data_ = std::move(bytes);
    empty_ = true;
    picture_ = QImage();
    prepared_.reset();
    if (data_.empty()) {
        return;
    }
    try {
        LoadPicture();
    } catch (...) {
        data_.clear();
        throw;
    }
    empty_ = false;
}

void TShelfImage::LoadFromBytes(std::string_view bytes) {
    Take(std::string(bytes));
    Changed();
}

void TShelfImage::LoadFromStream(std::istream& stream) {
    std::string bytes((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    if (bytes.empty()) {
        data_.clear();
        empty_ = true;
        picture_ = QImage();
        prepared_.reset();
        throw EInvalidGraphic("Empty image stream created");
    }
    Take(std::move(bytes));
    Changed();
}

void TShelfImage::SaveToStream(std::ostream& stream) const {
    stream.write(data_.data(), static_cast<std::streamsize>(data_.size()));
}

void TShelfImage::LoadFromFile(const std::filesystem::path& path) {
    try {
        std::ifstream in(path, std::ios::binary);
        if (!in) {
            throw EInvalidGraphic("Cannot open file");
        }
        LoadFromStream(in);
    } catch (const std::exception&) {
        data_.clear();
        empty_ = true;
        picture_ = QImage();
        prepared_.reset();
    }
}

void TShelfImage::LoadFromResourceName(const std::string& name) {
    QFile file(QString::fromStdString(":/" + name));
    if (!file.open(QIODevice::ReadOnly)) {
        throw Exception("Resource " + name + " not found");
    }
    QByteArray bytes = file.readAll();
    std::string data(bytes.constData(), static_cast<size_t>(bytes.size()));
    if (data.empty()) {
        throw EInvalidGraphic("Empty image stream created");
    }
    Take(std::move(data));
    Changed();
}

void TShelfImage::LoadFromResourceID(int id) {
    LoadFromResourceName(std::to_string(id));
}

std::unique_ptr<TGraphic> TShelfImage::Clone() const {
    auto copy = std::make_unique<TShelfImage>();
    copy->data_ = data_;
    copy->empty_ = empty_;
    copy->picture_ = picture_;
    copy->prepared_ = prepared_;
    copy->SetTransparent(Transparent());
    return copy;
}

bool TShelfImage::Assign(const TGraphic& source) {
    if (&source == this) {
        return true;
    }
    const auto* other = dynamic_cast<const TShelfImage*>(&source);
    if (!other) {
        throw EInvalidGraphic("Cannot assign a " + source.ClassName() + " to a TShelfImage");
    }
    data_ = other->data_;
    empty_ = other->empty_;
    picture_ = other->picture_;
    prepared_ = other->prepared_;
    Changed();
    return true;
}

void TShelfImage::Assign(std::nullptr_t) {
    data_.clear();
    empty_ = true;
    picture_ = QImage();
    prepared_.reset();
    Changed();
}
