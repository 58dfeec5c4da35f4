#include "app/capture/CaptureController.h"

#include "app/binder/BinderPaths.h"
#include "app/binder/CaptureRecords.h"
#include "app/binder/NodeIds.h"
#include "app/binder/NodePageFile.h"
#include "app/binder/PageInfo.h"
#include "app/capture/CaptureFinished.h"
#include "app/capture/CapturePage.h"
#include "app/capture/FileTasks.h"
#include "app/capture/LevelStatusForm.h"
#include "app/capture/MultiCapture.h"
#include "app/capture/taskqueue.h"
#include "platform/base/EventLoopWait.h"
#include "platform/base/Files.h"
#include "platform/base/Invoker.h"
#include "platform/base/PostedMessage.h"
#include "platform/base/StringUtils.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <stdexcept>
#include <thread>

// One capture at work on a record of the tree.
struct CaptureController::Job : std::enable_shared_from_this<Job> {
    TPageInfo* Record = nullptr; // the tree's record; looked at on the main thread only
    TPageInfo Work;              // the capture's own copy of it
    MultiCapture Capture;
    std::thread Thread; // the VelmorThread or MultiPageThread; none for a task or an import
    // Runs on a thread that is not its own (the queue's poller, or the worker beside an import's
    // event loop), and is waited for by its end.
    bool Borrowed = false;
    // How its end saves the binder: at once for a page the user asked for; for the queue's
    // pages, which come one after another as a level's do, at most every CaptureSaveInterval;
    // not at all for an import's, which writes the binder once all its pages are in.
    enum class EndSave { AtOnce, AtInterval, None } Save = EndSave::AtOnce;
    std::atomic<bool> Ended{false}; // the worker no longer uses the job
    bool Released = false;          // let go by the controller (main thread)
};

namespace {

void HandOver(TPageInfo& work, TPageInfo& record) {
    record.FinalUrl = std::move(work.FinalUrl);
    record.Content = std::move(work.Content);
    record.Reload = work.Reload;
    if (!work.Progress.StatusText.empty()) {
        record.Progress.StatusText = std::move(work.Progress.StatusText); // why it failed
    }
}

} // namespace

// The main thread's side of a capture with linked pages, called from its worker.
class LevelCaptureHost : public ILevelCaptureHost {
public:
    LevelCaptureHost(CaptureController& controller, std::weak_ptr<CaptureController::Job> job)
        : controller_(controller), job_(std::move(job)) {}

    void RootCaptured() override {
        Invoker().Post([&controller = controller_, job = job_] {
            if (auto locked = job.lock()) {
                controller.RootCaptured(*locked);
            }
        });
    }

    bool AddNodeSync(std::unique_ptr<TPageInfo> page) override {
        bool added = false;
        try {
            Invoker().Invoke([&] {
                if (auto locked = job_.lock()) {
                    added = controller_.AddLevelPage(*locked, page);
                }
            });
        } catch (const std::runtime_error&) {
            // The main thread takes no more calls: the program is ending.
        }
        return added;
    }

private:
    CaptureController& controller_;
    std::weak_ptr<CaptureController::Job> job_;
};

CaptureController::CaptureController(CaptureSetup setup) : setup_(std::move(setup)) {}

CaptureController::~CaptureController() {
    if (queue_ != nullptr) {
        queue_->Stop();
        queue_->SetRunner(nullptr);
        queue_->SetStartHook(nullptr);
        queue_->SetStopHook(nullptr);
    }
    CancelAll();
}

std::shared_ptr<CaptureController::Job> CaptureController::MakeJob(TPageInfo& record, bool useCache,
                                                                   const CaptureOptions& options) {
    auto job = std::make_shared<Job>();
    job->Record = &record;
    job->Work.Id = record.Id;
    job->Work.Kind = record.Kind;
    job->Work.RequestedUrl = record.RequestedUrl;
    job->Work.FinalUrl = record.FinalUrl;
    job->Work.Content = record.Content;
    // The capture counts the resources it tries itself, not on top of an earlier capture's.
    job->Work.Content.Stats = CaptureStats{.State = record.Content.Stats.State};
    MultiCapture& capture = job->Capture;
    capture.UseCache = useCache;
    capture.Root = &job->Work;
    capture.Options = options;
    if (setup_.Paths != nullptr) {
        capture.Context.Root = setup_.Paths->BinderRoot;
        capture.Context.Store = setup_.Paths->BinderStore;
    }
    capture.Context.Cache = setup_.Cache;
    capture.Port = setup_.Port;
    capture.Context.Http = setup_.Http;
    capture.Context.PageTime = setup_.PageTime;
    capture.LevelBegun = setup_.LevelBegun;
    record.CurrentCapture = &capture;
    jobs_.push_back(job);
    return job;
}

