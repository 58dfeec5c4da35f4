#pragma once

// Where a picture is drawn decides how it comes by its image (PicturePreparation.h):
// - in a window's paint (a showing) it never waits: what is ready is drawn, the rest is asked for
//   and drawn as its frame, and the window is told when it is ready and paints again;
// - in a print or an export (a job) it waits, all the pictures of the job together within the
//   job's time, the window's event loop served meanwhile (paints, timers, posted calls; input,
//   sockets and the closing of windows held back until the job ends, so nothing the job draws
//   can be closed under it);
// - anywhere else (a picture drawn into a bitmap, copied to the clipboard) it waits within the
//   picture's own bounds.
// A picture drawn straight onto a device (a Windows metafile onto a printer) takes what is left of
// the job's time, at most a picture's own.
// Every such time is CPU time, which a busy machine does not stretch: a print on a loaded machine
// draws what it draws on an idle one. A job spends the CPU time the works of the pictures it waited
// for took while it waited (their threads' and their converting processes'), and that of its
// drawings straight onto the device; a picture ready already costs it nothing. The wall only
// guards against a work that never ends, far above any of these times.

#include "platform/graphics/PicturePreparation.h"
#include "platform/graphics/Types.h"

#include <QImage>
#include <QtGlobal>

#include <chrono>
#include <memory>

// What a picture's drawing may take, in the CPU time of the thread that draws it; and a print's or
// an export's pictures all together, the works they waited for and their drawings straight onto
// the device.
constexpr qint64 PictureMillis = 1000;
constexpr qint64 PictureJobMillis = 8000;

// A window's paint: while one lives on the thread, pictures are drawn only when ready, and those
// not ready are asked for on behalf of `viewer`. `wholeView` when the paint covers all the view
// shows. A showing opened inside a job or another showing takes their place until it ends.
class TCanvas;
class TPictureJob;

class TPictureShowing {
public:
    TPictureShowing(TPictureViewer& viewer, bool wholeView);
    ~TPictureShowing();
    TPictureShowing(const TPictureShowing&) = delete;
    TPictureShowing& operator=(const TPictureShowing&) = delete;

    // How many pictures were not ready and were drawn as their frames so far.
    int PicturesWaiting() const { return waiting_; }
    // How many were drawn from an image kept smaller than shown, stretched to their place.
    int PicturesSmaller() const { return smaller_; }

private:
    friend QImage PreparedImage(const TPictureKey&, const TPreparationWorkMaker&);
    friend QImage PreparedPicture(const std::shared_ptr<const TPictureBytes>&, TPictureKey,
                                  const TPreparationWorkMaker&);
    TPictureViewer& viewer_;
    bool wholeView_;
    int waiting_ = 0;
    int smaller_ = 0;
    // What was open on the thread before.
    TPictureShowing* outerShowing_;
    TPictureJob* outerJob_;
};

// A print or an export: while one lives on the thread, its pictures wait for their images, and
// the works waited for and the drawings straight onto the device take `budget` of CPU time at the
// most, all of them together. A job opened inside another is part of it; one opened inside a paint
// waits for nothing.
class TPictureJob {
public:
    explicit TPictureJob(
        std::chrono::milliseconds budget = std::chrono::milliseconds(PictureJobMillis));
    ~TPictureJob();
    TPictureJob(const TPictureJob&) = delete;
    TPictureJob& operator=(const TPictureJob&) = delete;

    // What is left of the job's time (of the outermost job's).
    std::chrono::milliseconds Left() const;
    // Counts CPU time its pictures took.
    void Spend(std::chrono::microseconds took);

private:
    friend QImage PreparedImage(const TPictureKey&, const TPreparationWorkMaker&);
    friend bool ServeStraightDrawing();
    class TCloseDeferral;
    // From the first wait that serves the event loop to the end of the (outermost) job.
    void DeferClosing();

    std::chrono::microseconds budget_;
    // Counted to the microsecond: pictures of less than a millisecond each add up.
    std::chrono::microseconds spent_{0};
    TPictureShowing* outerShowing_;
    TPictureJob* outerJob_;
    std::unique_ptr<TCloseDeferral> closing_;
};

// A page's bitmap, a print's or its preview's: while one lives on the thread, a picture that can
// be prepared in pieces (a JPEG image) and is larger than what the bitmap shows of it is prepared
// in that piece alone, at the pixels it is shown at there: the same piece each time the page is
// drawn, where the whole picture might not fit the bound of ready images.
class TPicturePage {
public:
    TPicturePage();
    ~TPicturePage();
    TPicturePage(const TPicturePage&) = delete;
    TPicturePage& operator=(const TPicturePage&) = delete;

private:
    bool outer_;
};

// Whether a page's bitmap is drawn on this thread (see above).
bool PicturesInPieces();

// The image of `key` as the calling thread's drawing has it (see above): ready, or waited for; a
// null image when it is not there (not ready in a showing, refused, or not ready in time), and the
// picture draws its frame.
QImage PreparedImage(const TPictureKey& key, const TPreparationWorkMaker& work);

// The digest of `bytes` as the calling thread's drawing may have it. The digest of a large picture
// is worked out beside the window as its image is: null when it is not known yet (in a paint it is
// asked for and the window painted again when it is; in a job it is waited for within the job's
// time), and the picture draws its frame.
const QByteArray* PreparedDigest(const std::shared_ptr<const TPictureBytes>& bytes);
// PreparedImage of the picture of `bytes` at `size` (a key whose content is left empty): in a
// paint, a large picture whose digest is not known yet has its digest and then its image asked
// for, one after the other beside the window.
QImage PreparedPicture(const std::shared_ptr<const TPictureBytes>& bytes, TPictureKey size,
                       const TPreparationWorkMaker& work);

// Whether a window's paint on the calling thread leaves `r` (logical, on `canvas`) wholly out of
// what it draws: a picture there is neither drawn nor asked for, and does not count among those
// the view shows (a paint may be handed the items on either side of what it draws).
bool OutsidePaint(const TCanvas& canvas, const TRect& r);

// Whether a print or an export (a job, not a paint) draws on the calling thread now: a picture
// too costly for a page's resolution then gets another try at a smaller size.
bool InPictureJob();

// How long a picture drawn straight onto a device may take here, and what it took (counted
// against the job's time).
qint64 StraightDrawingMillis();
void StraightDrawingTook(qint64 millis);
// Serves the window's event loop as a job's wait serves it, when the calling thread is the
// application's and a job (not a paint) is open on it: a long drawing straight onto a device, or a
// large picture written by an export, lets the window paint in between. False, nothing served,
// elsewhere.
bool ServeStraightDrawing();

// What is shown of a picture not drawn: its frame. A picture a paint asked for, drawn when it is
// ready, is its frame alone; one given up (refused, or not had where it was waited for) says so in
// a word inside its frame, where the frame holds it.
void DrawPictureFrame(TCanvas& canvas, const TRect& r);
