#pragma once

// What the notes commands ask the user: a colour, a file to read or write with the filter
// chosen (1-based, as the filter strings count), the printer, the forms of the table commands,
// and their messages. The window asks through dialogs; a test answers by itself.

#include "platform/graphics/Color.h"

#include <optional>
#include <string>

class QDialog;
class QWidget;

struct TNoteFileChoice {
    std::string Path;
    int FilterIndex = 1;
};

enum class TNoteMessageIcon { None, Error, Exclamation };

class INotesPrompts {
public:
    virtual ~INotesPrompts() = default;
    // The colour dialog starting at `current`; nothing when cancelled.
    virtual std::optional<TColor> ChooseColor(TColor current) = 0;
    // `filter` as "Description|*.a|Other|*.b".
    virtual std::optional<TNoteFileChoice> OpenFile(const std::string& title,
                                                    const std::string& filter) = 0;
    virtual std::optional<TNoteFileChoice> SaveFile(const std::string& title,
                                                    const std::string& filter,
                                                    const std::string& defaultExt) = 0;
    // The printer setup; false when cancelled.
    virtual bool PrinterSetup() = 0;
    virtual void Message(const std::string& text, const std::string& caption,
                         TNoteMessageIcon icon) = 0;
    // Shows a form a command made, modally; true when it was confirmed (its OK button).
    virtual bool ShowModal(QDialog& form) = 0;
};

// The dialogs, owned by `owner`.
class TQtNotesPrompts : public INotesPrompts {
public:
    explicit TQtNotesPrompts(QWidget& owner) : owner_(owner) {}
    std::optional<TColor> ChooseColor(TColor current) override;
    std::optional<TNoteFileChoice> OpenFile(const std::string& title,
                                            const std::string& filter) override;
    std::optional<TNoteFileChoice> SaveFile(const std::string& title, const std::string& filter,
                                            const std::string& defaultExt) override;
    bool PrinterSetup() override;
    void Message(const std::string& text, const std::string& caption,
                 TNoteMessageIcon icon) override;
    bool ShowModal(QDialog& form) override;

private:
    QWidget& owner_;
};
