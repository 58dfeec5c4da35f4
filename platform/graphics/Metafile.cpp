#include "platform/graphics/Metafile.h"

#include "platform/base/Rounding.h"
#include "platform/graphics/Canvas.h"

#include "platform/graphics/LittleEndian.h"

#include <cstdint>

namespace {

constexpr uint32_t PlaceableKey = 0x9AC6CDD7;
constexpr uint32_t EmfSignature = 0x464D4520; // " EMF"

} // namespace

int TMetafile::Width() const {
    return MulDiv(mmWidth_, 96, 2540);
}

int TMetafile::Height() const {
    return MulDiv(mmHeight_, 96, 2540);
}

void TMetafile::Draw(TCanvas& canvas, const TRect& r) const {
    TBrush saved;
    saved.Assign(canvas.Brush());
    canvas.Brush().SetColor(clGray);
    canvas.FrameRect(r);
    canvas.Brush().Assign(saved);
}

void TMetafile::LoadFromBytes(std::string_view bytes) {
    if (bytes.empty()) {
        bytes_.clear();
        enhanced_ = false;
        mmWidth_ = mmHeight_ = inch_ = headerSize_ = 0;
        Changed();
        return;
    }
    if (bytes.size() >= 22 && ReadU32(bytes, 0) == PlaceableKey) {
        int left = static_cast<int16_t>(ReadU16(bytes, 6));
        int top = static_cast<int16_t>(ReadU16(bytes, 8));
        int right = static_cast<int16_t>(ReadU16(bytes, 10));
        int bottom = static_cast<int16_t>(ReadU16(bytes, 12));
        int inch = static_cast<int>(ReadU16(bytes, 14));
        if (inch == 0) {
            throw EInvalidGraphic("Metafile is not valid: no units per inch");
        }
        bytes_.assign(bytes);
        enhanced_ = false;
        inch_ = inch;
        mmWidth_ = MulDiv(right - left, 2540, inch);
        mmHeight_ = MulDiv(bottom - top, 2540, inch);
        headerSize_ = 22;
        Changed();
        return;
    }
    if (bytes.size() >= 88 && ReadU32(bytes, 0) == 1 && ReadU32(bytes, 40) == EmfSignature) {
        uint32_t size = ReadU32(bytes, 4);
        if (size < 88 || size > bytes.size()) {
            throw EInvalidGraphic("Metafile is not valid: bad header record");
        }
        // The frame, in hundredths of a millimetre, inclusive.
        int64_t left = static_cast<int32_t>(ReadU32(bytes, 24));
        int64_t top = static_cast<int32_t>(ReadU32(bytes, 28));
        int64_t right = static_cast<int32_t>(ReadU32(bytes, 32));
        int64_t bottom = static_cast<int32_t>(ReadU32(bytes, 36));
        int64_t w = right - left, h = bottom - top;
        if (w < 0 || h < 0 || w > INT32_MAX || h > INT32_MAX) {
            throw EInvalidGraphic("Metafile is not valid: bad frame");
        }
        bytes_.assign(bytes);
        enhanced_ = true;
        inch_ = 0;
        mmWidth_ = static_cast<int>(w);
        mmHeight_ = static_cast<int>(h);
        headerSize_ = static_cast<int>(size);
        Changed();
        return;
    }
    throw EInvalidGraphic("Metafile is not valid");
}

std::unique_ptr<TGraphic> TMetafile::Clone() const {
    auto copy = std::make_unique<TMetafile>();
    if (!bytes_.empty()) {
        copy->LoadFromBytes(bytes_);
    }
    return copy;
}
