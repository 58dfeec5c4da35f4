#pragma once

// The side bar's model: panels, each with a caption and either a list of items or one hosted
// control, and the items with their typed values. Every typed setter writes the text the bar
// shows (TextValue). A change reaches the bar as a repaint of one row (an item) or of the
// whole bar (a panel).

#include "controls/ShelfBarEditLink.h"
#include "controls/ShelfImg.h"
#include "platform/base/DateTime.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Font.h"
#include "platform/graphics/Icon.h"
#include "platform/widgets/Alignment.h"

#include <QPointer>
#include <QWidget>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

class TShelfBar;
class TShelfItems;
class TShelfPanel;
class TShelfPanels;

enum class TPropertyType {
    ptInteger,
    ptFloat,
    ptText,
    ptColor,
    ptFont,
    ptBoolean,
    ptValues,
    ptIntSpin,
    ptTextButton,
    ptPropButton,
    ptDate,
    ptTime,
    ptCustom
};

enum class TShelfBackgroundPos { bpTopLeft, bpBottomLeft, bpTopRight, bpBottomRight };
enum class TPanelStyle { psLargeIcon, psSmallIcon, psProperties, psButtons };
enum class TPanelBackground { pbSolid, pbGradient, pbTexture };
enum class TGradientDirection { gdVertical, gdHorizontal };

class TShelfItem {
public:
    explicit TShelfItem(TShelfItems* collection);
    virtual ~TShelfItem();
    TShelfItem(const TShelfItem&) = delete;
    TShelfItem& operator=(const TShelfItem&) = delete;

    int Index() const;
    TShelfItems* Collection() const { return collection_; }
    TShelfPanel* GetShelfPanel() const;
    TShelfBar* GetShelfBar() const;
    // The caption, or "TShelfItem" and the index.
    virtual std::string GetDisplayName() const;
    // Copies every property (the edit link and the pressed state stay).
    void Assign(const TShelfItem& source);
    // Repaints the item's row.
    void Changed();

    // Hooks the bar calls when in-place editing of the item starts, stops and changes it.
    virtual void EditStart() {}
    virtual void EditStop() {}
    virtual void EditChange() {}

    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    // Made empty on first use.
    TIcon& Icon();
    bool HasIcon() const { return icon_ != nullptr; }
    // Null frees the icon.
    void SetIcon(const TIcon* value);
    int IntValue() const { return intValue_; }
    void SetIntValue(int value);
    const std::string& TextValue() const { return textValue_; }
    void SetTextValue(const std::string& value);
    const std::string& EditMask() const { return editMask_; }
    void SetEditMask(const std::string& value);
    const std::vector<std::string>& Values() const { return values_; }
    // Copies the list; no repaint.
    void SetValues(const std::vector<std::string>& value) { values_ = value; }
    TPropertyType PropertyType() const { return propertyType_; }
    void SetPropertyType(TPropertyType value);
    bool BoolValue() const { return boolValue_; }
    void SetBoolValue(bool value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int Tag() const { return tag_; }
    void SetTag(int value) { tag_ = value; }
    bool ReadOnly() const { return readOnly_; }
    void SetReadOnly(bool value);
    TDateTime DateTimeValue() const { return dateTimeValue_; }
    void SetDateTimeValue(TDateTime value);
    // Date and time share one value.
    TDateTime DateValue() const { return dateValue_; }
    void SetDateValue(TDateTime value);
    TDateTime TimeValue() const { return dateValue_; }
    void SetTimeValue(TDateTime value);
    bool AutoIcon() const { return autoIcon_; }
    void SetAutoIcon(bool value);
    const std::string& URL() const { return url_; }
    void SetURL(const std::string& value);
    TColor ColorValue() const { return colorValue_; }
    void SetColorValue(TColor value);
    const TFont& FontValue() const { return fontValue_; }
    void SetFontValue(const TFont& value);
    int SpinMax() const { return spinMax_; }
    void SetSpinMax(int value);
    int SpinMin() const { return spinMin_; }
    void SetSpinMin(int value);
    int AutoIconIndex() const { return autoIconIndex_; }
    void SetAutoIconIndex(int value);
    const TShelfImage& Background() const { return background_; }
    void SetBackground(const TShelfImage& value);
    TShelfBackgroundPos BackgroundPosition() const { return backgroundPosition_; }
    void SetBackgroundPos(TShelfBackgroundPos value);
    // Not owned.
    TShelfEditLink* EditLink() const { return editLink_; }
    void SetEditLink(TShelfEditLink* value) { editLink_ = value; }
    bool Down() const { return down_; }
    void SetDown(bool value);
    bool IsEditing() const { return editing_; }
    void SetEditing(bool value) { editing_ = value; }

private:
    template <typename T> void Set(T& field, const T& value) {
        field = value;
        Changed();
    }

    TShelfItems* collection_;
    std::string caption_;
    std::unique_ptr<TIcon> icon_;
    int intValue_ = 0;
    std::string textValue_;
    std::string editMask_;
    std::vector<std::string> values_;
    TPropertyType propertyType_ = TPropertyType::ptInteger;
    bool boolValue_ = false;
    std::string hint_;
    int imageIndex_ = -1;
    int tag_ = 0;
    bool readOnly_ = false;
    TDateTime dateTimeValue_ = 0;
    TDateTime dateValue_ = 0;
    bool autoIcon_ = false;
    std::string url_;
    TColor colorValue_ = clBlack;
    TFont fontValue_;
    int spinMax_ = 100;
    int spinMin_ = 0;
    int autoIconIndex_ = 0;
    TShelfImage background_;
    TShelfBackgroundPos backgroundPosition_ = TShelfBackgroundPos::bpBottomRight;
    TShelfEditLink* editLink_ = nullptr;
    bool down_ = false;
    bool editing_ = false;
};

// The owned collections of panels and items share their bookkeeping.
template <typename Owner, typename Item> class TShelfCollection {
public:
    explicit TShelfCollection(Owner* owner) : owner_(owner) {}
    virtual ~TShelfCollection() = default;
    TShelfCollection(const TShelfCollection&) = delete;
    TShelfCollection& operator=(const TShelfCollection&) = delete;

    Owner* GetOwner() const { return owner_; }
    int Count() const { return static_cast<int>(items_.size()); }
    Item& GetItem(int index) const { return *items_.at(static_cast<size_t>(index)); }
    Item& operator[](int index) const { return GetItem(index); }
    // Copies `value` into the entry at `index`.
    void SetItem(int index, const Item& value) { GetItem(index).Assign(value); }
    int IndexOf(const Item* item) const {
        for (size_t i = 0; i < items_.size(); ++i) {
            if (items_[i].get() == item) {
                return static_cast<int>(i);
            }
        }
        return -1;
    }

protected:
    Item& InsertNew(int index, std::unique_ptr<Item> item) {
        index = std::clamp(index, 0, Count());
        items_.insert(items_.begin() + index, std::move(item));
        return *items_[static_cast<size_t>(index)];
    }
    // Destroys the entry before it leaves the list.
    void Remove(int index) {
        auto it = items_.begin() + index;
        std::unique_ptr<Item> gone = std::move(*it);
        gone.reset();
        items_.erase(items_.begin() + index);
    }

    Owner* owner_;
    std::vector<std::unique_ptr<Item>> items_;
};

class TShelfItems : public TShelfCollection<TShelfPanel, TShelfItem> {
public:
    using TShelfCollection::TShelfCollection;
    ~TShelfItems() override;

