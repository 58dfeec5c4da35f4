#pragma once

// How long pictures may take to draw. A drawing of a picture stops when it has taken the time it
// was given. Each picture has one second of drawings stopped by its own time (not by the other
// pictures of a showing): once it has spent it, the picture is shown as its frame from then on, and
// so is a picture of the same bytes met later (read again, pasted, another note), so no paint pays
// for it again. The pictures drawn while one showing lasts (one paint of a window) share one second
// between them, so a document shows soon however many slow pictures it holds; a picture that finds
// too little of it left is shown as its frame this time and drawn when it is painted again; the
// showing tells its window so, and whether it kept anything that makes painting again cheaper, so
// that the window can paint again soon. And a window spends at most a tenth of its time on drawings
// that are stopped, so one whose pictures keep running out of time (many slow ones, each trying its
// second in turn) stays responsive.

#include <QByteArray>
#include <QElapsedTimer>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <string_view>

// The time one picture may take, and the time the pictures of one showing share.
constexpr qint64 PictureMillis = 1000;

// What a window may still spend on drawings that are stopped: a second at first, then a tenth of
// the time that passes, up to a second.
class TPictureWaste {
public:
    TPictureWaste();
    qint64 Left();
    void Spend(qint64 millis);

private:
    qint64 left_ = PictureMillis;
    QElapsedTimer since_;
    // The time up to which what passed has been counted.
    qint64 counted_ = 0;
};

// While one lives on a thread, the pictures drawn on that thread share PictureMillis, and what
// their stopped drawings take comes out of `waste` when given (the window's). A showing opened
// inside another is part of it.
class TPictureShowing {
public:
    explicit TPictureShowing(TPictureWaste* waste = nullptr);
    ~TPictureShowing();
    TPictureShowing(const TPictureShowing&) = delete;
    TPictureShowing& operator=(const TPictureShowing&) = delete;

    // What is left of the current showing's time; PictureMillis outside any showing.
    static qint64 Left();
    // Counts `millis` spent on pictures against the current showing (none outside one);
    // `stopped` when the drawing did not finish.
    static void Spend(qint64 millis, bool stopped = false);
    // Tell the current showing (none outside one) that a picture found too little of its time
    // and waits for the next paint; and that a drawing or a conversion was made and kept, so
    // that the next paint has less to do.
    static void PutOff();
    static void Kept();

    // What the showing came to so far: how many pictures it put off, whether it kept anything.
    int PicturesPutOff() const;
    bool KeptAny() const;

private:
    bool outer_;
};

// The time of one picture, known by its bytes. Shared by the copies of a picture.
class TPictureTime {
public:
    explicit TPictureTime(std::string_view bytes);

    // Whether its drawings were stopped for all its time: it is shown as its frame.
    bool RanOut() const;
    // How long the next drawing may take: what is left of its own time and of the showing's; 0
    // when the showing has too little left for a drawing to come to anything.
    qint64 Allowance() const;
    // Runs `draw` with the allowance in milliseconds (0: none, it should draw only what costs
    // nothing) and counts the time it took; `draw` answers whether it drew everything. Answers
    // the same.
    bool Draw(const std::function<bool(qint64 millis)>& draw);

private:
    QByteArray digest_;
    mutable std::atomic<qint64> stopped_{0};
};
