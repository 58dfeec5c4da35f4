#include "platform/graphics/JPEGImage.h"

#include "platform/base/CpuTime.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/DecodeMemory.h"
#include "platform/graphics/PictureBudget.h"
#include "platform/graphics/PictureShowing.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <jpeglib.h>
// After jpeglib.h, which it needs.
#include <jerror.h>

namespace {

// libjpeg reports errors by calling error_exit, which must not return: it jumps back to
// the caller, which owns nothing that needs destroying between the two points. The progress
// hook ends a decode that ran out of its bounds the same way.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
    TJpegEnd end = TJpegEnd::Invalid;
};

void ErrorExit(j_common_ptr info) {
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    (*info->err->format_message)(info, manager->message);
    // Memory refused is the bound, not the bytes.
    const int code = info->err->msg_code;
    if (code == JERR_NO_BACKING_STORE || code == JERR_OUT_OF_MEMORY) {
        manager->end = TJpegEnd::OutOfBounds;
    }
    std::longjmp(manager->jump, 1);
}

void SilentOutput(j_common_ptr) {}

// Called by libjpeg as it works through the rows of each scan.
struct TProgress {
    jpeg_progress_mgr pub;
    int64_t cpuUntil = 0;
    const std::function<bool()>* stopped = nullptr;
    unsigned calls = 0;
};

void Progress(j_common_ptr info) {
    auto* progress = reinterpret_cast<TProgress*>(info->progress);
    // The clock costs a system call: looked at every few rows.
    if (++progress->calls % 8 != 0) {
        return;
    }
    auto* manager = reinterpret_cast<ErrorManager*>(info->err);
    if (ThreadCpuMicros() > progress->cpuUntil) {
        std::strcpy(manager->message, "takes longer to decode than a picture may");
        manager->end = TJpegEnd::OutOfBounds;
        std::longjmp(manager->jump, 1);
    }
    if (progress->stopped && *progress->stopped && (*progress->stopped)()) {
        std::strcpy(manager->message, "no longer wanted");
        manager->end = TJpegEnd::Stopped;
        std::longjmp(manager->jump, 1);
    }
}

struct DecodeState {
    jpeg_decompress_struct info;
    ErrorManager error;
    TProgress progress;
    unsigned char* row = nullptr;
    // Given back once libjpeg has let go of what it held.
    TDecodeMemoryHeld memory;
};

// The samples of all the components of the image, a block of 64 for each in whole units of its
// sampling (as libjpeg lays out its coefficients): what the work of a decode grows with.
uint64_t SampleCount(j_decompress_ptr info) {
    int maxH = 1;
    int maxV = 1;
    for (int c = 0; c < info->num_components; ++c) {
        maxH = std::max(maxH, info->comp_info[c].h_samp_factor);
        maxV = std::max(maxV, info->comp_info[c].v_samp_factor);
    }
    const auto blocks = [](uint64_t pixels, int samp, int max) {
        const uint64_t across =
            (pixels * uint64_t(samp) + uint64_t(max) * DCTSIZE - 1) / (uint64_t(max) * DCTSIZE);
        return (across + uint64_t(samp) - 1) / uint64_t(samp) * uint64_t(samp);
    };
    uint64_t samples = 0;
    for (int c = 0; c < info->num_components; ++c) {
        const jpeg_component_info& component = info->comp_info[c];
        samples += blocks(info->image_width, component.h_samp_factor, maxH) *
                   blocks(info->image_height, component.v_samp_factor, maxV) * DCTSIZE2;
    }
    return samples;
}

// The coefficients an image read in more than one scan keeps from its first to its last, whatever
// the scale it is decoded at; none for an image in one scan.
uint64_t CoefficientBytes(j_decompress_ptr info) {
    return jpeg_has_multiple_scans(info) ? SampleCount(info) * sizeof(JCOEF) : 0;
}

// What a decode of the image holds besides its coefficients: its tables, and its rows of samples
// on their way through upsampling and colour conversion (a few rows of blocks of every component,
// at most about a megabyte at the widest a JPEG image may be), with room to spare.
uint64_t RowBytes(j_decompress_ptr info) {
    return (uint64_t{16} << 20) +
           uint64_t{64} * info->image_width * static_cast<uint64_t>(info->num_components);
}

