// A 100 x 20 table of one-paragraph cells saved as RNF and loaded back, against the same 2,000
// paragraphs as one plain document. Target: saving and loading the table each take at most
// twice the time of the plain document. Every cell is a document of its own, written and read
// whole, so the cells' documents alone set a floor, measured here too.
// A table stream declares its grid before its cells: a 1000 x 1000 grid declared in a few
// bytes costs next to nothing, and the same grid merged into one cell costs its slots only.

#include "bench/NotesText.h"

#include "platform/base/Stream.h"
#include "platform/graphics/ComponentStream.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNStyle.h"
#include "richtext/tables/RNTable.h"

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

namespace {

constexpr int Rows = 100, Cols = 20;

struct Document {
    TRNStyle Sheet;
    TRNPlainRootData Doc;
    Document() {
        Doc.Style = &Sheet;
        RegisterTableItemClass();
    }
};

void BuildTable(TRNPlainRootData& doc) {
    auto table = std::make_unique<TRNTableItemInfo>(Rows, Cols, &doc);
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Cols; ++c) {
            TRNTableCellData& cell = *table->Cells(r, c);
            cell.Clear();
            cell.AddNL(bench::Paragraph(r * Cols + c), 0, 0);
        }
    }
    doc.AddItem("", std::move(table));
}

void BuildPlain(TRNPlainRootData& doc) {
    for (int i = 0; i < Rows * Cols; ++i) {
        doc.AddNL(bench::Paragraph(i), 0, 0);
    }
}

std::string Save(TRNPlainRootData& doc) {
    TMemoryStream stream;
    doc.SaveRNFToStream(stream, false, clNone, nullptr);
    return stream.Bytes();
}

void Save(benchmark::State& state, void (*build)(TRNPlainRootData&)) {
    Document d;
    build(d.Doc);
    size_t bytes = 0;
    for (auto _ : state) {
        bytes = Save(d.Doc).size();
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes) * state.iterations());
}

void Load(benchmark::State& state, void (*build)(TRNPlainRootData&)) {
    Document source;
    build(source.Doc);
    const std::string bytes = Save(source.Doc);
    Document d;
    for (auto _ : state) {
        TMemoryStream stream;
        stream.WriteString(bytes);
        stream.SetPosition(0);
        TColor color = clNone;
        if (!d.Doc.LoadRNFFromStream(stream, color, nullptr)) {
            state.SkipWithError(d.Doc.RNFError.c_str());
        }
    }
    state.SetBytesProcessed(static_cast<int64_t>(bytes.size()) * state.iterations());
}

void BM_SaveTable(benchmark::State& state) {
    Save(state, BuildTable);
}
BENCHMARK(BM_SaveTable)->Unit(benchmark::kMillisecond);

void BM_SavePlainParagraphs(benchmark::State& state) {
    Save(state, BuildPlain);
}
BENCHMARK(BM_SavePlainParagraphs)->Unit(benchmark::kMillisecond);

void BM_LoadTable(benchmark::State& state) {
    Load(state, BuildTable);
}
BENCHMARK(BM_LoadTable)->Unit(benchmark::kMillisecond);

void BM_LoadPlainParagraphs(benchmark::State& state) {
    Load(state, BuildPlain);
}
BENCHMARK(BM_LoadPlainParagraphs)->Unit(benchmark::kMillisecond);

// The floor under the table: its cells' own documents saved and loaded one by one, without the
// component stream around them.
void BM_SaveCellDocumentsAlone(benchmark::State& state) {
    Document d;
    BuildTable(d.Doc);
    auto& table = d.Doc.CheckItemClass<TRNTableItemInfo>(0);
    for (auto _ : state) {
        for (int r = 0; r < Rows; ++r) {
            for (int c = 0; c < Cols; ++c) {
                TMemoryStream stream;
                table.Cells(r, c)->DataWriter(stream);
                benchmark::DoNotOptimize(stream.Bytes().data());
            }
        }
    }
}
BENCHMARK(BM_SaveCellDocumentsAlone)->Unit(benchmark::kMillisecond);

void BM_LoadCellDocumentsAlone(benchmark::State& state) {
    Document d;
    BuildTable(d.Doc);
    auto& table = d.Doc.CheckItemClass<TRNTableItemInfo>(0);
    std::vector<std::string> documents;
    for (int r = 0; r < Rows; ++r) {
        for (int c = 0; c < Cols; ++c) {
            TMemoryStream stream;
            table.Cells(r, c)->DataWriter(stream);
            documents.push_back(stream.Bytes());
        }
    }
    for (auto _ : state) {
        for (int i = 0; i < Rows * Cols; ++i) {
            TMemoryStream stream;
            stream.WriteString(documents[static_cast<size_t>(i)]);
            stream.SetPosition(0);
            table.Cells(i / Cols, i % Cols)->DataReader(stream);
        }
    }
}
BENCHMARK(BM_LoadCellDocumentsAlone)->Unit(benchmark::kMillisecond);

// A table stream of a 1000 x 1000 grid with one cell spanning all of it, or with no cell.
std::string LargeGridStream(bool withCell) {
    TWriter writer;
    writer.WriteSignature();
    writer.WriteComponentHeader("TRNTableSW", "");
    writer.WritePropName("C");
    writer.WriteInteger(1000);
    writer.WriteInteger(1000);
    writer.WriteListBegin();
    if (withCell) {
        writer.WriteInteger(1000);
        writer.WriteInteger(1000);
        writer.WriteComponentHeader("TD", "");
        writer.WriteListEnd();
        writer.WriteListEnd();
    }
    writer.WriteListEnd();
    writer.WriteListEnd();
    writer.WriteListEnd();
    return writer.TakeBytes();
}

void LoadLargeGrid(benchmark::State& state, bool withCell) {
    Document d;
    const std::string bytes = LargeGridStream(withCell);
    for (auto _ : state) {
        TRNTableItemInfo table(1, 1, &d.Doc);
        TMemoryStream stream;
        stream.WriteString(bytes);
        stream.SetPosition(0);
        try {
            table.LoadFromStream(stream);
        } catch (const EReadError&) {
            if (withCell) {
                state.SkipWithError("the merged grid was refused");
            }
        }
        benchmark::DoNotOptimize(table.Rows.Count());
    }
}

void BM_LoadUnbackedLargeGrid(benchmark::State& state) {
    LoadLargeGrid(state, false);
}
BENCHMARK(BM_LoadUnbackedLargeGrid)->Unit(benchmark::kMicrosecond);

void BM_LoadLargeGridMergedIntoOneCell(benchmark::State& state) {
    LoadLargeGrid(state, true);
}
BENCHMARK(BM_LoadLargeGridMergedIntoOneCell)->Unit(benchmark::kMillisecond);

} // namespace
