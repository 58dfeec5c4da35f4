// The notes format: a 10,000-paragraph, 1 MB note in the notes sheet's styles saved and
// loaded, against loading the same paragraphs as plain text; and notes of 4 MB of pictures
// (bitmaps in binary and in hexadecimal, JPEG pictures against decoding them directly).
//
// Targets: the text note saves at 100 MB/s or more and loads at 50 MB/s or more, and loading
// it takes at most 1.5 times LoadText of the same paragraphs; bitmap notes go 500 MB/s or
// more both ways in binary and 200 MB/s in hexadecimal; a JPEG note loads within 1.2 times
// the direct decoding of its pictures.

#include "bench/NotesText.h"

#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JPEGImage.h"
#include "richtext/model/RNUni.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

namespace {

constexpr int Paragraphs = 10000;
constexpr int Pictures = 16; // 4 MB of pictures: 16 of 256 KB

// Headings, body text, code and Unicode paragraphs in the notes sheet's styles.
void BuildTextNote(TNotesDocument& doc) {
    constexpr int Paras[] = {0, 0, 4, 6, 0, 1, 4, 0};
    for (int i = 0; i < Paragraphs; ++i) {
        bench::AddMixedParagraph(doc, i, Paras);
    }
}

std::string Save(TNotesDocument& doc) {
    TMemoryStream stream;
    doc.SaveRNFToStream(stream, false, clNone, nullptr);
    return stream.Bytes();
}

void Load(TNotesDocument& doc, const std::string& bytes, benchmark::State& state) {
    TMemoryStream stream;
    stream.WriteString(bytes);
    stream.SetPosition(0);
    TColor color = clNone;
    if (!doc.LoadRNFFromStream(stream, color, nullptr)) {
        state.SkipWithError(doc.RNFError.c_str());
    }
}

void BM_SaveTextNote(benchmark::State& state) {
    TNotesDocument doc;
    BuildTextNote(doc);
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = Save(doc).size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_SaveTextNote)->Unit(benchmark::kMillisecond);

void BM_LoadTextNote(benchmark::State& state) {
    TNotesDocument source;
    BuildTextNote(source);
    const std::string bytes = Save(source);
    TNotesDocument doc;
    for (auto _ : state) {
        Load(doc, bytes, state);
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes.size()) * state.iterations());
}
BENCHMARK(BM_LoadTextNote)->Unit(benchmark::kMillisecond);

// The peer: the same paragraphs as a text file, one item per line.
void BM_LoadTextOfTheSameParagraphs(benchmark::State& state) {
    std::string text;
    for (int i = 0; i < Paragraphs; ++i) {
        text += bench::Paragraph(i) + "\r\n";
    }
    char path[] = "/tmp/rnf_format_XXXXXX";
    int fd = mkstemp(path);
    ::close(fd);
    std::ofstream(path, std::ios::binary) << text;
    TNotesDocument doc;
    for (auto _ : state) {
        doc.Clear();
        doc.LoadText(path, 0, 0, false);
    }
    std::remove(path);
    state.SetBytesProcessed(static_cast<int64_t>(text.size()) * state.iterations());
}
BENCHMARK(BM_LoadTextOfTheSameParagraphs)->Unit(benchmark::kMillisecond);

QImage Pixels(int i) {
    QImage image(256, 341, QImage::Format_RGB888); // 256 KB of BMP each
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            image.setPixel(x, y, qRgb((x * 7 + i) & 255, (y * 3) & 255, (x ^ y) & 255));
        }
    }
    return image;
}

template <class Picture> void BuildPictureNote(TNotesDocument& doc, bool binary) {
    if (!binary) {
        doc.RNFOptions.Exclude(TRNFOption::rnfoSaveBinary);
    }
    for (int i = 0; i < Pictures; ++i) {
        auto picture = std::make_unique<Picture>();
        picture->SetImage(Pixels(i));
        doc.AddNL("Picture " + std::to_string(i), 0, 0);
        doc.AddPictureEx("p" + std::to_string(i), std::move(picture), 0, TRNVAlign::rnvaBaseline);
    }
}

int64_t PictureBytes(const TNotesDocument& doc) {
    int64_t bytes = 0;
    for (int i = 0; i < doc.ItemCount(); ++i) {
        if (TGraphic* g = doc.GetItem(i).AsImage()) {
            bytes += static_cast<int64_t>(g->SaveToBytes().size());
        }
    }
    return bytes;
}

void BM_SaveBitmapNote(benchmark::State& state) {
    // A note as it is saved again after loading: its pictures keep the bytes they came from.
    TNotesDocument source;
    BuildPictureNote<TBitmap>(source, state.range(0) != 0);
    TNotesDocument doc;
    doc.RNFOptions = source.RNFOptions;
    Load(doc, Save(source), state);
    for (auto _ : state) {
        benchmark::DoNotOptimize(Save(doc));
    }
    state.SetBytesProcessed(PictureBytes(doc) * state.iterations());
}
BENCHMARK(BM_SaveBitmapNote)->ArgName("binary")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_LoadBitmapNote(benchmark::State& state) {
    TNotesDocument source;
    BuildPictureNote<TBitmap>(source, state.range(0) != 0);
    const std::string bytes = Save(source);
    TNotesDocument doc;
    for (auto _ : state) {
        Load(doc, bytes, state);
    }
    state.SetBytesProcessed(PictureBytes(source) * state.iterations());
}
BENCHMARK(BM_LoadBitmapNote)->ArgName("binary")->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

void BM_LoadJpegNote(benchmark::State& state) {
    TNotesDocument source;
    BuildPictureNote<TJPEGImage>(source, true);
    const std::string bytes = Save(source);
    TNotesDocument doc;
    for (auto _ : state) {
        Load(doc, bytes, state);
    }
    state.SetBytesProcessed(PictureBytes(source) * state.iterations());
}
BENCHMARK(BM_LoadJpegNote)->Unit(benchmark::kMillisecond);

// The peer: the same JPEG files decoded directly.
void BM_DecodeTheSameJpegs(benchmark::State& state) {
    TNotesDocument source;
    BuildPictureNote<TJPEGImage>(source, true);
    std::vector<std::string> files;
    for (int i = 0; i < source.ItemCount(); ++i) {
        if (TGraphic* g = source.GetItem(i).AsImage()) {
            files.push_back(g->SaveToBytes());
        }
    }
    for (auto _ : state) {
        for (const std::string& file : files) {
            TJPEGImage jpeg;
            jpeg.LoadFromBytes(file);
            benchmark::DoNotOptimize(jpeg.Width());
        }
    }
    state.SetBytesProcessed(PictureBytes(source) * state.iterations());
}
BENCHMARK(BM_DecodeTheSameJpegs)->Unit(benchmark::kMillisecond);

} // namespace