void CaptureController::StartNodeCapture(TPageInfo& record, bool useCache,
                                         const CaptureOptions& options) {
    ILevelStatusForm* form = setup_.LevelForm;
    if (options.Levels > 0 && (form == nullptr || levelRunning_ || form->Showing())) {
        // The form serves one capture at a time; this one ends before it began, and the
        // capture already at work goes on.
        record.State = CaptureState::Stopped;
        PostCaptureDone(record.Id);
        return;
    }
    // Two captures of one record would write the same folder and race for its results.
    StopCapturesOf(record);
    record.State = CaptureState::Unfinished;
    // The record's state is stored with its statistics: stored unfinished from here on, an
    // ending or a crash before the capture ends leaves a page the next open captures again.
    record.Content.Stats.State = static_cast<int32_t>(CaptureState::Unfinished);
    if (!options.PageGiven && !useCache) {
        // The text of an earlier download is no answer to this request; stored with an
        // unfinished page, the next open would process it as the page and call it done.
        record.Content.FetchedText.clear();
    }
    if (setup_.StartBusyAnimation) {
        setup_.StartBusyAnimation();
    }
    record.Progress.StatusText = "<img \"idx:1\"> Downloading...";
    if (setup_.Paths != nullptr) {
        // The page file shows the old capture: the next showing writes the new one.
        RemoveNodePageFile(setup_.Paths->BinderRoot, setup_.Paths->BinderStore, record.Id);
    }
    if (setup_.Records != nullptr) {
        setup_.Records->RecordChanged(record);
        setup_.Records->MarkChanged();
        SaveCaptured(true);
    }
    if (options.Levels > 0) {
        RunLevels(record, useCache, options);
        return;
    }
    std::shared_ptr<Job> job = MakeJob(record, useCache, options);
    // A content sync runs quietly: the main window's wait form stays as it is.
    job->Capture.Form = options.KeepWaitFormHidden ? StatusForm::None : StatusForm::Wait;
    // VelmorThread: the page alone; the thread gets the job, which outlives it.
    job->Thread = std::thread([this, raw = job.get()] {
        CaptureJobPage(*raw);
        raw->Ended = true;
        Invoker().Post([this, weak = raw->weak_from_this()] {
            if (auto job = weak.lock()) {
                CaptureEnded(*job, true);
            }
        });
    });
}

void CaptureController::RunLevels(TPageInfo& record, bool useCache, const CaptureOptions& options) {
    ILevelStatusForm* form = setup_.LevelForm;
    std::shared_ptr<Job> job = MakeJob(record, useCache, options);
    job->Capture.Form = StatusForm::Level;
    const std::weak_ptr<Job> weak = job;
    const std::string rootUrl = record.RequestedUrl;
    // The record may be freed while the form is up (the node deleted, the binder closed):
    // from here on only the job is used.
    levelRunning_ = true;
    lastSave_ = setup_.Clock();
    struct Clear {
        bool& flag;
        ~Clear() { flag = false; }
    } clear{levelRunning_};
    form->ShowModal(
        rootUrl,
        [this, weak] {
            // MultiPageThread: started once the form is up.
            auto started = weak.lock();
            if (started == nullptr || started->Released || started->Thread.joinable()) {
                return;
            }
            started->Thread = std::thread([this, raw = started.get()] {
                LevelCaptureHost host(*this, raw->weak_from_this());
                if (raw->Capture.CaptureLevels(host)) {
                    try {
                        Invoker().Invoke([this, job = raw->weak_from_this()] {
                            // The pages are saved before the form says "Finished.", where a
                            // user may leave it for long; the root's end (3022) may still
                            // wait behind this call, and comes first.
                            PostAfterReports([this, job] {
                                if (auto finished = job.lock(); finished && !finished->Released) {
                                    SaveCaptured(true);
                                    setup_.LevelForm->Finished();
                                }
                            });
                        });
                    } catch (const std::runtime_error&) {
                        // The program is ending; there is no form to tell.
                    }
                }
                raw->Ended = true;
            });
        },
        [weak] {
            if (auto cancelled = weak.lock()) {
                cancelled->Capture.Cancel();
            }
        });
    // The form may have closed some other way than through the capture's end.
    Release(*job);
    // Cancelled, or its root failed: what it added is kept all the same.
    PostAfterReports([this] { SaveCaptured(true); });
    TellRefusal(job->Capture.StoreRefusal);
}

