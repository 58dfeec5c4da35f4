#include "controls/ShelfBarPanels.h"

#include "controls/ShelfBar.h"

#include <cstdio>

namespace {

std::string ColorText(TColor color) {
    if (std::optional<std::string> name = ColorToName(color)) {
        return *name;
    }
    char text[16];
    std::snprintf(text, sizeof text, "$%08X", static_cast<uint32_t>(color));
    return text;
}

} // namespace

// ---- TShelfItem

TShelfItem::TShelfItem(TShelfItems* collection) : collection_(collection) {
    fontValue_.OnChange = [this] { Changed(); };
    background_.OnChange = [this] { Changed(); };
}

TShelfItem::~TShelfItem() {
    if (TShelfBar* bar = GetShelfBar()) {
        bar->ItemDestroying(this);
    }
    if (editLink_) {
        editLink_->DestroyEditor();
    }
}

int TShelfItem::Index() const {
    return collection_ ? collection_->IndexOf(this) : -1;
}

TShelfPanel* TShelfItem::GetShelfPanel() const {
    return collection_ ? collection_->GetOwner() : nullptr;
}

TShelfBar* TShelfItem::GetShelfBar() const {
    TShelfPanel* panel = GetShelfPanel();
    return panel ? panel->GetShelfBar() : nullptr;
}

std::string TShelfItem::GetDisplayName() const {
    return caption_.empty() ? "TShelfItem" + std::to_string(Index()) : caption_;
}

void TShelfItem::Changed() {
    if (collection_) {
        collection_->Update(this);
    }
}

void TShelfItem::Assign(const TShelfItem& source) {
    if (&source == this) {
        return;
    }
    caption_ = source.caption_;
    icon_.reset();
    if (source.icon_) {
        Icon().Assign(*source.icon_);
    }
    intValue_ = source.intValue_;
    textValue_ = source.textValue_;
    editMask_ = source.editMask_;
    values_ = source.values_;
    propertyType_ = source.propertyType_;
    boolValue_ = source.boolValue_;
    hint_ = source.hint_;
    imageIndex_ = source.imageIndex_;
    tag_ = source.tag_;
    readOnly_ = source.readOnly_;
    dateTimeValue_ = source.dateTimeValue_;
    dateValue_ = source.dateValue_;
    autoIcon_ = source.autoIcon_;
    url_ = source.url_;
    colorValue_ = source.colorValue_;
    spinMax_ = source.spinMax_;
    spinMin_ = source.spinMin_;
    autoIconIndex_ = source.autoIconIndex_;
    backgroundPosition_ = source.backgroundPosition_;
    fontValue_.Assign(source.fontValue_);
    background_.Assign(source.background_);
}

void TShelfItem::SetCaption(const std::string& value) {
    Set(caption_, value);
}

TIcon& TShelfItem::Icon() {
    if (!icon_) {
        icon_ = std::make_unique<TIcon>();
    }
    return *icon_;
}

void TShelfItem::SetIcon(const TIcon* value) {
    if (!value) {
        icon_.reset();
    } else {
        Icon().Assign(*value);
    }
    Changed();
}

void TShelfItem::SetIntValue(int value) {
    intValue_ = value;
    Set(textValue_, std::to_string(value));
}

void TShelfItem::SetTextValue(const std::string& value) {
    Set(textValue_, value);
}

void TShelfItem::SetEditMask(const std::string& value) {
    Set(editMask_, value);
}

void TShelfItem::SetPropertyType(TPropertyType value) {
    Set(propertyType_, value);
}

void TShelfItem::SetBoolValue(bool value) {
    Set(boolValue_, value);
}

void TShelfItem::SetHint(const std::string& value) {
    Set(hint_, value);
}

void TShelfItem::SetImageIndex(int value) {
    Set(imageIndex_, value);
}

void TShelfItem::SetReadOnly(bool value) {
    Set(readOnly_, value);
}

void TShelfItem::SetDateTimeValue(TDateTime value) {
    dateTimeValue_ = value;
    Set(textValue_, DateToStr(value) + " " + TimeToStr(value));
}

void TShelfItem::SetDateValue(TDateTime value) {
    dateValue_ = value;
    Set(textValue_, DateToStr(value));
}

void TShelfItem::SetTimeValue(TDateTime value) {
    dateValue_ = value;
    Set(textValue_, TimeToStr(value));
}

void TShelfItem::SetAutoIcon(bool value) {
    Set(autoIcon_, value);
}

void TShelfItem::SetURL(const std::string& value) {
    Set(url_, value);
}

void TShelfItem::SetColorValue(TColor value) {
    colorValue_ = value;
    Set(textValue_, ColorText(value));
}

void TShelfItem::SetFontValue(const TFont& value) {
    // One repaint for the value and its text.
    TChangeEvent notify = std::move(fontValue_.OnChange);
    fontValue_.Assign(value);
    fontValue_.OnChange = std::move(notify);
    Set(textValue_, fontValue_.Name());
}

