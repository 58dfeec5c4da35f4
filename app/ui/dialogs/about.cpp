#include "app/ui/dialogs/about.h"

#include "app/binder/BinderHeader.h"
#include "app/binder/BinderPaths.h"
#include "app/binder/WindowTexts.h"
#include "platform/base/QtText.h"
#include "platform/widgets/FormControls.h"

#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

constexpr char VersionText[] = "Version 0.1";

} // namespace

TAboutBox::TAboutBox(QWidget* owner, const BinderPaths& paths) : QDialog(owner) {
    setObjectName("AboutBox");
    setWindowTitle("About");
    resize(374, 205);
    auto* panel1 = new QFrame(this);
    panel1->setFrameShape(QFrame::StyledPanel);
    ProgramIcon = new QLabel(panel1);
    ProgramIcon->setPixmap(windowIcon().pixmap(48, 48));
    ProductName = new QLabel(ApplicationTitle, panel1);
    Version = new QLabel(VersionText, panel1);
    Label1 = new QLabel("Current Binder Name:", panel1);
    Label2 = new QLabel("Binder Location:", panel1);
    // The name is kept with its blanks written as "%20"; the box shows it as the caption does.
    Label3 = new QLabel(ToQ(DecodeBinderValue(paths.BinderName)), panel1);
    Label4 = new QLabel(ToQ(paths.BinderRoot), panel1);
    Label4->setWordWrap(true);
    // A long location wraps downwards from the line of its caption.
    Label4->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    for (QLabel* label : {Label3, Label4}) {
        label->setTextFormat(Qt::PlainText);
    }
    auto* grid = new QGridLayout(panel1);
    grid->addWidget(ProgramIcon, 0, 0, 2, 1);
    grid->addWidget(ProductName, 0, 1);
    grid->addWidget(Version, 1, 1);
    grid->addWidget(Label1, 2, 0);
    grid->addWidget(Label3, 2, 1);
    grid->addWidget(Label2, 3, 0, Qt::AlignTop);
    grid->addWidget(Label4, 3, 1, Qt::AlignTop);
    grid->setColumnStretch(1, 1);

    OKButton = new QPushButton("OK", this);
    OKButton->setDefault(true);
    connect(OKButton, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel1, 1);
    layout->addWidget(OKButton, 0, Qt::AlignHCenter);
    NameControls({{panel1, "Panel1"},
                  {ProgramIcon, "ProgramIcon"},
                  {ProductName, "ProductName"},
                  {Version, "Version"},
                  {Label1, "Label1"},
                  {Label2, "Label2"},
                  {Label3, "Label3"},
                  {Label4, "Label4"},
                  {OKButton, "OKButton"}});
}
