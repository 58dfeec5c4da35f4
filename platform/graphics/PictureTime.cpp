#include "platform/graphics/PictureTime.h"

#include <QCryptographicHash>

#include <algorithm>
#include <deque>
#include <mutex>
#include <set>

namespace {

// A drawing given less than this comes to nothing and only wastes what it takes.
constexpr qint64 LeastMillis = 50;
// A window may spend this share of the time that passes on drawings that are stopped.
constexpr qint64 WasteShare = 10;

// The showing open on this thread: how many are nested, what its pictures have spent, where
// its window counts the drawings that were stopped, how many pictures it put off and whether it
// kept any drawing or conversion.
struct TShowingState {
    int Depth = 0;
    qint64 Spent = 0;
    TPictureWaste* Waste = nullptr;
    int PutOff = 0;
    bool Kept = false;
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

TPictureWaste::TPictureWaste() {
    since_.start();
}

qint64 TPictureWaste::Left() {
    const qint64 now = since_.elapsed();
    const qint64 gained = (now - counted_) / WasteShare;
    counted_ += gained * WasteShare;
    left_ = std::min(PictureMillis, left_ + gained);
    if (left_ == PictureMillis) {
        counted_ = now;
    }
    return left_;
}

void TPictureWaste::Spend(qint64 millis) {
    Left();
    left_ -= std::max<qint64>(0, millis);
}

TPictureShowing::TPictureShowing(TPictureWaste* waste) : outer_(Showing.Depth == 0) {
    if (outer_) {
        Showing = TShowingState{0, 0, waste, 0, false};
    }
    ++Showing.Depth;
}

TPictureShowing::~TPictureShowing() {
    --Showing.Depth;
    if (outer_) {
        Showing.Waste = nullptr;
    }
}

qint64 TPictureShowing::Left() {
    if (Showing.Depth == 0) {
        return PictureMillis;
    }
    const qint64 left = PictureMillis - Showing.Spent;
    return Showing.Waste ? std::min(left, Showing.Waste->Left()) : left;
}

void TPictureShowing::Spend(qint64 millis, bool stopped) {
    if (Showing.Depth == 0) {
        return;
    }
    Showing.Spent += std::max<qint64>(0, millis);
    if (stopped && Showing.Waste) {
        Showing.Waste->Spend(millis);
    }
}

void TPictureShowing::PutOff() {
    if (Showing.Depth > 0) {
        ++Showing.PutOff;
    }
}

void TPictureShowing::Kept() {
    if (Showing.Depth > 0) {
        Showing.Kept = true;
    }
}

int TPictureShowing::PicturesPutOff() const {
    return Showing.PutOff;
}

bool TPictureShowing::KeptAny() const {
    return Showing.Kept;
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
    const qint64 own = PictureMillis - stopped_;
    const qint64 shared = TPictureShowing::Left();
    // What little is left of its own second it may use; too little of the showing's it waits.
    return shared >= std::min(own, LeastMillis) ? std::max<qint64>(0, std::min(own, shared)) : 0;
}

bool TPictureTime::Draw(const std::function<bool(qint64 millis)>& draw) {
    // Less of the showing's time than of its own: a drawing that does not finish was cut short
    // by the other pictures of the paint, not by its own cost.
    const bool showingShort = TPictureShowing::Left() < PictureMillis - stopped_;
    QElapsedTimer clock;
    clock.start();
    const bool whole = draw(Allowance());
    const qint64 spent = clock.elapsed();
    TPictureShowing::Spend(spent, !whole);
    if (whole) {
        return true;
    }
    if (showingShort) {
        // Not counted against the picture's own second: a picture that needs most of it would
        // otherwise, once stopped behind others, never again be given enough to finish.
        TPictureShowing::PutOff();
    } else if ((stopped_ += spent) >= PictureMillis) {
        Remember(digest_);
    }
    return false;
}