void TShelfItem::SetSpinMax(int value) {
    Set(spinMax_, value);
}

void TShelfItem::SetSpinMin(int value) {
    Set(spinMin_, value);
}

void TShelfItem::SetAutoIconIndex(int value) {
    Set(autoIconIndex_, value);
}

void TShelfItem::SetBackground(const TShelfImage& value) {
    background_.Assign(value);
}

void TShelfItem::SetBackgroundPos(TShelfBackgroundPos value) {
    Set(backgroundPosition_, value);
}

void TShelfItem::SetDown(bool value) {
    Set(down_, value);
}

// ---- TShelfItems

TShelfItems::~TShelfItems() {
    while (!items_.empty()) {
        Remove(Count() - 1);
    }
}

std::unique_ptr<TShelfItem> TShelfItems::CreateItemClass() {
    return std::make_unique<TShelfItem>(this);
}

TShelfItem& TShelfItems::Add() {
    return Insert(Count());
}

TShelfItem& TShelfItems::Insert(int index) {
    TShelfItem& item = InsertNew(index, CreateItemClass());
    Update(nullptr);
    return item;
}

void TShelfItems::Delete(int index) {
    GetItem(index);
    Remove(index);
    CountDropped();
}

void TShelfItems::Clear() {
    while (!items_.empty()) {
        Remove(Count() - 1);
    }
    CountDropped();
}

void TShelfItems::CountDropped() {
    if (owner_) {
        owner_->ClampTopItem();
    }
    Update(nullptr);
}

void TShelfItems::Assign(const TShelfItems& source) {
    if (&source == this) {
        return;
    }
    while (!items_.empty()) {
        Remove(Count() - 1);
    }
    for (int i = 0; i < source.Count(); ++i) {
        InsertNew(Count(), CreateItemClass()).Assign(source[i]);
    }
    CountDropped();
}

void TShelfItems::Update(TShelfItem* item) {
    TShelfBar* bar = owner_ ? owner_->GetShelfBar() : nullptr;
    if (!bar) {
        return;
    }
    if (item) {
        bar->InvalidateItem(owner_, item);
    } else {
        bar->InvalidateBar();
    }
}

// ---- TShelfPanel

TShelfPanel::TShelfPanel(TShelfPanels* collection)
    : collection_(collection), items_(std::make_unique<TShelfItems>(this)) {
    font_.OnChange = [this] { Changed(); };
    splitter_.OnChange = [this] { Changed(); };
}

TShelfPanel::~TShelfPanel() {
    items_.reset();
}

std::unique_ptr<TShelfItems> TShelfPanel::CreateItems() {
    return std::make_unique<TShelfItems>(this);
}

int TShelfPanel::Index() const {
    return collection_ ? collection_->IndexOf(this) : -1;
}

TShelfBar* TShelfPanel::GetShelfBar() const {
    return collection_ ? collection_->GetOwner() : nullptr;
}

std::string TShelfPanel::GetDisplayName() const {
    return caption_.empty() ? "TShelfPanel" + std::to_string(Index()) : caption_;
}

void TShelfPanel::Changed() {
    if (collection_) {
        collection_->Update(this);
    }
}

void TShelfPanel::Assign(const TShelfPanel& source) {
    if (&source == this) {
        return;
    }
    items_->Assign(*source.items_);
    topItem_ = source.topItem_;
    caption_ = source.caption_;
    color_ = source.color_;
    style_ = source.style_;
    itemHeight_ = source.itemHeight_;
    gradientStart_ = source.gradientStart_;
    gradientEnd_ = source.gradientEnd_;
    background_ = source.background_;
    gradientDirection_ = source.gradientDirection_;
    gradientSteps_ = source.gradientSteps_;
    gridLines_ = source.gridLines_;
    gridLineColor_ = source.gridLineColor_;
    captionWidth_ = source.captionWidth_;
    wordWrap_ = source.wordWrap_;
    texture_ = source.texture_;
    editBox_ = source.editBox_;
    editColor_ = source.editColor_;
    hint_ = source.hint_;
    imageIndex_ = source.imageIndex_;
    tag_ = source.tag_;
    editFontColor_ = source.editFontColor_;
    allowResize_ = source.allowResize_;
    hoverIconDownColor_ = source.hoverIconDownColor_;
    hoverIconColor_ = source.hoverIconColor_;
    hoverCaption_ = source.hoverCaption_;
    buttonDownColor_ = source.buttonDownColor_;
    alignment_ = source.alignment_;
    indent_ = source.indent_;
    ClampTopItem();
    font_.Assign(source.font_);
    splitter_.Assign(source.splitter_);
}

void TShelfPanel::SetShelfItems(const TShelfItems& value) {
    items_->Assign(value);
}

void TShelfPanel::SetTopItem(int value) {
    if (value >= 0 && value < items_->Count()) {
        topItem_ = value;
    }
    Changed();
}

void TShelfPanel::ClampTopItem() {
    topItem_ = std::clamp(topItem_, 0, std::max(0, items_->Count() - 1));
}