// Reads the header of `bytes` into `s`; an error text or nullptr.
const char* ReadHeader(DecodeState& s, std::string_view bytes) {
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
    const long long pixels = static_cast<long long>(s.info.image_width) * s.info.image_height;
    if (s.info.image_width == 0 || s.info.image_height == 0 || pixels > MaxBitmapPixels) {
        return "JPEG image is too large";
    }
    return nullptr;
}

// Runs the decompression within `bounds`; returns an error text or nullptr. Pixels go to
// `image`, allocated once the size is known: the whole decode, or its part `piece`.
const char* RunDecode(DecodeState& s, std::string_view bytes, int scale, const TJpegBounds& bounds,
                      QImage& image, const QRect& piece) {
    if (const char* failure = ReadHeader(s, bytes)) {
        return failure;
    }
    if (setjmp(s.error.jump)) {
        return s.error.message;
    }
    // What the decode needs, against the picture's ceiling, then taken from what the decodes under
    // way share (waiting for room).
    const uint64_t coefficients = CoefficientBytes(&s.info);
    const uint64_t needs = coefficients + RowBytes(&s.info);
    if (coefficients > 0 && needs > bounds.WorkingMemory) {
        s.error.end = TJpegEnd::OutOfBounds;
        return "needs more working memory than a picture may hold";
    }
    if (!s.memory.Take(DecodeMemory(), needs, bounds.Stopped)) {
        s.error.end = TJpegEnd::Stopped;
        return "no longer wanted";
    }
    s.progress.pub.progress_monitor = Progress;
    // Counted from here: a wait for memory costs no CPU time.
    s.progress.cpuUntil = ThreadCpuMicros() + bounds.CpuMicros;
    s.progress.stopped = &bounds.Stopped;
    s.info.progress = &s.progress.pub;
    // Beyond what it was found to need libjpeg refuses rather than grows.
    s.info.mem->max_memory_to_use = static_cast<long>(std::min(bounds.WorkingMemory, needs));
    s.info.scale_num = 1;
    s.info.scale_denom = static_cast<unsigned>(scale);
    const bool cmyk = s.info.jpeg_color_space == JCS_CMYK || s.info.jpeg_color_space == JCS_YCCK;
    s.info.out_color_space = cmyk ? JCS_CMYK : JCS_RGB;
    jpeg_start_decompress(&s.info);
    QRect rows(0, 0, static_cast<int>(s.info.output_width), static_cast<int>(s.info.output_height));
    unsigned skipped = 0;
    if (!piece.isEmpty()) {
        rows = rows.intersected(piece);
        if (rows.isEmpty()) {
            return "the piece lies outside the image";
        }
        // The columns come in whole blocks, those before the piece's left left out of the row.
        auto left = static_cast<JDIMENSION>(rows.left());
        auto width = static_cast<JDIMENSION>(rows.width());
        jpeg_crop_scanline(&s.info, &left, &width);
        skipped = static_cast<unsigned>(rows.left()) - left;
        if (rows.top() > 0) {
            jpeg_skip_scanlines(&s.info, static_cast<JDIMENSION>(rows.top()));
        }
    }
    image = QImage(rows.width(), rows.height(), QImage::Format_RGB32);
    if (image.isNull()) {
        s.error.end = TJpegEnd::OutOfBounds;
        return "not enough memory for the JPEG image";
    }
    s.row = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(s.info.output_width) *
                                                    static_cast<size_t>(s.info.output_components)));
    if (!s.row) {
        s.error.end = TJpegEnd::OutOfBounds;
        return "not enough memory for the JPEG image";
    }
    for (int y = 0; y < image.height(); ++y) {
        JSAMPROW read[1] = {s.row};
        jpeg_read_scanlines(&s.info, read, 1);
        QRgb* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (unsigned x = 0; x < static_cast<unsigned>(image.width()); ++x) {
            const unsigned char* p =
                s.row + (skipped + x) * static_cast<unsigned>(s.info.output_components);
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
    if (piece.isEmpty()) {
        // A piece leaves the rows below it unread: the decode is let go without finishing.
        jpeg_finish_decompress(&s.info);
    }
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

// The bounds of the decode of the picture `bytes` on the thread that prepares it: its CPU time
// grows with the samples its header says it has.
TJpegBounds PictureBounds(const std::function<bool()>& stopped, std::string_view bytes) {
    auto state = std::make_unique<DecodeState>();
    const uint64_t samples = ReadHeader(*state, bytes) ? 0 : SampleCount(&state->info);
    jpeg_destroy_decompress(&state->info);
    TJpegBounds bounds;
    bounds.CpuMicros = PhotoCpuMillis(samples) * 1000;
    bounds.Stopped = stopped;
    return bounds;
}

// The largest scale libjpeg decodes at, 1/1 to 1/8, whose pixels still cover `width` x `height`
// of an image `ownWidth` x `ownHeight`: a picture shown small costs a small decode.
int ScaleFor(int ownWidth, int ownHeight, int width, int height) {
    for (int scale : {8, 4, 2}) {
        if ((ownWidth + scale - 1) / scale >= width && (ownHeight + scale - 1) / scale >= height) {
            return scale;
        }
    }
    return 1;
}

// The bytes of an image `width` x `height` decoded at 1/`scale`.
uint64_t ScaledBytes(int width, int height, int scale) {
    return TPictureKey({}, 'J', (width + scale - 1) / scale, (height + scale - 1) / scale).Bytes();
}

// The rows and columns of a decode at 1/`scale` that cover `piece` of the image's own pixels.
QRect ScaledPiece(const QRect& piece, int scale) {
    const int left = piece.left() / scale;
    const int top = piece.top() / scale;
    return QRect(left, top, (piece.left() + piece.width() + scale - 1) / scale - left,
                 (piece.top() + piece.height() + scale - 1) / scale - top);
}

// What a preparation makes of the decode of `bytes` at 1/`scale` (of its part `piece`).
TPrepared Decoded(TPreparationContext& context, const TPictureBytes& bytes, int scale,
                  const QRect& piece) {
    QImage image;
    std::string error;
    switch (DecodeJpegWithin(bytes.Bytes(), scale,
                             PictureBounds([&context] { return context.Stopped(); }, bytes.Bytes()),
                             image, error, piece)) {
    case TJpegEnd::Decoded:
        return {TPreparedEnd::Ready, std::move(image)};
    case TJpegEnd::Stopped:
        return {TPreparedEnd::Dropped, {}};
    case TJpegEnd::Invalid:
    case TJpegEnd::OutOfBounds:
        break;
    }
    return {TPreparedEnd::Refused, {}};
}

// The decode of an image `width` x `height` asked for at 1/`scale`: at that scale, or at a smaller
// one whose pixels fit the image's bytes (the smallest when none does, made smaller after it).
TPreparationWork JpegPreparation(std::shared_ptr<const TPictureBytes> bytes, int width, int height,
                                 int asked) {
    return [bytes = std::move(bytes), width, height,
            asked](TPreparationContext& context) -> TPrepared {
        const uint64_t fits = context.ImageBytes();
        int scale = asked;
        while (scale < 8 && ScaledBytes(width, height, scale) > fits) {
            scale *= 2;
        }
        return Decoded(context, *bytes, scale, {});
    };
}

// The part `piece` of the image `own` (in its own pixels) shown `width` x `height` pixels large:
// decoded at the scale nearest that size, then made that size.
TPreparationWork JpegPiecePreparation(std::shared_ptr<const TPictureBytes> bytes, QSize own,
                                      QRect piece, int width, int height) {
    return [bytes = std::move(bytes), own, piece, width,
            height](TPreparationContext& context) -> TPrepared {
        const int scale = ScaleFor(piece.width(), piece.height(), width, height);
        TPrepared prepared = Decoded(context, *bytes, scale, ScaledPiece(piece, scale));
        if (prepared.End == TPreparedEnd::Ready &&
            (prepared.Image.width() > width || prepared.Image.height() > height)) {
            prepared.Image = prepared.Image.scaled(width, height, Qt::IgnoreAspectRatio,
                                                   Qt::SmoothTransformation);
        }
        return prepared;
    };
}

} // namespace

bool ReadJpegHeader(std::string_view bytes, int& width, int& height, std::string& error) {
    auto state = std::make_unique<DecodeState>();
    const char* failure = ReadHeader(*state, bytes);
    width = static_cast<int>(state->info.image_width);
    height = static_cast<int>(state->info.image_height);
    jpeg_destroy_decompress(&state->info);
    if (failure) {
        error = std::string("JPEG image is not valid: ") + failure;
        return false;
    }
    return true;
}

TJpegEnd DecodeJpegWithin(std::string_view bytes, int scale, const TJpegBounds& bounds,
                          QImage& image, std::string& error, const QRect& piece) {
    auto state = std::make_unique<DecodeState>();
    QImage decoded;
    const char* failure = RunDecode(*state, bytes, scale, bounds, decoded, piece);
    jpeg_destroy_decompress(&state->info);
    std::free(state->row);
    if (failure) {
        error = std::string("JPEG image is not valid: ") + failure;
        return state->error.end;
    }
    image = std::move(decoded);
    return TJpegEnd::Decoded;
}

bool DecodeJpeg(std::string_view bytes, QImage& image, std::string& error) {
    return DecodeJpegWithin(bytes, 1, PictureBounds(nullptr, bytes), image, error) ==
           TJpegEnd::Decoded;
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
    if (Empty() || IsRectEmpty(r) || OutsidePaint(canvas, r)) {
        return;
    }
    const TColor transparent = Transparent() ? clWhite : clNone;
    if (!image_.isNull() || !source_) {
        // Its pixels are here already: made from other pixels, or asked for.
        DrawPicturePixels(canvas, r, image_, transparent);
        return;
    }
    TRect dest = r;
    TRect piece = Rect(0, 0, width_, height_);
    if (PicturesInPieces() && !canvas.VisiblePart(dest, piece)) {
        return;
    }
    QImage image;
    if (piece != Rect(0, 0, width_, height_)) {
        // The piece a page shows, at the pixels it shows it.
        const TRect seen = canvas.LogicalToDevice(dest);
        const int width = std::clamp(std::abs(seen.Width()), 1, piece.Width());
        const int height = std::clamp(std::abs(seen.Height()), 1, piece.Height());
        const QRect part(piece.Left, piece.Top, piece.Width(), piece.Height());
        image = PreparedPicture(source_, {{}, 'J', width, height, part}, [&] {
            return JpegPiecePreparation(source_, QSize(width_, height_), part, width, height);
        });
    } else {
        const TRect device = canvas.LogicalToDevice(r);
        const int scale =
            ScaleFor(width_, height_, std::abs(device.Width()), std::abs(device.Height()));
        image = PreparedPicture(
            source_, {{}, 'J', (width_ + scale - 1) / scale, (height_ + scale - 1) / scale},
            [&] { return JpegPreparation(source_, width_, height_, scale); });
    }
    if (image.isNull()) {
        DrawPictureFrame(canvas, r);
        return;
    }
    DrawPicturePixels(canvas, dest, image, transparent);
}

void TJPEGImage::DecodePixels() const {
    if (!image_.isNull() || !source_) {
        return;
    }
    // The whole image, prepared as a drawing of it at its own size would be.
    image_ = PreparedPicture(source_, {{}, 'J', width_, height_},
                             [&] { return JpegPreparation(source_, width_, height_, 1); });
}

void TJPEGImage::LoadFromBytes(std::string_view bytes) {
    int width = 0;
    int height = 0;
    if (!bytes.empty()) {
        std::string error;
        if (!ReadJpegHeader(bytes, width, height, error)) {
            throw EInvalidGraphic(error);
        }
    }
    source_ = bytes.empty() ? nullptr : std::make_shared<const TPictureBytes>(std::string(bytes));
    width_ = width;
    height_ = height;
    Store(QImage(), std::string());
}

std::string TJPEGImage::SaveToBytes() const {
    return source_ ? source_->Bytes() : std::string();
}

std::unique_ptr<TGraphic> TJPEGImage::Clone() const {
    auto copy = std::make_unique<TJPEGImage>();
    copy->CopyFrom(*this);
    copy->source_ = source_;
    copy->width_ = width_;
    copy->height_ = height_;
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
    source_ = bytes.empty() ? nullptr : std::make_shared<const TPictureBytes>(std::move(bytes));
    width_ = decoded.width();
    height_ = decoded.height();
    // What a reader of the written file sees: kept, as those pixels are here already.
    Store(std::move(decoded), std::string());
}
