#include "platform/graphics/PictureShowing.h"

#include "platform/graphics/Canvas.h"

#include <QCoreApplication>
#include <QEvent>
#include <QList>
#include <QPointer>
#include <QThread>

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

// A wait for a picture gives up on the wall only after this long, and the picture is "not this
// time" (drawn as its frame, tried again when drawn again), never refused. Far above the CPU time
// any picture's work may take (six seconds at the most) however busy the machine, it guards
// against a work that never ends, not against a slow one: a job's wait ends by the CPU time its
// pictures' works take, and one outside showings and jobs when the work ends by its own bounds.
constexpr auto HangGuard = std::chrono::seconds(60);

// From this size on a picture's digest is worked out beside the window: it takes about 1.4 ms a
// megabyte, 46 ms for a JPEG of 33 MB.
constexpr size_t DigestBesideBytes = size_t{1} << 20;

// The innermost showing or job open on this thread: one of them, or neither.
thread_local TPictureShowing* CurrentShowing = nullptr;
thread_local TPictureJob* CurrentJob = nullptr;
thread_local bool DrawingPage = false;
// Whether the last picture the thread looked for was asked for by a paint, to be drawn when it is
// ready: its frame says nothing. Any other picture not drawn is given up where it is drawn.
thread_local bool Awaited = false;

// What a given-up picture's frame says, when it has room for it.
constexpr std::string_view GivenUpWord = "Cannot be drawn";

// Where a given-up frame's word starts along one of its sides, inside the frame from `from` to
// `to`, for a word `extent` long, the surface drawn on showing `shownFrom` to `shownTo`: in the
// middle of a frame the surface could hold whole; along a larger one, from its start and again
// after every stretch of the surface's length less the word's, so that any view of it the size of
// the surface holds a whole word, and the page that holds its start holds one. The places follow
// the frame, not what is in view: pixels scrolled along with the frame keep their word in place.
// Only those that reach into the surface.
std::vector<int> WordPlaces(int from, int to, int extent, int shownFrom, int shownTo) {
    const int length = to - from;
    if (extent <= 0 || extent > length) {
        return {};
    }
    if (length <= shownTo - shownFrom) {
        return {from + (length - extent) / 2};
    }
    const int step = std::max(shownTo - shownFrom - extent, extent);
    const int first = from + extent / 2;
    const int last = to - extent;
    std::vector<int> places;
    const int skipped = std::max(0, (shownFrom - extent - first) / step);
    for (int place = first + skipped * step; place <= last && place < shownTo; place += step) {
        if (place + extent > shownFrom) {
            places.push_back(place);
        }
    }
    return places;
}

} // namespace

// While a job waits on the application's thread, its windows are painted, its timers fire and
// what was posted to it runs. Input, the sockets (another instance of the program, the workers'
// calls) and the closing of a window wait until the job is over: nothing the job draws can be
// closed under it. A window asked to close then is closed when the job ends.
class TPictureJob::TCloseDeferral : public QObject {
public:
    TCloseDeferral() { QCoreApplication::instance()->installEventFilter(this); }
    ~TCloseDeferral() override {
        QCoreApplication::instance()->removeEventFilter(this);
        for (const QPointer<QObject>& window : asked_) {
            if (window) {
                QMetaObject::invokeMethod(window, "close", Qt::QueuedConnection);
            }
        }
    }

protected:
    bool eventFilter(QObject* receiver, QEvent* e) override {
        if (e->type() != QEvent::Close) {
            return false;
        }
        e->ignore();
        if (!asked_.contains(receiver)) {
            asked_.append(receiver);
        }
        return true;
    }

private:
    QList<QPointer<QObject>> asked_;
};

namespace {

void ServeEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents |
                                    QEventLoop::ExcludeSocketNotifiers);
}

bool OnApplicationThread() {
    const QCoreApplication* application = QCoreApplication::instance();
    return application && application->thread() == QThread::currentThread();
}

} // namespace

TPictureShowing::TPictureShowing(TPictureViewer& viewer, bool wholeView)
    : viewer_(viewer), wholeView_(wholeView), outerShowing_(CurrentShowing), outerJob_(CurrentJob) {
    if (wholeView) {
        viewer.WholeViewPaintBegins();
    }
    CurrentShowing = this;
    CurrentJob = nullptr;
    PicturePreparer().HoldAskedWork();
}

