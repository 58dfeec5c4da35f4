#pragma once

// How far the memory allocated on the heap rose above what it was when a probe started, counted
// by hooks of the address sanitizer on every allocation and release in the process. Unlike the
// resident memory it leaves out what the sanitizer keeps aside after a release (up to 256 MB),
// so it tells what the work held at once. Without the sanitizer nothing is counted.

#include <atomic>
#include <cstddef>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TARNWICK_HEAP_HOOKS 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__)
#define TARNWICK_HEAP_HOOKS 1
#endif

#ifdef TARNWICK_HEAP_HOOKS
extern "C" int __sanitizer_install_malloc_and_free_hooks(void (*onAllocate)(const volatile void*,
                                                                            size_t),
                                                         void (*onRelease)(const volatile void*));
extern "C" size_t __sanitizer_get_allocated_size(const volatile void* p);
#endif

namespace heap_peak {

// Bytes allocated since the hooks came, less those released since (memory allocated before
// and released after counts as a release: only differences tell).
inline std::atomic<long long> Held{0};
inline std::atomic<long long> Highest{0};

inline void OnAllocate(const volatile void*, size_t size) {
    const long long held = Held += static_cast<long long>(size);
    long long highest = Highest.load(std::memory_order_relaxed);
    while (held > highest && !Highest.compare_exchange_weak(highest, held)) {
    }
}

#ifdef TARNWICK_HEAP_HOOKS
inline void OnRelease(const volatile void* p) {
    // Called before the sanitizer takes the block back, while its size can still be asked.
    Held -= static_cast<long long>(__sanitizer_get_allocated_size(p));
}
#endif

// Whether allocations are counted: once the sanitizer took the hooks.
inline bool Counting() {
#ifdef TARNWICK_HEAP_HOOKS
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnAllocate, OnRelease);
    return installed;
#else
    return false;
#endif
}

} // namespace heap_peak

// The highest the heap rose, from the probe's start on, above what it held then.
class THeapPeak {
public:
    THeapPeak() : counting_(heap_peak::Counting()), start_(heap_peak::Held.load()) {
        heap_peak::Highest = start_;
    }

    bool Counting() const { return counting_; }
    long long GrowthMb() const { return (heap_peak::Highest.load() - start_) >> 20; }

private:
    bool counting_;
    long long start_;
};