void CaptureController::Release(Job& job) {
    if (job.Released) {
        return;
    }
    job.Released = true;
    std::shared_ptr<Job> keep = job.shared_from_this();
    std::erase(jobs_, keep);
    job.Capture.Cancel();
    if (job.Borrowed) {
        Invoker().WaitServing([&job] { return job.Ended.load(); });
    } else {
        // The worker may wait for the main thread (a new node): keep serving it.
        Invoker().JoinServing(job.Thread);
    }
    if (TPageInfo* record = LiveRecord(job); record && record->CurrentCapture == &job.Capture) {
        record->CurrentCapture = nullptr;
    }
}

void CaptureController::StopCapturesOf(TPageInfo& record) {
    // While we wait, the poller must not start another capture of this record.
    cancelling_.insert(&record);
    for (;;) {
        auto found = std::find_if(jobs_.begin(), jobs_.end(),
                                  [&record](const auto& job) { return job->Record == &record; });
        if (found == jobs_.end()) {
            break;
        }
        std::shared_ptr<Job> job = *found;
        Release(*job);
    }
    cancelling_.erase(&record);
}

bool CaptureController::CaptureJobPage(Job& job) {
    const bool captured =
        CapturePage(job.Work, job.Capture.UseCache, &job.Capture, job.Capture.Context);
    job.Work.Reload = 1;
    return captured;
}

bool CaptureController::CapturePageNow(TPageInfo& record) {
    StopCapturesOf(record);
    if (record.Content.FetchedText.empty()) {
        return false; // nothing to capture: no capture begins, and none ends
    }
    CaptureOptions options;
    options.PageGiven = true;
    std::shared_ptr<Job> job = MakeJob(record, false, options);
    job->Capture.Form = StatusForm::None;
    job->Borrowed = true;
    job->Save = Job::EndSave::None;
    bool captured = false;
    try {
        // A stalled resource holds the worker, never the window: the event loop runs meanwhile.
        RunBesideEventLoop([&captured, raw = job.get()] {
            struct EndMark {
                std::atomic<bool>& ended;
                ~EndMark() { ended = true; }
            } mark{raw->Ended};
            captured = CaptureJobPage(*raw);
        });
    } catch (...) {
        // No worker runs any more, or none began.
        job->Ended = true;
        Release(*job);
        throw;
    }
    // Let go meanwhile (the binder closed): its results are dropped, as any capture's.
    CaptureEnded(*job, true);
    // The end is handled before the import reports on the page and goes on.
    Invoker().Drain();
    return captured;
}

void CaptureController::StopCapture(TPageInfo& record) {
    StopPageCapture(record);
}

void CaptureController::CancelCapture(TPageInfo& record) {
    StopCapturesOf(record);
}

void CaptureController::CancelAll() {
    while (!jobs_.empty()) {
        std::shared_ptr<Job> job = jobs_.front();
        Release(*job);
    }
}

