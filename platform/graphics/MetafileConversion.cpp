#include "platform/graphics/MetafileConversion.h"

#include "platform/base/BoundedChild.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/MetafileRecords.h"
#include "platform/graphics/MetafileSvg.h"
#include "platform/graphics/PictureBudget.h"
#include "platform/graphics/SvgImages.h"

#include <QFile>
#include <QGuiApplication>
#include <QPainter>
#include <QSvgRenderer>

#include <cstdio>
#include <cstring>

#include <sys/stat.h>
#include <unistd.h>

namespace {

// The request: 'E' and a metafile, or 'S' and its SVG; the own and the drawn size and the
// longest conversion answered, 4 bytes each; then the bytes. The answer: the drawn size (4 bytes
// each) and the conversion's length (4 bytes), the pixels row by row (premultiplied ARGB, 4 bytes
// each), then the conversion.
constexpr size_t RequestHeader = 1 + 5 * 4;
constexpr size_t AnswerHeader = 3 * 4;

// Above its pixels, a drawing may hold this much memory in the converting process.
constexpr uint64_t GrowthAbovePixels = uint64_t{256} << 20;
// The most processes kept started: as many as a note of pictures opened on a machine of many
// processors keeps at work, each starting in tens of milliseconds.
constexpr int SpareConverters = 12;
// The longest conversion answered alone: the pixels of the largest picture allowed, as PNG text
// in base 64, fit with room over.
constexpr size_t ConversionAnswer = size_t{96} << 20;

// The CPU time the conversion and drawing of the enhanced metafile `bytes` (which passed
// ReadMetafileLayout) may take: its records counted, not those its header says it has.
std::chrono::milliseconds CpuFor(std::string_view bytes) {
    uint64_t records = 0;
    if (bytes.size() >= 8) {
        ForEachEmfRecord(bytes, [&records](uint32_t, std::string_view) { ++records; });
    }
    return std::chrono::milliseconds(EnhancedMetafileCpuMillis(records));
}

// The bound in whole seconds the system holds the process to beside `cpu`, which the process
// and the watch end it at: above it, for one they could not end.
int CpuSecondsFor(std::chrono::milliseconds cpu) {
    return static_cast<int>(cpu.count() / 1000 + 1);
}

uint64_t PixelBytes(int width, int height) {
    return uint64_t(width) * uint64_t(height) * 4;
}

void PutU32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
}

// A size of at least one pixel each way whose pixels any picture may take.
bool SizeFits(uint64_t width, uint64_t height) {
    return width > 0 && height > 0 && width * height * 4 <= uint64_t(MaxPicturePixelBytes);
}

// What the SVG renderer needs: the application of the offscreen platform, made after the
// conversion, whose font lookups must come first. It opens no display: with one, the platform
// would load a GL driver whose mappings alone outgrow the memory a picture may take.
void StartOffscreenApplication() {
    static int argc = 1;
    static char name[] = "picture-preparer";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qunsetenv("DISPLAY");
    qunsetenv("WAYLAND_DISPLAY");
    static QGuiApplication application(argc, argv);
}

