// Typing 100 characters one at a time in the middle of the 10,000-paragraph notes document:
// each a KeyPress with its undo record, the partial reformat and the caret. Beside it the same
// document ten times larger, a view so wide that the typing never adds a line, QTextCursor
// inserting the same characters with layout in the same run, and Undo of the 100 characters.
#include "../tests/richtext_view/ViewFixture.h"
#include "NotesDocument.h"

#include "platform/graphics/QtCanvas.h"
#include "richtext/view/RNERNData.h"

#include <QAbstractTextDocumentLayout>
#include <QTextBlock>

#include <benchmark/benchmark.h>

#include <map>

namespace {

constexpr int Height = 800;
constexpr int Paragraphs = 10000;
constexpr int Typed = 100;

class QuietEditHost : public IRNEditHost {
public:
    TRNEditorOptions GetEditorOptions() const override { return {}; }
    void DoChange(bool) override {}
    void CurTextStyleChanged() override {}
    void CurParaStyleChanged() override {}
    int ConvertStyle(int styleNo, int, bool) override { return styleNo; }
    void SetCaret(int, int, int, int) override {}
    void HideCaret() override {}
};

struct Editor {
    bench::Notes Source;
    QImage Image;
    TQtCanvas Canvas;
    FakeHost Host;
    QuietEditHost Edit;
    std::unique_ptr<TRNEditRNData> Data;
    int MiddleItem = 0;

    Editor(int paragraphs, int width)
        : Source(0, width, Height),
          Image(width > 4000 ? 4000 : width, Height, QImage::Format_RGB32), Canvas(&Image, 96) {
        Host.Style = &Source.Sheet;
        Host.Canvas = &Canvas;
        Host.ClientWidth = width;
        Host.ClientHeight = Height;
        Data = std::make_unique<TRNEditRNData>(Host, Edit);
        for (int p = 0; p < paragraphs; ++p) {
            if (p == paragraphs / 2) {
                MiddleItem = Data->ItemCount();
            }
            for (size_t r = 0; r < std::size(bench::Runs); ++r) {
                Data->AddNL(bench::Runs[r].Text, bench::Runs[r].Style, r == 0 ? 0 : -1);
            }
            if (p % bench::PictureEvery == 0) {
                Data->AddPictureEx(
                    "picture", std::make_unique<TBitmap>(bench::PictureSize, bench::PictureSize),
                    -1, TRNVAlign::rnvaBaseline);
            }
        }
        Data->Format();
    }

    void PutCaret() {
        Data->SetCaretAtItem(MiddleItem, 10);
        Data->ChangeCaret(false, false, false, false);
    }
    void Type() {
        for (int i = 0; i < Typed; ++i) {
            Data->KeyPress(u"x");
        }
    }
    void UndoTyping() {
        while (Data->UndoList().Count() > 0) {
            Data->UndoList().Undo(*Data);
        }
        Data->RedoList().Clear();
    }
};

Editor& Notes(int paragraphs, int width) {
    static auto& editors = bench::Keep<std::map<std::pair<int, int>, std::unique_ptr<Editor>>>();
    auto& slot = editors[{paragraphs, width}];
    if (!slot) {
        slot = std::make_unique<Editor>(paragraphs, width);
    }
    return *slot;
}

void TypeInTheMiddle(benchmark::State& state, int paragraphs, int width) {
    bench::App();
    Editor& e = Notes(paragraphs, width);
    for (auto _ : state) {
        state.PauseTiming();
        e.PutCaret();
        state.ResumeTiming();
        e.Type();
        state.PauseTiming();
        e.UndoTyping();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Typed);
}

void BM_Type1MB(benchmark::State& state) {
    TypeInTheMiddle(state, Paragraphs, 1000);
}
BENCHMARK(BM_Type1MB)->Unit(benchmark::kMillisecond);

void BM_Type10MB(benchmark::State& state) {
    TypeInTheMiddle(state, 10 * Paragraphs, 1000);
}
BENCHMARK(BM_Type10MB)->Unit(benchmark::kMillisecond);

// So wide that the typed characters never add a line.
void BM_Type1MBNoNewLine(benchmark::State& state) {
    TypeInTheMiddle(state, Paragraphs, 30000);
}
BENCHMARK(BM_Type1MBNoNewLine)->Unit(benchmark::kMillisecond);

void BM_Type10MBNoNewLine(benchmark::State& state) {
    TypeInTheMiddle(state, 10 * Paragraphs, 30000);
}
BENCHMARK(BM_Type10MBNoNewLine)->Unit(benchmark::kMillisecond);

void BM_UndoTyping1MB(benchmark::State& state) {
    bench::App();
    Editor& e = Notes(Paragraphs, 1000);
    for (auto _ : state) {
        state.PauseTiming();
        e.PutCaret();
        e.Type();
        state.ResumeTiming();
        e.UndoTyping();
    }
}
BENCHMARK(BM_UndoTyping1MB)->Unit(benchmark::kMillisecond);

void BM_QTextCursorType1MB(benchmark::State& state) {
    bench::App();
    static QTextDocument* doc = [] {
        auto* d = new QTextDocument;
        bench::FillTextDocument(*d, Paragraphs);
        d->setTextWidth(1000);
        d->documentLayout()->documentSize();
        return d;
    }();
    const int middle = doc->findBlockByNumber(Paragraphs / 2).position() + 10;
    for (auto _ : state) {
        QTextCursor cursor(doc);
        cursor.setPosition(middle);
        for (int i = 0; i < Typed; ++i) {
            cursor.insertText(QStringLiteral("x"));
            benchmark::DoNotOptimize(doc->documentLayout()->documentSize());
        }
        state.PauseTiming();
        cursor.setPosition(middle);
        cursor.setPosition(middle + Typed, QTextCursor::KeepAnchor);
        cursor.removeSelectedText();
        doc->documentLayout()->documentSize();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * Typed);
}
BENCHMARK(BM_QTextCursorType1MB)->Unit(benchmark::kMillisecond);

} // namespace

TARNWICK_BENCHMARK_MAIN(QGuiApplication)
