#include "platform/graphics/PicturePreparation.h"

#include "platform/base/CpuTime.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <limits>
#include <set>
#include <tuple>

#include <sys/eventfd.h>
#include <unistd.h>

namespace {

// The longest stretch a wait spends without serving.
constexpr auto ServeEvery = std::chrono::milliseconds(20);

// Most works wait for a converting process, whose work takes a processor of its own: as many as
// there are processors, but two left for the window and the rest of the machine.
int DefaultWorkers() {
    const unsigned processors = std::thread::hardware_concurrency();
    return std::clamp(static_cast<int>(processors) - 2, 2, 8);
}

uint64_t BytesOf(const QImage& image) {
    return static_cast<uint64_t>(image.sizeInBytes());
}

} // namespace

TPictureBytes::TPictureBytes(std::string bytes) : bytes_(std::move(bytes)) {}

const QByteArray& TPictureBytes::Digest() const {
    std::call_once(once_, [this] {
        digest_ = QCryptographicHash::hash(
            QByteArrayView(bytes_.data(), static_cast<qsizetype>(bytes_.size())),
            QCryptographicHash::Blake2b_256);
        known_.store(true, std::memory_order_release);
    });
    return digest_;
}

bool TPictureKey::operator<(const TPictureKey& other) const {
    if (Content != other.Content) {
        return Content < other.Content;
    }
    if (Kind != other.Kind) {
        return Kind < other.Kind;
    }
    if (Width != other.Width) {
        return Width < other.Width;
    }
    if (Height != other.Height) {
        return Height < other.Height;
    }
    auto corners = [](const QRect& r) {
        return std::make_tuple(r.left(), r.top(), r.right(), r.bottom());
    };
    return corners(Piece) < corners(other.Piece);
}

uint64_t TPictureKey::Bytes() const {
    return static_cast<uint64_t>(std::max(0, Width)) * static_cast<uint64_t>(std::max(0, Height)) *
           4;
}

void FitImageBytes(int& width, int& height, uint64_t bytes) {
    width = std::max(1, width);
    height = std::max(1, height);
    const double pixels = std::max(1.0, static_cast<double>(bytes / 4));
    while (double(width) * double(height) > pixels && (width > 1 || height > 1)) {
        // Scaled as near as the pixels allow, then a pixel less where rounding left too many.
        const double scale = std::sqrt(pixels / (double(width) * double(height)));
        const int w = std::max(1, std::min(width - 1, static_cast<int>(width * scale)));
        const int h = std::max(1, std::min(height - 1, static_cast<int>(height * scale)));
        width = width > 1 ? w : 1;
        height = height > 1 ? h : 1;
    }
}

TPreparationContext::~TPreparationContext() = default;

struct TPictureViewer::TState {
    // The viewer's paints of its whole view are counted as they begin: what it asks for is marked
    // with the number of the last one begun. What it asked for before the last one that ended
    // began, and not since, is no longer shown.
    std::atomic<uint64_t> Showing{0};
    std::atomic<uint64_t> Shown{0};
    std::function<void()> Ready;

    bool Shows(uint64_t asked) const { return asked >= Shown.load(); }

    // The pictures the paints drew since the last paint of the whole view began, and the bytes
    // their images take at the sizes shown; the bytes of those the last whole paint drew.
    mutable std::mutex Lock;
    std::set<TPictureKey> Drawn;
    uint64_t DrawnBytes = 0;
    uint64_t WholeViewBytes = 0;

    // What the pictures the view shows take at the sizes shown: those drawn since the last paint
    // of the whole view began, or those that paint drew, whichever is more.
    uint64_t ShownBytes() const {
        std::lock_guard lock(Lock);
        return std::max(DrawnBytes, WholeViewBytes);
    }
};

TPictureViewer::TPictureViewer(std::function<void()> ready) : state_(std::make_shared<TState>()) {
    state_->Ready = std::move(ready);
}

TPictureViewer::~TPictureViewer() = default;

TPictureViewer::TAsker TPictureViewer::Asker() const {
    return {state_, state_->Showing.load()};
}

void TPictureViewer::WholeViewPaintBegins() {
    ++state_->Showing;
    std::lock_guard lock(state_->Lock);
    state_->Drawn.clear();
    state_->DrawnBytes = 0;
}

void TPictureViewer::WholeViewPaintEnds() {
    state_->Shown = state_->Showing.load();
    std::lock_guard lock(state_->Lock);
    state_->WholeViewBytes = state_->DrawnBytes;
}

