// RTF: a 10 MB document in the notes sheet's styles with pictures, read by the reader alone
// (events only), imported into a document, and written; the import is measured against
// loading the same document from the notes format in the same run.
//
// Targets: the reader alone at 50 MB/s or more; the import at 10 MB/s or more and within 4
// times the notes-format load of the same document; writing at 30 MB/s or more. A 5 MB style
// sheet, and a table of 20,000 fonts in a 4.3 MB file, load within 2 times a file of the same
// size whose tables hold only what its text uses (the "ratio" counters).

#include "bench/NotesText.h"

#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/model/RNRTF.h"
#include "richtext/model/RNRTFProps.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

namespace {

constexpr int Paragraphs = 33000;
constexpr int PictureEvery = 165; // 200 pictures of 64 x 64 pixels

std::unique_ptr<TGraphic> Picture(int i) {
    QImage image(64, 64, QImage::Format_RGB32);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 64; ++x) {
            image.setPixel(x, y, qRgb((x * 4 + i) & 255, (y * 4) & 255, (x ^ y) & 255));
        }
    }
    return std::make_unique<TBitmap>(image);
}

// Headings, body text, code and Unicode paragraphs, with a picture every so often.
void BuildDocument(TNotesDocument& doc) {
    constexpr int Paras[] = {0, 0, 4, 2, 0, 1, 4, 0};
    for (int i = 0; i < Paragraphs; ++i) {
        bench::AddMixedParagraph(doc, i, Paras);
        if (i % PictureEvery == 0) {
            doc.AddPictureEx("", Picture(i), -1, TRNVAlign::rnvaBaseline);
        }
    }
}

const std::string& SampleRTF() {
    static const std::string rtf = [] {
        TNotesDocument doc;
        BuildDocument(doc);
        TMemoryStream stream;
        doc.SaveRTFToStream(stream, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, 0);
        return stream.Bytes();
    }();
    return rtf;
}

struct Input {
    TMemoryStream stream;
    explicit Input(const std::string& bytes) { stream.WriteString(bytes); }
    TStream& Rewound() {
        stream.SetPosition(0);
        return stream;
    }
};

TRNRTFErrorCode Import(TNotesDocument& doc, TStream& stream) {
    TRNRTFReaderProperties props;
    props.UnicodeMode = TRNReaderUnicode::rnruMixed;
    doc.RTFProperties = &props;
    TRNRTFErrorCode ec = doc.LoadRTFFromStream(stream);
    doc.RTFProperties = nullptr;
    return ec;
}

std::string NoteOf(const std::string& rtf) {
    TNotesDocument doc;
    Input input(rtf);
    Import(doc, input.Rewound());
    TMemoryStream stream;
    doc.SaveRNFToStream(stream, false, clNone, nullptr);
    return stream.Bytes();
}

void BM_RTFReaderEventsOnly(benchmark::State& state) {
    Input input(SampleRTF());
    size_t runs = 0;
    for (auto _ : state) {
        TRNRTFReader reader;
        reader.OnNewText = [&](TRNRTFReader&, const std::string&, TRNRTFPosition) { ++runs; };
        reader.OnNewUnicodeText = [&](TRNRTFReader&, const std::u16string&, TRNRTFPosition) {
            ++runs;
        };
        reader.OnNewPicture = [&](TRNRTFReader&, TRNRTFPicture&, std::unique_ptr<TGraphic>,
                                  TRNRTFPosition) { ++runs; };
        if (reader.ReadFromStream(input.Rewound()) != TRNRTFErrorCode::rtf_ec_OK) {
            state.SkipWithError("read failed");
        }
    }
    benchmark::DoNotOptimize(runs);
    state.SetBytesProcessed(static_cast<int64_t>(SampleRTF().size()) * state.iterations());
    state.SetLabel(std::to_string(SampleRTF().size()) + " bytes");
}
BENCHMARK(BM_RTFReaderEventsOnly)->Unit(benchmark::kMillisecond);

