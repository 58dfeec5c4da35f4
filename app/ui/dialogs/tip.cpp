#include "app/ui/dialogs/tip.h"

#include "platform/base/QtText.h"
#include "platform/widgets/FormControls.h"

#include <QCheckBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

constexpr size_t LineLength = 42;

const std::string Tips[TipCount] = {
    "You can write comments and ideas for each node with editor in the notes tab",
    "Add page displayed in browser while surfing by click right button of mouse in IE, then "
    "select \"save page into binder\" in the following context menu",
    "navigate through you saved pages by clicking arrow button at the bottom right hand corner",
    "Hide leftside bar by click on \"Hide leftside bar\" button in the toolbar, restore it by "
    "select \"leftside bar\" in the view menu",
    "Select \"Generate CHM\" in the tool menu to export saved pages into a CHM file",
    "You can export saved pages as Html files from \"save as html\" option of file menu",
    "You can import all of existing html files from an directory into binder from \"import\" "
    "option of file menu",
    "You can update saved contents of selected page with online content from\"Sync content\" "
    "option of tools menu",
    "To save page that contains frame, download it from internet directly instead of capture "
    "from IE.",
    "You can choose among listing page by title or listing by URL from the option menu",
    "Do a full test search in your saved pages by selecting the search button in Tool menu.",
    "You can find you recently opend binder in the \"Recent\" menu and re-open it",
    "The full path of working binder is displayed in about dialog",
    "You can save page in offline mode as long as the page can show up in your IE browser.",
    "The link in saved page is alive. You can start surfing from the links in the page.",
    "You can open a binder file with .bdf suffix by double click on it.",
    "A binder named \"default\" is automatically created under installation directory when you "
    "first run this program.",
    "All the saved pages are listed one by one in the \"Page List\" tab of leftside bar",
    "You can download all the linked pages by set option in the link tab when adding a node",
};

} // namespace

const std::string& TipText(int index) {
    return Tips[std::clamp(index, 0, TipCount - 1)];
}

int TipIndexForDay(int day) {
    return day >= TipCount ? day - TipCount : day;
}

std::vector<std::string> CutTipLines(const std::string& text) {
    // Positions are 1-based: a line runs from `start` to the character before `end`, and `end`
    // moves on until that character is a blank.
    std::vector<std::string> lines;
    const size_t length = text.size();
    size_t start = 1;
    size_t end = LineLength;
    while (start <= length) {
        while (end <= length && text[end - 2] != ' ') {
            ++end;
        }
        const size_t stop = std::min(end, length + 1);
        lines.push_back(text.substr(start - 1, stop - start));
        start = end;
        end += LineLength;
    }
    return lines;
}

TForm1::TForm1(QWidget* owner, const TTipClock& clock, std::string helpFile, ShellErrorBox box)
    : QDialog(owner), helpFile_(std::move(helpFile)), box_(std::move(box)) {
    setObjectName("Form1");
    setWindowTitle("Tip of The Day");
    setFixedSize(456, 274);

    auto* panel2 = new QFrame(this);
    panel2->setFrameShape(QFrame::Panel);
    panel2->setFrameShadow(QFrame::Sunken);
    panel2->setAutoFillBackground(true);
    panel2->setBackgroundRole(QPalette::Base);
    auto* image1 = new QLabel(panel2);
    image1->setPixmap(windowIcon().pixmap(32, 32));
    auto* panel1 = new QFrame(panel2);
    panel1->setAutoFillBackground(true);
    panel1->setBackgroundRole(QPalette::ToolTipBase);
    Label1 = new QLabel("Did  you know ...", panel1);
    QFont bold = Label1->font();
    bold.setBold(true);
    Label1->setFont(bold);
    auto* lines = new QVBoxLayout(panel1);
    lines->addWidget(Label1);
    for (QLabel*& line : Lines) {
        line = new QLabel(panel1);
        lines->addWidget(line);
    }
    lines->addStretch();
    auto* panelLayout = new QHBoxLayout(panel2);
    panelLayout->addWidget(image1, 0, Qt::AlignTop);
    panelLayout->addWidget(panel1, 1);

    CheckBox1 = new QCheckBox("Show Tips at Startup", this);
    Button1 = new QPushButton("OK", this);
    Button1->setDefault(true);
    Button2 = new QPushButton("&Next Tip", this);
    Button3 = new QPushButton("&Help", this);
    for (QPushButton* button : {Button2, Button3}) {
        button->setAutoDefault(false);
    }
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);
    connect(Button2, &QPushButton::clicked, this, [this] { Button2Click(); });
    connect(Button3, &QPushButton::clicked, this, [this] { Button3Click(); });
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(CheckBox1);
    buttons->addStretch();
    buttons->addWidget(Button1);
    buttons->addWidget(Button2);
    buttons->addWidget(Button3);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(panel2, 1);
    layout->addLayout(buttons);
    NameControls({{panel2, "Panel2"},
                  {image1, "Image1"},
                  {panel1, "Panel1"},
                  {Label1, "Label1"},
                  {Lines[0], "Label2"},
                  {Lines[1], "Label3"},
                  {Lines[2], "Label4"},
                  {Lines[3], "Label5"},
                  {CheckBox1, "CheckBox1"},
                  {Button1, "Button1"},
                  {Button2, "Button2"},
                  {Button3, "Button3"}});

    index_ = TipIndexForDay((clock ? clock() : QDate::currentDate()).day());
    ShowTip();
}

bool TForm1::ShowTips() const {
    return CheckBox1->isChecked();
}

void TForm1::SetShowTips(bool show) {
    CheckBox1->setChecked(show);
}

std::vector<std::string> TForm1::ShownLines() const {
    std::vector<std::string> shown;
    for (const QLabel* line : Lines) {
        shown.push_back(FromQ(line->text()));
    }
    return shown;
}

void TForm1::ShowTip() {
    Label1->setText("Did you know...");
    for (QLabel* line : Lines) {
        line->clear();
    }
    const std::vector<std::string> lines = CutTipLines(TipText(index_));
    for (size_t i = 0; i < lines.size() && i < std::size(Lines); ++i) {
        Lines[i]->setText(ToQ(lines[i]));
    }
}

void TForm1::Button2Click() {
    index_ = index_ + 1 >= TipCount ? 0 : index_ + 1;
    ShowTip();
}

void TForm1::Button3Click() {
    ShellOpen(helpFile_, box_);
}
