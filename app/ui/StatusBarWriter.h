#pragma once

// The status bar's one writer (modifysb): every panel change goes through it, under its lock,
// and calls from other threads are carried to the main thread. It feeds the bar from the
// application's hints, the page browser's status text and progress and the caret position,
// and gives panel 0 whatever the window gains or loses in width.

#include "app/ui/views/ViewsWindow.h"
#include "platform/base/PostedMessage.h"

#include <mutex>
#include <string>

class QWidget;
class TImageList;
class TMarkupStatusBar;

inline constexpr uint32_t WM_MODIFYSB = 0x0400 + 202;

class TStatusBarWriter : public IStatusPanels, public MessageTarget {
public:
    // Makes MarkupStatusBar1 in `parent` with its five panels, panel 0 taking what the
    // others leave of `windowWidth`.
    TStatusBarWriter(QWidget* parent, const TImageList& images, int windowWidth);

    TMarkupStatusBar& Bar() { return *bar_; }

    // Progress -1 shows the text as HTML (ten blanks for none); any other value makes the
    // panel a progress bar there.
    void modifysb(int panel, const std::string& text, int progress);
    void ApplicationHint(const std::string& hint);
    void WebBrowserStatusTextChange(const std::string& text);
    // A progress of -1 (the load has ended) gives the panel back to text: the bar shows only
    // while a page loads.
    void WebBrowserProgressChange(int progress, int maximum);
    void ShowCaretPosition(int line, int column);
    // The window is now this wide.
    void FormResize(int width);

    void SetStatusPanel(int panel, const std::string& text) override;
    void SetStatusProgress(int position) override;
    void Dispatch(const PostedMessage& message) override;

private:
    TMarkupStatusBar* bar_;
    std::mutex lock_;
    int lastSeenWidth_;
    int panel0Width_; // may run below zero; the panel shows at least nothing
};
