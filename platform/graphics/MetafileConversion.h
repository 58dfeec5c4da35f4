#pragma once

// An enhanced metafile is converted and drawn in a process of its own, which does the whole of
// it. The converter of its records loops on data it reads itself, which no check of the bytes
// can bound, and its font lookups end the process they run in when the font library holds fonts
// for text drawn before; the SVG text it writes is read by Qt's SVG renderer, which a thread
// cannot stop either. So the process converts first, then checks the SVG's images and draws it
// with Qt (on its offscreen platform) into pixels of the size asked, and answers the pixels, and
// the SVG when asked, to be kept for drawing the picture at another size: the window's process
// never reads SVG. The process is this program's own file, started ahead of need in its
// preparing mode, which every program that draws pictures has: the converter is wherever the
// program is. It works within the bounds of one picture: its CPU time, its memory above its
// pixels and the size of its answer; the time on the wall only says "not this time".

#include "platform/graphics/PicturePreparation.h"

#include <QImage>

#include <chrono>
#include <functional>
#include <string>
#include <string_view>

struct TEnhancedDrawing {
    TPreparedEnd End = TPreparedEnd::Refused;
    QImage Image;
    // The SVG text the metafile was converted into, when it was converted and asked for.
    std::string Conversion;
};

// What the converting process is asked: the metafile's bytes, which passed ReadMetafileLayout,
// converted at its own size in screen pixels (`ownWidth` x `ownHeight`), or the SVG an earlier
// conversion gave; drawn `width` x `height` pixels; its conversion answered too when it is no
// longer than `keepConversion` bytes.
struct TEnhancedRequest {
    std::string_view Metafile;
    const std::string* Conversion = nullptr;
    int OwnWidth = 1;
    int OwnHeight = 1;
    int Width = 1;
    int Height = 1;
    size_t KeepConversion = 0;
};

// The drawing of `request`, made in the converting process; `stopped` is asked now and then,
// and stops the work when true (Dropped). A process that fails, crashes, runs out of its CPU time
// or memory or answers other than asked gives Refused; one that stands still past a generous time
// on the wall gives Later (one that works, however slowly a busy machine lets it, is waited for).
// `used`, when given, is told the CPU time the drawing has taken in the process so far, as it is
// seen while it works and once more, whole, when it has ended. The CPU time it may take grows
// with the metafile's records (PictureBudget.h): `request.Metafile` is given with a conversion too.
TEnhancedDrawing
DrawEnhancedMetafile(const TEnhancedRequest& request, const std::function<bool()>& stopped,
                     const std::function<void(std::chrono::milliseconds)>& used = {});

// The SVG text the converting process converts the enhanced metafile `bytes` (which passed
// ReadMetafileLayout) into, `width` x `height` units large, drawn nowhere: what its drawings are
// made from. "" when the conversion failed, crashed, was stopped, took more than the CPU time a
// drawing of it may take or answered too much.
std::string ConvertWithinBounds(std::string_view bytes, int width, int height);

// Starts a converting process ahead of need, when a picture that will need one comes.
void StartEnhancedMetafileConverters();

// The request in the form the converting process reads, and the answer as it comes back: for
// the tests of its bounds. The switch starts a program as the converting process: any program
// that draws pictures, or the converting program of its own installed beside the program.
inline constexpr const char* EnhancedConverterSwitch = "--prepare-enhanced-metafile";
inline constexpr const char* EnhancedConverterProgram = "tarnwick-pictures";
// The converting program in `folder`, or "" when there is none that can be run.
std::string ConverterProgramIn(const std::string& folder);
// The converting program's own start: the status to end with.
int RunEnhancedMetafileConverter(int argc, char** argv);
std::string EnhancedRequestBytes(const TEnhancedRequest& request);
TEnhancedDrawing ReadEnhancedAnswer(const std::string& answer, const TEnhancedRequest& request);
