// Walking through a binder of notes in the main window: a thousand note nodes, each with a
// stored note of about 10 KB, selected one after another, each shown in the notes editor and
// painted before the next is selected; and the same walk without the painting.
#include "app/binder/BinderPaths.h"
#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/binder/Settings.h"
#include "app/capture/taskqueue.h"
#include "app/ui/FormVelmorRnx.h"
#include "app/ui/NotesCommands.h"
#include "app/ui/NotesPart.h"
#include "app/ui/NotesStorage.h"
#include "platform/base/Invoker.h"
#include "platform/base/MemorySettingsStore.h"
#include "richtext/tables/RNTable.h"
#include "richtext/view/RNEdit.h"

#include "BenchSupport.h"
#include "MainWindowBench.h"

#include <QApplication>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <memory>
#include <vector>

namespace {

constexpr int NoteNodes = 1000;
constexpr size_t NoteBytes = 10 * 1024;

std::string Paragraph(int i) {
    std::string s = "Paragraph " + std::to_string(i) + ": ";
    while (s.size() < 96) {
        s += "the quick brown fox jumps over the lazy dog ";
    }
    s.resize(96);
    return s;
}

// The main window with a tree of note nodes, shown on the offscreen platform.
struct BenchWindow : bench::MainWindow {
    std::vector<TTreeNode*> Nodes;
    size_t StoredBytes = 0;

    BenchWindow() {
        Show();

        // The note is written by the notes editor itself, so it is what the editor stores.
        TRichNoteEdit& editor = Window->NotesPart().Commands().RichNoteEdit1();
        TPageInfo written;
        editor.Clear();
        for (int i = 0; static_cast<size_t>(written.Notes.GetLength()) < NoteBytes; ++i) {
            for (int j = 0; j < 8; ++j) {
                editor.AddNL(Paragraph(i * 8 + j), j % 4 == 3 ? 1 : 0, 0);
            }
            editor.Format();
            saveRichContent(written.Notes, editor);
        }
        StoredBytes = written.Notes.GetLength();
        TTreeNodes& items = Window->Binder().Items();
        for (int n = 0; n < NoteNodes; ++n) {
            auto record = std::make_unique<TPageInfo>();
            record->Kind = NodeKind::Notes;
            record->Title = "Note " + std::to_string(n);
            record->State = CaptureState::Completed;
            record->Notes.AppendRaw(written.Notes.GetBuffer(), written.Notes.GetLength());
            const std::string title = record->Title;
            Nodes.push_back(items.AddChildObject(nullptr, title, std::move(record)));
        }
        QCoreApplication::processEvents();
    }
};

BenchWindow* window = nullptr;

void BM_ShowNotes(benchmark::State& state) {
    TTreeNodes& items = window->Window->Binder().Items();
    TRichNoteEdit& editor = window->Window->NotesPart().Commands().RichNoteEdit1();
    const uint32_t layoutsBefore = editor.RNData().WholeLayouts;
    for (auto _ : state) {
        for (TTreeNode* node : window->Nodes) {
            items.SetSelected(node);
            // The editor paints the note before the next node is chosen.
            QCoreApplication::processEvents();
        }
        if (editor.GetLineCount() < 2) {
            state.SkipWithError("the notes editor did not show the note");
            break;
        }
    }
    state.counters["note KB"] = static_cast<double>(window->StoredBytes) / 1024.0;
    // Every note shown should be laid out once.
    state.counters["layouts/note"] =
        static_cast<double>(editor.RNData().WholeLayouts - layoutsBefore) /
        static_cast<double>(std::max<int64_t>(state.iterations() * NoteNodes, 1));
    state.counters["notes/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * NoteNodes), benchmark::Counter::kIsRate);
}

// The same walk with the painting left to the end of the walk: what a selection costs up to
// the note being in the editor, laid out.
void BM_LoadNotes(benchmark::State& state) {
    TTreeNodes& items = window->Window->Binder().Items();
    TRichNoteEdit& editor = window->Window->NotesPart().Commands().RichNoteEdit1();
    for (auto _ : state) {
        for (TTreeNode* node : window->Nodes) {
            items.SetSelected(node);
        }
        if (editor.GetLineCount() < 2) {
            state.SkipWithError("the notes editor did not show the note");
            break;
        }
        state.PauseTiming();
        QCoreApplication::processEvents();
        state.ResumeTiming();
    }
    state.counters["notes/s"] = benchmark::Counter(
        static_cast<double>(state.iterations() * NoteNodes), benchmark::Counter::kIsRate);
}

BENCHMARK(BM_ShowNotes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_LoadNotes)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    return bench::RunWithMainWindow(argc, argv, [] {
        BenchWindow shown;
        window = &shown;
        benchmark::RunSpecifiedBenchmarks();
        window = nullptr;
    });
}