// The converting process's work: the answer to `request`, or "" when it cannot draw it. A
// request of kind 'C' asks only for the conversion at the picture's own size, drawn nowhere.
std::string Prepare(const std::string& request) {
    if (request.size() < RequestHeader ||
        (request[0] != 'E' && request[0] != 'S' && request[0] != 'C')) {
        return "";
    }
    const std::string_view header(request.data() + 1, RequestHeader - 1);
    const uint32_t ownWidth = ReadU32(header, 0);
    const uint32_t ownHeight = ReadU32(header, 4);
    const uint32_t width = ReadU32(header, 8);
    const uint32_t height = ReadU32(header, 12);
    const uint32_t keep = ReadU32(header, 16);
    if (!SizeFits(ownWidth, ownHeight) || !SizeFits(width, height)) {
        return "";
    }
    const std::string_view payload = std::string_view(request).substr(RequestHeader);
    std::string svg;
    if (request[0] == 'S') {
        svg.assign(payload);
    } else {
        const std::string emf(payload);
        svg = MetafileToSvg(emf, ReadMetafileLayout(emf), static_cast<int>(ownWidth),
                            static_cast<int>(ownHeight));
        if (request[0] == 'C') {
            return svg;
        }
    }
    // The renderer decodes the images as it reads the text, and would read any file it names.
    if (svg.empty() || !SvgImagesFit(svg, MaxPicturePixelBytes)) {
        return "";
    }
    StartOffscreenApplication();
    QSvgRenderer renderer(QByteArray::fromRawData(svg.data(), static_cast<qsizetype>(svg.size())));
    if (!renderer.isValid()) {
        return "";
    }
    QImage image(static_cast<int>(width), static_cast<int>(height),
                 QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return "";
    }
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        renderer.render(&painter, QRectF(0, 0, width, height));
    }
    const bool answerConversion = request[0] == 'E' && svg.size() <= keep;
    std::string answer;
    answer.reserve(AnswerHeader + PixelBytes(image.width(), image.height()) +
                   (answerConversion ? svg.size() : 0));
    PutU32(answer, width);
    PutU32(answer, height);
    PutU32(answer, answerConversion ? static_cast<uint32_t>(svg.size()) : 0);
    for (int y = 0; y < image.height(); ++y) {
        answer.append(reinterpret_cast<const char*>(image.constScanLine(y)),
                      static_cast<size_t>(image.width()) * 4);
    }
    if (answerConversion) {
        answer += svg;
    }
    return answer;
}

// Started as the converting process, the program waits for its work before anything of its own
// has run (the sanitizers and the libraries it loads are set up by then) and ends there, running
// no handler at exit.
__attribute__((constructor(101))) void RunAsConverter(int argc, char** argv, char**) {
    if (argc == 2 && std::strcmp(argv[1], EnhancedConverterSwitch) == 0) {
        _exit(AnswerWorkStartedAhead(Prepare));
    }
}

TProgramsStartedAhead& Converters() {
    // The converting program installed beside this one, which starts in a fifth of the time a
    // program of all the window's libraries takes; else this program's own file, even when it
    // was moved or replaced since it started. The processes go with the preparer, once its
    // workers are joined.
    static const std::shared_ptr<TProgramsStartedAhead> converters = [] {
        const std::string beside =
            QCoreApplication::instance()
                ? ConverterProgramIn(
                      QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString())
                : std::string();
        auto made = std::make_shared<TProgramsStartedAhead>(
            beside.empty() ? std::string("/proc/self/exe") : beside,
            std::vector<std::string>{EnhancedConverterProgram, EnhancedConverterSwitch},
            SpareConverters);
        PicturePreparer().Hold(made);
        return made;
    }();
    return *converters;
}

} // namespace

std::string ConverterProgramIn(const std::string& folder) {
    if (folder.empty()) {
        return "";
    }
    std::string path = folder;
    if (path.back() != '/') {
        path += '/';
    }
    path += EnhancedConverterProgram;
    struct stat file {};
    if (stat(path.c_str(), &file) != 0 || !S_ISREG(file.st_mode) ||
        access(path.c_str(), X_OK) != 0) {
        return "";
    }
    return path;
}

int RunEnhancedMetafileConverter(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], EnhancedConverterSwitch) == 0) {
        return AnswerWorkStartedAhead(Prepare);
    }
    std::fprintf(stderr, "%s: started by the program to prepare its pictures, with %s\n",
                 EnhancedConverterProgram, EnhancedConverterSwitch);
    return 2;
}

std::string EnhancedRequestBytes(const TEnhancedRequest& request) {
    std::string bytes(1, request.Conversion ? 'S' : 'E');
    PutU32(bytes, static_cast<uint32_t>(request.OwnWidth));
    PutU32(bytes, static_cast<uint32_t>(request.OwnHeight));
    PutU32(bytes, static_cast<uint32_t>(request.Width));
    PutU32(bytes, static_cast<uint32_t>(request.Height));
    PutU32(bytes, static_cast<uint32_t>(std::min<size_t>(request.KeepConversion, UINT32_MAX)));
    if (request.Conversion) {
        bytes += *request.Conversion;
    } else {
        bytes += request.Metafile;
    }
    return bytes;
}