void BM_RTFImport(benchmark::State& state) {
    Input input(SampleRTF());
    for (auto _ : state) {
        TNotesDocument doc;
        if (Import(doc, input.Rewound()) != TRNRTFErrorCode::rtf_ec_OK) {
            state.SkipWithError("import failed");
        }
        benchmark::DoNotOptimize(doc.ItemCount());
    }
    state.SetBytesProcessed(static_cast<int64_t>(SampleRTF().size()) * state.iterations());
}
BENCHMARK(BM_RTFImport)->Unit(benchmark::kMillisecond);

// The same document as a note: the yardstick of the import.
void BM_RNFLoadOfTheSameDocument(benchmark::State& state) {
    Input input(NoteOf(SampleRTF()));
    for (auto _ : state) {
        TNotesDocument doc;
        TColor color = clNone;
        if (!doc.LoadRNFFromStream(input.Rewound(), color, nullptr)) {
            state.SkipWithError(doc.RNFError.c_str());
        }
        benchmark::DoNotOptimize(doc.ItemCount());
    }
}
BENCHMARK(BM_RNFLoadOfTheSameDocument)->Unit(benchmark::kMillisecond);

// Both in one loop; the counter is the import's time over the note's.
void BM_RTFImportOverRNFLoad(benchmark::State& state) {
    Input rtf(SampleRTF());
    Input note(NoteOf(SampleRTF()));
    using Clock = std::chrono::steady_clock;
    double rtfSeconds = 0, rnfSeconds = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        TNotesDocument a;
        Import(a, rtf.Rewound());
        auto t1 = Clock::now();
        TNotesDocument b;
        TColor color = clNone;
        b.LoadRNFFromStream(note.Rewound(), color, nullptr);
        auto t2 = Clock::now();
        rtfSeconds += std::chrono::duration<double>(t1 - t0).count();
        rnfSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = rnfSeconds > 0 ? rtfSeconds / rnfSeconds : 0;
}
BENCHMARK(BM_RTFImportOverRNFLoad)->Unit(benchmark::kMillisecond);

// Documents with large tables, each against a document of the same size and the same text
// whose tables hold only what the text uses: the tables must cost no more than text does.
constexpr size_t StyleSheetBytes = 5 * 1024 * 1024;
constexpr int FontCount = 20000;
constexpr size_t FontTableFileBytes = 4300 * 1024;

// The fonts the text uses: a few, spread over the table as a word processor's are.
std::vector<int> UsedFonts(int tableSize) {
    std::vector<int> used;
    for (int i = 0; i < 50; ++i) {
        used.push_back(static_cast<int>(int64_t{i} * tableSize / 50 + i % 7));
    }
    return used;
}

std::string FontEntry(int number) {
    return "{\\f" + std::to_string(number) + "\\fswiss\\fcharset0 Font family " +
           std::to_string(number) + ";}\r\n";
}

// Paragraphs of text switching fonts and paragraph styles all the time, `bytes` long.
std::string Body(size_t bytes, const std::vector<int>& fonts, int styles) {
    std::string body;
    for (size_t i = 0; body.size() < bytes; ++i) {
        body += "\\pard\\s" + std::to_string(i % static_cast<size_t>(styles)) + "\\plain\\f" +
                std::to_string(fonts[i % fonts.size()]) + "\\fs20 " +
                bench::Paragraph(static_cast<int>(i)) + "{\\f" +
                std::to_string(fonts[(i * 13 + 5) % fonts.size()]) + "\\b more}\\par\r\n";
    }
    body.resize(bytes);
    return body;
}

std::string Document(const std::string& fontTable, const std::string& styleSheet,
                     const std::string& body) {
    return "{\\rtf1\\ansi\\ansicpg1252\\deff0{\\fonttbl" + fontTable + "}" + styleSheet + "\r\n" +
           body + "}";
}

// The document with the large table, and the document of the same size with the small one.
struct Pair {
    std::string large;
    std::string small;
};