void TShelfPanel::SetCaption(const std::string& value) {
    Set(caption_, value);
}

void TShelfPanel::SetColor(TColor value) {
    Set(color_, value);
}

void TShelfPanel::SetFont(const TFont& value) {
    font_.Assign(value);
}

void TShelfPanel::SetOpen(bool value) {
    open_ = value;
    if (TShelfBar* bar = GetShelfBar()) {
        bar->ArrangeOpenClose();
        bar->Invalidate();
    }
}

void TShelfPanel::SetStyle(TPanelStyle value) {
    Set(style_, value);
}

void TShelfPanel::SetItemHeight(int value) {
    if (value > 0) {
        itemHeight_ = value;
    }
    Changed();
}

void TShelfPanel::SetGradientStart(TColor value) {
    Set(gradientStart_, value);
}

void TShelfPanel::SetGradientEnd(TColor value) {
    Set(gradientEnd_, value);
}

void TShelfPanel::SetBackground(TPanelBackground value) {
    Set(background_, value);
}

void TShelfPanel::SetGradientDirection(TGradientDirection value) {
    Set(gradientDirection_, value);
}

void TShelfPanel::SetGradientSteps(int value) {
    Set(gradientSteps_, value);
}

void TShelfPanel::SetGridLines(bool value) {
    Set(gridLines_, value);
}

void TShelfPanel::SetGridLineColor(TColor value) {
    Set(gridLineColor_, value);
}

void TShelfPanel::SetCaptionWidth(int value) {
    Set(captionWidth_, value);
}

void TShelfPanel::SetWordWrap(bool value) {
    Set(wordWrap_, value);
}

void TShelfPanel::SetTexture(const TBitmap& value) {
    texture_ = value;
    Changed();
}

void TShelfPanel::SetEditBox(bool value) {
    Set(editBox_, value);
}

void TShelfPanel::SetEditColor(TColor value) {
    Set(editColor_, value);
}

void TShelfPanel::SetHint(const std::string& value) {
    Set(hint_, value);
}

void TShelfPanel::SetImageIndex(int value) {
    Set(imageIndex_, value);
}

void TShelfPanel::SetTag(int value) {
    Set(tag_, value);
}

void TShelfPanel::SetEditFontColor(TColor value) {
    Set(editFontColor_, value);
}

void TShelfPanel::SetAllowResize(bool value) {
    Set(allowResize_, value);
}

void TShelfPanel::SetHoverIconDownColor(TColor value) {
    Set(hoverIconDownColor_, value);
}

void TShelfPanel::SetHoverIconColor(TColor value) {
    Set(hoverIconColor_, value);
}

void TShelfPanel::SetHoverCaption(bool value) {
    Set(hoverCaption_, value);
}

void TShelfPanel::SetSplitter(const TShelfImage& value) {
    splitter_.Assign(value);
}

void TShelfPanel::SetButtonDownColor(TColor value) {
    Set(buttonDownColor_, value);
}

void TShelfPanel::SetAlignment(TAlignment value) {
    Set(alignment_, value);
}

void TShelfPanel::SetIndent(int value) {
    Set(indent_, value);
}

void TShelfPanel::SetControl(QWidget* value) {
    TShelfBar* bar = GetShelfBar();
    if (value && collection_) {
        for (int i = 0; i < collection_->Count(); ++i) {
            const TShelfPanel& other = (*collection_)[i];
            if (&other != this && other.Control() == value) {
                throw Exception("Control already assigned to another panel");
            }
        }
    }
    control_ = value;
    hosting_ = value != nullptr;
    if (bar) {
        if (value) {
            bar->WatchControl(value);
        }
        bar->ArrangeControls();
    }
    Changed();
}

// ---- TShelfPanels

TShelfPanels::~TShelfPanels() {
    // The bar is going away with its panels: they no longer report to it.
    owner_ = nullptr;
    while (!items_.empty()) {
        Remove(Count() - 1);
    }
}

std::unique_ptr<TShelfPanel> TShelfPanels::CreateItemClass() {
    return std::make_unique<TShelfPanel>(this);
}

TShelfPanel& TShelfPanels::Add() {
    return Insert(Count());
}

TShelfPanel& TShelfPanels::Insert(int index) {
    return InsertNew(index, CreateItemClass());
}

void TShelfPanels::Delete(int index) {
    GetItem(index);
    if (owner_) {
        owner_->PanelDeleting(index);
    }
    Remove(index);
    if (owner_) {
        owner_->PanelsRemoved();
    }
}

void TShelfPanels::Clear() {
    while (!items_.empty()) {
        Delete(Count() - 1);
    }
}

void TShelfPanels::Assign(const TShelfPanels& source) {
    if (&source == this) {
        return;
    }
    Clear();
    for (int i = 0; i < source.Count(); ++i) {
        InsertNew(Count(), CreateItemClass()).Assign(source[i]);
    }
    Update(nullptr);
}

void TShelfPanels::Update(TShelfPanel*) {
    if (owner_) {
        owner_->InvalidateBar();
    }
}
