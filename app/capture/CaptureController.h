#pragma once

// The capture engine as the binder commands, the window and the download queue drive it.
//
// Every capture works on its own copy of the record, on a worker thread. When it ends, the
// main thread hands the copy's results (final URL, page content, statistics) to the tree's
// record, provided that record is still in the tree, and tells the window with message 3022.
// So a worker never touches the tree or one of its records: tree look-ups and new nodes go
// through the main-thread invoker, and the window always shows and saves a whole record.
// Stopping the captures of a record (delete, close, reload, a new capture of the record)
// cancels them and waits for their workers, serving the invoker meanwhile; their results are
// dropped.

#include "app/binder/CaptureStarter.h"
#include "app/capture/TransferBounds.h"
#include "platform/net/HttpClient.h"

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <string>
#include <utility>
#include <vector>

class ILevelStatusForm;
class IUrlCache;
struct FileTaskEnd;
class TCapturePort;
class ICaptureRecords;
class TaskQueue;
struct BinderPaths;
struct Task;

struct CaptureSetup {
    ICaptureRecords* Records = nullptr; // the binder's records; without them none is captured
    const BinderPaths* Paths = nullptr; // where the node folders are; read when a capture starts
    TCapturePort* Port = nullptr;       // where the captures report (3022, 3019)
    // The status form of captures with linked pages; without one they are refused.
    ILevelStatusForm* LevelForm = nullptr;
    IUrlCache* Cache = nullptr;
    // Timeouts of every transfer and the largest resource or file (MaxResourceSize).
    HttpOptions Http = BoundedTransferOptions();
    // The whole time one page's capture may take, its resources included (MaxPageTime).
    std::chrono::milliseconds PageTime = MaxPageTime;
    std::function<void()> StartBusyAnimation;
    // Writes the queue's tasks into the open binder's file (its task section), through the
    // atomic writer; false when it could not (the window was told why). None: nothing is
    // written when a task ends.
    std::function<bool()> StoreTasks;
    // The clock of the saves during long captures; tests set their own.
    std::function<std::chrono::steady_clock::time_point()> Clock = std::chrono::steady_clock::now;
    // Told on the worker as each level of a capture with linked pages begins; tests count the
    // levels with it.
    std::function<void(int64_t level)> LevelBegun;
    // Shows the user a message (a box); on the main thread. None: nothing is shown.
    std::function<void(const std::string& text)> Tell;
};

// While a capture with linked pages (or the download queue) keeps adding pages, the binder is
// saved at most this often; a capture's end saves at once.
inline constexpr std::chrono::seconds CaptureSaveInterval{30};

// Everything runs on the main thread unless said otherwise.
//
// What captures bring is saved as they go: the binder's changes are written when a capture
// ends (the page alone, or the last level of one with linked pages, or one stopped or closed
// early), and while a capture with linked pages or the download queue keeps adding pages, at
// most every CaptureSaveInterval; a crash then loses at most the pages of that last stretch.
// The pages of an HTML import are written by the import, once all of them are in.
class CaptureController : public ICaptureStarter {
public:
    explicit CaptureController(CaptureSetup setup);
    // Stops the queue it serves and every capture, and waits for them.
    ~CaptureController() override;
    CaptureController(const CaptureController&) = delete;
    CaptureController& operator=(const CaptureController&) = delete;

    // A capture whose page could not be stored (StoreRefusal) tells the user so through Tell,
    // after its end has been shown: once per capture the user asks for (with linked pages, once
    // for all its pages), and once per run of the queue's poller.
    //
    // Stops any capture still working on the record, makes it unfinished
    // ("<img \"idx:1\"> Downloading...") and saves it so, without the text of an earlier
    // download unless that is the page to process (handed over, or `useCache`), and captures
    // its page: on a worker without levels; with levels behind the modal status form,
    // returning when the form has closed. Only one capture with levels runs at a time: another
    // is refused and its record ends stopped.
    void StartNodeCapture(TPageInfo& record, bool useCache, const CaptureOptions& options) override;
    // Cancels the captures working on the record and waits for them (deleting, closing,
    // reloading); their results are dropped and the record stays unfinished, as its capture's
    // start stored it, so the next open captures it again. The stop command instead cancels
    // through the record's CurrentCapture (set while a capture works on it): that capture then
    // ends as usual, and its 3022 shows the record stopped.
    void CancelCapture(TPageInfo& record) override;
    // Captures the record's page from the text it holds (a local file being imported), with
    // its resources, as a capture of the page alone: on a worker, within the page's time,
    // reporting through the port, and stopped as any capture; the status of its parse stays
    // off the wait form, which belongs to the import. Meanwhile the main thread's event loop
    // runs (the window paints, the import's Cancel is heard). Returns once the capture has
    // ended and its end (3022) has been handled. False when the record holds no text.
    bool CapturePageNow(TPageInfo& record) override;
    // As the user's Stop (StopPageCapture).
    void StopCapture(TPageInfo& record) override;
    void ImportEnded() override;
    // Cancels every capture and waits for them (closing the binder, after its queue stopped).
    void CancelAll();
    // While a capture with linked pages has its status form up.
    bool LevelCaptureRunning() const override { return levelRunning_; }

