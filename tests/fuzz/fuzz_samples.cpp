// Writes a starting corpus for each fuzz target into the folder given: one sub-folder a target
// (bmp, jpeg, icon, wmf, emf, shelf_image), each with small sound files of the kinds it reads,
// made the way the tests make them, and the metafiles made to hurt that the tests build: the
// metafile targets start from what once hung, exhausted memory or crashed a drawing, and the
// side bar's target from all of them.
#include "platform/graphics/BmpFormat.h"
#include "platform/graphics/Icon.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/LittleEndian.h"
#include "tests/support/HostileSamples.h"
#include "tests/support/ProgramFileFixture.h"

#include <QGuiApplication>
#include <QImage>

#include <cctype>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <vector>

namespace {

QImage Sample(QImage::Format format) {
    QImage image(5, 3, QImage::Format_ARGB32);
    for (int y = 0; y < 3; ++y) {
        for (int x = 0; x < 5; ++x) {
            image.setPixel(x, y, qRgba(50 * x, 80 * y, 200, x == 4 ? 0 : 255));
        }
    }
    return image.convertToFormat(format);
}

// A bitmap file of 4 x 2 pixels of 8 bits, run-length coded.
std::string RunLengthBmp() {
    hostile_metafile::TDib dib = hostile_metafile::Rle8(true);
    dib.Width = 4;
    dib.Height = 2;
    dib.Bits = std::string("\x04\x01\x00\x00\x00\x04\x00\x01\x01\x00\x00\x01", 12);
    const std::string info = hostile_metafile::DibHeader(dib) + dib.Palette;
    std::string file = "BM";
    WriteU32(file, static_cast<uint32_t>(14 + info.size() + dib.Bits.size()));
    WriteU32(file, 0);
    WriteU32(file, static_cast<uint32_t>(14 + info.size()));
    return file + info + dib.Bits;
}

std::string IconOf(const QImage& image) {
    TIcon icon;
    icon.SetImage(image);
    return icon.SaveToBytes();
}

// The smallest GIF: one transparent pixel.
const std::string Gif = std::string("GIF89a\x01\x00\x01\x00\x80\x00\x00\xff\xff\xff\x00\x00\x00"
                                    "!\xf9\x04\x01\x00\x00\x00\x00,\x00\x00\x00\x00\x01\x00\x01"
                                    "\x00\x00\x02\x02D\x01\x00;",
                                    43);

// A file name of `name`: its letters and digits, lower case, the rest as dashes.
std::string FileName(const std::string& name) {
    std::string file = "hostile-";
    for (char c : name) {
        file += std::isalnum(static_cast<unsigned char>(c))
                    ? static_cast<char>(std::tolower(static_cast<unsigned char>(c)))
                    : '-';
    }
    return file;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::cerr << "usage: fuzz_samples <folder>\n";
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QGuiApplication application(argc, argv);
    using namespace hostile_metafile;
    using namespace metafile_fixture;
    const QImage rgb = Sample(QImage::Format_RGB32);
    const std::string bmp = EncodeBmp(rgb);
    const std::string jpeg = EncodeJpeg(rgb, 90);
    const std::string icon = IconOf(Sample(QImage::Format_ARGB32));
    TDib green;
    green.Bits = std::string(16, '\x40');
    std::map<std::string, std::vector<std::string>> startingFiles = {
        {"bmp", {bmp, EncodeDib(rgb), RunLengthBmp()}},
        {"jpeg", {jpeg, EncodeJpeg(Sample(QImage::Format_Grayscale8), 50)}},
        {"icon",
         {icon, program_file_fixture::PngIcon(qRgb(255, 0, 0)),
          program_file_fixture::Pe({icon, program_file_fixture::PngIcon(qRgb(0, 255, 0))},
                                   {{1}, {2, 1}}),
          program_file_fixture::Ne({icon}, {{1}})}},
        {"wmf", {Wmf(true), Wmf(false), WmfWithBitmap(green), WmfWithBitmap(Rle8(true))}},
        {"emf",
         {Emf(), EmfWithBitmap(green), EmfWithBitmap(Rle8(true)), EmfGlyphText(),
          EmfWithImage(EncodedImage(8, 8)), EmfWithImage(EncodedImage(8, 8, "JPEG"), 4)}},
        {"shelf_image", {bmp, jpeg, icon, Gif, Wmf(true), Emf()}},
    };
    for (const auto& [target, samples] : startingFiles) {
        const std::filesystem::path folder = std::filesystem::path(argv[1]) / target;
        std::filesystem::create_directories(folder);
        for (size_t i = 0; i < samples.size(); ++i) {
            std::ofstream(folder / ("sample" + std::to_string(i)), std::ios::binary) << samples[i];
        }
    }
    for (const bool enhanced : {false, true}) {
        for (const THostile& hostile : HostileSamples(enhanced)) {
            for (const char* target : {enhanced ? "emf" : "wmf", "shelf_image"}) {
                std::ofstream(std::filesystem::path(argv[1]) / target / FileName(hostile.Name),
                              std::ios::binary)
                    << hostile.Bytes;
            }
        }
    }
    return 0;
}
