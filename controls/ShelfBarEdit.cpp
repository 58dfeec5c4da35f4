// In-place editing of the side bar's property rows.

#include "controls/ShelfBar.h"
#include "controls/ShelfBarEditors.h"

#include <QColorDialog>
#include <QFontDialog>

#include <cmath>

namespace {

QFont QFontOf(const TFont& font) {
    QFont out(QString::fromStdString(font.Name()));
    if (font.Height() < 0) {
        out.setPixelSize(-font.Height());
    } else {
        out.setPointSize(std::max(1, font.Size()));
    }
    out.setBold(font.Style().Contains(TFontStyle::fsBold));
    out.setItalic(font.Style().Contains(TFontStyle::fsItalic));
    out.setUnderline(font.Style().Contains(TFontStyle::fsUnderline));
    out.setStrikeOut(font.Style().Contains(TFontStyle::fsStrikeOut));
    return out;
}

bool AskColor(TShelfBar& owner, TColor& color) {
    QColor chosen = QColorDialog::getColor(QColorOf(color), &owner);
    if (!chosen.isValid()) {
        return false;
    }
    color = RGB(chosen.red(), chosen.green(), chosen.blue());
    return true;
}

bool AskFont(TShelfBar& owner, TFont& font) {
    bool ok = false;
    QFont chosen = QFontDialog::getFont(&ok, QFontOf(font), &owner);
    if (!ok) {
        return false;
    }
    font.SetName(chosen.family().toStdString());
    if (chosen.pointSize() > 0) {
        font.SetSize(chosen.pointSize());
    }
    TFontStyles style;
    if (chosen.bold()) {
        style.Include(TFontStyle::fsBold);
    }
    if (chosen.italic()) {
        style.Include(TFontStyle::fsItalic);
    }
    if (chosen.underline()) {
        style.Include(TFontStyle::fsUnderline);
    }
    if (chosen.strikeOut()) {
        style.Include(TFontStyle::fsStrikeOut);
    }
    font.SetStyle(style);
    return true;
}

TRect Shrunk(const TRect& r, int dx, int dy) {
    return Rect(r.Left + dx, r.Top + dy, r.Right - dx, r.Bottom - dy);
}

// Hides, colours and places an editor for `panel`'s row at `r`.
void PlaceEditor(QWidget* editor, const TShelfPanel& panel, const TRect& r) {
    editor->hide();
    QPalette p = editor->palette();
    p.setColor(QPalette::Base, QColorOf(panel.EditColor()));
    p.setColor(QPalette::Text, QColorOf(panel.EditFontColor()));
    editor->setPalette(p);
    editor->setGeometry(r.Left, r.Top, std::max(0, r.Right - r.Left),
                        std::max(0, r.Bottom - r.Top));
    editor->setFont(QFontOf(panel.Font()));
}

void ShowEditor(QWidget* editor) {
    editor->show();
    editor->raise();
    editor->setFocus(Qt::OtherFocusReason);
}

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The date or time an item's text stands for, or its DateValue when the text is none.
TDateTime ItemDateTime(const TShelfItem& item) {
    TDateTime value = 0;
    const bool time = item.PropertyType() == TPropertyType::ptTime;
    if (!item.TextValue().empty() &&
        (time ? TryStrToTime(item.TextValue(), value) : TryStrToDate(item.TextValue(), value))) {
        return value;
    }
    return item.DateValue();
}

} // namespace

TShelfBarEditors& TShelfBar::Editors() {
    if (!editors_) {
        editors_ = std::make_unique<TShelfBarEditors>(*this);
    }
    return *editors_;
}

void TShelfBar::GetValueList(TShelfItem* item, std::vector<std::string>& values) {
    if (OnGetValueList) {
        OnGetValueList(*this, item, values);
    }
}