Pair MakePair(const std::string& largeFonts, const std::string& styleSheet,
              const std::string& smallFonts, const std::vector<int>& used, int styles,
              size_t size) {
    const size_t largeHead = Document(largeFonts, styleSheet, "").size();
    const size_t smallHead = Document(smallFonts, "", "").size();
    return {Document(largeFonts, styleSheet, Body(size - largeHead, used, styles)),
            Document(smallFonts, "", Body(size - smallHead, used, styles))};
}

// A style sheet of paragraph and character styles, each based on the one before it.
Pair LargeStyleSheet() {
    std::string sheet = "{\\stylesheet";
    int count = 0;
    for (; sheet.size() < StyleSheetBytes; ++count) {
        sheet += "{" + std::string(count % 2 ? "\\*\\cs" : "\\s") + std::to_string(count) +
                 (count > 0 ? "\\sbasedon" + std::to_string(count - 1) : std::string()) +
                 "\\snext" + std::to_string(count) + "\\ql\\li" + std::to_string(count % 720) +
                 "\\f0\\fs" + std::to_string(16 + count % 12) + " Style number " +
                 std::to_string(count) + ";}\r\n";
    }
    sheet += "}";
    const std::string fonts = FontEntry(0);
    return MakePair(fonts, sheet, fonts, {0}, count, StyleSheetBytes + 512 * 1024);
}

Pair LargeFontTable() {
    std::string all;
    for (int i = 0; i < FontCount; ++i) {
        all += FontEntry(i);
    }
    const std::vector<int> used = UsedFonts(FontCount);
    std::string few;
    for (int number : used) {
        few += FontEntry(number);
    }
    return MakePair(all, "", few, used, 1, FontTableFileBytes);
}

// Both imported in one loop; the counter is the large tables' time over the small ones'.
void ImportAgainstSmallTables(benchmark::State& state, const Pair& pair) {
    Input large(pair.large);
    Input small(pair.small);
    using Clock = std::chrono::steady_clock;
    double largeSeconds = 0, smallSeconds = 0;
    for (auto _ : state) {
        auto t0 = Clock::now();
        TNotesDocument a;
        if (Import(a, large.Rewound()) != TRNRTFErrorCode::rtf_ec_OK) {
            state.SkipWithError("import failed");
        }
        auto t1 = Clock::now();
        TNotesDocument b;
        if (Import(b, small.Rewound()) != TRNRTFErrorCode::rtf_ec_OK) {
            state.SkipWithError("import failed");
        }
        auto t2 = Clock::now();
        largeSeconds += std::chrono::duration<double>(t1 - t0).count();
        smallSeconds += std::chrono::duration<double>(t2 - t1).count();
    }
    state.counters["ratio"] = smallSeconds > 0 ? largeSeconds / smallSeconds : 0;
    state.SetLabel(std::to_string(pair.large.size()) + " and " + std::to_string(pair.small.size()) +
                   " bytes");
}

void BM_RTFLargeStyleSheetOverSmall(benchmark::State& state) {
    ImportAgainstSmallTables(state, LargeStyleSheet());
}
BENCHMARK(BM_RTFLargeStyleSheetOverSmall)->Unit(benchmark::kMillisecond);

void BM_RTFLargeFontTableOverSmall(benchmark::State& state) {
    ImportAgainstSmallTables(state, LargeFontTable());
}
BENCHMARK(BM_RTFLargeFontTableOverSmall)->Unit(benchmark::kMillisecond);

void BM_RTFWrite(benchmark::State& state) {
    TNotesDocument doc;
    BuildDocument(doc);
    size_t bytes = 0;
    for (auto _ : state) {
        TMemoryStream stream;
        doc.SaveRTFToStream(stream, false, 0, clWindow, nullptr, nullptr, nullptr, nullptr, 0);
        bytes = static_cast<size_t>(stream.Size());
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}
BENCHMARK(BM_RTFWrite)->Unit(benchmark::kMillisecond);

} // namespace
