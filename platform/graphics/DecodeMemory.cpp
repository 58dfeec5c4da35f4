#include "platform/graphics/DecodeMemory.h"

#include "platform/graphics/PictureBudget.h"

#include <chrono>

bool TDecodeMemory::Take(uint64_t bytes, const std::function<bool()>& stopped) {
    if (bytes > bound_) {
        return false;
    }
    std::unique_lock lock(mutex_);
    while (held_ + bytes > bound_) {
        // Whoever waits may stop wanting it: looked at now and then.
        given_.wait_for(lock, std::chrono::milliseconds(20));
        if (held_ + bytes > bound_ && stopped) {
            // Asked without the lock: the asker's own lock may be held by one giving back.
            lock.unlock();
            const bool stop = stopped();
            lock.lock();
            if (stop) {
                return false;
            }
        }
    }
    held_ += bytes;
    return true;
}

void TDecodeMemory::Give(uint64_t bytes) {
    {
        std::lock_guard lock(mutex_);
        held_ -= bytes;
    }
    given_.notify_all();
}

uint64_t TDecodeMemory::Held() const {
    std::lock_guard lock(mutex_);
    return held_;
}

TDecodeMemory& DecodeMemory() {
    static TDecodeMemory memory(DecodesMemoryBound);
    return memory;
}

bool TDecodeMemoryHeld::Take(TDecodeMemory& memory, uint64_t bytes,
                             const std::function<bool()>& stopped) {
    Give();
    if (!memory.Take(bytes, stopped)) {
        return false;
    }
    memory_ = &memory;
    bytes_ = bytes;
    return true;
}

void TDecodeMemoryHeld::Give() {
    if (memory_) {
        memory_->Give(bytes_);
        memory_ = nullptr;
        bytes_ = 0;
    }
}
