#pragma once

// What a piece of work cost the test's own process: the seconds it took, and how far the peak
// of resident memory rose above what was resident at the start (the kernel's peak is reset
// then, so an earlier test's peak hides nothing).

#include <chrono>
#include <fstream>
#include <string>

class TCostProbe {
public:
    TCostProbe() : startKB_((std::ofstream("/proc/self/clear_refs") << "5", StatusKB("VmRSS:"))) {}

    double Seconds() const {
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
    }
    double PeakGrowthMB() const {
        return static_cast<double>(StatusKB("VmHWM:") - startKB_) / 1024;
    }

private:
    static long StatusKB(const std::string& field) {
        std::ifstream status("/proc/self/status");
        for (std::string name; status >> name; status.ignore(1 << 16, '\n')) {
            if (name == field) {
                long kb = 0;
                status >> kb;
                return kb;
            }
        }
        return 0;
    }

    long startKB_;
    std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};