TEnhancedDrawing ReadEnhancedAnswer(const std::string& answer, const TEnhancedRequest& request) {
    const uint64_t pixels = PixelBytes(request.Width, request.Height);
    if (answer.size() < AnswerHeader || ReadU32(answer, 0) != uint32_t(request.Width) ||
        ReadU32(answer, 4) != uint32_t(request.Height)) {
        return {};
    }
    const uint64_t conversion = ReadU32(answer, 8);
    if (conversion > request.KeepConversion ||
        answer.size() != AnswerHeader + pixels + conversion) {
        return {};
    }
    QImage image(request.Width, request.Height, QImage::Format_ARGB32_Premultiplied);
    if (image.isNull()) {
        return {};
    }
    const size_t row = static_cast<size_t>(request.Width) * 4;
    for (int y = 0; y < request.Height; ++y) {
        std::memcpy(image.scanLine(y), answer.data() + AnswerHeader + row * size_t(y), row);
    }
    return {TPreparedEnd::Ready, std::move(image),
            answer.substr(static_cast<size_t>(AnswerHeader + pixels))};
}

TEnhancedDrawing DrawEnhancedMetafile(const TEnhancedRequest& request,
                                      const std::function<bool()>& stopped,
                                      const std::function<void(std::chrono::milliseconds)>& used) {
    if (request.Width <= 0 || request.Height <= 0 || request.OwnWidth <= 0 ||
        request.OwnHeight <= 0 || !SizeFits(uint64_t(request.Width), uint64_t(request.Height)) ||
        !SizeFits(uint64_t(request.OwnWidth), uint64_t(request.OwnHeight))) {
        return {};
    }
    const std::string input = EnhancedRequestBytes(request);
    const uint64_t pixels = PixelBytes(request.Width, request.Height);
    const std::chrono::milliseconds cpu = CpuFor(request.Metafile);
    TChildBounds bounds;
    // How long it may stand still: a busy machine makes the work longer, never late.
    bounds.Deadline = std::chrono::milliseconds(15000);
    bounds.CpuSeconds = CpuSecondsFor(cpu);
    // Its pixels twice (the image, the answer), what it reads and answers, and the room any
    // picture has above its pixels.
    bounds.AddressSpaceGrowth =
        GrowthAbovePixels + 2 * pixels + 2 * input.size() + request.KeepConversion;
    bounds.MaxAnswer = AnswerHeader + pixels + request.KeepConversion;
    TChildWatch watch;
    watch.Cpu = cpu;
    watch.Abandoned = stopped;
    watch.Used = used;
    const TChildOutcome outcome = Converters().Run(input, bounds, watch);
    if (used) {
        used(outcome.Cpu);
    }
    switch (outcome.End) {
    case TChildEnd::Answered:
        return ReadEnhancedAnswer(outcome.Answer, request);
    case TChildEnd::TimedOut:
        return {TPreparedEnd::Later, {}, {}};
    case TChildEnd::Abandoned:
        return {TPreparedEnd::Dropped, {}, {}};
    case TChildEnd::Failed:
    case TChildEnd::TooLong:
        break;
    }
    return {};
}

std::string ConvertWithinBounds(std::string_view bytes, int width, int height) {
    TEnhancedRequest request;
    request.Metafile = bytes;
    request.OwnWidth = width;
    request.OwnHeight = height;
    std::string input = EnhancedRequestBytes(request);
    input[0] = 'C';
    const std::chrono::milliseconds cpu = CpuFor(bytes);
    TChildBounds bounds;
    bounds.Deadline = std::chrono::milliseconds(15000);
    bounds.CpuSeconds = CpuSecondsFor(cpu);
    bounds.AddressSpaceGrowth = GrowthAbovePixels + 2 * input.size() + ConversionAnswer;
    bounds.MaxAnswer = ConversionAnswer;
    TChildWatch watch;
    watch.Cpu = cpu;
    const TChildOutcome outcome = Converters().Run(input, bounds, watch);
    return outcome.End == TChildEnd::Answered ? outcome.Answer : std::string();
}

void StartEnhancedMetafileConverters() {
    // One from the window's thread: the works start the others as they take theirs.
    Converters().StartAhead(1);
}