    // Each adds an item and repaints the bar.
    TShelfItem& Add();
    TShelfItem& Insert(int index);
    void Delete(int index);
    void Clear();
    // Copies every item of `source` (as many as it has).
    void Assign(const TShelfItems& source);
    // One item's row repainted, or (null) the whole bar.
    virtual void Update(TShelfItem* item);
    virtual std::unique_ptr<TShelfItem> CreateItemClass();

private:
    void CountDropped();
};

class TShelfPanel {
public:
    explicit TShelfPanel(TShelfPanels* collection);
    virtual ~TShelfPanel();
    TShelfPanel(const TShelfPanel&) = delete;
    TShelfPanel& operator=(const TShelfPanel&) = delete;

    int Index() const;
    TShelfPanels* Collection() const { return collection_; }
    TShelfBar* GetShelfBar() const;
    // The caption, or "TShelfPanel" and the index.
    virtual std::string GetDisplayName() const;
    // Copies every property and the items; not the hosted control or the open state.
    void Assign(const TShelfPanel& source);
    // Repaints the bar.
    void Changed();

    TShelfItems& Items() { return *items_; }
    const TShelfItems& Items() const { return *items_; }
    void SetShelfItems(const TShelfItems& value);
    int TopItem() const { return topItem_; }
    // Only an index of an item is taken.
    void SetTopItem(int value);
    // Keeps TopItem on an item after the list shrank.
    void ClampTopItem();
    const std::string& Caption() const { return caption_; }
    void SetCaption(const std::string& value);
    TColor Color() const { return color_; }
    void SetColor(TColor value);
    TFont& Font() { return font_; }
    const TFont& Font() const { return font_; }
    void SetFont(const TFont& value);
    bool Open() const { return open_; }
    void SetOpen(bool value);
    TPanelStyle Style() const { return style_; }
    void SetStyle(TPanelStyle value);
    int ItemHeight() const { return itemHeight_; }
    // Heights of 0 or less are ignored.
    void SetItemHeight(int value);
    TColor GradientStart() const { return gradientStart_; }
    void SetGradientStart(TColor value);
    TColor GradientEnd() const { return gradientEnd_; }
    void SetGradientEnd(TColor value);
    TPanelBackground Background() const { return background_; }
    void SetBackground(TPanelBackground value);
    TGradientDirection GradientDirection() const { return gradientDirection_; }
    void SetGradientDirection(TGradientDirection value);
    int GradientSteps() const { return gradientSteps_; }
    void SetGradientSteps(int value);
    bool GridLines() const { return gridLines_; }
    void SetGridLines(bool value);
    TColor GridLineColor() const { return gridLineColor_; }
    void SetGridLineColor(TColor value);
    int CaptionWidth() const { return captionWidth_; }
    void SetCaptionWidth(int value);
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    const TBitmap& Texture() const { return texture_; }
    void SetTexture(const TBitmap& value);
    bool EditBox() const { return editBox_; }
    void SetEditBox(bool value);
    TColor EditColor() const { return editColor_; }
    void SetEditColor(TColor value);
    const std::string& Hint() const { return hint_; }
    void SetHint(const std::string& value);
    int ImageIndex() const { return imageIndex_; }
    void SetImageIndex(int value);
    int Tag() const { return tag_; }
    void SetTag(int value);
    TColor EditFontColor() const { return editFontColor_; }
    void SetEditFontColor(TColor value);
    bool AllowResize() const { return allowResize_; }
    void SetAllowResize(bool value);
    TColor HoverIconDownColor() const { return hoverIconDownColor_; }
    void SetHoverIconDownColor(TColor value);
    TColor HoverIconColor() const { return hoverIconColor_; }
    void SetHoverIconColor(TColor value);
    bool HoverCaption() const { return hoverCaption_; }
    void SetHoverCaption(bool value);
    const TShelfImage& Splitter() const { return splitter_; }
    void SetSplitter(const TShelfImage& value);
    TColor ButtonDownColor() const { return buttonDownColor_; }
    void SetButtonDownColor(TColor value);
    TAlignment Alignment() const { return alignment_; }
    void SetAlignment(TAlignment value);
    int Indent() const { return indent_; }
    void SetIndent(int value);
    // Null while the panel hosts none, also once the control is destroyed.
    QWidget* Control() const { return control_.data(); }
    // Raises Exception "Control already assigned to another panel" when another panel of
    // the bar hosts it, changing nothing.
    void SetControl(QWidget* value);
    // Whether a control was set and not cleared by SetControl (it may be gone since).
    bool HostsControl() const { return hosting_; }

protected:
    virtual std::unique_ptr<TShelfItems> CreateItems();

private:
    template <typename T> void Set(T& field, const T& value) {
        field = value;
        Changed();
    }

