#pragma once

// The status form of a capture with linked pages, as the capture engine sees it. The form
// itself is a dialog of the window layer; the engine only shows it and tells it the capture has
// finished; its status (message 3019) goes through the capture port. Everything here runs on
// the main thread.

#include <functional>
#include <string>

class ILevelStatusForm {
public:
    virtual ~ILevelStatusForm() = default;

    virtual bool Showing() const = 0;
    // Shows the form modally for a capture of `rootUrl` and returns when it has closed.
    // `start` runs once, when the form is on the screen; `cancel` whenever the user asks to
    // cancel (the form then stays until the capture closes it).
    virtual void ShowModal(const std::string& rootUrl, std::function<void()> start,
                           std::function<void()> cancel) = 0;
    // Every level has been captured: the form offers OK to close it.
    virtual void Finished() = 0;
};
