// Enhanced metafiles are converted and drawn in a process started from the program's own file:
// its pixels are what a conversion here, drawn here, gives; it takes only the work asked of it and
// its answer is read only when it is exactly what was asked.
#include "Surface.h"

#include "platform/base/BoundedChild.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/Metafile.h"
#include "platform/graphics/MetafileConversion.h"
#include "platform/graphics/MetafileSvg.h"
#include "platform/graphics/PictureBudget.h"
#include "platform/graphics/PictureShowing.h"
#include "tests/support/HostileMetafiles.h"
#include "tests/support/PicturesReady.h"
#include "tests/support/ResourceProbe.h"
#include "tests/support/SvgDrawing.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

TEnhancedRequest Request(const std::string& emf, int width, int height) {
    TEnhancedRequest request;
    request.Metafile = emf;
    const TMetafileLayout layout = ReadMetafileLayout(emf);
    request.OwnWidth = static_cast<int>(layout.MMWidth * 96 / 2540);
    request.OwnHeight = static_cast<int>(layout.MMHeight * 96 / 2540);
    request.Width = width;
    request.Height = height;
    request.KeepConversion = size_t{1} << 20;
    return request;
}

TEnhancedDrawing DrawnThere(const TEnhancedRequest& request) {
    return DrawEnhancedMetafile(request, [] { return false; });
}

// `emf` drawn in the converting process at its own size; `work` is told the CPU time its work
// took there, as the process counts it, its start left out.
TPreparedEnd DrawnAtItsSize(const std::string& emf, std::chrono::milliseconds& work) {
    TEnhancedRequest atItsSize = Request(emf, 1, 1);
    atItsSize.Width = atItsSize.OwnWidth;
    atItsSize.Height = atItsSize.OwnHeight;
    return DrawEnhancedMetafile(
               atItsSize, [] { return false; },
               [&work](std::chrono::milliseconds used) { work = used; })
        .End;
}

} // namespace