void TShelfBar::StartEdit(TShelfItem* item) {
    if (!item || item->ReadOnly()) {
        return;
    }
    TShelfPanel* panel = item->GetShelfPanel();
    if (!panel) {
        return;
    }
    if (editedItem_) {
        StopEdit(editedItem_);
    }
    if (OnEditStart) {
        OnEditStart(*this, panel, item);
    }
    const TPropertyType type = item->PropertyType();
    // A custom row without its editor has nothing to edit with: the edit before it is over and
    // the start is told, but the row is not marked or left half started.
    if (type == TPropertyType::ptCustom && !item->EditLink()) {
        return;
    }
    editedItem_ = item;
    TRect r = GetItemRect(panel, item);
    item->SetEditing(true);
    if (mode_ == TShelfBarMode::imSinglePanelActive && (scrollUp_ || scrollDown_)) {
        r.Right -= 20;
    }
    r.Left = panel->CaptionWidth();
    r = Shrunk(r, 2, 1);
    mouseDown_ = false;
    item->EditStart();
    if (panel->EditBox()) {
        r = Shrunk(r, 5, 2);
        r.Top += 1;
        r.Bottom += 1;
    }
    editorKind_ = 3;
    TShelfBarEditors& ed = Editors();
    QWidget* editor = ed.EditorFor(type);
    if (editor) {
        PlaceEditor(editor, *panel, r);
    }
    const QString text = Q(item->TextValue());
    // The combos blend their outer frame into the row around them.
    ed.Combo->SetBkColor(panel->Color());
    ed.ColorCombo->SetBkColor(panel->Color());
    switch (type) {
    case TPropertyType::ptInteger:
    case TPropertyType::ptFloat:
    case TPropertyType::ptText:
        ed.Edit->ShelfItem = item;
        ed.Edit->ShelfEditType = type == TPropertyType::ptInteger ? TShelfEditType::ieInteger
                                 : type == TPropertyType::ptFloat ? TShelfEditType::ieFloat
                                                                  : TShelfEditType::ieText;
        ed.Edit->SetEditMask(item->EditMask());
        ed.Edit->setText(text);
        ed.Edit->setTextMargins(2, 1, 0, 0);
        ed.Edit->OrigValue = item->TextValue();
        ed.Edit->selectAll();
        break;
    case TPropertyType::ptColor:
        ed.ColorCombo->ShelfItem = item;
        ed.ColorCombo->SetColorValue(item->ColorValue());
        ed.ColorCombo->OrigValue = item->ColorValue();
        editorKind_ = 4;
        break;
    case TPropertyType::ptFont:
        ed.EditBtn->ShelfItem = item;
        ed.EditBtn->setText(Q(item->FontValue().Name()));
        ed.EditBtn->OrigValue = item->TextValue();
        ed.EditBtn->SetEditorEnabled(false);
        ed.EditBtn->selectAll();
        editorKind_ = 2;
        break;
    case TPropertyType::ptBoolean:
        item->EditChange();
        item->SetBoolValue(!item->BoolValue());
        editing_ = true;
        UpdateEdit();
        StopEdit(item);
        if (TabStop()) {
            SetFocus();
        }
        break;
    case TPropertyType::ptValues: {
        ed.Combo->ShelfItem = item;
        std::vector<std::string> values = item->Values();
        GetValueList(item, values);
        ed.Combo->clear();
        for (const std::string& v : values) {
            ed.Combo->addItem(Q(v));
        }
        ed.Combo->setEditText(text);
        ed.Combo->OrigValue = item->TextValue();
        editorKind_ = 0;
        break;
    }
    case TPropertyType::ptIntSpin:
        ed.Spin->ShelfItem = item;
        ed.Spin->setText(text);
        ed.Spin->SetMinValue(item->SpinMin());
        ed.Spin->SetMaxValue(item->SpinMax());
        ed.Spin->OrigValue = item->TextValue();
        ed.Spin->selectAll();
        break;
    case TPropertyType::ptTextButton:
    case TPropertyType::ptPropButton:
        ed.EditBtn->ShelfItem = item;
        ed.EditBtn->setText(text);
        ed.EditBtn->OrigValue = item->TextValue();
        ed.EditBtn->SetEditorEnabled(type == TPropertyType::ptTextButton);
        ed.EditBtn->selectAll();
        editorKind_ = 2;
        break;
    case TPropertyType::ptDate:
    case TPropertyType::ptTime:
        ed.DateTimePicker->ShelfItem = item;
        ed.DateTimePicker->SetKind(type == TPropertyType::ptDate ? TDateTimeKind::dtkDate
                                                                 : TDateTimeKind::dtkTime);
        // A text that is not a date or time starts from DateValue.
        ed.DateTimePicker->SetDateTime(ItemDateTime(*item));
        ed.DateTimePicker->OrigValue = item->DateValue();
        editorKind_ = 1;
        break;
    case TPropertyType::ptCustom: {
        TShelfEditLink* link = item->EditLink();
        link->SetShelfBar(this);
        if (link->EditStyle == TShelfEditStyle::esInplace) {
            link->CreateEditor(this);
        } else {
            link->OpenPopup(ClientToScreen({r.Left, r.Bottom}));
        }
        link->SetProperties(r, item);
        link->StartEdit(item);
        break;
    }
    }
    if (editor) {
        ShowEditor(editor);
    }
    // A check box has been flipped and its edit is over already.
    if (type != TPropertyType::ptBoolean) {
        editing_ = true;
    }
}

