#pragma once

// The application's exception handler as the main window gives it: a box over the window. An
// error from an event that comes again by itself (a paint, a timer) is shown after that event,
// from the event loop, never from inside it; the control meanwhile shows what it painted. The
// same error raised again while its box waits or is open, or after it was shown, goes to the
// error output only: a paint that fails each time would otherwise open box after box. An error
// from a command or the user's own act is shown at once, each time.

#include "platform/widgets/Control.h"

#include <QObject>

#include <deque>
#include <functional>
#include <iosfwd>
#include <set>
#include <string>

class QWidget;

class TApplicationErrors : public QObject {
public:
    // `owner` is the box's parent; `errors` takes what is not shown. Both must outlive this.
    TApplicationErrors(QWidget& owner, std::ostream& errors);

    void Handle(const std::string& text, TEventRecurrence recurrence);

    // Shows one error and returns when the user has closed it (a modal box by default).
    std::function<void(const std::string& text)> ShowBox;

private:
    void ShowWaiting();

    std::ostream& errors_;
    std::deque<std::string> waiting_;
    // Repeating errors waiting, open or shown: each is shown once.
    std::set<std::string> told_;
    bool posted_ = false;
};
