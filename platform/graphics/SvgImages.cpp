#include "platform/graphics/SvgImages.h"

#include "platform/graphics/EncodedImageSize.h"

#include <QByteArray>
#include <QXmlStreamReader>

#include <optional>

namespace {

// Enough of an image to reach the size in its header but for a JPEG with long segments before
// its frame, which is then decoded whole.
constexpr size_t HeaderBytes = 64 * 1024;

bool Base64Character(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '+' ||
           c == '/' || c == '=';
}

bool Blank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

// The first `count` bytes (all when 0) of base-64 `text`, or nothing when it holds other
// characters than those of the alphabet and blanks.
std::optional<QByteArray> Decoded(QByteArrayView text, size_t count) {
    QByteArray characters;
    for (const char c : text) {
        if (Base64Character(c)) {
            characters += c;
            if (count > 0 && static_cast<size_t>(characters.size()) >= count / 3 * 4 + 4) {
                break;
            }
        } else if (!Blank(c)) {
            return std::nullopt;
        }
    }
    return QByteArray::fromBase64(characters);
}

// The size of the image a data URL in base 64 holds.
std::optional<TEncodedImageSize> DataUrlImageSize(QByteArrayView url) {
    const qsizetype comma = url.indexOf(',');
    if (comma < 0 || !url.startsWith("data:") ||
        !url.first(comma).toByteArray().toLower().endsWith(";base64")) {
        return std::nullopt;
    }
    const QByteArrayView payload = url.sliced(comma + 1);
    for (const size_t count : {HeaderBytes, size_t{0}}) {
        const std::optional<QByteArray> bytes = Decoded(payload, count);
        if (!bytes) {
            return std::nullopt;
        }
        if (auto size = EncodedImageSize(std::string_view(bytes->data(), bytes->size()))) {
            return size;
        }
        if (static_cast<size_t>(bytes->size()) < HeaderBytes) {
            break; // that was the whole image
        }
    }
    return std::nullopt;
}

} // namespace

bool SvgImagesFit(std::string_view svg, uint64_t maxBytes) {
    QXmlStreamReader reader(
        QByteArray::fromRawData(svg.data(), static_cast<qsizetype>(svg.size())));
    uint64_t total = 0;
    while (!reader.atEnd()) {
        if (reader.readNext() != QXmlStreamReader::StartElement) {
            continue;
        }
        const bool image = reader.name() == QLatin1String("image");
        for (const QXmlStreamAttribute& attribute : reader.attributes()) {
            if (attribute.name() != QLatin1String("href")) {
                continue;
            }
            const QByteArray value = attribute.value().toUtf8();
            if (!image) {
                if (!value.startsWith('#')) {
                    return false;
                }
                continue;
            }
            const std::optional<TEncodedImageSize> size = DataUrlImageSize(value);
            if (!size || !DecodedWithin(*size, maxBytes - total)) {
                return false;
            }
            total += size->Width * size->Height * size->BytesPerPixel;
        }
    }
    return !reader.hasError();
}
