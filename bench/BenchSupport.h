#pragma once

// What the benchmarks share: a temporary store folder and the process's memory figures.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace bench {

// A field of a process's status in kilobytes ("VmHWM:", "VmRSS:"), of this process unless
// another is named by its id; -1 when absent.
inline long StatusKb(const std::string& field, const std::string& process = "self") {
    std::ifstream status("/proc/" + process + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field, 0) == 0) {
            return std::stol(line.substr(field.size()));
        }
    }
    return -1;
}

// The peak resident size of the process in kilobytes since the last ResetPeak.
inline long PeakKb() {
    return StatusKb("VmHWM:");
}

inline void ResetPeak() {
    std::ofstream("/proc/self/clear_refs") << "5";
}

class TempStore {
public:
    TempStore() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "tarnwick-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
    }
    ~TempStore() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempStore(const TempStore&) = delete;
    TempStore& operator=(const TempStore&) = delete;

    const std::filesystem::path& Path() const { return path_; }
    std::string Str() const { return path_.string(); }

private:
    std::filesystem::path path_;
};

} // namespace bench
