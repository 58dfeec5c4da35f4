#include "app/ui/dialogs/SaveCHM.h"

#include "app/binder/ChmExport.h"
#include "app/binder/FileNames.h"
#include "app/ui/dialogs/AskFile.h"
#include "platform/base/QtText.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

TForm6::TForm6(QWidget* owner, std::string& lastDialogDir)
    : QDialog(owner, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint |
                         Qt::WindowCloseButtonHint),
      lastDialogDir_(lastDialogDir) {
    setObjectName("Form6");
    setWindowTitle("Generate CHM File");

    Edit1 = new QLineEdit(this);
    Button1 = new QPushButton("...", this);
    Button1->setAutoDefault(false);
    ComboBox1 = new QComboBox(this);
    for (const ChmLanguage& language : ChmLanguages) {
        ComboBox1->addItem(language.Name, QString(language.LocaleText));
    }
    ComboBox1->setCurrentText("English");
    CheckBox1 = new QCheckBox("Generate Full Text Search Tab", this);
    CheckBox2 = new QCheckBox("Automatically  Launch Chm When Done", this);
    CheckBox3 = new QCheckBox("Overwrite If Already Exist", this);
    OKButton = new QPushButton("OK", this);
    OKButton->setDefault(true);
    CancelButton = new QPushButton("Cancel", this);
    CancelButton->setAutoDefault(false);

    auto* layout = new QGridLayout(this);
    layout->addWidget(new QLabel("Destination", this), 0, 0);
    layout->addWidget(Edit1, 0, 1);
    layout->addWidget(Button1, 0, 2);
    layout->addWidget(new QLabel("Language", this), 1, 0);
    layout->addWidget(ComboBox1, 1, 1, 1, 2);
    layout->addWidget(CheckBox1, 2, 0, 1, 3);
    layout->addWidget(CheckBox2, 3, 0, 1, 3);
    layout->addWidget(CheckBox3, 4, 0, 1, 3);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(OKButton);
    buttons->addWidget(CancelButton);
    layout->addLayout(buttons, 5, 0, 1, 3);

    connect(Button1, &QPushButton::clicked, this, &TForm6::Button1Click);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    connect(CancelButton, &QPushButton::clicked, this, &QDialog::reject);
}

TChmChoice TForm6::Choice() const {
    return {FromQ(Edit1->text()), FromQ(ComboBox1->currentData().toString()),
            CheckBox1->isChecked(), CheckBox2->isChecked(), CheckBox3->isChecked()};
}

void TForm6::Button1Click() {
    TFileDialogOptions options;
    options.Title = "Select CHM File";
    options.Filter = ChmFileFilter;
    options.InitialDir = lastDialogDir_;
    // "Overwrite If Already Exist" decides about an existing file, not the file dialog.
    options.ConfirmOverwrite = false;
    std::optional<std::string> chosen = ChooseFile(options);
    if (!chosen) {
        return;
    }
    if (FromQ(ToQ(*chosen).toLower()).find(".chm") == std::string::npos) {
        *chosen += ".chm";
    }
    Edit1->setText(ToQ(*chosen));
    lastDialogDir_ = std::string(FolderOfPath(*chosen));
}

std::optional<std::string> TForm6::ChooseFile(const TFileDialogOptions& options) {
    return AskFile(this, options, true);
}

std::optional<TChmChoice> ShowChmDialog(QWidget* owner, std::string& lastDialogDir) {
    TForm6 dialog(owner, lastDialogDir);
    if (dialog.exec() != QDialog::Accepted) {
        return std::nullopt;
    }
    return dialog.Choice();
}
