#pragma once

// A stand-in for the desktop's opener: a script named xdg-open, first on PATH while it lives,
// that notes the argument of every run and exits with the status it was given.

#include "tests/support/ScopedEnv.h"
#include "tests/support/TempDir.h"

#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

class StandInOpener {
public:
    explicit StandInOpener(int exitStatus)
        : path_("PATH", dir_.Str() + ":" + (std::getenv("PATH") ? std::getenv("PATH") : "")) {
        const std::filesystem::path script = dir_ / "xdg-open";
        WriteFileBytes(script, "#!/bin/sh\nprintf '%s\\n' \"$1\" >> '" + (dir_ / "runs").string() +
                                   "'\nexit " + std::to_string(exitStatus) + "\n");
        std::filesystem::permissions(script, std::filesystem::perms::owner_all);
    }

    // The argument of each run so far, in order.
    std::vector<std::string> Runs() const {
        std::istringstream lines(ReadFileBytes(dir_ / "runs"));
        std::vector<std::string> runs;
        for (std::string line; std::getline(lines, line);) {
            runs.push_back(line);
        }
        return runs;
    }

private:
    TempDir dir_;
    ScopedEnv path_;
};
