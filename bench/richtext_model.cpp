// Building a 10,000-paragraph, 1 MB notes document in three styles (one of them Unicode, so
// its text is converted on the way in) and joining its neighbouring items; and converting
// 1 MB of text between code page 1251 and UTF-16 each way.
#include "richtext/model/CRNData.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

constexpr int Paragraphs = 10000;

// Five pieces per paragraph, about 100 bytes: two joinable 8-bit pieces, a bold piece, and
// two Cyrillic pieces in the Unicode style that join too.
struct Piece {
    const char* text;
    int style;
};
constexpr Piece Pieces[] = {
    {"The quick brown fox ", 0},
    {"jumps over the lazy dog ", 0},
    {"and the bold words ", 1},
    {"\xcf\xf0\xe8\xe2\xe5\xf2 \xec\xe8\xf0 ", 2},
    {"\xf1\xeb\xee\xe2\xee \xe8 \xe4\xe5\xeb\xee.", 2},
};

void SetUpSheet(TRNStyle& sheet) {
    sheet.TextStyles()[1].Style = {TFontStyle::fsBold};
    TFontInfo& unicode = sheet.TextStyles()[2];
    unicode.Unicode = true;
    unicode.Charset = RUSSIAN_CHARSET;
}

void BM_BuildAndJoinDocument(benchmark::State& state) {
    TRNStyle sheet;
    SetUpSheet(sheet);
    int64_t bytes = 0;
    for (auto _ : state) {
        TRNPlainRootData doc;
        doc.Style = &sheet;
        for (int p = 0; p < Paragraphs; ++p) {
            for (size_t k = 0; k < std::size(Pieces); ++k) {
                doc.AddNLATag(Pieces[k].text, Pieces[k].style, k == 0 ? 0 : -1, {});
            }
        }
        doc.MassSimpleConcate(0, doc.ItemCount() - 1);
        benchmark::DoNotOptimize(doc.ItemCount());
        if (bytes == 0) {
            for (const TRNItemSlot& slot : doc.Items()) {
                bytes += static_cast<int64_t>(slot.Text.size());
            }
            state.counters["items"] = doc.ItemCount();
            state.counters["stored_bytes"] = static_cast<double>(bytes);
        }
    }
}
BENCHMARK(BM_BuildAndJoinDocument)->Unit(benchmark::kMillisecond);

std::string Cyrillic1MB() {
    std::string text;
    while (text.size() < (1 << 20)) {
        text += "\xcf\xf0\xe8\xe2\xe5\xf2, \xec\xe8\xf0! Hello, world. ";
    }
    text.resize(1 << 20);
    return text;
}

void BM_Cp1251ToUtf16(benchmark::State& state) {
    const std::string text = Cyrillic1MB();
    for (auto _ : state) {
        benchmark::DoNotOptimize(RNU_AnsiToUnicode(1251, text));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(text.size()));
}
BENCHMARK(BM_Cp1251ToUtf16)->Unit(benchmark::kMillisecond);

void BM_Utf16ToCp1251(benchmark::State& state) {
    const std::string wide = RNU_AnsiToUnicode(1251, Cyrillic1MB());
    for (auto _ : state) {
        benchmark::DoNotOptimize(RNU_UnicodeToAnsi(1251, wide));
    }
    // Counted in characters converted, like the other direction.
    state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(wide.size() / 2));
}
BENCHMARK(BM_Utf16ToCp1251)->Unit(benchmark::kMillisecond);

} // namespace