    // Makes the queue's poller capture page tasks through this controller and fetch file
    // tasks into the open binder's store (RunFileTask); stopping the queue stops the capture the
    // poller runs, leaving its record unfinished and the task pending. When the poller starts
    // (a binder opens), it first removes what downloads cut short by a crash left in the file
    // tasks' folders. When a file task ends, its file takes its name and its state is written
    // into the binder file at once (StoreTasks), on the main thread, while the poller waits: a
    // binder opened after a crash works no finished task again. After a write that failed, the
    // ends of the next CaptureSaveInterval are not written at once (the close and the saves of
    // pending changes still write them), so a binder file that cannot be written does not bring
    // a message for every task. The queue must outlive the controller.
    void ServeTaskQueue(TaskQueue& queue);
    // Sets StoreTasks (the binder's lifecycle is made after the controller).
    void StoreTasksWith(std::function<bool()> store) { setup_.StoreTasks = std::move(store); }

private:
    struct Job;
    friend class LevelCaptureHost;

    std::shared_ptr<Job> MakeJob(TPageInfo& record, bool useCache, const CaptureOptions& options);
    // The page of a capture without levels, on the thread the job runs on.
    static bool CaptureJobPage(Job& job);
    void RunLevels(TPageInfo& record, bool useCache, const CaptureOptions& options);
    // Lets a job go (once): cancels it and waits for its worker.
    void Release(Job& job);
    void StopCapturesOf(TPageInfo& record);
    // The end of a capture on a worker: with `deliver` the results go to the record and the
    // window is told.
    void CaptureEnded(Job& job, bool deliver);
    void RootCaptured(Job& job);
    bool AddLevelPage(Job& job, std::unique_ptr<TPageInfo>& page);
    // The job's record, while it is still in the tree.
    TPageInfo* LiveRecord(const Job& job) const;
    void PostCaptureDone(uint32_t id) const;
    // Saves the binder: at once when a capture has ended (`ended`), else only when the last
    // save is CaptureSaveInterval old.
    void SaveCaptured(bool ended);
    // Runs `call` on the main thread after everything already posted there, among it the
    // end (3022) of a capture that has just finished; nothing once the controller is gone.
    void PostAfterReports(std::function<void()> call);
    // Tells the user why a capture stored nothing, once its end has been shown.
    void TellRefusal(const std::string& refusal);

    // The open binder's folder and its store's name, read on the main thread that sets them;
    // empty when unknown.
    std::pair<std::string, std::string> BinderFoldersSync() const;
    // The poller's side of page tasks.
    void RunPageTask(TaskQueue& queue, const Task& task, int index);
    // The poller's side of file tasks, and the end of one on the main thread.
    void RunFileTaskOf(TaskQueue& queue, const Task& task, int index);
    void FileTaskEnded(TaskQueue& queue, int index, FileTaskEnd& end);
    // The job capturing the node's page; null with `drop` set when the record is not an
    // unfinished page, null alone when it is gone or a capture works on it already.
    std::shared_ptr<Job> FindNodeSync(uint32_t id, bool& drop);

    CaptureSetup setup_;
    TaskQueue* queue_ = nullptr;
    std::vector<std::shared_ptr<Job>> jobs_; // the captures at work; main thread only
    std::set<const TPageInfo*> cancelling_;  // records whose captures are being stopped
    bool levelRunning_ = false;
    std::mutex pollerLock_;
    std::shared_ptr<Job> pollerJob_; // the page task the poller captures
    std::chrono::steady_clock::time_point lastSave_{};
    // When writing the task section last failed; none while it works.
    std::optional<std::chrono::steady_clock::time_point> taskStoreFailed_;
    // The poller's run has told the user of a page it could not store; set anew as it starts.
    std::atomic<bool> pollerToldRefusal_{false};
    // The first page of the running import that could not be stored; told as the import ends.
    std::string importRefusal_;
    // Calls posted to the main thread hold it weakly: the controller may go before they run.
    std::shared_ptr<CaptureController*> self_ = std::make_shared<CaptureController*>(this);
};
