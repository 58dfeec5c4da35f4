#include "app/ui/dialogs/UnitLocation.h"

#include "platform/widgets/FormControls.h"

#include "app/binder/PageInfo.h"
#include "app/ui/dialogs/LocationRules.h"
#include "app/ui/dialogs/PopupFrameUnit.h"
#include "app/ui/dialogs/UpDown.h"
#include "platform/base/QtText.h"
#include "platform/base/StringUtils.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QStyle>
#include <QTabWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace {

// The URL typed before "Note" was chosen, for as long as the program runs: choosing a kind
// with a URL again brings it back, also in the next dialog.
std::string RememberedUrl;

constexpr const char* HtmlFileFilter = "Html Files|*.htm;*.html;*.shtml|";

} // namespace

TFormLoc::TFormLoc(QWidget* owner, IAddItemHost& host, int mode,
                   std::optional<uint32_t> initialFolderId, const std::string& folderDump,
                   TAddItemRequest origin)
    : QDialog(owner), host_(host), folderDump_(folderDump), mode_(mode),
      initialFolderId_(initialFolderId), origin_(std::move(origin)) {
    setObjectName("FormLoc");
    setWindowTitle("Add Item");
    resize(421, 355);
    setMaximumSize(500, 715);

    PageControl1 = new QTabWidget(this);
    BuildGeneralTab();
    BuildLinkTab();
    PageControl1->setCurrentWidget(TabSheet1);

    Button1 = new QPushButton("&OK", this);
    Button1->setDefault(true);
    Button3 = new QPushButton("&Cancel", this);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button3, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttons);

    PopupFrame1 = new TPopupFrame(this);
    PopupFrame1->OnPick = [this] { FolderPicked(); };

    // The selected folder of the main tree stands until the folder tree is read.
    Edit1->setText(ToQ(host_.SelectedFolderLabel()));
    if (PopupFrame1->LoadFolderDump(folderDump_)) {
        if (initialFolderId_) {
            PopupFrame1->SelectFolderId(*initialFolderId_);
        }
        pickedFolderId_ = initialFolderId_;
        const TTreeNode* selected = PopupFrame1->SelectedNode();
        Edit1->setText(selected != nullptr ? ToQ(selected->Text()) : QString());
    }
    FillBinderList();
    NameControls({{Button1, "Button1"},
                  {Button3, "Button3"},
                  {PageControl1, "PageControl1"},
                  {TabSheet1, "TabSheet1"},
                  {Label1, "Label1"},
                  {Panel1, "Panel1"},
                  {DropDownButton, "DropDownButton"},
                  {Edit1, "Edit1"},
                  {PopupFrame1, "PopupFrame1"},
                  {StaticText1, "StaticText1"},
                  {StaticText2, "StaticText2"},
                  {StaticText3, "StaticText3"},
                  {Edit2, "Edit2"},
                  {Edit3, "Edit3"},
                  {GroupBox1, "GroupBox1"},
                  {RadioButton1, "RadioButton1"},
                  {RadioButton2, "RadioButton2"},
                  {RadioButton3, "RadioButton3"},
                  {Button2, "Button2"},
                  {BitBtn1, "BitBtn1"},
                  {ListBox1, "ListBox1"},
                  {TabSheet2, "TabSheet2"},
                  {GroupBox2, "GroupBox2"},
                  {RadioButton4, "RadioButton4"},
                  {RadioButton5, "RadioButton5"},
                  {Edit4, "Edit4"},
                  {UpDown1, "UpDown1"},
                  {Label2, "Label2"},
                  {CheckBox1, "CheckBox1"}});
}

TFormLoc::~TFormLoc() = default;

