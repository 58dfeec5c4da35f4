#pragma once

// Pictures are made ready beside the window: decoded, converted and drawn into an image of the
// size they are shown at, on worker threads (and, for what a thread cannot stop, in a bounded
// process of its own), several at once. A window's paint draws only what is ready and the
// picture's frame for the rest; the window is told when what it asked for is ready, and paints
// again. The work is shared by content: copies of one picture, wherever they are, are prepared
// once; the conversion of a picture is kept by its content and its image by content and size.
// The images kept ready have a memory bound of their own, those shown longest ago going first.
// A picture is prepared at no more pixels than that bound leaves it: what the pictures of one view
// would take at the sizes they are shown at is shared out among them, so that they fit together
// and none pushes out another the same view shows; one that would not fit is prepared at a smaller
// scale and drawn stretched to its place.
// A picture no window asks for any more is taken off the queue, and its running work is told to
// stop. A print or an export waits for its pictures instead (PictureShowing.h).

#include <QByteArray>
#include <QImage>
#include <QRect>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

class QSocketNotifier;

// The bytes of a picture, shared by its copies and by the work on them, with their digest: what
// tells one content from another.
class TPictureBytes {
public:
    explicit TPictureBytes(std::string bytes);
    const std::string& Bytes() const { return bytes_; }
    // BLAKE2b-256 of the bytes, worked out once, when first asked for: the fastest of Qt's sound
    // digests (SHA-256 took 0.3 s of a paint for a JPEG image of 40 MB). A large picture's is
    // worked out beside the window (PreparedDigest in PictureShowing.h).
    const QByteArray& Digest() const;
    // Whether the digest is worked out already: asking for it then costs nothing.
    bool DigestKnown() const { return known_.load(std::memory_order_acquire); }

private:
    const std::string bytes_;
    mutable std::once_flag once_;
    mutable QByteArray digest_;
    mutable std::atomic<bool> known_{false};
};

// One image a picture is prepared into: its content, the kind of work that prepares it (a
// letter of the picture's own) and its size in pixels; for the piece of a picture a page shows,
// that piece in the picture's own pixels (empty for the whole picture).
struct TPictureKey {
    TPictureKey() = default;
    TPictureKey(QByteArray content, char kind, int width, int height, QRect piece = {})
        : Content(std::move(content)), Kind(kind), Width(width), Height(height), Piece(piece) {}

    QByteArray Content;
    char Kind = 0;
    int Width = 0;
    int Height = 0;
    QRect Piece;

    bool operator<(const TPictureKey& other) const;
    // The bytes its image takes at that size, four a pixel.
    uint64_t Bytes() const;
    // Whether `image` is smaller than that size: made to fit beside a view's other pictures.
    bool Reduced(const QImage& image) const {
        return image.width() < Width || image.height() < Height;
    }
};

// Shrinks `width` x `height` (each at least 1), keeping its shape, until its pixels take at most
// `bytes` at four bytes a pixel.
void FitImageBytes(int& width, int& height, uint64_t bytes);

enum class TPreparedEnd {
    // The image is there.
    Ready,
    // The picture cannot be prepared within its bounds: it is its frame from now on, at every
    // size, and so is every picture of the same content.
    Refused,
    // Not this time: the machine was too busy to tell. It is tried again when asked again.
    Later,
    // Nobody wanted it any more.
    Dropped,
};

struct TPrepared {
    TPreparedEnd End = TPreparedEnd::Later;
    QImage Image;
    // The CPU time the work took, its thread's and that of the processes it ran (the preparer
    // counts it); from a wait that ended before the work did, what it had taken by then.
    std::chrono::microseconds Cpu{0};
};

// What a piece of work may ask of the preparer while it runs.
class TPreparationContext {
public:
    virtual ~TPreparationContext();
    // True when the work is no longer wanted, or the preparer is going: it stops where it can.
    virtual bool Stopped() const = 0;
    // The conversion an earlier work kept for this content, or null.
    virtual std::shared_ptr<const std::string> Conversion() const = 0;
    // Keeps `conversion` for this content (within the bound of kept conversions); empty keeps
    // nothing. Either way it counts one conversion made.
    virtual void KeepConversion(std::string conversion) = 0;
    // The most bytes the image may take: its share of the bound of ready images beside the other
    // pictures of the view that asked for it (no more than the picture's own bounds for a wait,
    // whose image is drawn whole). The work makes its image no larger where it can, at a smaller
    // scale of the picture; one a view asked for that is larger is made smaller after it.
    virtual uint64_t ImageBytes() const = 0;
    // The CPU time the processes the work runs have taken for it so far, all together, told as it
    // is seen: it counts with the work's own thread's, so that a wait sees what the work costs.
    virtual void ProcessCpu(std::chrono::microseconds used) = 0;
};

using TPreparationWork = std::function<TPrepared(TPreparationContext&)>;
// Makes the work for a key, called only when no work for that key is queued or running.
using TPreparationWorkMaker = std::function<TPreparationWork()>;

