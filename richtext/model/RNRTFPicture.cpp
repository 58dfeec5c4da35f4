#include "richtext/model/RNRTFPicture.h"

#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/RNRTFState.h"

#include <QByteArray>
#include <QImage>

#include <algorithm>

namespace {

// Little-endian numbers that read 0 past the end of the bytes.
uint32_t U32(std::string_view b, size_t at) {
    return at + 4 <= b.size() ? ReadU32(b, at) : 0;
}
uint16_t U16(std::string_view b, size_t at) {
    return static_cast<uint16_t>(at + 2 <= b.size() ? ReadU16(b, at) : 0);
}
std::unique_ptr<TGraphic> DibToBitmap(TRNRTFPicture& picture) {
    std::string& data = picture.Data;
    if (data.size() < 14) {
        data.resize(14, '\0');
    }
    size_t offset = DibBitsOffset(std::string_view(data).substr(14));
    std::string header = "BM";
    WriteU32(header, static_cast<uint32_t>(data.size()));
    WriteU32(header, 0);
    WriteU32(header, static_cast<uint32_t>(offset == 0 ? 0 : offset + 14));
    std::copy(header.begin(), header.end(), data.begin());
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromBytes(data);
    return bitmap;
}

std::unique_ptr<TGraphic> PngToBitmap(const std::string& data) {
    QImage image = QImage::fromData(
        QByteArray::fromRawData(data.data(), static_cast<qsizetype>(data.size())), "PNG");
    if (image.isNull()) {
        throw EInvalidGraphic("Invalid PNG picture");
    }
    return std::make_unique<TBitmap>(image.copy());
}

// A Windows metafile without its placeable header gets one built from the picture's size,
// so that it can be kept and sized like a metafile read from a file.
std::unique_ptr<TGraphic> WmfToMetafile(const TRNRTFPicture& picture) {
    const std::string& data = picture.Data;
    uint16_t type = U16(data, 0);
    uint16_t headerWords = U16(data, 2);
    uint16_t version = U16(data, 4);
    if (data.size() < 18 || (type != 1 && type != 2) || headerWords != 9 ||
        (version != 0x100 && version != 0x300)) {
        throw EInvalidGraphic("Invalid metafile");
    }
    // Isotropic and anisotropic metafiles give their size in hundredths of a millimetre, the
    // others in pixels.
    // The size the picture is shown at, where the writer gave it, is in twips.
    const bool goal = picture.ShownWidthTwips() > 0 && picture.ShownHeightTwips() > 0;
    int64_t inch = goal                                                           ? 1440
                   : picture.MetafileMapMode == 7 || picture.MetafileMapMode == 8 ? 2540
                                                                                  : 96;
    int64_t w = goal ? picture.ShownWidthTwips() : std::max<int64_t>(picture.PicW, 0);
    int64_t h = goal ? picture.ShownHeightTwips() : std::max<int64_t>(picture.PicH, 0);
    int64_t scale = std::max<int64_t>(1, (std::max(w, h) + 32766) / 32767);
    w /= scale;
    h /= scale;
    inch = std::max<int64_t>(1, inch / scale);
    std::string out;
    WriteU32(out, 0x9AC6CDD7u);
    WriteU16(out, 0);
    WriteU16(out, 0);
    WriteU16(out, 0);
    WriteU16(out, static_cast<uint16_t>(w));
    WriteU16(out, static_cast<uint16_t>(h));
    WriteU16(out, static_cast<uint16_t>(inch));
    WriteU32(out, 0);
    uint16_t checksum = 0;
    for (size_t i = 0; i < 20; i += 2) {
        checksum ^= U16(out, i);
    }
    WriteU16(out, checksum);
    out += data;
    auto metafile = std::make_unique<TMetafile>();
    metafile->LoadFromBytes(out);
    return metafile;
}

} // namespace

size_t DibBitsOffset(std::string_view dib) {
    uint32_t headerSize = U32(dib, 0);
    if (headerSize < 12 || headerSize > dib.size()) {
        return 0;
    }
    uint64_t palette = 0;
    if (headerSize == 12) {
        uint16_t bits = U16(dib, 10);
        palette = bits <= 8 ? (uint64_t{1} << bits) * 3 : 0;
    } else {
        uint16_t bits = U16(dib, 14);
        uint32_t compression = U32(dib, 16);
        uint32_t used = headerSize >= 36 ? U32(dib, 32) : 0;
        uint64_t colors = used != 0 ? used : (bits <= 8 ? uint64_t{1} << bits : 0);
        palette = colors * 4;
        if (headerSize == 40 && (compression == 3 || compression == 6)) {
            palette += compression == 3 ? 12 : 16;
        }
    }
    uint64_t offset = headerSize + palette;
    return offset > dib.size() ? dib.size() : static_cast<size_t>(offset);
}

std::unique_ptr<TGraphic> RTFPictureToGraphic(TRNRTFPicture& picture) {
    using T = TRNRTFPictureType;
    switch (picture.PictureType) {
    case T::rtf_pict_EMF: {
        auto metafile = std::make_unique<TMetafile>();
        metafile->LoadFromBytes(picture.Data);
        return metafile;
    }
    case T::rtf_pict_WMF:
        return WmfToMetafile(picture);
    case T::rtf_pict_JPEG: {
        auto jpeg = std::make_unique<TJPEGImage>();
        jpeg->LoadFromBytes(picture.Data);
        return jpeg;
    }
    case T::rtf_pict_DIB:
        return DibToBitmap(picture);
    case T::rtf_pict_PNG:
        return PngToBitmap(picture.Data);
    default:
        return nullptr;
    }
}

void WriteRTFHex(TStream& stream, std::string_view bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string line;
    line.reserve(std::min<size_t>(bytes.size(), 65536) * 2 + 2);
    for (size_t i = 0; i < bytes.size(); ++i) {
        auto b = static_cast<uint8_t>(bytes[i]);
        line.push_back(digits[b >> 4]);
        line.push_back(digits[b & 15]);
        if (line.size() >= 131072) {
            stream.WriteString(line);
            line.clear();
        }
    }
    stream.WriteString(line);
}