void TPictureViewer::Draws(const TPictureKey& key) const {
    std::lock_guard lock(state_->Lock);
    if (state_->Drawn.insert(key).second) {
        state_->DrawnBytes += key.Bytes();
    }
}

// A picture asked for: its work, who asked (a viewer, in which of its showings), who waits.
struct TPicturePreparer::TRequest {
    TPictureKey Key;
    TPreparationWork Work;
    TViewers Askers;
    int Waiters = 0;
    // Asked again for a larger image than the one ready for the view (AskLarger).
    bool AskedLarger = false;
    bool Queued = false;
    bool Done = false;
    TPrepared Result;
    // While its work runs: the most bytes its image may take, and whether a view asked for it
    // (its image is then made to fit that, and kept beside the view's others).
    bool Running = false;
    bool ForView = false;
    uint64_t ImageBytes = 0;
    // While its work runs, the CPU clock of the worker's thread and where it stood when the work
    // began, and what the processes the work runs took for it; once it ran, what it took in all.
    const TThreadCpuClock* WorkerClock = nullptr;
    int64_t CpuBegan = 0;
    std::atomic<int64_t> ProcessMicros{0};
    std::chrono::microseconds Cpu{0};
};

// What is known of one content: whether it is refused, its conversion; when it was last used,
// and how many works began for its images.
struct TPicturePreparer::TContent {
    bool Refused = false;
    std::shared_ptr<const std::string> Conversion;
    uint64_t Used = 0;
    int Preparations = 0;
};

class TPicturePreparer::TContext : public TPreparationContext {
public:
    TContext(TPicturePreparer& preparer, TRequest& request)
        : preparer_(preparer), request_(request) {}

    bool Stopped() const override {
        std::lock_guard lock(preparer_.mutex_);
        return preparer_.stopping_ || !preparer_.Wanted(request_);
    }
    std::shared_ptr<const std::string> Conversion() const override {
        std::lock_guard lock(preparer_.mutex_);
        return preparer_.ContentOf(request_.Key.Content).Conversion;
    }
    void KeepConversion(std::string conversion) override {
        std::lock_guard lock(preparer_.mutex_);
        ++preparer_.counts_.Conversions;
        preparer_.KeepConversion(request_.Key.Content, std::move(conversion));
    }
    uint64_t ImageBytes() const override {
        std::lock_guard lock(preparer_.mutex_);
        return request_.ImageBytes;
    }
    void ProcessCpu(std::chrono::microseconds used) override {
        request_.ProcessMicros.store(used.count(), std::memory_order_relaxed);
    }

private:
    TPicturePreparer& preparer_;
    TRequest& request_;
};

TPicturePreparer::TPicturePreparer(TPreparerOptions options)
    : options_(options), readyBound_(options.ReadyBytes) {}

TPicturePreparer::~TPicturePreparer() {
    ShutDown();
    if (wakeFd_ >= 0) {
        close(wakeFd_);
    }
}

void TPicturePreparer::ShutDown() {
    std::vector<std::thread> workers;
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        workers.swap(workers_);
        queue_.insert(queue_.end(), askedInPaint_.begin(), askedInPaint_.end());
        askedInPaint_.clear();
        for (const std::shared_ptr<TRequest>& request : queue_) {
            request->Done = true;
            request->Result = {TPreparedEnd::Dropped, {}};
            requests_.erase(request->Key);
        }
        queue_.clear();
    }
    queued_.notify_all();
    done_.notify_all();
    for (std::thread& worker : workers) {
        worker.join();
    }
    std::vector<std::shared_ptr<void>> held;
    {
        std::lock_guard lock(mutex_);
        held.swap(held_);
        notices_.clear();
    }
    held.clear();
    if (notifier_ && std::this_thread::get_id() == noticeThread_) {
        notifier_.reset();
    }
}

void TPicturePreparer::Hold(std::shared_ptr<void> resource) {
    std::lock_guard lock(mutex_);
    held_.push_back(std::move(resource));
}

void TPicturePreparer::StartWorkers() {
    if (!workers_.empty() || stopping_) {
        return;
    }
    const int count = options_.Workers > 0 ? options_.Workers : DefaultWorkers();
    for (int i = 0; i < count; ++i) {
        workers_.emplace_back([this] { Work(); });
    }
}

