#include "app/ui/dialogs/PreviewFrm.h"

#include "platform/base/QtText.h"
#include "platform/base/StringUtils.h"
#include "platform/widgets/Control.h"
#include "platform/widgets/Cursors.h"

#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

namespace {

constexpr int MinZoom = 10;
constexpr int MaxZoom = 500;
// How much of the screen's free area a preview takes when it first opens.
constexpr int UsableScreenPercent = 85;

std::string TrimBlanks(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && static_cast<unsigned char>(text[first]) <= ' ') {
        ++first;
    }
    while (last > first && static_cast<unsigned char>(text[last - 1]) <= ' ') {
        --last;
    }
    return text.substr(first, last - first);
}

} // namespace

TZoomChoice ParseZoomText(const std::string& text) {
    std::string t = TrimBlanks(text);
    if (t == "Page width") {
        return {TZoomChoice::Kind::PageWidth, 0};
    }
    if (t == "Full page") {
        return {TZoomChoice::Kind::FullPage, 0};
    }
    if (!t.empty() && t.back() == '%') {
        t.pop_back();
    }
    int value = 0;
    try {
        value = StrToInt(t);
    } catch (const std::exception&) {
        value = 0;
    }
    if (value < MinZoom || value > MaxZoom) {
        return {TZoomChoice::Kind::Invalid, 0};
    }
    return {TZoomChoice::Kind::Percent, value};
}

TfrmPreview::TfrmPreview(QWidget* parent, ShellErrorBox box)
    : QDialog(parent), box_(std::move(box)) {
    setObjectName("frmPreview");
    setWindowTitle("Print Preview");
    resize(499, 337);
    Panel1 = new QFrame(this);
    Panel1->setObjectName("Panel1");
    Panel1->setFixedHeight(38);
    Panel1->setFrameStyle(QFrame::Panel | QFrame::Raised);
    auto* bar = new QHBoxLayout(Panel1);
    bar->setContentsMargins(4, 2, 4, 2);
    cmb_ = new QComboBox(Panel1);
    cmb_->setObjectName("cmb");
    cmb_->setEditable(true);
    cmb_->setMaxVisibleItems(20);
    for (const char* item :
         {"200%", "150%", "100%", "75%", "50%", "25%", "10%", "Page width", "Full page"}) {
        cmb_->addItem(item);
    }
    cmb_->setInsertPolicy(QComboBox::NoInsert);
    bar->addWidget(cmb_);
    QPushButton** buttons[] = {&Button1, &Button2, &Button3, &Button4};
    const char* captions[] = {"First", "Previous", "Next", "Last"};
    for (int i = 0; i < 4; ++i) {
        *buttons[i] = new QPushButton(captions[i], Panel1);
        (*buttons[i])->setObjectName(QString("Button%1").arg(i + 1));
        (*buttons[i])->setAutoDefault(false);
        bar->addWidget(*buttons[i]);
    }
    Label1 = new QLabel(Panel1);
    Label1->setObjectName("Label1");
    bar->addWidget(Label1);
    bar->addStretch(1);

    rnpp_ = new TRNPrintPreview(this);
    rnpp_->setObjectName("rnpp");
    rnpp_->SetBorderStyle(TBorderStyle::bsSingle);
    rnpp_->ZoomInCursor = crZoomIn;
    rnpp_->ZoomOutCursor = crZoomOut;
    rnpp_->MarginsPen.SetStyle(TPenStyle::psDot);
    rnpp_->MarginsPen.SetColor(clSilver);
    rnpp_->OnZoomChanged = [this] { rnppZoomChanged(); };
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(Panel1);
    layout->addWidget(rnpp_, 1);

    connect(Button1, &QPushButton::clicked, this,
            [this] { GuardEvent([this] { Button1Click(); }); });
    connect(Button2, &QPushButton::clicked, this,
            [this] { GuardEvent([this] { Button2Click(); }); });
    connect(Button3, &QPushButton::clicked, this,
            [this] { GuardEvent([this] { Button3Click(); }); });
    connect(Button4, &QPushButton::clicked, this,
            [this] { GuardEvent([this] { Button4Click(); }); });
    connect(cmb_, &QComboBox::activated, this, [this] { GuardEvent([this] { cmbExit(); }); });
    cmb_->installEventFilter(this);
    cmb_->lineEdit()->installEventFilter(this);
}

void TfrmPreview::showEvent(QShowEvent* event) {
    if (!event->spontaneous()) {
        if (!sized_) {
            sized_ = true;
            const QScreen* where = parentWidget() != nullptr ? parentWidget()->screen() : screen();
            const QRect area = where->availableGeometry();
            QRect frame(0, 0, area.width() * UsableScreenPercent / 100,
                        area.height() * UsableScreenPercent / 100);
            frame.moveCenter(area.center());
            setGeometry(frame);
        }
        rnpp_->SetZoomMode(TRNZoomMode::rnzmPageWidth);
    }
    QDialog::showEvent(event);
}

TfrmPreview::~TfrmPreview() {
    cmb_->removeEventFilter(this);
    cmb_->lineEdit()->removeEventFilter(this);
}

std::string TfrmPreview::PageIndicator() const {
    return FromQ(Label1->text());
}

void TfrmPreview::ShowPage() {
    const TRNPrint* print = rnpp_->RNPrint();
    Label1->setText(ToQ(Format("%d of %d", rnpp_->PageNo(), print ? print->GetPagesCount() : 0)));
}

void TfrmPreview::Button1Click() {
    rnpp_->First();
    ShowPage();
}

void TfrmPreview::Button2Click() {
    rnpp_->Prev();
    ShowPage();
}

void TfrmPreview::Button3Click() {
    rnpp_->Next();
    ShowPage();
}

void TfrmPreview::Button4Click() {
    rnpp_->Last();
    ShowPage();
}

void TfrmPreview::cmbExit() {
    const TZoomChoice choice = ParseZoomText(FromQ(cmb_->currentText()));
    switch (choice.What) {
    case TZoomChoice::Kind::PageWidth:
        rnpp_->SetZoomMode(TRNZoomMode::rnzmPageWidth);
        break;
    case TZoomChoice::Kind::FullPage:
        rnpp_->SetZoomMode(TRNZoomMode::rnzmFullPage);
        break;
    case TZoomChoice::Kind::Percent:
        rnpp_->SetZoom(choice.Percent);
        break;
    case TZoomChoice::Kind::Invalid:
        if (box_) {
            box_("Please enter number from 10 to 500", "Scale");
        } else {
            QMessageBox::critical(this, "Scale", "Please enter number from 10 to 500");
        }
        break;
    }
}

bool TfrmPreview::LeavesZoomBox(QEvent* focusOut) {
    // The editable box itself holds the focus (its line edit only shows it). The user leaves it
    // for another control of the form; its own list opening, or a window coming over the form
    // (the box that tells the text is wrong, another program), is no leaving: the focus comes
    // back to it.
    const Qt::FocusReason reason = static_cast<QFocusEvent*>(focusOut)->reason();
    return reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason;
}

void TfrmPreview::rnppZoomChanged() {
    cmb_->setEditText(ToQ(IntToStr(rnpp_->ZoomPercent()) + "%"));
}

bool TfrmPreview::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusOut && watched == cmb_ && LeavesZoomBox(event)) {
        GuardEvent([this] { cmbExit(); });
    } else if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            GuardEvent([this] { cmbExit(); }); // cmbKeyDown: the key goes no further
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}