void TFormLoc::BuildGeneralTab() {
    TabSheet1 = new QWidget;
    PageControl1->addTab(TabSheet1, "General");
    auto* grid = new QGridLayout(TabSheet1);

    Label1 = new QLabel("Add to Binder", TabSheet1);
    ListBox1 = new QComboBox(TabSheet1);
    ListBox1->setEditable(true);
    ListBox1->setInsertPolicy(QComboBox::NoInsert);
    BitBtn1 = new QToolButton(TabSheet1);
    BitBtn1->setIcon(style()->standardIcon(QStyle::SP_DialogOpenButton));
    grid->addWidget(Label1, 0, 0);
    grid->addWidget(ListBox1, 0, 1);
    grid->addWidget(BitBtn1, 0, 2);

    StaticText1 = new QLabel("Add to Folder", TabSheet1);
    Panel1 = new QFrame(TabSheet1);
    Panel1->setFrameShape(QFrame::Box);
    Panel1->setAutoFillBackground(true);
    Panel1->setBackgroundRole(QPalette::Base);
    Edit1 = new QLineEdit(Panel1);
    Edit1->setReadOnly(true);
    Edit1->setFrame(false);
    QFont tahoma("Tahoma");
    tahoma.setPixelSize(12);
    Edit1->setFont(tahoma);
    Edit1->installEventFilter(this);
    DropDownButton = new QToolButton(Panel1);
    DropDownButton->setArrowType(Qt::DownArrow);
    DropDownButton->setAutoRaise(true);
    auto* panel = new QHBoxLayout(Panel1);
    panel->setContentsMargins(1, 1, 1, 1);
    panel->addWidget(Edit1);
    panel->addWidget(DropDownButton);
    grid->addWidget(StaticText1, 1, 0);
    grid->addWidget(Panel1, 1, 1, 1, 2);

    StaticText2 = new QLabel("Page Title", TabSheet1);
    Edit3 = new QLineEdit(TabSheet1);
    grid->addWidget(StaticText2, 2, 0);
    grid->addWidget(Edit3, 2, 1, 1, 2);

    StaticText3 = new QLabel("Page URL", TabSheet1);
    Edit2 = new QLineEdit(TabSheet1);
    Button2 = new QToolButton(TabSheet1);
    Button2->setIcon(style()->standardIcon(QStyle::SP_FileIcon));
    grid->addWidget(StaticText3, 3, 0);
    grid->addWidget(Edit2, 3, 1);
    grid->addWidget(Button2, 3, 2);

    GroupBox1 = new QGroupBox("Item Type", TabSheet1);
    GroupBox1->installEventFilter(this);
    RadioButton1 = new QRadioButton("Web Page", GroupBox1);
    RadioButton1->setChecked(true);
    RadioButton2 = new QRadioButton("Note", GroupBox1);
    RadioButton3 = new QRadioButton("Link", GroupBox1);
    auto* kinds = new QHBoxLayout(GroupBox1);
    kinds->addWidget(RadioButton1);
    kinds->addWidget(RadioButton2);
    kinds->addWidget(RadioButton3);
    kinds->addStretch();
    grid->addWidget(GroupBox1, 4, 0, 1, 3);
    grid->setRowStretch(5, 1);

    // A kind runs its routine when it becomes checked, as the user or the program checks it.
    connect(RadioButton1, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            RadioButton2Click();
        }
    });
    connect(RadioButton2, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            RadioButton2Click();
        }
    });
    connect(RadioButton3, &QRadioButton::toggled, this, [this](bool on) {
        if (on) {
            RadioButton3Click();
        }
    });
    connect(ListBox1, &QComboBox::activated, this, &TFormLoc::ListBox1Change);
    connect(BitBtn1, &QToolButton::clicked, this, &TFormLoc::BitBtn1Click);
    connect(Button2, &QToolButton::clicked, this, &TFormLoc::Button2Click);
    connect(DropDownButton, &QToolButton::clicked, this, &TFormLoc::DropDownButtonClick);
}

