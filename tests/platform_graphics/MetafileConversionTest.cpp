// Enhanced metafiles are converted in a process started afresh from the program's own file:
// what it answers is what a conversion here gives, whatever state this process is in.
#include "Surface.h"

#include "platform/base/BoundedChild.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/MetafileSvg.h"
#include "tests/support/HostileMetafiles.h"

#include <gtest/gtest.h>

using namespace metafile_fixture;

namespace {

// The picture drawn over (10, 10)-(210, 110), and a frame drawn there instead.
std::unique_ptr<Surface> Drawn(const TMetafile& metafile) {
    auto surface = std::make_unique<Surface>(220, 120);
    surface->Canvas.StretchDraw(Rect(10, 10, 210, 110), metafile);
    return surface;
}

QImage Frame() {
    Surface frame(220, 120);
    frame.Canvas.Brush().SetColor(clGray);
    frame.Canvas.FrameRect(Rect(10, 10, 210, 110));
    return frame.Image;
}

} // namespace

TEST(MetafileConversion, TheConverterAnswersWhatAConversionHereGives) {
    const std::string emf = Emf();
    const std::string svg = ConvertWithinBounds(emf, 200, 100);
    ASSERT_FALSE(svg.empty());
    EXPECT_EQ(svg, MetafileToSvg(emf, ReadMetafileLayout(emf), 200, 100));
    EXPECT_NE(svg, ConvertWithinBounds(emf, 400, 100)); // drawn at the size asked for
}

TEST(MetafileConversion, TextAsGlyphIndicesIsDrawnAfterTextInSeveralFonts) {
    DrawTextInSeveralFonts();
    TMetafile metafile;
    metafile.LoadFromBytes(EmfGlyphText());
    const auto surface = Drawn(metafile);
    EXPECT_NE(surface->Image, Frame());
    // "Hello", 40 pixels high from (20, 30) of the picture: dark strokes there, none around.
    EXPECT_GT(CountPixels(surface->Image, QRect(30, 45, 120, 40), IsDark), 200);
    EXPECT_EQ(CountPixels(surface->Image, QRect(150, 20, 50, 80), IsDark), 0);
}

TEST(MetafileConversion, TheConverterTakesOnlyAWholeMetafileOfTheLengthGiven) {
    const std::string emf = Emf();
    auto converted = [](const std::string& bytes, const std::string& length) {
        return RunBoundedProgram("/proc/self/exe",
                                 {"converter", "--convert-enhanced-metafile", length, "200", "100"},
                                 bytes);
    };
    const TChildOutcome whole = converted(emf, std::to_string(emf.size()));
    EXPECT_EQ(whole.End, TChildEnd::Answered);
    EXPECT_EQ(whole.Answer, ConvertWithinBounds(emf, 200, 100));
    for (const std::string& length :
         {std::to_string(emf.size() - 1), std::to_string(emf.size() + 1), std::string("0"),
          std::string("12x"), std::string("")}) {
        EXPECT_EQ(converted(emf, length).End, TChildEnd::Failed) << length;
    }
    // Bytes its load refuses: a record reaching past the end.
    std::string damaged = emf;
    damaged.replace(92, 4, std::string("\x00\x00\x01\x00", 4));
    EXPECT_EQ(converted(damaged, std::to_string(damaged.size())).End, TChildEnd::Failed);
    // Nor does it convert a picture holding an image too large to draw.
    using hostile_metafile::EmfWithImage;
    EXPECT_NE(ConvertWithinBounds(EmfWithImage(hostile_metafile::EncodedImage(50, 50)), 200, 100),
              "");
    EXPECT_EQ(ConvertWithinBounds(EmfWithImage(hostile_metafile::PngHeader(4097, 4096)), 200, 100),
              "");
}