TPictureShowing::~TPictureShowing() {
    if (OnApplicationThread()) {
        // The works start once the paint is on the screen: the event loop takes this after the
        // paint event, whose blit and flush have the processors to themselves meanwhile.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(), [] { PicturePreparer().ReleaseAskedWork(); },
            Qt::QueuedConnection);
    } else {
        PicturePreparer().ReleaseAskedWork();
    }
    if (wholeView_) {
        viewer_.WholeViewPaintEnds();
    }
    CurrentShowing = outerShowing_;
    CurrentJob = outerJob_;
}

TPictureJob::TPictureJob(std::chrono::milliseconds budget)
    : budget_(budget), outerShowing_(CurrentShowing), outerJob_(CurrentJob) {
    // Inside a paint nothing waits.
    if (!CurrentShowing) {
        CurrentJob = this;
    }
}

TPictureJob::~TPictureJob() {
    CurrentShowing = outerShowing_;
    CurrentJob = outerJob_;
}

void TPictureJob::DeferClosing() {
    if (outerJob_) {
        outerJob_->DeferClosing();
    } else if (!closing_) {
        closing_ = std::make_unique<TCloseDeferral>();
    }
}

std::chrono::milliseconds TPictureJob::Left() const {
    if (outerJob_) {
        return outerJob_->Left();
    }
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::duration_cast<std::chrono::milliseconds>(budget_ - spent_));
}

void TPictureJob::Spend(std::chrono::microseconds took) {
    if (outerJob_) {
        outerJob_->Spend(took);
    } else {
        spent_ += std::max(std::chrono::microseconds(0), took);
    }
}

TPicturePage::TPicturePage() : outer_(DrawingPage) {
    DrawingPage = true;
}

TPicturePage::~TPicturePage() {
    DrawingPage = outer_;
}

bool PicturesInPieces() {
    return DrawingPage;
}

QImage PreparedImage(const TPictureKey& key, const TPreparationWorkMaker& work) {
    TPicturePreparer& preparer = PicturePreparer();
    QImage image;
    TPictureShowing* const shownIn = CurrentShowing;
    Awaited = false;
    switch (preparer.Look(key, image, shownIn ? &shownIn->viewer_ : nullptr)) {
    case TPicturePreparer::TState::Ready:
        if (shownIn && key.Reduced(image)) {
            // Kept smaller to fit beside what the view showed: a paint of the whole view tells
            // what it shows now, and so whether the picture's share has grown.
            ++shownIn->smaller_;
            if (shownIn->wholeView_) {
                preparer.AskLarger(key, work, shownIn->viewer_);
            }
        }
        return image;
    case TPicturePreparer::TState::Refused:
        return {};
    case TPicturePreparer::TState::Waiting:
        break;
    }
    if (shownIn) {
        preparer.Ask(key, work, shownIn->viewer_);
        ++shownIn->waiting_;
        Awaited = true;
        return {};
    }
    TPictureJob* job = CurrentJob;
    if (job && job->Left().count() <= 0) {
        // The job's time is spent: its other pictures are frames, and nobody prepares them.
        return {};
    }
    const bool serve = job && OnApplicationThread();
    if (serve) {
        job->DeferClosing();
    }
    const TPrepared prepared = preparer.Wait(
        key, work, Clock::now() + HangGuard, serve ? std::function<void()>(ServeEvents) : nullptr,
        job ? std::chrono::microseconds(job->Left()) : std::chrono::microseconds::max());
    if (job) {
        job->Spend(prepared.Cpu);
    }
    return prepared.End == TPreparedEnd::Ready ? prepared.Image : QImage();
}

namespace {

bool DigestHere(const TPictureBytes& bytes) {
    return bytes.DigestKnown() || bytes.Bytes().size() < DigestBesideBytes ||
           !OnApplicationThread() || (!CurrentShowing && !CurrentJob);
}

// The work of a digest is known by the bytes it reads: copies of the picture share them, and the
// work holds them until it ends.
TPictureKey DigestKey(const TPictureBytes* bytes) {
    QByteArray id(1, '#');
    id.append(reinterpret_cast<const char*>(&bytes), sizeof bytes);
    return {id, '#', 0, 0};
}

// `then` runs on the worker once the digest is known, while the work is still wanted.
TPreparationWorkMaker DigestWork(const std::shared_ptr<const TPictureBytes>& bytes,
                                 std::function<void()> then = {}) {
    return [&bytes, then = std::move(then)] {
        return [bytes, then](TPreparationContext& context) -> TPrepared {
            bytes->Digest();
            if (then && !context.Stopped()) {
                then();
            }
            // No image: whoever asked looks again.
            return {TPreparedEnd::Later, {}};
        };
    };
}

} // namespace

