#include "platform/graphics/JPEGImage.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BmpFormat.h"

#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <jpeglib.h>

namespace {

// libjpeg reports errors by calling error_exit, which must not return: it jumps back to
// the caller, which owns nothing that needs destroying between the two points.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void ErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    std::longjmp(manager->jump, 1);
}

void SilentOutput(j_common_ptr) {}

struct DecodeState {
    jpeg_decompress_struct info;
    ErrorManager error;
    unsigned char* row = nullptr;
};

// Runs the decompression; returns an error text or nullptr. Pixels go to `image`, allocated
// once the size is known.
const char* RunDecode(DecodeState& s, std::string_view bytes, QImage& image) {
    s.info.err = jpeg_std_error(&s.error.pub);
    s.error.pub.error_exit = ErrorExit;
    s.error.pub.output_message = SilentOutput;
    if (setjmp(s.error.jump)) {
        return s.error.message;
    }
    jpeg_create_decompress(&s.info);
    jpeg_mem_src(&s.info, reinterpret_cast<const unsigned char*>(bytes.data()),
                 static_cast<unsigned long>(bytes.size()));
    jpeg_read_header(&s.info, TRUE);
    bool cmyk = s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK;
    s.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&s.info);
    long long pixels = static_cast<long long>(s.info.output_width) * s.info.output_height;
    if (s.info.output_width == 0 || s.info.output_height == 0 || pixels > MaxBitmapPixels) {
        return "JPEG image is too large";
    }
    image = QImage(static_cast<int>(s.info.output_width), static_cast<int>(s.info.output_height),
                   QImage::Format_RGB32);
    if (image.isNull()) {
        return "not enough memory for the JPEG image";
    }
    s.row = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(s.info.output_width) *
                                                    static_cast<size_t>(s.info.output_components)));
    if (!s.row) {
        return "not enough memory for the JPEG image";
    }
    while (s.info.output_scanline < s.info.output_height) {
        int y = static_cast<int>(s.info.output_scanline);
        JSAMPROW rows[1] = {s.row};
        jpeg_read_scanlines(&s.info, rows, 1);
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (unsigned x = 0; x < s.info.output_width; ++x) {
            const unsigned char* p = s.row + x * static_cast<unsigned>(s.info.output_components);
            if (cmyk) {
                // Adobe writes CMYK inverted.
                unsigned k = p[3];
                line[x] = qRgb(static_cast<int>(p[0] * k / 255), static_cast<int>(p[1] * k / 255),
                               static_cast<int>(p[2] * k / 255));
            } else {
                line[x] = qRgb(p[0], p[1], p[2]);
            }
        }
    }
    jpeg_finish_decompress(&s.info);
    return nullptr;
}

struct EncodeState {
    jpeg_compress_struct info;
    ErrorManager error;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    unsigned char* row = nullptr;
};

bool RunEncode(EncodeState& s, const QImage& image, int quality) {
    s.info.err = jpeg_std_error(&s.error.pub);
    s.error.pub.error_exit = ErrorExit;
    s.error.pub.output_message = SilentOutput;
    if (setjmp(s.error.jump)) {
        return false;
    }
    jpeg_create_compress(&s.info);
    jpeg_mem_dest(&s.info, &s.buffer, &s.size);
    s.info.image_width = static_cast<JDIMENSION>(image.width());
    s.info.image_height = static_cast<JDIMENSION>(image.height());
    s.info.input_components = 3;
    s.info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&s.info);
    jpeg_set_quality(&s.info, quality, TRUE);
    jpeg_start_compress(&s.info, TRUE);
    s.row = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(image.width()) * 3));
    if (!s.row) {
        return false;
    }
    while (s.info.next_scanline < s.info.image_height) {
        const QRgb* line = reinterpret_cast<const QRgb*>(
            image.constScanLine(static_cast<int>(s.info.next_scanline)));
        for (int x = 0; x < image.width(); ++x) {
            s.row[3 * x] = static_cast<unsigned char>(qRed(line[x]));
            s.row[3 * x + 1] = static_cast<unsigned char>(qGreen(line[x]));
            s.row[3 * x + 2] = static_cast<unsigned char>(qBlue(line[x]));
        }
        JSAMPROW rows[1] = {s.row};
        jpeg_write_scanlines(&s.info, rows, 1);
    }
    jpeg_finish_compress(&s.info);
    return true;
}

} // namespace

bool DecodeJpeg(std::string_view bytes, QImage& image, std::string& error) {
    auto state = std::make_unique<DecodeState>();
    QImage decoded;
    const char* failure = RunDecode(*state, bytes, decoded);
    jpeg_destroy_decompress(&state->info);
    std::free(state->row);
    if (failure) {
        error = std::string("JPEG image is not valid: ") + failure;
        return false;
    }
    image = std::move(decoded);
    return true;
}

std::string EncodeJpeg(const QImage& source, int quality) {
    if (source.isNull()) {
        return "";
    }
    QImage image = source.convertToFormat(QImage::Format_RGB32);
    auto state = std::make_unique<EncodeState>();
    bool ok = RunEncode(*state, image, quality);
    jpeg_destroy_compress(&state->info);
    std::string out;
    if (ok && state->buffer) {
        out.assign(reinterpret_cast<const char*>(state->buffer), state->size);
    }
    std::free(state->buffer);
    std::free(state->row);
    return out;
}

void TJPEGImage::Draw(TCanvas& canvas, const TRect& r) const {
    DrawPicturePixels(canvas, r, image_, Transparent() ? clWhite : clNone);
}

void TJPEGImage::LoadFromBytes(std::string_view bytes) {
    QImage image;
    if (!bytes.empty()) {
        std::string error;
        if (!DecodeJpeg(bytes, image, error)) {
            throw EInvalidGraphic(error);
        }
    }
    Store(std::move(image), std::string(bytes));
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const {
    auto copy = std::make_unique<TJPEGImage>();
    copy->CopyFrom(*this);
    return copy;
}

void TJPEGImage::SetImage(const QImage& image) {
    std::string bytes = EncodeJpeg(image, CompressionQuality);
    QImage decoded;
    std::string error;
    if (bytes.empty() || !DecodeJpeg(bytes, decoded, error)) {
        decoded = QImage();
        bytes.clear();
    }
    Store(std::move(decoded), std::move(bytes));
}