TPicturePreparer::TContent& TPicturePreparer::ContentOf(const QByteArray& content) {
    auto [at, added] = contents_.try_emplace(content);
    at->second.Used = ++tick_;
    if (added && contents_.size() > options_.RememberedContents) {
        // The one used longest ago goes, unless it is the one just added.
        auto oldest =
            std::min_element(contents_.begin(), contents_.end(), [](const auto& a, const auto& b) {
                return a.second.Used < b.second.Used;
            });
        if (oldest != at) {
            if (oldest->second.Conversion) {
                conversionBytes_ -= oldest->second.Conversion->size();
            }
            contents_.erase(oldest);
        }
    }
    return at->second;
}

void TPicturePreparer::KeepConversion(const QByteArray& content, std::string conversion) {
    if (conversion.empty() || conversion.size() > options_.LargestConversion ||
        conversion.size() > options_.ConversionBytes) {
        return;
    }
    TContent& kept = ContentOf(content);
    if (kept.Conversion) {
        conversionBytes_ -= kept.Conversion->size();
    }
    kept.Conversion = std::make_shared<const std::string>(std::move(conversion));
    conversionBytes_ += kept.Conversion->size();
    while (conversionBytes_ > options_.ConversionBytes) {
        TContent* oldest = nullptr;
        for (auto& [digest, entry] : contents_) {
            if (entry.Conversion && &entry != &kept && (!oldest || entry.Used < oldest->Used)) {
                oldest = &entry;
            }
        }
        if (!oldest) {
            break;
        }
        conversionBytes_ -= oldest->Conversion->size();
        oldest->Conversion.reset();
    }
}

bool TPicturePreparer::ShownBy(const TViewers& viewers) {
    for (const auto& [asker, showing] : viewers) {
        const std::shared_ptr<TPictureViewer::TState> viewer = asker.lock();
        if (viewer && viewer->Shows(showing)) {
            return true;
        }
    }
    return false;
}

bool TPicturePreparer::Wanted(const TRequest& request) const {
    return request.Waiters > 0 || ShownBy(request.Askers);
}

std::chrono::microseconds TPicturePreparer::CpuSoFar(const TRequest& request) {
    if (!request.Running || !request.WorkerClock) {
        return request.Cpu;
    }
    const int64_t thread = request.WorkerClock->Micros() - request.CpuBegan;
    return std::chrono::microseconds(std::max<int64_t>(0, thread) +
                                     request.ProcessMicros.load(std::memory_order_relaxed));
}

TPicturePreparer::TState TPicturePreparer::Look(const TPictureKey& key, QImage& image,
                                                const TPictureViewer* viewer) {
    if (viewer) {
        viewer->Draws(key);
    }
    std::lock_guard lock(mutex_);
    // An image kept smaller than asked, for a view, is only for views: anything else draws the
    // picture whole.
    if (const auto at = ready_.find(key); at != ready_.end() && (viewer || !at->second.Reduced)) {
        at->second.Shown = ++tick_;
        if (viewer) {
            AddViewer(at->second.Viewers, viewer->State(), viewer->State()->Showing.load());
        }
        image = at->second.Image;
        return TState::Ready;
    }
    const auto content = contents_.find(key.Content);
    return content != contents_.end() && content->second.Refused ? TState::Refused
                                                                 : TState::Waiting;
}

int TPicturePreparer::Preparations(const QByteArray& content) const {
    std::lock_guard lock(mutex_);
    const auto at = contents_.find(content);
    return at != contents_.end() ? at->second.Preparations : 0;
}

bool TPicturePreparer::Refused(const QByteArray& content) const {
    std::lock_guard lock(mutex_);
    const auto at = contents_.find(content);
    return at != contents_.end() && at->second.Refused;
}

std::shared_ptr<TPicturePreparer::TRequest>
TPicturePreparer::Request(const TPictureKey& key, const TPreparationWorkMaker& work, bool asked) {
    std::shared_ptr<TRequest>& request = requests_[key];
    if (!request) {
        request = std::make_shared<TRequest>();
        request->Key = key;
        request->Work = work();
        request->Queued = true;
        StartWorkers();
        if (asked && asksHeld_ > 0) {
            askedInPaint_.push_back(request);
        } else {
            queue_.push_back(request);
            queued_.notify_one();
        }
    }
    return request;
}