QImage PreparedPicture(const std::shared_ptr<const TPictureBytes>& bytes, TPictureKey size,
                       const TPreparationWorkMaker& work) {
    TPictureShowing* showing = CurrentShowing;
    if (DigestHere(*bytes) || !showing) {
        const QByteArray* digest = PreparedDigest(bytes);
        if (!digest) {
            return {};
        }
        size.Content = *digest;
        return PreparedImage(size, work);
    }
    // The image's work is made now, while what it reads is here, and asked for by the digest's.
    // It counts among the view's pictures from now on, known by its bytes until its digest is.
    showing->viewer_.Draws(
        {DigestKey(bytes.get()).Content, size.Kind, size.Width, size.Height, size.Piece});
    TPreparationWork imageWork = work();
    const TPictureViewer::TAsker asker = showing->viewer_.Asker();
    PreparedImage(
        DigestKey(bytes.get()),
        DigestWork(bytes, [bytes, size, imageWork = std::move(imageWork), asker]() mutable {
            size.Content = bytes->Digest();
            PicturePreparer().AskFor(size, std::move(imageWork), asker);
        }));
    return {};
}

const QByteArray* PreparedDigest(const std::shared_ptr<const TPictureBytes>& bytes) {
    if (DigestHere(*bytes)) {
        return &bytes->Digest();
    }
    // Asked for in a paint, waited for in a job, as an image is.
    PreparedImage(DigestKey(bytes.get()), DigestWork(bytes));
    return bytes->DigestKnown() ? &bytes->Digest() : nullptr;
}

bool OutsidePaint(const TCanvas& canvas, const TRect& r) {
    const TSize surface = canvas.SurfaceSize();
    if (!CurrentShowing || (!canvas.HasClip() && (surface.cx <= 0 || surface.cy <= 0))) {
        return false;
    }
    const TRect device = canvas.LogicalToDevice(r);
    const QRect area(std::min(device.Left, device.Right), std::min(device.Top, device.Bottom),
                     std::abs(device.Width()), std::abs(device.Height()));
    // A paint into a buffer of its own draws the buffer's surface, all of it.
    const QRegion drawn =
        canvas.HasClip() ? *canvas.ClipRegion() : QRegion(0, 0, surface.cx, surface.cy);
    return !drawn.intersects(area);
}

bool InPictureJob() {
    return CurrentJob != nullptr;
}

qint64 StraightDrawingMillis() {
    return CurrentJob ? std::min<qint64>(PictureMillis, CurrentJob->Left().count()) : PictureMillis;
}

void StraightDrawingTook(qint64 millis) {
    if (CurrentJob) {
        CurrentJob->Spend(std::chrono::milliseconds(millis));
    }
}

bool ServeStraightDrawing() {
    TPictureJob* job = CurrentJob;
    if (!job || !OnApplicationThread()) {
        return false;
    }
    job->DeferClosing();
    ServeEvents();
    return true;
}

void DrawPictureFrame(TCanvas& canvas, const TRect& r) {
    TBrush saved;
    saved.Assign(canvas.Brush());
    canvas.Brush().SetColor(clGray);
    canvas.FrameRect(r);
    canvas.Brush().Assign(saved);
    const bool givenUp = !Awaited;
    Awaited = false;
    if (!givenUp) {
        return;
    }
    // The word in the frame's grey, where the frame holds it whole and where it is in view.
    TFont font;
    font.Assign(canvas.Font());
    const TBkMode mode = canvas.BkMode();
    canvas.Font().SetName("Arial");
    canvas.Font().SetSize(8);
    canvas.Font().SetStyle({});
    canvas.Font().SetColor(clGray);
    const TSize extent = canvas.TextExtent(GivenUpWord);
    const TRect inside = Rect(std::min(r.Left, r.Right) + 2, std::min(r.Top, r.Bottom) + 2,
                              std::max(r.Left, r.Right) - 2, std::max(r.Top, r.Bottom) - 2);
    // A surface of no size of its own (a recording) shows the whole frame.
    const TSize surface = canvas.SurfaceSize();
    const TRect shown = surface.cx > 0 && surface.cy > 0 ? canvas.SurfaceRect() : inside;
    const std::vector<int> across =
        WordPlaces(inside.Left, inside.Right, extent.cx, shown.Left, shown.Right);
    const std::vector<int> down =
        WordPlaces(inside.Top, inside.Bottom, extent.cy, shown.Top, shown.Bottom);
    canvas.SetBkMode(TBkMode::bkTransparent);
    for (const int y : down) {
        for (const int x : across) {
            canvas.TextRect(inside, x, y, GivenUpWord);
        }
    }
    canvas.SetBkMode(mode);
    canvas.Font().Assign(font);
}