void TFormLoc::BuildLinkTab() {
    TabSheet2 = new QWidget;
    PageControl1->addTab(TabSheet2, "Link");
    auto* tab = new QVBoxLayout(TabSheet2);
    GroupBox2 = new QGroupBox("Save Linked Web Pages", TabSheet2);
    tab->addWidget(GroupBox2);
    tab->addStretch();

    RadioButton4 = new QRadioButton("Save This Page Only", GroupBox2);
    RadioButton4->setChecked(true);
    RadioButton5 = new QRadioButton("Save This Page and Linked Pages in", GroupBox2);
    Edit4 = new QLineEdit("0", GroupBox2);
    Edit4->setEnabled(false);
    Edit4->setMaximumWidth(40);
    UpDown1 = new TUpDown(GroupBox2);
    UpDown1->setEnabled(false);
    UpDown1->OnClick = [this](bool up) { UpDown1Click(up); };
    Label2 = new QLabel("Levels", GroupBox2);
    CheckBox1 = new QCheckBox("Save Pages within Current Web Only", GroupBox2);
    CheckBox1->setEnabled(false);

    auto* levels = new QHBoxLayout;
    levels->addWidget(RadioButton5);
    levels->addWidget(Edit4);
    levels->addWidget(UpDown1);
    levels->addWidget(Label2);
    levels->addStretch();
    auto* group = new QVBoxLayout(GroupBox2);
    group->addWidget(RadioButton4);
    group->addLayout(levels);
    group->addWidget(CheckBox1);

    connect(RadioButton4, &QRadioButton::toggled, this, [this] { RadioButton4Click(); });
}

void TFormLoc::FillBinderList() {
    ListBox1->clear();
    binderIndex_ = -1;
    const std::string open = host_.OpenBinderFilePath();
    for (const std::string& path : host_.KnownBinders()) {
        if (path.empty()) {
            continue;
        }
        // The path travels as the entry's data: reading it back out of the text would break
        // on a binder name holding "--".
        ListBox1->addItem(ToQ(BinderListEntry(path)), ToQ(path));
        // File names on this system are case-sensitive, so the paths must match exactly.
        if (!open.empty() && path == open) {
            binderIndex_ = ListBox1->count() - 1;
        }
    }
    ListBox1->setCurrentIndex(binderIndex_);
}

// ---- showing and closing ---------------------------------------------------------------------

TModalResult TFormLoc::ShowModal() {
    return exec() == QDialog::Accepted ? TModalResult::Ok : TModalResult::Cancel;
}

void TFormLoc::showEvent(QShowEvent* event) {
    ApplyMode();
    QDialog::showEvent(event);
}

void TFormLoc::ApplyMode() {
    if (mode_ != 4) {
        return;
    }
    GroupBox1->setTitle("Select Destination Binder");
    RadioButton1->setText("Existing Binder");
    RadioButton2->setText("Open Another");
    RadioButton2->setFixedWidth(10);
    RadioButton2->hide();
    RadioButton3->setText("New");
    Edit2->setEnabled(false);
    Button2->setEnabled(false);
}

void TFormLoc::done(int result) {
    std::string message;
    const std::optional<int32_t> levels = ParseCaptureLevels(FromQ(Edit4->text()), &message);
    if (result == QDialog::Accepted && !levels) {
        // A number of levels that is no number is answered, and the dialog stays with
        // everything the user entered.
        host_.ShowMessage(message);
        Edit4->setFocus();
        return;
    }
    options_.Mode = RadioButton5->isChecked() ? 1 : 0;
    options_.Levels = levels.value_or(0);
    options_.CurrentWebOnly = CheckBox1->isChecked();
    PopupFrame1->hide();
    QDialog::done(result);
}

// ---- what the caller reads and fills ---------------------------------------------------------

std::string TFormLoc::Url() const {
    return FromQ(Edit2->text());
}

void TFormLoc::SetUrl(const std::string& url) {
    Edit2->setText(ToQ(url));
}

std::string TFormLoc::Title() const {
    return FromQ(Edit3->text());
}

void TFormLoc::SetTitle(const std::string& title) {
    Edit3->setText(ToQ(title));
}

NodeKind TFormLoc::ItemKind() const {
    if (RadioButton2->isChecked()) {
        return NodeKind::Notes;
    }
    return RadioButton3->isChecked() ? NodeKind::Link : NodeKind::WebPage;
}

// ---- item type -------------------------------------------------------------------------------

void TFormLoc::RadioButton2Click() {
    if (mode_ == 4) {
        ListBox1->setEnabled(RadioButton2->isChecked());
        return;
    }
    if (RadioButton2->isChecked()) {
        if (!Edit2->text().isEmpty()) {
            RememberedUrl = FromQ(Edit2->text());
        }
        Edit2->clear();
        Edit2->setEnabled(false);
        StaticText3->setEnabled(false);
        return;
    }
    // Only leaving "Note" brings the remembered URL back; between "Web Page" and "Link" the
    // URL the user typed stays.
    if (!Edit2->isEnabled()) {
        Edit2->setText(ToQ(RememberedUrl));
    }
    Edit2->setEnabled(true);
    Edit2->setReadOnly(false);
    StaticText3->setEnabled(true);
}