void TPicturePreparer::WatchNotices() {
    if (!notifier_ && QCoreApplication::instance() &&
        QThread::currentThread() == QCoreApplication::instance()->thread()) {
        // The viewers are told on their own thread, woken through a descriptor its event loop
        // watches: nothing a worker makes crosses over inside Qt's own queue, where the thread
        // checkers cannot follow it.
        wakeFd_ = ::eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
        if (wakeFd_ >= 0) {
            noticeThread_ = std::this_thread::get_id();
            notifier_ = std::make_unique<QSocketNotifier>(wakeFd_, QSocketNotifier::Read);
            QObject::connect(notifier_.get(), &QSocketNotifier::activated, notifier_.get(), [this] {
                uint64_t count = 0;
                while (::read(wakeFd_, &count, sizeof count) > 0) {
                }
                DeliverNotices();
            });
        }
    }
}

void TPicturePreparer::Ask(const TPictureKey& key, const TPreparationWorkMaker& work,
                           const TPictureViewer& viewer) {
    std::lock_guard lock(mutex_);
    if (stopping_ || ready_.count(key) > 0 || ContentOf(key.Content).Refused) {
        return;
    }
    WatchNotices();
    AddViewer(Request(key, work, true)->Askers, viewer.State(), viewer.State()->Showing.load());
}

void TPicturePreparer::AskLarger(const TPictureKey& key, const TPreparationWorkMaker& work,
                                 const TPictureViewer& viewer) {
    std::lock_guard lock(mutex_);
    const auto at = ready_.find(key);
    if (stopping_ || at == ready_.end() || !at->second.Reduced) {
        return;
    }
    WatchNotices();
    const bool fresh = requests_.count(key) == 0;
    const std::shared_ptr<TRequest> request = Request(key, work, true);
    if (fresh) {
        request->AskedLarger = true;
    }
    AddViewer(request->Askers, viewer.State(), viewer.State()->Showing.load());
}

void TPicturePreparer::AskFor(const TPictureKey& key, TPreparationWork work,
                              const TPictureViewer::TAsker& asker) {
    std::lock_guard lock(mutex_);
    if (stopping_ || ready_.count(key) > 0 || ContentOf(key.Content).Refused) {
        return;
    }
    AddViewer(Request(
                  key, [&work] { return std::move(work); }, true)
                  ->Askers,
              asker.Viewer, asker.Showing);
}

void TPicturePreparer::AddViewer(TViewers& viewers,
                                 const std::weak_ptr<TPictureViewer::TState>& viewer,
                                 uint64_t showing) {
    std::erase_if(viewers, [](const auto& asker) { return asker.first.expired(); });
    for (auto& [asker, when] : viewers) {
        // The same viewer, compared without holding it.
        if (!asker.owner_before(viewer) && !viewer.owner_before(asker)) {
            when = std::max(when, showing);
            return;
        }
    }
    viewers.emplace_back(viewer, showing);
}

TPrepared TPicturePreparer::Wait(const TPictureKey& key, const TPreparationWorkMaker& work,
                                 Clock::time_point until, const std::function<void()>& serve,
                                 std::chrono::microseconds cpu) {
    std::unique_lock lock(mutex_);
    if (const auto at = ready_.find(key); at != ready_.end() && !at->second.Reduced) {
        at->second.Shown = ++tick_;
        return {TPreparedEnd::Ready, at->second.Image};
    }
    if (ContentOf(key.Content).Refused) {
        return {TPreparedEnd::Refused, {}};
    }
    if (stopping_) {
        return {TPreparedEnd::Later, {}};
    }
    // What works made smaller for the views they joined took: a wait is given the whole image, so
    // it asks once more for a work of its own.
    std::chrono::microseconds spent{0};
    for (int tries = 0;; ++tries) {
        const std::shared_ptr<TRequest> request = Request(key, work, false);
        ++request->Waiters;
        if (request->Queued) {
            // A waiting job goes before the windows' pictures, and is not held back by a paint.
            std::erase(queue_, request);
            std::erase(askedInPaint_, request);
            queue_.push_front(request);
            queued_.notify_one();
        }
        while (!request->Done) {
            const Clock::time_point now = Clock::now();
            if (now >= until) {
                break;
            }
            done_.wait_until(lock, std::min(until, now + ServeEvery),
                             [&] { return request->Done; });
            if (request->Done || spent + CpuSoFar(*request) > cpu) {
                break;
            }
            if (serve) {
                lock.unlock();
                serve();
                lock.lock();
            }
        }
        --request->Waiters;
        if (!request->Done) {
            return {TPreparedEnd::Later, {}, spent + CpuSoFar(*request)};
        }
        TPrepared result = request->Result;
        result.Cpu += spent;
        const bool smaller = result.End == TPreparedEnd::Ready && key.Reduced(result.Image);
        if (!smaller || !request->ForView || tries > 0 || result.Cpu > cpu || stopping_) {
            return result;
        }
        spent = result.Cpu;
    }
}

