#pragma once

// Stand-ins for what later parts of the program put into the main window: plain widgets and
// minimal forms that keep their place, names and the calls made to them, so the window can be
// built and used around them. Each is replaced by the real control or form.

#include "app/binder/AddItemDialog.h"

#include <QDialog>
#include <QWidget>

#include <string>

class QCheckBox;
class QLineEdit;
class QPlainTextEdit;
class QRadioButton;

// An empty widget standing for a control still to come (the side bar, the notes editor, the
// page and summary browsers), named as the control will be.
QWidget* MakePlaceholder(const char* name, QWidget* parent);

// The print preview form TfrmPreview: made at start-up, never shown yet.
class TfrmPreview : public QWidget {
public:
    explicit TfrmPreview(QWidget* parent = nullptr);
};

// The tip form TForm1 without its tips: the caption, the "Show Tips at Startup" box and OK.
class TForm1 : public QDialog {
public:
    explicit TForm1(QWidget* owner);
    QCheckBox* CheckBox1;
};

// The New Binder Wizard on one page: the folder, the name and the description, and Finish.
class TNewBinderPlaceholder : public QDialog {
public:
    TNewBinderPlaceholder(QWidget* owner, const std::string& defaultFolder);
    TNewBinderChoice Choice() const;

private:
    QLineEdit* folder_;
    QLineEdit* name_;
    QPlainTextEdit* description_;
};

// The Add Item dialog with only the address, the title and the item type; it offers no folder
// to pick (the node goes beside the selection) and captures the page alone.
class TAddItemPlaceholder : public QDialog, public IAddItemDialog {
public:
    TAddItemPlaceholder(QWidget* owner, int mode);

    TModalResult ShowModal() override;
    std::string Url() const override;
    void SetUrl(const std::string& url) override;
    std::string Title() const override;
    void SetTitle(const std::string& title) override;
    NodeKind ItemKind() const override;
    std::optional<uint32_t> PickedFolderId() const override { return std::nullopt; }
    CaptureOptions Options() const override { return CaptureOptions{}; }

private:
    QLineEdit* url_;
    QLineEdit* title_;
    QRadioButton* page_;
    QRadioButton* note_;
    QRadioButton* link_;
};