// A window that shows pictures, from its paints (TPictureShowing): told when the pictures it
// asked for are ready. `ready` runs on the thread that asks (the window's), from its event loop,
// never once the viewer is gone.
class TPictureViewer {
public:
    explicit TPictureViewer(std::function<void()> ready);
    ~TPictureViewer();
    TPictureViewer(const TPictureViewer&) = delete;
    TPictureViewer& operator=(const TPictureViewer&) = delete;

    // A paint of the whole view begins, and ends: what the view asked for before it began and
    // did not ask for again by its end is no longer shown.
    void WholeViewPaintBegins();
    void WholeViewPaintEnds();
    // A paint draws the picture of `key` (ready or not): it counts among those the view shows.
    void Draws(const TPictureKey& key) const;

    struct TState;
    const std::shared_ptr<TState>& State() const { return state_; }
    // The viewer as it asks now, for a work to pass on.
    struct TAsker {
        std::weak_ptr<TState> Viewer;
        uint64_t Showing = 0;
    };
    TAsker Asker() const;

private:
    std::shared_ptr<TState> state_;
};

struct TPreparerOptions {
    // Works run at once (at least one).
    int Workers = 0; // 0: the machine's processors but two, two to eight
    // The ready images kept, in bytes of their pixels.
    uint64_t ReadyBytes = uint64_t{192} << 20;
    // The conversions kept, in bytes, and the largest one kept.
    uint64_t ConversionBytes = uint64_t{32} << 20;
    uint64_t LargestConversion = uint64_t{8} << 20;
    // The contents whose verdict and conversion are remembered; the oldest are forgotten first.
    size_t RememberedContents = 4096;
};

// What the preparer has done so far.
struct TPreparerCounts {
    int Started = 0;     // works begun
    int Conversions = 0; // conversions made (kept or not)
    int Dropped = 0;     // works taken off the queue or stopped because nobody wanted them
    int Evicted = 0;     // ready images let go for the memory bound
    int Reduced = 0;     // images prepared smaller than asked, to fit the bound
};

class TPicturePreparer {
public:
    using Clock = std::chrono::steady_clock;

    explicit TPicturePreparer(TPreparerOptions options = {});
    // Stops and joins the workers before anything they use goes.
    ~TPicturePreparer();
    TPicturePreparer(const TPicturePreparer&) = delete;
    TPicturePreparer& operator=(const TPicturePreparer&) = delete;

    enum class TState { Ready, Waiting, Refused };
    // How the image of `key` stands; when it is ready, `image` is it, and it counts as shown now.
    // A paint of `viewer` looks: the picture counts among those the view shows, whose images stay
    // while it shows them, and an image kept smaller than asked for a view (drawn stretched) is
    // ready for it; for anyone else, as for a wait, only the image at its size is.
    TState Look(const TPictureKey& key, QImage& image, const TPictureViewer* viewer = nullptr);
    // Whether pictures of this content are refused.
    bool Refused(const QByteArray& content) const;
    // How many works began for images of this content (while the content is remembered).
    int Preparations(const QByteArray& content) const;

    // Asks for the image of `key` for `viewer`, which is told when it is ready (or should be
    // asked for again). Nothing when it is ready or refused already.
    void Ask(const TPictureKey& key, const TPreparationWorkMaker& work,
             const TPictureViewer& viewer);
    // Asks again, for a paint of `viewer`'s whole view, for the image of `key` that is ready only
    // smaller than its key (made when the view showed more, as while it scrolled): a work prepares
    // it at the share the view now leaves it once the paint has ended, only when that share has
    // grown past the one it was made within. The smaller image stays drawn meanwhile; a share that
    // did not grow starts nothing and tells nobody, so a still view does no work.
    void AskLarger(const TPictureKey& key, const TPreparationWorkMaker& work,
                   const TPictureViewer& viewer);
    // Asks for the image of `key` as `asker` asked for another (from a work that found what this
    // one needs): `work` prepares it unless work for the key is queued or running already.
    void AskFor(const TPictureKey& key, TPreparationWork work, const TPictureViewer::TAsker& asker);
    // Waits for the image of `key` until it is ready or refused, its work first in the queue; or,
    // answering Later, until the CPU time its work has taken passes `cpu` (looked at every 20 ms:
    // a busy machine makes the wait longer, never shorter), or `until` passed on the wall.
    // `serve`, when given, runs between stretches of at most 20 ms of waiting. A refused picture
    // or a ready image answers at once, and costs nothing; a work a window started costs what it
    // took all along, as it would had the wait started it.
    TPrepared Wait(const TPictureKey& key, const TPreparationWorkMaker& work,
                   Clock::time_point until, const std::function<void()>& serve = {},
                   std::chrono::microseconds cpu = std::chrono::microseconds::max());

    // While a window paints, the works it asks for wait until the paint has ended: they would
    // take the processors the paint needs. The works asked for before go on, and a wait is not
    // held back. Holds may nest.
    void HoldAskedWork();
    void ReleaseAskedWork();