void TPicturePreparer::Work() {
    const TThreadCpuClock cpuClock;
    std::unique_lock lock(mutex_);
    while (true) {
        queued_.wait(lock, [this] { return stopping_ || !queue_.empty(); });
        if (stopping_) {
            return;
        }
        const std::shared_ptr<TRequest> request = queue_.front();
        queue_.pop_front();
        request->Queued = false;
        if (!Wanted(*request)) {
            Finish(*request, {TPreparedEnd::Dropped, {}});
            continue;
        }
        if (request->AskedLarger && !Larger(*request)) {
            // Its share has not grown: the image the view has is the one it would be given.
            requests_.erase(request->Key);
            request->Done = true;
            request->Result = {TPreparedEnd::Dropped, {}};
            request->Askers.clear();
            done_.notify_all();
            continue;
        }
        ++running_;
        ++counts_.Started;
        ++ContentOf(request->Key.Content).Preparations;
        request->ForView = !request->Askers.empty();
        request->ImageBytes = ImageBytesFor(*request);
        request->Running = true;
        request->WorkerClock = &cpuClock;
        const int64_t began = request->CpuBegan = cpuClock.Micros();
        if (request->ImageBytes < request->Key.Bytes()) {
            ++counts_.Reduced;
        }
        // Read by this worker alone while the work runs.
        const bool forView = request->ForView;
        const uint64_t imageBytes = request->ImageBytes;
        lock.unlock();
        TPrepared prepared;
        {
            TContext context(*this, *request);
            try {
                prepared = request->Work(context);
            } catch (...) {
                // Work that fails does so again: the picture is its frame.
                prepared = {TPreparedEnd::Refused, {}};
            }
            if (prepared.End == TPreparedEnd::Ready && prepared.Image.isNull()) {
                prepared.End = TPreparedEnd::Refused;
            }
            if (prepared.End != TPreparedEnd::Ready && context.Stopped()) {
                prepared = {TPreparedEnd::Dropped, {}};
            }
        }
        if (forView && prepared.End == TPreparedEnd::Ready &&
            BytesOf(prepared.Image) > imageBytes) {
            // A work that could not make its image small enough: it is made so here, as the
            // views' other pictures count on it.
            int width = prepared.Image.width();
            int height = prepared.Image.height();
            FitImageBytes(width, height, imageBytes);
            prepared.Image = prepared.Image.scaled(width, height, Qt::IgnoreAspectRatio,
                                                   Qt::SmoothTransformation);
        }
        // The work's own captures go before the request is finished: nothing of it outlives
        // the worker that ran it.
        request->Work = nullptr;
        prepared.Cpu =
            std::chrono::microseconds(std::max<int64_t>(0, cpuClock.Micros() - began) +
                                      request->ProcessMicros.load(std::memory_order_relaxed));
        lock.lock();
        --running_;
        request->Running = false;
        request->WorkerClock = nullptr;
        request->Cpu = prepared.Cpu;
        Finish(*request, std::move(prepared));
    }
}

uint64_t TPicturePreparer::FairBytes(const TPictureKey& key, const TViewers& viewers) const {
    const uint64_t wanted = key.Bytes();
    // What all the pictures of the views that show it take at the sizes shown, from the paints
    // that asked, against the bound.
    uint64_t viewBytes = wanted;
    for (const auto& [asker, showing] : viewers) {
        const std::shared_ptr<TPictureViewer::TState> viewer = asker.lock();
        if (viewer && viewer->Shows(showing)) {
            viewBytes = std::max(viewBytes, viewer->ShownBytes());
        }
    }
    if (viewBytes <= readyBound_) {
        return wanted;
    }
    return static_cast<uint64_t>(static_cast<double>(wanted) *
                                 (static_cast<double>(readyBound_) / double(viewBytes)));
}