TEST(MetafileConversion, TheConvertingProcessDrawsWhatAConversionHereDrawsAtTheSizeAsked) {
    const std::string emf = Emf();
    const TEnhancedRequest request = Request(emf, 200, 100);
    const TEnhancedDrawing drawing = DrawnThere(request);
    ASSERT_EQ(drawing.End, TPreparedEnd::Ready);
    const std::string svg =
        MetafileToSvg(emf, ReadMetafileLayout(emf), request.OwnWidth, request.OwnHeight);
    ASSERT_FALSE(svg.empty());
    EXPECT_EQ(drawing.Conversion, svg);
    EXPECT_EQ(drawing.Image, SvgDrawn(svg, 200, 100));
    // Drawn at the size asked for, from the metafile or from its conversion kept.
    TEnhancedRequest wider = Request(emf, 400, 100);
    wider.Conversion = &svg;
    const TEnhancedDrawing again = DrawnThere(wider);
    ASSERT_EQ(again.End, TPreparedEnd::Ready);
    EXPECT_EQ(again.Image, SvgDrawn(svg, 400, 100));
    EXPECT_EQ(again.Conversion, ""); // nothing converted, nothing answered
    // A conversion longer than the caller keeps is not answered.
    TEnhancedRequest unkept = request;
    unkept.KeepConversion = svg.size() - 1;
    EXPECT_EQ(DrawnThere(unkept).Conversion, "");
    EXPECT_EQ(DrawnThere(unkept).Image, drawing.Image);
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

TEST(MetafileConversion, TheConvertingProcessTakesOnlyAWholeRequestOfAPictureItMayDraw) {
    const std::string emf = Emf();
    TProgramsStartedAhead converter("/proc/self/exe", {"converter", EnhancedConverterSwitch}, 1);
    auto answered = [&](const std::string& request) {
        TChildBounds bounds;
        bounds.Deadline = std::chrono::seconds(60);
        bounds.MaxAnswer = size_t{64} << 20;
        return converter.Run(request, bounds).End;
    };
    const std::string whole = EnhancedRequestBytes(Request(emf, 20, 10));
    EXPECT_EQ(answered(whole), TChildEnd::Answered);
    std::string otherKind = whole;
    otherKind[0] = 'X';
    std::string noWidth = whole;
    noWidth.replace(9, 4, std::string(4, '\0'));
    std::string tooLarge = whole; // 65,536 x 65,536 pixels
    tooLarge.replace(9, 8, std::string("\x00\x00\x01\x00\x00\x00\x01\x00", 8));
    // Bytes its load refuses: a record reaching past the end (the metafile follows the 21 bytes
    // of the request's own); and a metafile cut short.
    std::string damaged = whole;
    damaged.replace(21 + 92, 4, std::string("\x00\x00\x01\x00", 4));
    for (const std::string& refused : {otherKind, noWidth, tooLarge, whole.substr(0, 12), damaged,
                                       whole.substr(0, whole.size() - 8)}) {
        EXPECT_EQ(answered(refused), TChildEnd::Failed);
    }
    // Nor does it draw a picture holding an image too large to draw.
    using hostile_metafile::EmfWithImage;
    EXPECT_EQ(DrawnThere(Request(EmfWithImage(hostile_metafile::EncodedImage(50, 50)), 20, 10)).End,
              TPreparedEnd::Ready);
    EXPECT_EQ(
        DrawnThere(Request(EmfWithImage(hostile_metafile::PngHeader(4097, 4096)), 20, 10)).End,
        TPreparedEnd::Refused);
}

TEST(MetafileConversion, AnAnswerIsReadOnlyWhenItIsExactlyWhatWasAsked) {
    const std::string emf = Emf();
    const TEnhancedRequest request = Request(emf, 20, 10);
    TProgramsStartedAhead converter("/proc/self/exe", {"converter", EnhancedConverterSwitch}, 0);
    TChildBounds bounds;
    bounds.Deadline = std::chrono::seconds(60);
    const std::string answer = converter.Run(EnhancedRequestBytes(request), bounds).Answer;
    ASSERT_EQ(ReadEnhancedAnswer(answer, request).End, TPreparedEnd::Ready);
    EXPECT_EQ(ReadEnhancedAnswer(answer, request).Image, DrawnThere(request).Image);
    std::string otherWidth = answer;
    otherWidth[0] = 21;
    // The conversion's length said one more than there is, and one more than kept.
    const uint32_t conversion = ReadU32(answer, 8);
    std::string longerConversion = answer;
    for (int i = 0; i < 4; ++i) {
        longerConversion[8 + i] = static_cast<char>((conversion + 1) >> (8 * i) & 0xFF);
    }
    TEnhancedRequest keepingLess = request;
    keepingLess.KeepConversion = conversion - 1;
    for (const auto& [bytes, asked] : std::vector<std::pair<std::string, TEnhancedRequest>>{
             {answer.substr(0, answer.size() - 1), request},
             {answer + "x", request},
             {otherWidth, request},
             {longerConversion, request},
             {answer, keepingLess},
             {answer.substr(0, 8), request}}) {
        EXPECT_EQ(ReadEnhancedAnswer(bytes, asked).End, TPreparedEnd::Refused);
        EXPECT_TRUE(ReadEnhancedAnswer(bytes, asked).Image.isNull());
    }
}

// Ten copies of a picture, in two windows, and the same bytes read again: one conversion and one
// drawing; at another size the conversion kept is drawn again, not made again.
TEST(MetafileConversion, CopiesOfOnePictureAreConvertedOnceWhereverAndAtWhateverSize) {
    const std::string bytes = hostile_metafile::SlowEmf(3, hostile_metafile::UnseenColour(), 60);
    TMetafile original;
    original.LoadFromBytes(bytes);
    std::vector<std::unique_ptr<TGraphic>> copies;
    for (int i = 0; i < 9; ++i) {
        copies.push_back(original.Clone());
    }
    auto again = std::make_unique<TMetafile>();
    again->LoadFromBytes(bytes);
    copies.push_back(std::move(again));
    const TPreparerCounts before = PicturePreparer().Counts();
    TPictureViewer note([] {});
    TPictureViewer other([] {});
    auto paint = [&](TPictureViewer& viewer, int size) {
        Surface s(size * 10, size);
        const TPictureShowing showing(viewer, true);
        for (int i = 0; i < 10; ++i) {
            s.Canvas.StretchDraw(Bounds(i * size, 0, size, size), *copies[static_cast<size_t>(i)]);
        }
        return showing.PicturesWaiting();
    };
    EXPECT_EQ(paint(note, 60), 10);
    EXPECT_EQ(paint(other, 60), 10);
    ASSERT_TRUE(WaitForPictures());
    EXPECT_EQ(paint(note, 60), 0);
    EXPECT_EQ(paint(other, 60), 0);
    EXPECT_EQ(PicturePreparer().Counts().Started, before.Started + 1);
    EXPECT_EQ(PicturePreparer().Counts().Conversions, before.Conversions + 1);
    EXPECT_EQ(paint(note, 30), 10);
    ASSERT_TRUE(WaitForPictures());
    EXPECT_EQ(paint(note, 30), 0);
    EXPECT_EQ(PicturePreparer().Counts().Started, before.Started + 2);
    EXPECT_EQ(PicturePreparer().Counts().Conversions, before.Conversions + 1);
}

// 300,000 rectangles, 7.2 MB, convert in a second into 51.5 MB of SVG, whose checks and reading
// took 4 s and 400 MB in the window's process: now that is the converting process's, within its
// bounds. The window's paint waits for none of it, and this process holds none of it.
TEST(MetafileConversion, AMetafileOfThreeHundredThousandRectanglesCostsTheWindowNothing) {
    const std::string bytes = hostile_metafile::RectanglesEmf(300000);
    TMetafile picture;
    picture.LoadFromBytes(bytes);
    TResourceProbe probe;
    ASSERT_TRUE(probe.PeakReset());
    TPictureViewer viewer([] {});
    Surface shown(500, 400);
    {
        const TPictureShowing showing(viewer, true);
        shown.Canvas.StretchDraw(Rect(0, 0, 500, 400), picture);
        EXPECT_EQ(showing.PicturesWaiting(), 1);
    }
    EXPECT_EQ(shown.Pixel(0, 0), qRgb(128, 128, 128));
    ASSERT_TRUE(WaitForPictures());
    // Its bytes sent once to the converting process, and its image when drawn: no SVG here.
    EXPECT_LT(probe.PeakGrowthMb(), 64);
    QImage image;
    const TPictureKey key{TPictureBytes(bytes).Digest(), 'E', 500, 400};
    EXPECT_NE(PicturePreparer().Look(key, image), TPicturePreparer::TState::Waiting);
}

TEST(MetafileConversion, TheConvertingProgramIsFoundBesideTheProgramAndAnswersAsTheProgramItself) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    const std::string path = folder.path().toStdString() + "/" + EnhancedConverterProgram;
    EXPECT_EQ(ConverterProgramIn(folder.path().toStdString()), "");
    ASSERT_TRUE(QDir().mkdir(QString::fromStdString(path)));
    EXPECT_EQ(ConverterProgramIn(folder.path().toStdString()), "") << "a folder of that name";
    ASSERT_TRUE(QDir().rmdir(QString::fromStdString(path)));
    QFile file(QString::fromStdString(path));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.close();
    EXPECT_EQ(ConverterProgramIn(folder.path().toStdString()), "") << "a file it cannot run";
    ASSERT_TRUE(file.setPermissions(QFileDevice::ReadOwner | QFileDevice::ExeOwner));
    EXPECT_EQ(ConverterProgramIn(folder.path().toStdString() + "/"), path);

    // The converting program built beside the program draws what this program draws.
    TProgramsStartedAhead converter(TARNWICK_PICTURES_PROGRAM,
                                    {EnhancedConverterProgram, EnhancedConverterSwitch}, 1);
    const std::string emf = Emf();
    const TEnhancedRequest request = Request(emf, 200, 100);
    TChildBounds bounds;
    bounds.Deadline = std::chrono::seconds(60);
    bounds.CpuSeconds = 30;
    const TChildOutcome outcome = converter.Run(EnhancedRequestBytes(request), bounds);
    ASSERT_EQ(outcome.End, TChildEnd::Answered);
    const TEnhancedDrawing drawing = ReadEnhancedAnswer(outcome.Answer, request);
    ASSERT_EQ(drawing.End, TPreparedEnd::Ready);
    EXPECT_EQ(drawing.Image, DrawnThere(request).Image);
}

