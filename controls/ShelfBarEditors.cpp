#include "controls/ShelfBarEditors.h"

#include "controls/ShelfBar.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>

bool ShelfEditAccepts(TShelfEditType type, char16_t key, const std::string& text,
                      char decimalSeparator) {
    if (type == TShelfEditType::ieText || key == u'\b' || key == u'-' ||
        (key >= u'0' && key <= u'9')) {
        return true;
    }
    return type == TShelfEditType::ieFloat && key == static_cast<unsigned char>(decimalSeparator) &&
           text.find(decimalSeparator) == std::string::npos;
}

void TShelfEdit::SetEditMask(const std::string& mask) {
    setInputMask(QString::fromStdString(QtInputMask(mask)));
}

void TShelfEdit::keyPressEvent(QKeyEvent* e) {
    const QString typed = e->text();
    if (typed.size() == 1 && typed.at(0).isPrint() &&
        !ShelfEditAccepts(ShelfEditType, typed.at(0).unicode(), text().toStdString(),
                          FormatSettings.DecimalSeparator)) {
        return;
    }
    QLineEdit::keyPressEvent(e);
}

TShelfBarEditors::TShelfBarEditors(TShelfBar& bar)
    : QObject(&bar), Edit(new TShelfEdit(&bar)), Combo(new TShelfCombo(&bar)),
      ColorCombo(new TShelfColorCombo(&bar)), Spin(new TShelfSpin(&bar)),
      EditBtn(new TShelfBarEditBtn(&bar)), DateTimePicker(new TShelfBarDateTimePicker(&bar)),
      bar_(bar) {
    Edit->setFrame(false);
    Spin->setFrame(false);
    EditBtn->setFrame(false);
    DateTimePicker->setFrame(false);
    Combo->SetFlat(true);
    ColorCombo->SetFlat(true);
    const bool themed = bar.DoVisualStyles();
    ColorCombo->SetIsWinXP(themed);
    Spin->SetIsWinXP(themed);
    EditBtn->SetIsWinXP(themed);

    const auto changed = [this] { bar_.EditChanged(); };
    connect(Edit, &QLineEdit::textEdited, this, changed);
    connect(Spin, &QLineEdit::textEdited, this, changed);
    connect(EditBtn, &QLineEdit::textEdited, this, changed);
    connect(Combo, &QComboBox::currentTextChanged, this, changed);
    connect(DateTimePicker, &QDateTimeEdit::dateTimeChanged, this, changed);
    // Only a choice of the user's: showing the item's colour opens no dialog.
    connect(ColorCombo, &QComboBox::activated, this, [this] { bar_.ComboChanged(); });
    EditBtn->OnClickBtn = [this] { bar_.EditBtnClick(); };

    for (QWidget* editor :
         {static_cast<QWidget*>(Edit), static_cast<QWidget*>(Combo),
          static_cast<QWidget*>(ColorCombo), static_cast<QWidget*>(Spin),
          static_cast<QWidget*>(EditBtn), static_cast<QWidget*>(DateTimePicker)}) {
        editor->hide();
        editor->installEventFilter(this);
        for (QWidget* child : editor->findChildren<QWidget*>()) {
            child->installEventFilter(this);
        }
    }
}

TShelfBarEditors::~TShelfBarEditors() {
    closing_ = true;
    delete Edit;
    delete Combo;
    delete ColorCombo;
    delete Spin;
    delete EditBtn;
    delete DateTimePicker;
}

QWidget* TShelfBarEditors::EditorFor(TPropertyType type) const {
    switch (type) {
    case TPropertyType::ptInteger:
    case TPropertyType::ptFloat:
    case TPropertyType::ptText:
        return Edit;
    case TPropertyType::ptColor:
        return ColorCombo;
    case TPropertyType::ptFont:
    case TPropertyType::ptTextButton:
    case TPropertyType::ptPropButton:
        return EditBtn;
    case TPropertyType::ptValues:
        return Combo;
    case TPropertyType::ptIntSpin:
        return Spin;
    case TPropertyType::ptDate:
    case TPropertyType::ptTime:
        return DateTimePicker;
    case TPropertyType::ptBoolean:
    case TPropertyType::ptCustom:
        return nullptr;
    }
    return nullptr;
}

void TShelfBarEditors::Restore(QWidget* editor) {
    if (editor == Edit) {
        Edit->setText(QString::fromStdString(Edit->OrigValue));
        Edit->selectAll();
    } else if (editor == Combo) {
        Combo->setEditText(QString::fromStdString(Combo->OrigValue));
        Combo->lineEdit()->selectAll();
    } else if (editor == ColorCombo) {
        ColorCombo->SetColorValue(ColorCombo->OrigValue);
    } else if (editor == Spin) {
        Spin->setText(QString::fromStdString(Spin->OrigValue));
        Spin->selectAll();
    } else if (editor == EditBtn) {
        EditBtn->setText(QString::fromStdString(EditBtn->OrigValue));
        EditBtn->selectAll();
    } else if (editor == DateTimePicker) {
        DateTimePicker->SetDateTime(DateTimePicker->OrigValue);
    }
}

void TShelfBarEditors::HideAll() {
    for (QWidget* editor :
         {static_cast<QWidget*>(Edit), static_cast<QWidget*>(Combo),
          static_cast<QWidget*>(ColorCombo), static_cast<QWidget*>(Spin),
          static_cast<QWidget*>(EditBtn), static_cast<QWidget*>(DateTimePicker)}) {
        editor->hide();
    }
}

QWidget* TShelfBarEditors::EditorOf(QObject* watched) const {
    for (QWidget* editor :
         {static_cast<QWidget*>(Edit), static_cast<QWidget*>(Combo),
          static_cast<QWidget*>(ColorCombo), static_cast<QWidget*>(Spin),
          static_cast<QWidget*>(EditBtn), static_cast<QWidget*>(DateTimePicker)}) {
        if (watched == editor || editor->isAncestorOf(qobject_cast<QWidget*>(watched))) {
            return editor;
        }
    }
    return nullptr;
}

bool TShelfBarEditors::eventFilter(QObject* watched, QEvent* e) {
    if (closing_) {
        return false;
    }
    QWidget* editor = EditorOf(watched);
    if (!editor) {
        return false;
    }
    TShelfItem* item = bar_.EditedItem();
    switch (e->type()) {
    case QEvent::KeyPress: {
        const int key = static_cast<QKeyEvent*>(e)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            bar_.NextEdit(item, VK_RETURN);
            return true;
        }
        if (key == Qt::Key_Escape) {
            Restore(editor);
            return true;
        }
        // The combos and the spin edit step with Up and Down themselves.
        const bool passesArrows = editor == Edit || editor == EditBtn || editor == DateTimePicker;
        if ((key == Qt::Key_Up || key == Qt::Key_Down) && passesArrows) {
            bar_.NextEdit(item, key == Qt::Key_Up ? VK_UP : VK_DOWN);
            return true;
        }
        return false;
    }
    case QEvent::MouseButtonDblClick:
        bar_.EditDblClick();
        return false;
    case QEvent::FocusOut: {
        // A popup of the editor's own, or another window, does not end the edit.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(e)->reason();
        if (reason == Qt::PopupFocusReason || reason == Qt::ActiveWindowFocusReason) {
            return false;
        }
        QWidget* now = QApplication::focusWidget();
        if (now && (now == editor || editor->isAncestorOf(now))) {
            return false;
        }
        if (bar_.IsEditing() && item) {
            bar_.StopEdit(item);
        }
        return false;
    }
    default:
        return false;
    }
}