    TShelfPanels* collection_;
    std::unique_ptr<TShelfItems> items_;
    int topItem_ = 0;
    std::string caption_;
    TColor color_ = clGray;
    TFont font_;
    bool open_ = false;
    TPanelStyle style_ = TPanelStyle::psLargeIcon;
    int itemHeight_ = 48;
    TColor gradientStart_ = clWhite;
    TColor gradientEnd_ = clSilver;
    TPanelBackground background_ = TPanelBackground::pbSolid;
    TGradientDirection gradientDirection_ = TGradientDirection::gdVertical;
    int gradientSteps_ = 20;
    bool gridLines_ = false;
    TColor gridLineColor_ = clGray;
    int captionWidth_ = 60;
    bool wordWrap_ = false;
    TBitmap texture_;
    bool editBox_ = false;
    TColor editColor_ = clWhite;
    std::string hint_;
    int imageIndex_ = -1;
    int tag_ = 0;
    TColor editFontColor_ = clBlack;
    bool allowResize_ = false;
    TColor hoverIconDownColor_ = clNone;
    TColor hoverIconColor_ = clNone;
    bool hoverCaption_ = false;
    TShelfImage splitter_;
    TColor buttonDownColor_ = clSilver;
    TAlignment alignment_ = TAlignment::taCenter;
    int indent_ = 0;
    QPointer<QWidget> control_;
    bool hosting_ = false;
};

class TShelfPanels : public TShelfCollection<TShelfBar, TShelfPanel> {
public:
    using TShelfCollection::TShelfCollection;
    ~TShelfPanels() override;

    // Adding a panel does not repaint.
    TShelfPanel& Add();
    TShelfPanel& Insert(int index);
    void Delete(int index);
    void Clear();
    // Copies every panel of `source` (as many as it has).
    void Assign(const TShelfPanels& source);
    // Repaints the whole bar.
    virtual void Update(TShelfPanel* item);
    virtual std::unique_ptr<TShelfPanel> CreateItemClass();
};
