#pragma once

// A drawing that cannot stop on its way by itself, such as an SVG renderer's, made to stop: it
// draws with a painter of its own, each of whose calls goes on to the painter it is meant for
// until its time is up; the calls after are dropped, so what is left of the drawing costs next
// to nothing. What was drawn by then stays.

#include <QtGlobal>

#include <functional>

class QPainter;

// Runs `paint` with a painter whose drawing lands on `painter`, within `painter`'s clip and
// under its transform, opacity and state, until `millis` have passed. Whether `paint` drew
// everything within that time. `painter`'s state is as it was afterwards.
bool PaintWithin(QPainter& painter, qint64 millis, const std::function<void(QPainter&)>& paint);