void CaptureController::CaptureEnded(Job& job, bool deliver) {
    if (job.Released) {
        return; // stopped meanwhile: its results are dropped
    }
    job.Released = true;
    std::shared_ptr<Job> keep = job.shared_from_this();
    std::erase(jobs_, keep);
    if (job.Thread.joinable()) {
        job.Thread.join(); // its last act was to tell us
    }
    TPageInfo* record = LiveRecord(job);
    if (record != nullptr && record->CurrentCapture == &job.Capture) {
        record->CurrentCapture = nullptr;
    }
    if (deliver) {
        if (record != nullptr) {
            HandOver(job.Work, *record);
        }
        PostCaptureDone(job.Work.Id);
        if (job.Save != Job::EndSave::None) {
            PostAfterReports(
                [this, ended = job.Save == Job::EndSave::AtOnce] { SaveCaptured(ended); });
        }
        if (!job.Capture.StoreRefusal.empty()) {
            switch (job.Save) {
            case Job::EndSave::AtOnce:
                TellRefusal(job.Capture.StoreRefusal);
                break;
            case Job::EndSave::AtInterval:
                // The poller works every unfinished page of the binder on its own: one
                // message for all of them.
                if (!pollerToldRefusal_.exchange(true)) {
                    TellRefusal(job.Capture.StoreRefusal);
                }
                break;
            case Job::EndSave::None:
                // An import's files are one action: told once, when it ends.
                if (importRefusal_.empty()) {
                    importRefusal_ = job.Capture.StoreRefusal;
                }
                break;
            }
        }
    }
}

void CaptureController::RootCaptured(Job& job) {
    if (job.Released) {
        return;
    }
    // The levels go on; the record keeps its capture until the form closes.
    if (TPageInfo* record = LiveRecord(job)) {
        HandOver(job.Work, *record);
    }
    PostCaptureDone(job.Work.Id);
}

bool CaptureController::AddLevelPage(Job& job, std::unique_ptr<TPageInfo>& page) {
    if (job.Released) {
        return false;
    }
    const TPageInfo* root = LiveRecord(job);
    if (root == nullptr || !setup_.Records->AddPageBeside(*root, std::move(page))) {
        return false;
    }
    SaveCaptured(false);
    return true;
}

TPageInfo* CaptureController::LiveRecord(const Job& job) const {
    return setup_.Records != nullptr && setup_.Records->HoldsRecord(job.Record, job.Work.Id)
               ? job.Record
               : nullptr;
}

void CaptureController::PostCaptureDone(uint32_t id) const {
    if (setup_.Port != nullptr) {
        setup_.Port->CaptureDone(id);
    }
}

void CaptureController::SaveCaptured(bool ended) {
    if (setup_.Records == nullptr) {
        return;
    }
    const std::chrono::steady_clock::time_point now = setup_.Clock();
    if (!ended && now - lastSave_ < CaptureSaveInterval) {
        return;
    }
    lastSave_ = now;
    setup_.Records->SaveChanges();
}

void CaptureController::PostAfterReports(std::function<void()> call) {
    // The main thread's calls run in the order they were posted.
    Invoker().Post([self = std::weak_ptr<CaptureController*>(self_), call = std::move(call)] {
        if (self.lock() != nullptr) {
            call();
        }
    });
}

void CaptureController::TellRefusal(const std::string& refusal) {
    if (refusal.empty() || !setup_.Tell) {
        return;
    }
    // After the record shows the capture failed, so the box stands over what it explains.
    PostAfterReports([this, text = refusal] { setup_.Tell(text); });
}

void CaptureController::ImportEnded() {
    TellRefusal(std::exchange(importRefusal_, std::string()));
}

// ---- the download queue ----------------------------------------------------------------------

void CaptureController::ServeTaskQueue(TaskQueue& queue) {
    queue_ = &queue;
    queue.SetRunner([this](TaskQueue& tasks, const Task& task, int index) {
        if (SameText(task.Kind, UnfinishedPageKind)) {
            RunPageTask(tasks, task, index);
        } else {
            RunFileTaskOf(tasks, task, index);
        }
    });
    queue.SetStartHook([this](TaskQueue& tasks) {
        pollerToldRefusal_ = false;
        const auto [folder, store] = BinderFoldersSync();
        RemoveFileTaskLeftovers(folder, store, tasks.Tasks());
    });
    queue.SetStopHook([this] {
        std::lock_guard<std::mutex> guard(pollerLock_);
        if (pollerJob_ != nullptr) {
            pollerJob_->Capture.Cancel();
        }
    });
}

