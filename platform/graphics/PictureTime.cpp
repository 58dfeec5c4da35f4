#include "platform/graphics/PictureTime.h"

#include <QCryptographicHash>
#include <QElapsedTimer>

#include <algorithm>
#include <deque>
#include <mutex>
#include <set>

namespace {

// The showing open on this thread: how many are nested, what its pictures have spent.
struct TShowingState {
    int Depth = 0;
    qint64 Spent = 0;
};

thread_local TShowingState Showing;

// The pictures that ran out of time, by the digest of their bytes; the oldest are forgotten
// first.
constexpr size_t RememberedPictures = 4096;

std::mutex RememberedMutex;
std::set<QByteArray> Remembered;
std::deque<QByteArray> RememberedOrder;

bool IsRemembered(const QByteArray& digest) {
    std::lock_guard lock(RememberedMutex);
    return Remembered.count(digest) > 0;
}

void Remember(const QByteArray& digest) {
    std::lock_guard lock(RememberedMutex);
    if (!Remembered.insert(digest).second) {
        return;
    }
    RememberedOrder.push_back(digest);
    if (RememberedOrder.size() > RememberedPictures) {
        Remembered.erase(RememberedOrder.front());
        RememberedOrder.pop_front();
    }
}

} // namespace

TPictureShowing::TPictureShowing() : outer_(Showing.Depth == 0) {
    if (outer_) {
        Showing.Spent = 0;
    }
    ++Showing.Depth;
}

TPictureShowing::~TPictureShowing() {
    --Showing.Depth;
}

qint64 TPictureShowing::Left() {
    return Showing.Depth > 0 ? PictureMillis - Showing.Spent : PictureMillis;
}

void TPictureShowing::Spend(qint64 millis) {
    if (Showing.Depth > 0) {
        Showing.Spent += std::max<qint64>(0, millis);
    }
}

TPictureTime::TPictureTime(std::string_view bytes)
    : digest_(QCryptographicHash::hash(
          QByteArrayView(bytes.data(), static_cast<qsizetype>(bytes.size())),
          QCryptographicHash::Sha256)) {}

bool TPictureTime::RanOut() const {
    // A copy of the same bytes may have run out since this one was drawn last.
    if (stopped_ < PictureMillis && IsRemembered(digest_)) {
        stopped_ = PictureMillis;
    }
    return stopped_ >= PictureMillis;
}

qint64 TPictureTime::Allowance() const {
    return std::min(PictureMillis - stopped_, TPictureShowing::Left());
}

bool TPictureTime::Draw(const std::function<bool(qint64 millis)>& draw) {
    QElapsedTimer clock;
    clock.start();
    const bool whole = draw(Allowance());
    const qint64 spent = clock.elapsed();
    TPictureShowing::Spend(spent);
    if (!whole && (stopped_ += spent) >= PictureMillis) {
        Remember(digest_);
    }
    return whole;
}
