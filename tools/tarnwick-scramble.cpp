// Turns a plain installation file (a summary template) into its stored, scrambled form, or
// back: the scrambling is its own inverse. Usage: tarnwick-scramble INPUT OUTPUT
#include "app/binder/Scramble.h"
#include "platform/base/Files.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: tarnwick-scramble INPUT OUTPUT\n");
        return 2;
    }
    size_t size = 0;
    std::unique_ptr<char[]> bytes = ReadFileWhole(argv[1], size);
    if (bytes == nullptr) {
        std::fprintf(stderr, "tarnwick-scramble: cannot read %s\n", argv[1]);
        return 1;
    }
    std::unique_ptr<char[]> scrambled = ScrambleBuffer(bytes.get(), ScrambleKey, size);
    std::string error;
    if (!WriteFileAtomic(argv[2], scrambled.get(), size, error)) {
        std::fprintf(stderr, "tarnwick-scramble: cannot write %s: %s\n", argv[2], error.c_str());
        return 1;
    }
    return 0;
}
