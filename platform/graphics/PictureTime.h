#pragma once

// How long pictures may take to draw. A drawing of a picture stops when it has taken the time it
// was given. Each picture has one second of drawings that were stopped: once it has spent it, the
// picture is shown as its frame from then on, and so is a picture of the same bytes met later
// (read again, pasted, another note), so no paint pays for it again. The pictures drawn while one
// showing lasts (one paint of a window) share one second between them, so a document shows soon
// however many slow pictures it holds; a picture that finds the second spent is shown as its
// frame this time and drawn when it is painted again.

#include <QByteArray>
#include <QtGlobal>

#include <atomic>
#include <functional>
#include <string_view>

// The time one picture may take, and the time the pictures of one showing share.
constexpr qint64 PictureMillis = 1000;

// While one lives on a thread, the pictures drawn on that thread share PictureMillis. A showing
// opened inside another is part of it.
class TPictureShowing {
public:
    TPictureShowing();
    ~TPictureShowing();
    TPictureShowing(const TPictureShowing&) = delete;
    TPictureShowing& operator=(const TPictureShowing&) = delete;

    // What is left of the current showing's time; PictureMillis outside any showing.
    static qint64 Left();
    // Counts `millis` spent on pictures against the current showing (none outside one).
    static void Spend(qint64 millis);

private:
    bool outer_;
};

// The time of one picture, known by its bytes. Shared by the copies of a picture.
class TPictureTime {
public:
    explicit TPictureTime(std::string_view bytes);

    // Whether its drawings were stopped for all its time: it is shown as its frame.
    bool RanOut() const;
    // How long the next drawing may take: what is left of its own time and of the showing's.
    qint64 Allowance() const;
    // Runs `draw` with the allowance in milliseconds (0 or less: none, it should draw only what
    // costs nothing) and counts the time it took; `draw` answers whether it drew everything.
    // Answers the same.
    bool Draw(const std::function<bool(qint64 millis)>& draw);

private:
    QByteArray digest_;
    mutable std::atomic<qint64> stopped_{0};
};
