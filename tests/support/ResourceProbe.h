#pragma once

// How long a piece of work took in this process and how far it raised the process's peak
// resident memory: the kernel's high-water mark is reset when the probe starts (Linux: "5"
// written to /proc/self/clear_refs) and read when asked.

#include <chrono>
#include <fstream>
#include <sstream>
#include <string>

class TResourceProbe {
public:
    TResourceProbe() {
        std::ofstream clear("/proc/self/clear_refs");
        clear << "5";
        clear.flush();
        reset_ = static_cast<bool>(clear);
        startKb_ = StatusKb("VmRSS:");
        start_ = std::chrono::steady_clock::now();
    }

    // Whether the peak could be reset: without it the growth counts earlier work too.
    bool PeakReset() const { return reset_; }
    long long Millis() const {
        return std::chrono::duration_cast<std::chrono::milliseconds>(
                   std::chrono::steady_clock::now() - start_)
            .count();
    }
    long long PeakGrowthMb() const { return (StatusKb("VmHWM:") - startKb_) / 1024; }

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
    bool reset_ = false;
    long long startKb_ = 0;
    std::chrono::steady_clock::time_point start_;
};
