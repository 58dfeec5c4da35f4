// The editor control at the caret of the 10,000-paragraph notes document: pasting the same
// document's 1 MB of RNF as one undoable step, undoing it, and beside them a plain load of
// the same bytes in the same run; then one keystroke from the key event to the repainted line.
#include "NotesDocument.h"

#include "platform/base/Stream.h"
#include "richtext/view/RNEdit.h"

#include <QApplication>
#include <QKeyEvent>

#include <benchmark/benchmark.h>

namespace {

constexpr int Paragraphs = 10000;

struct NotesEditor {
    bench::Notes Source{0, 1000, 800};
    TRichNoteEdit Edit;
    std::string Rnf;
    int MiddleItem = 0;

    NotesEditor() {
        Edit.SetStyle(&Source.Sheet);
        Edit.resize(1000, 800);
        for (int p = 0; p < Paragraphs; ++p) {
            if (p == Paragraphs / 2) {
                MiddleItem = Edit.GetLineCount();
            }
            for (size_t r = 0; r < std::size(bench::Runs); ++r) {
                Edit.AddNL(bench::Runs[r].Text, bench::Runs[r].Style, r == 0 ? 0 : -1);
            }
            if (p % bench::PictureEvery == 0) {
                Edit.AddPictureEx("picture",
                                  std::make_unique<TBitmap>(bench::PictureSize, bench::PictureSize),
                                  -1, TRNVAlign::rnvaBaseline);
            }
        }
        Edit.Format();
        TMemoryStream stream;
        Edit.SaveRNFToStream(stream, false);
        Rnf = stream.Bytes();
    }
    void PutCaret() {
        Edit.EditData().SetCaretAtItem(MiddleItem, 10);
        Edit.EditData().ChangeCaret(false, false, false, false);
    }
    bool Paste() {
        TMemoryStream stream;
        stream.Write(Rnf.data(), static_cast<int64_t>(Rnf.size()));
        stream.Seek(0, TSeekOrigin::soBeginning);
        return Edit.InsertRNFFromStreamEd(stream);
    }
};

NotesEditor& Notes() {
    bench::WidgetApp();
    static NotesEditor& editor = bench::Keep<NotesEditor>();
    return editor;
}

void BM_PasteRNF1MB(benchmark::State& state) {
    NotesEditor& e = Notes();
    state.counters["bytes"] = static_cast<double>(e.Rnf.size());
    for (auto _ : state) {
        state.PauseTiming();
        e.PutCaret();
        state.ResumeTiming();
        if (!e.Paste()) {
            state.SkipWithError("paste failed");
            break;
        }
        state.PauseTiming();
        e.Edit.Undo();
        e.Edit.ClearRedo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_PasteRNF1MB)->Unit(benchmark::kMillisecond);

void BM_UndoPasteRNF1MB(benchmark::State& state) {
    NotesEditor& e = Notes();
    for (auto _ : state) {
        state.PauseTiming();
        e.PutCaret();
        e.Paste();
        state.ResumeTiming();
        e.Edit.Undo();
        state.PauseTiming();
        e.Edit.ClearRedo();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_UndoPasteRNF1MB)->Unit(benchmark::kMillisecond);

// The plain load of the same bytes into a control of the same size, and with its format.
void LoadRNF(benchmark::State& state, bool format) {
    NotesEditor& e = Notes();
    TRichNote viewer;
    viewer.SetStyle(&e.Source.Sheet);
    viewer.resize(1000, 800);
    for (auto _ : state) {
        TMemoryStream stream;
        stream.Write(e.Rnf.data(), static_cast<int64_t>(e.Rnf.size()));
        stream.Seek(0, TSeekOrigin::soBeginning);
        benchmark::DoNotOptimize(viewer.LoadRNFFromStream(stream));
        if (format) {
            viewer.Format();
        }
    }
}

void BM_LoadRNF1MB(benchmark::State& state) {
    LoadRNF(state, false);
}
BENCHMARK(BM_LoadRNF1MB)->Unit(benchmark::kMillisecond);

void BM_LoadAndFormatRNF1MB(benchmark::State& state) {
    LoadRNF(state, true);
}
BENCHMARK(BM_LoadAndFormatRNF1MB)->Unit(benchmark::kMillisecond);

// A key event with its text, then the paint of what it invalidated.
void BM_KeystrokeToRepaint(benchmark::State& state) {
    NotesEditor& e = Notes();
    e.Edit.show();
    e.PutCaret();
    int typed = 0;
    for (auto _ : state) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_X, Qt::NoModifier, QStringLiteral("x"));
        QApplication::sendEvent(&e.Edit, &press);
        e.Edit.Update();
        if (++typed == 100) {
            state.PauseTiming();
            while (e.Edit.EditData().UndoList().Count() > 0) {
                e.Edit.Undo();
            }
            e.Edit.ClearRedo();
            e.PutCaret();
            typed = 0;
            state.ResumeTiming();
        }
    }
    e.Edit.hide();
}
BENCHMARK(BM_KeystrokeToRepaint)->Unit(benchmark::kMillisecond);

} // namespace

TARNWICK_BENCHMARK_MAIN(QApplication)