bool TPicturePreparer::Larger(const TRequest& request) const {
    const auto at = ready_.find(request.Key);
    if (request.Waiters > 0 || request.Askers.empty() || at == ready_.end() ||
        !at->second.Reduced) {
        return true;
    }
    TRequest asView;
    asView.Key = request.Key;
    asView.Askers = request.Askers;
    asView.ForView = true;
    return ImageBytesFor(asView) > at->second.Given;
}

bool TPicturePreparer::BeingReplaced(const TPictureKey& key) const {
    const auto at = requests_.find(key);
    return at != requests_.end() && at->second->Running && at->second->ForView &&
           at->second->AskedLarger;
}

uint64_t TPicturePreparer::ImageBytesFor(const TRequest& request) const {
    if (!request.ForView) {
        // Whoever waits draws it whole and lets it go: only the picture's own bounds hold.
        return std::numeric_limits<uint64_t>::max();
    }
    const uint64_t share = FairBytes(request.Key, request.Askers);
    // And no more than the room left by the images the views show and by the works under way
    // for them: what is kept for the views never has to push out what they show.
    // An image this work or a running one is to replace counts only as its work does.
    uint64_t held = 0;
    for (const auto& [key, ready] : ready_) {
        const bool own = !(key < request.Key) && !(request.Key < key);
        if (ShownBy(ready.Viewers) && !own && !BeingReplaced(key)) {
            held += ready.Bytes;
        }
    }
    for (const auto& [key, other] : requests_) {
        if (other.get() != &request && other->Running && other->ForView) {
            held += other->ImageBytes;
        }
    }
    const uint64_t room = readyBound_ > held ? readyBound_ - held : 0;
    // Never less than a quarter of its share (half its width and height): where the images the
    // views show leave less room, made when they showed fewer pictures or shown by another view,
    // room is made among them as the image comes. Cut to the room alone, it could be made a
    // pixel, and kept so while it is shown.
    return std::max(std::min(share, room), share / 4);
}

void TPicturePreparer::Finish(TRequest& request, TPrepared prepared) {
    if (const auto at = requests_.find(request.Key);
        at != requests_.end() && at->second.get() == &request) {
        requests_.erase(at);
    }
    bool tell = false;
    switch (prepared.End) {
    case TPreparedEnd::Ready:
        // Told either way: a view whose picture could not be kept asks for it again, and is
        // given a smaller image.
        KeepReady(request, prepared.Image);
        tell = true;
        break;
    case TPreparedEnd::Refused:
        if (const auto kept = ready_.find(request.Key);
            request.AskedLarger && kept != ready_.end() && kept->second.Reduced) {
            // Too costly larger: the picture keeps the image it has, and is not tried at that
            // share again.
            kept->second.Given = std::max(kept->second.Given, request.ImageBytes);
        } else {
            ContentOf(request.Key.Content).Refused = true;
            // Its views paint it again at once, now with the word that says it is given up.
            tell = true;
        }
        break;
    case TPreparedEnd::Later:
        tell = true;
        break;
    case TPreparedEnd::Dropped:
        ++counts_.Dropped;
        // Asked for again while its work was being stopped: the viewer asks once more.
        tell = Wanted(request);
        break;
    }
    request.Done = true;
    request.Result = std::move(prepared);
    if (tell) {
        bool wake = false;
        for (const auto& [asker, showing] : request.Askers) {
            const std::shared_ptr<TPictureViewer::TState> viewer = asker.lock();
            if (viewer && viewer->Shows(showing)) {
                notices_.push_back(asker);
                wake = true;
            }
        }
        if (wake) {
            Wake();
        }
    }
    request.Askers.clear();
    done_.notify_all();
}

bool TPicturePreparer::KeepReady(const TRequest& request, const QImage& image) {
    const uint64_t bytes = BytesOf(image);
    const auto kept = ready_.find(request.Key);
    if (bytes > readyBound_ || (kept != ready_.end() && !(request.AskedLarger && request.ForView &&
                                                          kept->second.Reduced))) {
        return false;
    }
    if (kept != ready_.end()) {
        // The smaller image a view had: the larger one takes its place.
        readyBytes_ -= kept->second.Bytes;
        ready_.erase(kept);
    }
    // Those the views no longer show go first. Then, only for an image a view asked for, which
    // was made to fit beside what the views show, those they show: only when the views changed
    // under the work does that come to anything.
    EvictAbove(readyBound_ - bytes, false);
    if (readyBytes_ + bytes > readyBound_) {
        if (!request.ForView) {
            return false;
        }
        EvictAboveShares(readyBound_ - bytes);
        EvictAbove(readyBound_ - bytes);
    }
    // A ready image counts as shown when it comes: it is about to be, by those that asked.
    const bool reduced = request.Key.Reduced(image);
    ready_[request.Key] =
        TReady{image, bytes, ++tick_, request.Askers, reduced, request.ImageBytes};
    readyBytes_ += bytes;
    return true;
}