std::pair<std::string, std::string> CaptureController::BinderFoldersSync() const {
    std::pair<std::string, std::string> folders;
    try {
        Invoker().Invoke([&] {
            if (setup_.Paths != nullptr) {
                folders = {setup_.Paths->BinderRoot, setup_.Paths->BinderStore};
            }
        });
    } catch (const std::runtime_error&) {
        // The main thread takes no more calls: no folder is known, so nothing is written.
    }
    return folders;
}

std::shared_ptr<CaptureController::Job> CaptureController::FindNodeSync(uint32_t id, bool& drop) {
    TPageInfo* record = setup_.Records != nullptr ? setup_.Records->FindRecord(id) : nullptr;
    // A page that has completed, failed or stopped since its task was queued keeps what it has.
    drop = record != nullptr && !IsUnfinishedPage(*record);
    if (record == nullptr || drop || cancelling_.count(record) != 0 ||
        std::any_of(jobs_.begin(), jobs_.end(),
                    [record](const auto& job) { return job->Record == record; })) {
        return nullptr; // the node is gone, or a capture works on it already
    }
    // Levels 0, pages of the same site only; captured on the poller itself.
    std::shared_ptr<Job> job = MakeJob(*record, true, CaptureOptions{});
    job->Borrowed = true;
    job->Save = Job::EndSave::AtInterval;
    job->Capture.Background = false;
    return job;
}

void CaptureController::RunPageTask(TaskQueue& queue, const Task& task, int index) {
    std::shared_ptr<Job> job;
    bool drop = false;
    try {
        Invoker().Invoke([&] { job = FindNodeSync(task.NodeId, drop); });
    } catch (const std::runtime_error&) {
        // The main thread takes no more calls: nothing can be captured.
    }
    if (drop) {
        queue.DropTask(index);
        return;
    }
    if (job == nullptr) {
        queue.SetTaskState(index, TaskFailed);
        return;
    }
    {
        std::lock_guard<std::mutex> guard(pollerLock_);
        pollerJob_ = job;
    }
    // A Stop that came before the job was known here did not cancel it.
    if (queue.StopRequested()) {
        job->Capture.Cancel();
    }
    const bool captured = CaptureJobPage(*job);
    {
        std::lock_guard<std::mutex> guard(pollerLock_);
        pollerJob_.reset();
    }
    // A capture cut short by closing the binder leaves the record unfinished and the task
    // pending, so both are taken up again when the binder opens next.
    const bool cancelled = job->Capture.IsCancelled();
    const bool stopped = cancelled && queue.StopRequested();
    job->Ended = true;
    Invoker().Post([this, weak = std::weak_ptr<Job>(job), stopped] {
        if (auto ended = weak.lock()) {
            CaptureEnded(*ended, !stopped);
        }
    });
    job.reset();
    queue.SetTaskState(index, stopped                  ? TaskWaiting
                              : captured && !cancelled ? TaskDone
                                                       : TaskFailed);
}

void CaptureController::RunFileTaskOf(TaskQueue& queue, const Task& task, int index) {
    const auto [folder, store] = BinderFoldersSync();
    FileTaskEnd end = RunFileTask(queue, task, index, folder, store, setup_.Http);
    if (end.State == TaskWaiting) {
        queue.SetTaskState(index, TaskWaiting); // worked again at the next open
        return;
    }
    try {
        // The file takes its name and the state reaches the binder file in one call on the main
        // thread, so nothing there sees the file named before its task is written done.
        Invoker().Invoke([&] { FileTaskEnded(queue, index, end); });
    } catch (const std::runtime_error&) {
        // The main thread takes no more calls: the task stays to be worked again.
        DiscardFileTaskEnd(end);
        queue.SetTaskState(index, TaskWaiting);
    }
}

void CaptureController::FileTaskEnded(TaskQueue& queue, int index, FileTaskEnd& end) {
    const int32_t state = FinishFileTask(end);
    queue.SetTaskState(index, state, end.Failure);
    if (!setup_.StoreTasks) {
        return;
    }
    const std::chrono::steady_clock::time_point now = setup_.Clock();
    if (taskStoreFailed_ && now - *taskStoreFailed_ < CaptureSaveInterval) {
        return;
    }
    if (setup_.StoreTasks()) {
        taskStoreFailed_.reset();
    } else {
        taskStoreFailed_ = now;
    }
}
