#pragma once

// How long a piece of work took in this process and how far it raised the process's peak
// resident memory: the kernel's high-water mark is reset when the probe starts (Linux: "5"
// written to /proc/self/clear_refs) and read when asked. And the CPU time it took, the process's
// threads and its ended children (the converting processes of pictures) together: what a busy
// machine does not stretch.

#include <chrono>
#include <fstream>

#include <sstream>
#include <string>
#include <sys/resource.h>

class TResourceProbe {
public:
    TResourceProbe() {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        clear.flush();
        reset_ = static_cast<bool>(clear);
        startKb_ = StatusKb("VmRSS:");
        start_ = std::chrono::steady_clock::now();
        startCpu_ = CpuNow();
    }

    // Whether the peak could be reset: without it the growth counts earlier work too.
    bool PeakReset() const { return reset_; }
    long long Millis() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start_)
            .count();
    }
    long long PeakGrowthMb() const { return (StatusKb("VmHWM:") - startKb_) / 1024; }
    long long CpuMillis() const { return CpuNow() - startCpu_; }

    // A field of /proc/self/status in kB (0 when missing).
    static long long StatusKb(const std::string& field) {
        std::ifstream status("/proc/self/status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind(field, 0) == 0) {
                std::istringstream value(line.substr(field.size()));
                long long kb = 0;
                value >> kb;
                return kb;
            }
        }
        return 0;
    }

private:
    static long long CpuNow() {
        long long millis = 0;
        for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
            rusage usage{};
            getrusage(who, &usage);
            millis += (usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) * 1000LL +
                      (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1000;
        }
        return millis;
    }

    bool reset_ = false;
    long long startKb_ = 0;
    std::chrono::steady_clock::time_point start_;
    long long startCpu_ = 0;
};