void TShelfBar::UpdateEdit() {
    TShelfItem* item = editedItem_;
    if (!item || !editors_) {
        if (item && OnEditUpdate) {
            OnEditUpdate(*this, item->GetShelfPanel(), item);
        }
        return;
    }
    TShelfBarEditors& ed = *editors_;
    switch (item->PropertyType()) {
    case TPropertyType::ptInteger:
    case TPropertyType::ptFloat:
    case TPropertyType::ptText: {
        const std::string text = ed.Edit->text().toStdString();
        if (item->PropertyType() == TPropertyType::ptInteger) {
            // The number is kept with its text, so IntValue never lags behind.
            char* end = nullptr;
            long value = std::strtol(text.c_str(), &end, 10);
            if (!text.empty() && *end == '\0' && value >= INT32_MIN && value <= INT32_MAX) {
                item->SetIntValue(static_cast<int>(value));
            }
        }
        item->SetTextValue(text);
        ed.Edit->selectAll();
        ed.Edit->OrigValue = text;
        break;
    }
    case TPropertyType::ptColor:
        item->SetColorValue(ed.ColorCombo->ColorValue());
        ed.ColorCombo->OrigValue = ed.ColorCombo->ColorValue();
        break;
    case TPropertyType::ptValues:
        item->SetTextValue(ed.Combo->currentText().toStdString());
        if (ed.Combo->lineEdit()) {
            ed.Combo->lineEdit()->selectAll();
        }
        ed.Combo->OrigValue = item->TextValue();
        break;
    case TPropertyType::ptIntSpin:
        item->SetIntValue(ed.Spin->Value());
        ed.Spin->selectAll();
        ed.Spin->OrigValue = ed.Spin->Text();
        break;
    case TPropertyType::ptTextButton:
        item->SetTextValue(ed.EditBtn->text().toStdString());
        ed.EditBtn->selectAll();
        ed.EditBtn->OrigValue = item->TextValue();
        break;
    case TPropertyType::ptDate:
        item->SetDateValue(std::floor(ed.DateTimePicker->DateTime()));
        ed.DateTimePicker->OrigValue = ed.DateTimePicker->DateTime();
        break;
    case TPropertyType::ptTime: {
        TDateTime value = ed.DateTimePicker->DateTime();
        item->SetTimeValue(value - std::floor(value));
        ed.DateTimePicker->OrigValue = value;
        break;
    }
    default:
        break;
    }
    if (OnEditUpdate) {
        OnEditUpdate(*this, item->GetShelfPanel(), item);
    }
}

void TShelfBar::StopEdit(TShelfItem* item) {
    if (!editing_) {
        return;
    }
    if (!item) {
        item = editedItem_;
    }
    UpdateEdit();
    editing_ = false;
    if (!item) {
        return;
    }
    item->SetEditing(false);
    if (item->PropertyType() == TPropertyType::ptCustom) {
        if (TShelfEditLink* link = item->EditLink()) {
            link->StopEdit(item);
            link->ClosePopup();
        }
    } else if (editors_) {
        if (QWidget* editor = editors_->EditorFor(item->PropertyType())) {
            editor->hide();
        }
    }
    if (OnEditStop) {
        OnEditStop(*this, item->GetShelfPanel(), item);
    }
    item->EditStop();
}

void TShelfBar::NextEdit(TShelfItem* item, uint16_t key) {
    if (!item || !item->GetShelfPanel()) {
        return;
    }
    if (key == VK_RETURN && !autoAdvance_) {
        UpdateEdit();
        return;
    }
    TShelfItems& items = item->GetShelfPanel()->Items();
    const int index = item->Index();
    const bool forward = key == VK_RETURN || key == VK_DOWN;
    const int target = forward ? index + 1 : index - 1;
    if (target < 0 || target >= items.Count()) {
        // Enter on the last row still commits what was typed.
        if (key == VK_RETURN) {
            UpdateEdit();
        }
        return;
    }
    TShelfItem& next = items[target];
    StopEdit(editedItem_);
    // StartEdit flips a check box; flipping it first leaves its value as it was. A read-only
    // one is not started, so it is not touched.
    if (next.PropertyType() == TPropertyType::ptBoolean && !next.ReadOnly()) {
        next.SetBoolValue(!next.BoolValue());
    }
    StartEdit(&next);
}

void TShelfBar::EditDblClick() {
    if (!OnEditDblClick || !editedItem_) {
        return;
    }
    TShelfItem* item = editedItem_;
    StopEdit(item);
    OnEditDblClick(*this, item->GetShelfPanel(), item);
    StartEdit(item);
}

void TShelfBar::EditChanged() {
    if (editing_ && editedItem_) {
        editedItem_->EditChange();
    }
}

void TShelfBar::ComboChanged() {
    TShelfItem* item = editedItem_;
    if (!item || !editors_ ||
        editors_->ColorCombo->currentIndex() != TShelfColorComboBox::CustomIndex) {
        return;
    }
    TColor color = item->ColorValue();
    const bool chosen = ColorDialog ? ColorDialog(*this, color) : AskColor(*this, color);
    // Cancelled, the combo goes back to the item's colour, so that stopping keeps it.
    editors_->ColorCombo->SetColorValue(chosen ? color : item->ColorValue());
    if (chosen) {
        item->SetColorValue(color);
    }
    StopEdit(item);
}

void TShelfBar::EditBtnClick() {
    mouseDown_ = false;
    TShelfItem* item = editedItem_;
    if (!item) {
        return;
    }
    if (item->PropertyType() == TPropertyType::ptFont) {
        TFont font = item->FontValue();
        const bool chosen = FontDialog ? FontDialog(*this, font) : AskFont(*this, font);
        if (chosen) {
            item->SetFontValue(font);
            Editors().EditBtn->setText(Q(font.Name()));
            StopEdit(item);
        }
    } else if (OnEditBtnClick) {
        StopEdit(item);
        OnEditBtnClick(*this, item->GetShelfPanel(), item);
        StartEdit(item);
    }
}
