#pragma once

// What a piece of work cost the test's own process: the time it took, and how far the peak of
// resident memory rose above what was resident when the probe started. The kernel's peak is
// reset at the start, so an earlier test's peak does not hide this one's.

#include <chrono>
#include <fstream>
#include <string>

class TCostProbe {
public:
    TCostProbe() {
        std::ofstream("/proc/self/clear_refs") << "5";
        startKB_ = StatusKB("VmRSS:");
        start_ = std::chrono::steady_clock::now();
    }

    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }

    double PeakGrowthMB() const { return (StatusKB("VmHWM:") - startKB_) / 1024.0; }

private:
    static long StatusKB(const std::string& field) {
        std::ifstream status("/proc/self/status");
        std::string name;
        while (status >> name) {
            if (name == field) {
                long kb = 0;
                status >> kb;
                return kb;
            }
            status.ignore(1 << 16, '\n');
        }
        return 0;
    }

    long startKB_ = 0;
    std::chrono::steady_clock::time_point start_;
};
