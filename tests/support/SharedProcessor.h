#pragma once

// Work done on a processor shared with busy threads, as a loaded machine shares its processors:
// its time on the wall grows many times over, its CPU time does not.

#include <dirent.h>
#include <sched.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <thread>
#include <utility>
#include <vector>

// Runs `work` with every thread of the process (the pictures' workers too) held to the processor
// the calling thread is on, beside `busy` threads that spin there until it ends. Each thread's
// processors are given back afterwards.
template <typename Work> void OnAProcessorSharedWith(int busy, Work work) {
    struct TPinned {
        std::vector<std::pair<pid_t, cpu_set_t>> Before;
        cpu_set_t One{};
        std::atomic<bool> Done{false};
        std::vector<std::thread> Spinners;
        TPinned() {
            CPU_ZERO(&One);
            CPU_SET(sched_getcpu(), &One);
            if (DIR* tasks = opendir("/proc/self/task")) {
                while (const dirent* task = readdir(tasks)) {
                    const auto tid = static_cast<pid_t>(std::atoi(task->d_name));
                    cpu_set_t before{};
                    if (tid > 0 && sched_getaffinity(tid, sizeof before, &before) == 0 &&
                        sched_setaffinity(tid, sizeof One, &One) == 0) {
                        Before.emplace_back(tid, before);
                    }
                }
                closedir(tasks);
            }
        }
        ~TPinned() {
            Done = true;
            for (std::thread& spinner : Spinners) {
                spinner.join();
            }
            for (const auto& [tid, before] : Before) {
                sched_setaffinity(tid, sizeof before, &before);
            }
        }
    } pinned;
    for (int i = 0; i < busy; ++i) {
        // Started on the held processor, each spins there.
        pinned.Spinners.emplace_back([&pinned] {
            while (!pinned.Done.load(std::memory_order_relaxed)) {
            }
        });
    }
    work();
}