    // Tells the viewers whose pictures became ready; what the event loop runs. Main thread.
    void DeliverNotices();
    // Waits until no work is queued or running, at most `limit`; whether it came to that.
    bool WaitUntilIdle(std::chrono::milliseconds limit);
    // Whether work is queued or running, or notices wait to be delivered.
    bool Busy() const;

    TPreparerCounts Counts() const;
    // The bytes the ready images hold now, and their bound.
    uint64_t ReadyBytes() const;
    void SetReadyBytesBound(uint64_t bytes);
    // Lets go of every ready image, kept conversion and remembered verdict.
    void Forget();

    // Keeps `resource`, which works use, until the workers are joined.
    void Hold(std::shared_ptr<void> resource);
    // Stops the workers (the work running is told to stop) and joins them; what is queued is
    // dropped. Later works are not run: waits answer Later, asks do nothing.
    void ShutDown();

private:
    struct TRequest;
    struct TContent;
    class TContext;

    void Work();
    // The request of `key`, queued when new; one `asked` by a paint waits for the paints' end.
    std::shared_ptr<TRequest> Request(const TPictureKey& key, const TPreparationWorkMaker& work,
                                      bool asked);
    bool Wanted(const TRequest& request) const;
    // The CPU time the work of `request` has taken so far (nothing before it runs).
    static std::chrono::microseconds CpuSoFar(const TRequest& request);
    void Finish(TRequest& request, TPrepared prepared);
    // The most bytes the image of `request`, beginning now, may take.
    uint64_t ImageBytesFor(const TRequest& request) const;
    // Keeps the image of `request` when it fits beside the images the views show; whether kept.
    bool KeepReady(const TRequest& request, const QImage& image);
    // Lets go of ready images until they hold at most `bytes`: those no view shows, and when
    // `shownToo`, those the views show after them.
    void EvictAbove(uint64_t bytes, bool shownToo = true);
    // Lets go of images the views show at more than their share, made when the views showed
    // fewer pictures, until the ready images hold at most `bytes`: shown again, they are made at
    // their share.
    void EvictAboveShares(uint64_t bytes);
    TContent& ContentOf(const QByteArray& content);
    void KeepConversion(const QByteArray& content, std::string conversion);
    void StartWorkers();
    void Wake();
    // The viewers are told on the thread that first asks (the window's), through its event loop.
    void WatchNotices();
    // Whether a work asked again for a larger image of `request`'s ready one may start: its share
    // grew past the one that image was made within (or the image is gone, or someone waits).
    bool Larger(const TRequest& request) const;
    // Whether the ready image of `key` is about to be replaced by a work asked for a larger one.
    bool BeingReplaced(const TPictureKey& key) const;

    const TPreparerOptions options_;
    mutable std::mutex mutex_;
    std::condition_variable queued_;
    std::condition_variable done_;
    std::vector<std::thread> workers_;
    bool stopping_ = false;
    std::deque<std::shared_ptr<TRequest>> queue_;
    // What the paints under way asked for, queued when the last of them ends.
    std::deque<std::shared_ptr<TRequest>> askedInPaint_;
    std::map<TPictureKey, std::shared_ptr<TRequest>> requests_;
    int running_ = 0;
    int asksHeld_ = 0;

    // The viewers that asked for or drew a picture, each in the showing it did it in.
    using TViewers = std::vector<std::pair<std::weak_ptr<TPictureViewer::TState>, uint64_t>>;
    static void AddViewer(TViewers& viewers, const std::weak_ptr<TPictureViewer::TState>& viewer,
                          uint64_t showing);
    static bool ShownBy(const TViewers& viewers);
    // The bytes the image of `key` may take beside the other pictures of the views of `viewers`
    // that show it: its size's, or its share of the bound when their pictures together would not
    // fit it.
    uint64_t FairBytes(const TPictureKey& key, const TViewers& viewers) const;

    struct TReady {
        QImage Image;
        uint64_t Bytes = 0;
        uint64_t Shown = 0;
        TViewers Viewers;
        // Smaller than its key says, to fit beside a view's other pictures; and the bytes its work
        // was given, which its share must pass before it is made again.
        bool Reduced = false;
        uint64_t Given = 0;
    };
    std::map<TPictureKey, TReady> ready_;
    uint64_t readyBytes_ = 0;
    uint64_t readyBound_;
    uint64_t tick_ = 0;

    std::map<QByteArray, TContent> contents_;
    uint64_t conversionBytes_ = 0;
    TPreparerCounts counts_;

    // Viewers to tell, and how the event loop hears of them.
    std::vector<std::weak_ptr<TPictureViewer::TState>> notices_;
    std::thread::id noticeThread_;
    int wakeFd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;

    std::vector<std::shared_ptr<void>> held_;
};

// The preparer of the process, made when first used. It stops when the application object goes,
// before the fonts and the painting its works use go with it, and at the latest at exit.
TPicturePreparer& PicturePreparer();
