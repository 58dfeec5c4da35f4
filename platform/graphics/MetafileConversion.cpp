#include "platform/graphics/MetafileConversion.h"

#include "platform/base/BoundedChild.h"
#include "platform/graphics/MetafileSvg.h"

#include <charconv>
#include <cstring>

#include <unistd.h>

namespace {

// The first argument that starts a program as the converter, followed by the length of the
// metafile on its standard input and the width and height to draw it at.
constexpr const char* ConverterSwitch = "--convert-enhanced-metafile";
constexpr int ConverterArguments = 5;

TChildBounds ConversionBounds() {
    TChildBounds bounds;
    bounds.Deadline = std::chrono::milliseconds(2000);
    bounds.CpuSeconds = 2;
    bounds.AddressSpaceGrowth = uint64_t{512} << 20;
    // The pixels of the largest picture allowed, as PNG text in base 64, fit with room over.
    bounds.MaxAnswer = size_t{96} << 20;
    return bounds;
}

// A whole decimal number of `text` and nothing else, from `least` on.
bool Number(const char* text, uint64_t least, uint64_t& value) {
    const char* end = text + std::strlen(text);
    const auto [at, error] = std::from_chars(text, end, value);
    return error == std::errc() && at == end && at != text && value >= least;
}

// The converter: the metafile on the standard input, exactly as long as said, checked as
// when it was loaded; its SVG text on the standard output. 0 when it answered.
int ConvertStandardInput(char** argv) {
    uint64_t length = 0;
    uint64_t width = 0;
    uint64_t height = 0;
    if (!Number(argv[2], 1, length) || !Number(argv[3], 1, width) || !Number(argv[4], 1, height) ||
        width > INT32_MAX || height > INT32_MAX) {
        return 1;
    }
    return AnswerAsBoundedProgram(
        length, ConversionBounds().AddressSpaceGrowth, [&](const std::string& bytes) {
            return MetafileToSvg(bytes, ReadMetafileLayout(bytes), static_cast<int>(width),
                                 static_cast<int>(height));
        });
}

// Started as the converter, the program converts before anything of its own has run (the
// sanitizers and the libraries it loads are set up by then) and ends there, running no handler
// at exit.
__attribute__((constructor(101))) void RunAsConverter(int argc, char** argv, char**) {
    if (argc == ConverterArguments && std::strcmp(argv[1], ConverterSwitch) == 0) {
        _exit(ConvertStandardInput(argv));
    }
}

} // namespace

std::string ConvertWithinBounds(std::string_view bytes, int width, int height) {
    // This program's own file, even when it was moved or replaced since it started.
    const TChildOutcome outcome =
        RunBoundedProgram("/proc/self/exe",
                          {"metafile-converter", ConverterSwitch, std::to_string(bytes.size()),
                           std::to_string(width), std::to_string(height)},
                          bytes, ConversionBounds());
    return outcome.End == TChildEnd::Answered ? outcome.Answer : std::string();
}
