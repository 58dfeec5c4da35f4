#pragma once

// What the status bar's feeders show, without the bar: which browser status texts reach
// panel 0, the progress position of panel 3, and the text of the caret panel.

#include <string>

// Status panels of the main window by index.
enum TStatusPanel {
    HintPanel = 0,     // long hints; the browser's status text
    KindPanel = 1,     // the kind of the selected node
    StatusPanel = 2,   // the node's status; the caret position
    ProgressPanel = 3, // the browser's download progress
    PositionPanel = 4, // "Node i / n"
};

// A browser status text is shown when it holds a "." and does not name a local file (no
// "file" in any letter case).
bool BrowserStatusShown(const std::string& text);

// The position of the progress panel for the browser's progress out of `maximum`: 0 when the
// progress is 1 or the maximum 0, else progress * 100 / maximum truncated towards zero. The
// browser reports -1 when it is done; a bar only shows 0 to 100, so the result is kept there.
int BrowserProgressPosition(int progress, int maximum);

// "Ln %d , Col. %d".
std::string CaretPositionText(int line, int column);

// The long part of a hint "short|long", or the whole hint without a "|".
std::string GetLongHint(const std::string& hint);