void TPicturePreparer::Wake() {
    if (wakeFd_ < 0) {
        return;
    }
    const uint64_t one = 1;
    while (::write(wakeFd_, &one, sizeof one) < 0 && errno == EINTR) {
    }
}

void TPicturePreparer::HoldAskedWork() {
    std::lock_guard lock(mutex_);
    ++asksHeld_;
}

void TPicturePreparer::ReleaseAskedWork() {
    {
        std::lock_guard lock(mutex_);
        if (--asksHeld_ > 0 || askedInPaint_.empty()) {
            return;
        }
        queue_.insert(queue_.end(), askedInPaint_.begin(), askedInPaint_.end());
        askedInPaint_.clear();
    }
    queued_.notify_all();
}

void TPicturePreparer::DeliverNotices() {
    std::vector<std::weak_ptr<TPictureViewer::TState>> notices;
    {
        std::lock_guard lock(mutex_);
        notices.swap(notices_);
    }
    std::vector<std::shared_ptr<TPictureViewer::TState>> told;
    for (const auto& notice : notices) {
        const std::shared_ptr<TPictureViewer::TState> viewer = notice.lock();
        if (!viewer || std::find(told.begin(), told.end(), viewer) != told.end()) {
            continue;
        }
        told.push_back(viewer);
        if (viewer->Ready) {
            viewer->Ready();
        }
    }
}

bool TPicturePreparer::WaitUntilIdle(std::chrono::milliseconds limit) {
    std::unique_lock lock(mutex_);
    return done_.wait_for(
        lock, limit, [this] { return queue_.empty() && askedInPaint_.empty() && running_ == 0; });
}

bool TPicturePreparer::Busy() const {
    std::lock_guard lock(mutex_);
    return !queue_.empty() || !askedInPaint_.empty() || running_ > 0 || !notices_.empty();
}

TPreparerCounts TPicturePreparer::Counts() const {
    std::lock_guard lock(mutex_);
    return counts_;
}

uint64_t TPicturePreparer::ReadyBytes() const {
    std::lock_guard lock(mutex_);
    return readyBytes_;
}

void TPicturePreparer::SetReadyBytesBound(uint64_t bytes) {
    std::lock_guard lock(mutex_);
    readyBound_ = bytes;
    EvictAbove(readyBound_);
}

void TPicturePreparer::EvictAbove(uint64_t bytes, bool shownToo) {
    // Those shown longest ago go first: the pictures out of view.
    while (readyBytes_ > bytes) {
        auto oldest = ready_.end();
        for (auto at = ready_.begin(); at != ready_.end(); ++at) {
            if ((oldest == ready_.end() || at->second.Shown < oldest->second.Shown) &&
                (shownToo || !ShownBy(at->second.Viewers))) {
                oldest = at;
            }
        }
        if (oldest == ready_.end()) {
            return;
        }
        readyBytes_ -= oldest->second.Bytes;
        ready_.erase(oldest);
        ++counts_.Evicted;
    }
}

void TPicturePreparer::EvictAboveShares(uint64_t bytes) {
    for (auto at = ready_.begin(); at != ready_.end() && readyBytes_ > bytes;) {
        if (at->second.Bytes > FairBytes(at->first, at->second.Viewers)) {
            readyBytes_ -= at->second.Bytes;
            at = ready_.erase(at);
            ++counts_.Evicted;
        } else {
            ++at;
        }
    }
}

void TPicturePreparer::Forget() {
    std::lock_guard lock(mutex_);
    ready_.clear();
    readyBytes_ = 0;
    contents_.clear();
    conversionBytes_ = 0;
}

TPicturePreparer& PicturePreparer() {
    static TPicturePreparer preparer;
    static const bool stopsWithTheApplication = [] {
        // Called from the application object's destructor, while what the works draw with is
        // still there.
        qAddPostRoutine([] { PicturePreparer().ShutDown(); });
        return true;
    }();
    (void)stopsWithTheApplication;
    return preparer;
}
