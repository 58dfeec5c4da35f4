#pragma once

// Stand-ins for what later parts of the program put into the main window: plain widgets and
// minimal forms that keep their place, names and the calls made to them, so the window can be
// built and used around them. Each is replaced by the real control or form.

#include <QWidget>

#include <string>

// An empty widget standing for a control still to come (the side bar, the notes editor, the
// page and summary browsers), named as the control will be.
QWidget* MakePlaceholder(const char* name, QWidget* parent);

// The print preview form TfrmPreview: made at start-up, never shown yet.
class TfrmPreview : public QWidget {
public:
    explicit TfrmPreview(QWidget* parent = nullptr);
};