// A picture of few records the converting process cannot draw ends within the two seconds such a
// picture may take at the most: the CPU time its work took in the process (its start left out, as
// the process counts it) leaves room in them for its start and its answer. However late a busy
// machine lets its caller look, the process ends the work itself, so it holds beside busy loops.
TEST(MetafileConversion, AConversionThatCannotEndLeavesRoomForItsStartAndAnswerInTwoSeconds) {
    std::chrono::milliseconds work{0};
    ASSERT_EQ(DrawnAtItsSize(hostile_metafile::SlowEmf(1000, 0x3366CC, 2100), work),
              TPreparedEnd::Refused);
    // Room for the start of the converting program and its answer.
    constexpr int64_t PictureWallMillis = 2 * PictureMillis;
    EXPECT_GE(work.count(), EnhancedMetafileCpuMillis(1003) - 20);
    EXPECT_LE(work.count(), PictureWallMillis - PictureWallMillis / 40);
}

// A drawing of many records may take longer, and no longer: one of 100,000 records that cannot be
// drawn (each an ellipse filling the picture) works for the time a drawing of that many records
// may take, more than one of few records is given, and is ended there, the process's start left
// out.
TEST(MetafileConversion, AConversionOfManyRecordsThatCannotEndIsGivenTheirTimeAndEndedThere) {
    std::chrono::milliseconds work{0};
    ASSERT_EQ(DrawnAtItsSize(hostile_metafile::SlowEmf(100000, 0x3366CC, 2100), work),
              TPreparedEnd::Refused);
    const int64_t given = EnhancedMetafileCpuMillis(100003);
    ASSERT_GT(given, EnhancedMetafileCpuMillis(1003) + 300);
    EXPECT_GE(work.count(), given - 20);
    // With the end of the process, whose memory goes back to the system then.
    EXPECT_LE(work.count(), given + 150);
}