void TFormLoc::RadioButton3Click() {
    if (mode_ != 4) {
        RadioButton2Click();
        return;
    }
    SwitchBinder(TBinderSwitchKind::CreateNew, {}, 4);
}

// ---- switching binders -----------------------------------------------------------------------

void TFormLoc::ListBox1Change(int index) {
    // Text typed into the list matches no entry and opens nothing.
    if (index < 0 || index == binderIndex_) {
        return;
    }
    binderIndex_ = index;
    SwitchBinder(TBinderSwitchKind::OpenListed, FromQ(ListBox1->itemData(index).toString()),
                 mode_ == 4 ? 4 : 10);
}

void TFormLoc::BitBtn1Click() {
    // Another binder opened from here brings the dialog back as the destination chooser,
    // whichever way it was first opened; the request keeps the URL and title entered.
    SwitchBinder(TBinderSwitchKind::OpenOther, {}, 4);
}

void TFormLoc::SwitchBinder(TBinderSwitchKind kind, const std::string& path, int resendMode) {
    TBinderSwitch change;
    change.Kind = kind;
    change.Path = path;
    change.Resend = origin_;
    // The URL as the user left it; while "Note" hides it, the one the request came with.
    if (Edit2->isEnabled()) {
        change.Resend.Url = FromQ(Edit2->text());
    }
    change.Resend.Info = FromQ(Edit3->text());
    change.Resend.DialogMode = resendMode;
    change.Resend.TreeMode = TInsertMode::Child;
    host_.SwitchBinder(change);
    done(QDialog::Rejected);
}

// ---- local file ------------------------------------------------------------------------------

void TFormLoc::Button2Click() {
    TFileDialogOptions options;
    options.InitialDir = host_.LastDialogDir();
    options.Filter = HtmlFileFilter;
    if (const std::optional<std::string> chosen = host_.OpenFileDialog(options)) {
        Edit2->setText(ToQ("file://" + *chosen));
    }
}

// ---- folder drop-down ------------------------------------------------------------------------

void TFormLoc::DropDownButtonClick() {
    const QPoint topLeft = Panel1->mapToGlobal(QPoint(0, 0));
    const QScreen* screen = Panel1->screen();
    const int screenHeight = screen != nullptr ? screen->geometry().bottom() + 1 : 0;
    const int top = PopupFrameTop(topLeft.y(), topLeft.y() + Panel1->height(),
                                  PopupFrame1->height(), screenHeight);
    PopupFrame1->ShowAt(QPoint(topLeft.x(), top));
}

void TFormLoc::FolderPicked() {
    const TTreeNode* selected = PopupFrame1->SelectedNode();
    const TPageInfo* record = NodeRecord(selected);
    if (record == nullptr) {
        return;
    }
    pickedFolderId_ = record->Id;
    Edit1->setText(ToQ(selected->Text()));
    Edit1->selectAll();
}

bool TFormLoc::eventFilter(QObject* watched, QEvent* event) {
    if (watched == Edit1 && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        PopupFrame1->hide();
    } else if (watched == GroupBox1 && event->type() == QEvent::MouseButtonRelease) {
        RadioButton2Click();
    }
    return QDialog::eventFilter(watched, event);
}

// ---- levels ----------------------------------------------------------------------------------

void TFormLoc::RadioButton4Click() {
    const bool pageOnly = RadioButton4->isChecked();
    Edit4->setText(pageOnly ? "0" : "1");
    Edit4->setEnabled(!pageOnly);
    CheckBox1->setEnabled(!pageOnly);
    UpDown1->setEnabled(!pageOnly);
}

void TFormLoc::UpDown1Click(bool up) {
    const int32_t levels = StepCaptureLevels(FromQ(Edit4->text()), up);
    Edit4->setText(ToQ(IntToStr(levels)));
    if (levels == 0) {
        RadioButton4->setChecked(true);
    }
}
