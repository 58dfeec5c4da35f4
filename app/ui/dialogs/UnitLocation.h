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

#include "app/binder/AddItemDialog.h"
#include "app/binder/CaptureOptions.h"
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

    QPushButton* Button1;
    QPushButton* Button3;
    QTabWidget* PageControl1;
    QWidget* TabSheet1;
    QLabel* Label1;
    QFrame* Panel1;
    QToolButton* DropDownButton;
    QLineEdit* Edit1;
    TPopupFrame* PopupFrame1;
    QLabel* StaticText1;
    QLabel* StaticText2;
    QLabel* StaticText3;
    QLineEdit* Edit2;
    QLineEdit* Edit3;
    QGroupBox* GroupBox1;
    QRadioButton* RadioButton1;
    QRadioButton* RadioButton2;
    QRadioButton* RadioButton3;
    QToolButton* Button2;
    QToolButton* BitBtn1;
    QComboBox* ListBox1;
    QWidget* TabSheet2;
    QGroupBox* GroupBox2;
    QRadioButton* RadioButton4;
    QRadioButton* RadioButton5;
    QLineEdit* Edit4;
    TUpDown* UpDown1;
    QLabel* Label2;
    QCheckBox* CheckBox1;

protected:
    void showEvent(QShowEvent* event) override;
    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
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
