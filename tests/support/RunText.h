#pragma once

// What a shell command writes to its standard output (pdftotext and the like in tests).

#include <cstdio>
#include <string>

inline std::string RunText(const std::string& command) {
    std::string out;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t n;
        while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) {
            out.append(buffer, n);
        }
        pclose(pipe);
    }
    return out;
}
