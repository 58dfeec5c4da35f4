#pragma once

// What the picture benchmarks share: notes of pictures stored by the notes editor of the real
// main window and opened as selecting their node opens them, a watch on the window's event loop
// (the longest it kept a timer of 5 ms waiting, and the peak memory of the converting processes
// meanwhile), and the end of a preparation: every picture asked for ready or refused, and the
// view painted again.

#include "app/binder/BinderTree.h"
#include "app/binder/PageInfo.h"
#include "app/ui/NotesCommands.h"
#include "app/ui/NotesPart.h"
#include "app/ui/NotesStorage.h"
#include "richtext/view/RNEdit.h"
#include "tests/support/PicturesReady.h"

#include "MainWindowBench.h"

#include <QElapsedTimer>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <dirent.h>
#include <functional>
#include <memory>
#include <string>
#include <thread>

#include <sys/resource.h>

namespace bench {

// The peak resident size in kilobytes of this process's children now running (the converting
// processes), each read from its own status.
inline long ChildrenPeakKb() {
    long peak = 0;
    DIR* tasks = ::opendir("/proc/self/task");
    if (tasks == nullptr) {
        return 0;
    }
    while (const dirent* task = ::readdir(tasks)) {
        if (task->d_name[0] == '.') {
            continue;
        }
        std::ifstream children(std::string("/proc/self/task/") + task->d_name + "/children");
        std::string pid;
        while (children >> pid) {
            peak = std::max(peak, StatusKb("VmHWM:", pid));
        }
    }
    ::closedir(tasks);
    return peak;
}

// The largest peak resident size in kilobytes of the children that ended and were waited for.
inline long EndedChildrenPeakKb() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

// Watches the event loop from its making to its end: a timer of 5 ms, whose lateness is how long
// the loop kept it waiting; at each tick the children's peak memory is read.
class EventLoopWatch : public QObject {
public:
    EventLoopWatch() {
        clock_.start();
        childrenEnded_ = EndedChildrenPeakKb();
        connect(&timer_, &QTimer::timeout, this, [this] { Tick(); });
        timer_.setTimerType(Qt::PreciseTimer);
        timer_.start(Interval);
    }

    // The longest the loop kept the timer waiting beyond its interval, in milliseconds.
    double LongestWaitMs() {
        Tick();
        return static_cast<double>(longest_) / 1e6;
    }
    // The largest peak of a converting process seen running, or of one that ended meanwhile
    // (when the largest ever ended is larger than before), in MB.
    double ChildrenPeakMb() const {
        const long ended = EndedChildrenPeakKb();
        return static_cast<double>(std::max(running_, ended > childrenEnded_ ? ended : 0)) / 1024;
    }

private:
    static constexpr int Interval = 5;

    void Tick() {
        const qint64 now = clock_.nsecsElapsed();
        longest_ = std::max(longest_, now - last_ - qint64{Interval} * 1000000);
        last_ = now;
        running_ = std::max(running_, ChildrenPeakKb());
    }

    QTimer timer_;
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    long running_ = 0;
    long childrenEnded_ = 0;
};

// The main window, shown, with a node of the empty note to select between openings.
struct PictureWindow : MainWindow {
    TTreeNode* Empty = nullptr;

    PictureWindow() {
        Show();
        Window->resize(1200, 900);
        Empty = AddNote("empty", [](TRichNoteEdit& editor) { editor.AddNL("", 0, 0); });
    }

    TRichNoteEdit& Editor() { return Window->NotesPart().Commands().RichNoteEdit1(); }

    // A node holding the note the notes editor stores after `fill` wrote into it.
    TTreeNode* AddNote(const std::string& title, const std::function<void(TRichNoteEdit&)>& fill) {
        TRichNoteEdit& editor = Editor();
        editor.Clear();
        fill(editor);
        editor.Format();
        auto record = std::make_unique<TPageInfo>();
        record->Kind = NodeKind::Notes;
        record->Title = title;
        record->State = CaptureState::Completed;
        saveRichContent(record->Notes, editor);
        editor.Clear();
        return Window->Binder().Items().AddChildObject(nullptr, title, std::move(record));
    }

    // Opens the empty note and lets go of every prepared picture: the next opening starts cold,
    // on a machine at rest (the converting processes started in place of those the last opening
    // used have had their start).
    void StartCold() {
        Window->Binder().Items().SetSelected(Empty);
        WaitForPictures();
        PicturePreparer().Forget();
        std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }

    // Opens the note of `node` as a selection does, and paints the editor once.
    void OpenAndPaint(TTreeNode* node) {
        Window->Binder().Items().SetSelected(node);
        Editor().repaint();
    }
};

} // namespace bench
