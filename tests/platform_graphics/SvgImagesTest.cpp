// The images of converted pictures are measured before the SVG text that holds them is read.
#include "platform/graphics/SvgImages.h"
#include "tests/support/HostileMetafiles.h"

#include <gtest/gtest.h>

#include <QByteArray>

using namespace hostile_metafile;

namespace {

constexpr uint64_t Limit = 64ULL * 1024 * 1024;

std::string DataUrl(const std::string& image, const char* type = "image/png;base64") {
    return std::string("data:") + type + "," +
           QByteArray(image.data(), static_cast<qsizetype>(image.size())).toBase64().toStdString();
}

// An SVG text of `images`, each an image element referring to it.
std::string Svg(std::initializer_list<std::string> hrefs, const std::string& more = "") {
    std::string svg = "<?xml version=\"1.0\"?>\n<svg xmlns=\"http://www.w3.org/2000/svg\" "
                      "xmlns:xlink=\"http://www.w3.org/1999/xlink\" width=\"200\" height=\"100\">";
    for (const std::string& href : hrefs) {
        svg += "<image x=\"0\" y=\"0\" width=\"10\" height=\"10\" xlink:href=\"" + href + "\"/>";
    }
    return svg + more + "</svg>";
}

} // namespace

TEST(SvgImages, ImagesAreCountedTogetherByTheirOwnHeaders) {
    // Two images of 2048 x 4096 pixels fill the 64 MB exactly; a row more does not fit.
    const std::string half = DataUrl(PngHeader(2048, 4096));
    EXPECT_TRUE(SvgImagesFit(Svg({half, half}), Limit));
    EXPECT_FALSE(SvgImagesFit(Svg({half, half, DataUrl(PngHeader(1, 1))}), Limit));
    EXPECT_FALSE(SvgImagesFit(Svg({DataUrl(PngHeader(5600, 5600))}), Limit));
    EXPECT_TRUE(SvgImagesFit(Svg({DataUrl(PngHeader(2896, 2896, 16))}), Limit));
    EXPECT_FALSE(SvgImagesFit(Svg({DataUrl(PngHeader(2897, 2896, 16))}), Limit));
    // A JPEG by its frame header, the media type whatever it says, even when the frame lies
    // beyond the first 64 kB.
    EXPECT_TRUE(SvgImagesFit(Svg({DataUrl(JpegHeader(4096, 4096), "image/png;BASE64")}), Limit));
    EXPECT_FALSE(SvgImagesFit(Svg({DataUrl(JpegHeader(4096, 4097), "image/jpeg;base64")}), Limit));
    // Two segments of 65000 bytes before the frame.
    const std::string segment = JpegHeader(1, 1, 65000).substr(0, 65006);
    EXPECT_FALSE(SvgImagesFit(
        Svg({DataUrl(segment + JpegHeader(4096, 4097, 65000).substr(2), "image/jpeg;base64")}),
        Limit));
    EXPECT_TRUE(SvgImagesFit(Svg({DataUrl(segment + JpegHeader(10, 10, 65000).substr(2))}), Limit));
    // Blanks between the characters are skipped as the renderer skips them.
    std::string spaced = DataUrl(PngHeader(5600, 5600));
    spaced.insert(40, " \n ");
    EXPECT_FALSE(SvgImagesFit(Svg({spaced}), Limit));
    // No images, or text drawn from the text's own parts.
    EXPECT_TRUE(SvgImagesFit(Svg({}, "<text x=\"1\" y=\"1\"><![CDATA[<image>]]></text>"), Limit));
    EXPECT_TRUE(SvgImagesFit(Svg({}, "<use xlink:href=\"#a\"/>"), Limit));
}

TEST(SvgImages, AnythingButAnImageOfItsOwnBytesIsRefused) {
    const std::string png = DataUrl(PngHeader(10, 10));
    const std::pair<const char*, std::string> refused[] = {
        {"a file", Svg({"/etc/passwd"})},
        {"a file URL", Svg({"file:///tmp/a.png"})},
        {"a web address", Svg({"http://127.0.0.1/a.png"})},
        {"a part of the text", Svg({"#a"})},
        {"an image in percent-escapes", Svg({"data:image/png,%89PNG"})},
        {"a base-64 image with other characters", Svg({png + "%41"})},
        {"an image of another kind", Svg({DataUrl("GIF89a\x0A\x00\x0A\x00")})},
        {"an image of unknown size", Svg({DataUrl(PngHeader(10, 10).substr(0, 20))})},
        {"an image with the plain attribute",
         Svg({}, "<image width=\"1\" height=\"1\" href=\"/etc/passwd\"/>")},
        {"a reference outside on another element", Svg({}, "<use xlink:href=\"a.svg#b\"/>")},
        {"text that is not well-formed", Svg({png}).substr(0, Svg({png}).size() - 3)},
    };
    for (const auto& [name, svg] : refused) {
        EXPECT_FALSE(SvgImagesFit(svg, Limit)) << name;
    }
    EXPECT_TRUE(SvgImagesFit(Svg({png}), Limit));
}
