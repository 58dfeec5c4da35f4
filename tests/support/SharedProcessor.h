#pragma once

// Work done on a processor it shares with busy threads, as a loaded machine shares its
// processors: its time on the wall grows several times over, its CPU time does not.

#include <pthread.h>
#include <sched.h>

#include <atomic>
#include <thread>
#include <vector>

// Runs `work` on the calling thread held to the processor it is on, beside `busy` threads that
// spin on that processor until it ends.
template <typename Work> void OnAProcessorSharedWith(int busy, Work work) {
    struct TPinned {
        cpu_set_t Before{};
        cpu_set_t One{};
        std::atomic<bool> Done{false};
        std::vector<std::thread> Spinners;
        TPinned() {
            pthread_getaffinity_np(pthread_self(), sizeof Before, &Before);
            CPU_ZERO(&One);
            CPU_SET(sched_getcpu(), &One);
            pthread_setaffinity_np(pthread_self(), sizeof One, &One);
        }
        ~TPinned() {
            Done = true;
            for (std::thread& spinner : Spinners) {
                spinner.join();
            }
            pthread_setaffinity_np(pthread_self(), sizeof Before, &Before);
        }
    } pinned;
    for (int i = 0; i < busy; ++i) {
        pinned.Spinners.emplace_back([&pinned] {
            pthread_setaffinity_np(pthread_self(), sizeof pinned.One, &pinned.One);
            while (!pinned.Done.load(std::memory_order_relaxed)) {
            }
        });
    }
    work();
}
