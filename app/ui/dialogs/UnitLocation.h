#pragma once

// The "Add Item" dialog TFormLoc: the destination binder and folder, the item type, the URL
// and the title, and on its "Link" tab the capture of linked pages. The add-node command shows
// it modally until the input is accepted and reads the choices back (IAddItemDialog).
//
// Modes: -1 from the menus and 10 for a request sent again after a switch from the binder list
// keep the "Item Type" group; 4, a page sent from the browser side, turns it into a
// destination chooser ("Existing Binder", "New") and locks the URL. Choosing another binder,
// the open-binder button and "New" switch binders through the host and end the dialog with
// Cancel; the host shows the same request again over the binder open then.

#include "app/binder/CaptureOptions.h"
#include "app/binder/commands/AddItemDialog.h"
#include "app/ui/dialogs/AddItemHost.h"

#include <QDialog>

#include <cstdint>
#include <optional>
#include <string>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QTabWidget;
class QToolButton;
class TPopupFrame;
class TUpDown;

class TFormLoc : public QDialog, public IAddItemDialog {
public:
    // `origin` is the request the dialog is shown for; a binder switch sends it again.
    TFormLoc(QWidget* owner, IAddItemHost& host, int mode, std::optional<uint32_t> initialFolderId,
             const std::string& folderDump, TAddItemRequest origin = {});
    ~TFormLoc() override;

    TModalResult ShowModal() override;
    std::string Url() const override;
    void SetUrl(const std::string& url) override;
    std::string Title() const override;
    void SetTitle(const std::string& title) override;
    NodeKind ItemKind() const override;
    std::optional<uint32_t> PickedFolderId() const override { return pickedFolderId_; }
    CaptureOptions Options() const override { return options_; }

    int Mode() const { return mode_; }
    int BinderIndex() const { return binderIndex_; }

    // The handlers, named as the controls they serve.
    void ApplyMode();
    void RadioButton2Click(); // the item-type routine
    void RadioButton3Click();
    void ListBox1Change(int index);
    void BitBtn1Click();
    void Button2Click();
    void DropDownButtonClick();
    void FolderPicked();
    void RadioButton4Click(); // "Save This Page Only" or with linked pages
    void UpDown1Click(bool up);

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QPushButton* Button1;        // OK
    QPushButton* Button3;        // Cancel
    QTabWidget* PageControl1;    // the "General" and "Link" tabs
    QWidget* TabSheet1;          // "General"
    QLabel* Label1;              // "Add to Binder"
    QFrame* Panel1;              // frames the folder and its drop-down button
    QToolButton* DropDownButton; // opens the folder drop-down
    QLineEdit* Edit1;            // the destination folder
    TPopupFrame* PopupFrame1;    // the folder drop-down
    QLabel* StaticText1;         // "Add to Folder"
    QLabel* StaticText2;         // "Page Title"
    QLabel* StaticText3;         // "Page URL"
    QLineEdit* Edit2;            // the URL
    QLineEdit* Edit3;            // the title
    QGroupBox*
        GroupBox1; // "Item Type", or the destination chooser for a page sent from the browser
    QRadioButton* RadioButton1; // "Web Page" ("Existing Binder")
    QRadioButton* RadioButton2; // "Note" ("New")
    QRadioButton* RadioButton3; // "Link"
    QToolButton* Button2;       // picks an HTML file as the URL
    QToolButton* BitBtn1;       // opens a binder file
    QComboBox* ListBox1;        // the destination binder
    QWidget* TabSheet2;         // "Link"
    QGroupBox* GroupBox2;       // "Save Linked Web Pages"
    QRadioButton* RadioButton4; // "Save This Page Only"
    QRadioButton* RadioButton5; // with linked pages
    QLineEdit* Edit4;           // levels
    TUpDown* UpDown1;           // steps the levels
    QLabel* Label2;             // "Levels"
    QCheckBox* CheckBox1;       // "Save Pages within Current Web Only"
    void BuildGeneralTab();
    void BuildLinkTab();
    void FillBinderList();
    // Ends the dialog after a binder switch, which sends the request again in `resendMode`.
    void SwitchBinder(TBinderSwitchKind kind, const std::string& path, int resendMode);

    IAddItemHost& host_;
    std::string folderDump_;
    int mode_;
    std::optional<uint32_t> pickedFolderId_;
    std::optional<uint32_t> initialFolderId_;
    int binderIndex_ = -1;
    CaptureOptions options_;
    TAddItemRequest origin_;
};
