#pragma once

// The working memory the decodes under way hold together (a progressive photo keeps every
// coefficient of its image from its first scan to its last: 385 MB for one of 64 megapixels at
// full colour resolution). A decode takes what it needs from a bound shared by all of them before
// it begins, waiting while those under way leave too little, and gives it back when it ends: the
// workers that prepare pictures side by side never hold more than the bound, however many of the
// largest photos they are given at once.

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>

class TDecodeMemory {
public:
    explicit TDecodeMemory(uint64_t bound) : bound_(bound) {}

    // Takes `bytes` (no more than the bound), waiting until the decodes under way leave room;
    // false, nothing taken, when `stopped` (asked every few milliseconds while it waits) says the
    // decode is no longer wanted, or when `bytes` is more than the bound.
    bool Take(uint64_t bytes, const std::function<bool()>& stopped);
    void Give(uint64_t bytes);
    // What the decodes under way hold now.
    uint64_t Held() const;
    uint64_t Bound() const { return bound_; }

private:
    const uint64_t bound_;
    mutable std::mutex mutex_;
    std::condition_variable given_;
    uint64_t held_ = 0;
};

// The bound the decodes of the process share (PictureBudget.h).
TDecodeMemory& DecodeMemory();

// What one decode took, given back when it goes.
class TDecodeMemoryHeld {
public:
    TDecodeMemoryHeld() = default;
    ~TDecodeMemoryHeld() { Give(); }
    TDecodeMemoryHeld(const TDecodeMemoryHeld&) = delete;
    TDecodeMemoryHeld& operator=(const TDecodeMemoryHeld&) = delete;

    bool Take(TDecodeMemory& memory, uint64_t bytes, const std::function<bool()>& stopped);
    void Give();

private:
    TDecodeMemory* memory_ = nullptr;
    uint64_t bytes_ = 0;
};
