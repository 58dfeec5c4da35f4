#include "richtext/model/CRNData.h"

#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/JPEGImage.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNFuncs.h"
#include "richtext/model/RNItemControl.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNItemRegistry.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <sys/stat.h>
#include <typeinfo>

namespace {

const TFontInfo* TextStyle(const TRNStyle* sheet, int styleNo) {
    if (!sheet || styleNo < 0 || styleNo >= sheet->TextStyles().Count()) {
        return nullptr;
    }
    return &sheet->TextStyles()[styleNo];
}

// The lines of a text; CR LF, a lone CR and a lone LF each end a line.
std::vector<std::string_view> SplitLines(std::string_view s) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i < s.size(); ++i) {
        if (s[i] == '\r' || s[i] == '\n') {
            parts.push_back(s.substr(start, i - start));
            if (s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n') {
                ++i;
            }
            start = i + 1;
        }
    }
    parts.push_back(s.substr(start));
    return parts;
}

} // namespace

TCustomRNData::TCustomRNData() : items_(&ownItems_) {}

TCustomRNData::~TCustomRNData() {
    // Borrowed items are their document's; with no item of its own left (a derived destructor
    // cleared it already) there is nothing to free: the members go with the object.
    if (!BorrowsItems() && !items_->empty()) {
        TCustomRNData::Clear();
    }
}

// Forwarded to the root; a document that is its own root answers the defaults.

#define RN_FORWARD(call, fallback)                                                                 \
    do {                                                                                           \
        auto* root = const_cast<TCustomRNData*>(this)->GetRootData();                              \
        if (root && root != this) {                                                                \
            return root->call;                                                                     \
        }                                                                                          \
        return fallback;                                                                           \
    } while (false)

TRNOptions TCustomRNData::GetOptions() const {
    RN_FORWARD(GetOptions(), RNDefaultOptions);
}
void TCustomRNData::SetOptions(TRNOptions options) {
    RN_FORWARD(SetOptions(options), void());
}
TRNFOptions TCustomRNData::GetRNFOptions() const {
    RN_FORWARD(GetRNFOptions(), RNFDefaultOptions);
}
void TCustomRNData::SetRNFOptions(TRNFOptions options) {
    RN_FORWARD(SetRNFOptions(options), void());
}
TRNRTFOptions TCustomRNData::GetRTFOptions() const {
    RN_FORWARD(GetRTFOptions(), RNRTFDefaultOptions);
}
void TCustomRNData::SetRTFOptions(TRNRTFOptions options) {
    RN_FORWARD(SetRTFOptions(options), void());
}
TRNFWarnings TCustomRNData::GetRNFWarnings() const {
    RN_FORWARD(GetRNFWarnings(), TRNFWarnings{});
}
void TCustomRNData::SetRNFWarnings(TRNFWarnings warnings) {
    RN_FORWARD(SetRNFWarnings(warnings), void());
}
TRNFReaderStyleMode TCustomRNData::GetRNFTextStylesReadMode() const {
    RN_FORWARD(GetRNFTextStylesReadMode(), TRNFReaderStyleMode::rnf_sInsertMerge);
}
TRNFReaderStyleMode TCustomRNData::GetRNFParaStylesReadMode() const {
    RN_FORWARD(GetRNFParaStylesReadMode(), TRNFReaderStyleMode::rnf_sInsertMerge);
}
TRNStyle* TCustomRNData::GetRNStyle() const {
    RN_FORWARD(GetRNStyle(), nullptr);
}
std::string TCustomRNData::GetDelimiters() const {
    RN_FORWARD(GetDelimiters(), std::string(RNDefaultDelimiters));
}
IControlParent* TCustomRNData::GetParentControl() const {
    RN_FORWARD(GetParentControl(), nullptr);
}
std::string TCustomRNData::SaveComponentToFile(const std::string& path, IEmbeddedControl& control,
                                               TRNSaveFormat format) {
    RN_FORWARD(SaveComponentToFile(path, control, format), std::string());
}
std::unique_ptr<TGraphic> TCustomRNData::RNFPictureNeeded(const std::string& name,
                                                          const RNTag& tag) {
    RN_FORWARD(RNFPictureNeeded(name, tag), nullptr);
}
std::unique_ptr<IEmbeddedControl> TCustomRNData::RNFControlNeeded(const std::string& name,
                                                                  const RNTag& tag) {
    RN_FORWARD(RNFControlNeeded(name, tag), nullptr);
}
const TImageList* TCustomRNData::RNFImageListNeeded(int imageListTag) {
    RN_FORWARD(RNFImageListNeeded(imageListTag), nullptr);
}
std::unique_ptr<TBitmap> TCustomRNData::PrintComponent(IEmbeddedControl& control) {
    RN_FORWARD(PrintComponent(control), nullptr);
}

#undef RN_FORWARD

void TCustomRNData::ControlAction2(TRNControlAction, int, IEmbeddedControl&) {}

void TCustomRNData::HTMLSaveImage(TCustomRNData&, int, const std::string&, TColor, std::string&,
                                  bool&) {}

std::string TCustomRNData::GetURL(int) {
    return {};
}

// Item access.

void TCustomRNData::ThrowItemNoOutOfBounds() {
    throw ERichNoteError("Item index is out of bounds");
}

void TCustomRNData::ThrowWrongItemClass() {
    throw ERichNoteError("Can't get or set this kind of information for this item");
}

int TCustomRNData::GetItemNo(const TCustomRNItemInfo* item) const {
    for (size_t i = 0; i < items_->size(); ++i) {
        if ((*items_)[i].Item.get() == item) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool TCustomRNData::IsParaStart(int itemNo) const {
    const TCustomRNItemInfo& item = GetItem(itemNo);
    return !item.GetSameAsPrev() && !item.GetBR();
}

bool TCustomRNData::GetPageBreaksBeforeItems(int itemNo) const {
    return GetItem(itemNo).GetPageBreakBefore();
}

void TCustomRNData::SetPageBreaksBeforeItems(int itemNo, bool value) {
    GetItem(itemNo).SetPageBreakBefore(value);
}

int TCustomRNData::ItemLength(int itemNo) const {
    const TCustomRNItemInfo& item = GetItem(itemNo);
    return item.IsText() ? RNU_Length(GetItemText(itemNo), item.ItemOptions) : 1;
}

int TCustomRNData::GetOffsBeforeItem(int itemNo) const {
    return GetItem(itemNo).IsText() ? 1 : 0;
}

int TCustomRNData::GetOffsAfterItem(int itemNo) const {
    const TCustomRNItemInfo& item = GetItem(itemNo);
    return item.IsText() ? RNU_Length(GetItemText(itemNo), item.ItemOptions) + 1 : 1;
}

namespace {

template <class T> T& ExactClass(TCustomRNItemInfo& item) {
    if (typeid(item) != typeid(T)) {
        throw ERichNoteError("Can't get or set this kind of information for this item");
    }
    return static_cast<T&>(item);
}

} // namespace

void TCustomRNData::GetTextInfo(int itemNo, std::string& text, RNTag& tag) const {
    const TCustomRNItemInfo& item = GetItem(itemNo);
    if (!item.IsText()) {
        ThrowWrongItemClass();
    }
    text = GetItemText(itemNo);
    tag = item.Tag;
}

void TCustomRNData::GetBreakInfo(int itemNo, uint8_t& width, TRNBreakStyle& style, TColor& color,
                                 RNTag& tag) const {
    auto& item = ExactClass<TRNBreakItemInfo>(GetItem(itemNo));
    width = item.LineWidth;
    style = item.Style;
    color = item.Color;
    tag = item.Tag;
}

void TCustomRNData::GetBulletInfo(int itemNo, std::string& name, int& imageIndex,
                                  const TImageList*& imageList, RNTag& tag) const {
    auto& item = ExactClass<TRNBulletItemInfo>(GetItem(itemNo));
    name = GetItemText(itemNo);
    imageIndex = item.ImageIndex;
    imageList = item.ImageList;
    tag = item.Tag;
}

void TCustomRNData::GetHotspotInfo(int itemNo, std::string& name, int& imageIndex,
                                   int& hotImageIndex, const TImageList*& imageList,
                                   RNTag& tag) const {
    auto& item = ExactClass<TRNHotspotItemInfo>(GetItem(itemNo));
    name = GetItemText(itemNo);
    imageIndex = item.ImageIndex;
    hotImageIndex = item.HotImageIndex;
    imageList = item.ImageList;
    tag = item.Tag;
}

void TCustomRNData::GetPictureInfo(int itemNo, std::string& name, TGraphic*& graphic,
                                   TRNVAlign& vAlign, RNTag& tag) const {
    auto& item = ExactClass<TRNGraphicItemInfo>(GetItem(itemNo));
    name = GetItemText(itemNo);
    graphic = item.Image.get();
    vAlign = item.VAlign;
    tag = item.Tag;
}

void TCustomRNData::GetControlInfo(int itemNo, std::string& name, IEmbeddedControl*& control,
                                   TRNVAlign& vAlign, RNTag& tag) const {
    auto& item = ExactClass<TRNControlItemInfo>(GetItem(itemNo));
    name = GetItemText(itemNo);
    control = item.Control.get();
    vAlign = item.VAlign;
    tag = item.Tag;
}

void TCustomRNData::SetBreakInfo(int itemNo, uint8_t width, TRNBreakStyle style, TColor color,
                                 const RNTag& tag) {
    auto& item = ExactClass<TRNBreakItemInfo>(GetItem(itemNo));
    item.LineWidth = width;
    item.Style = style;
    item.Color = color;
    SetItemTag(itemNo, tag);
}

void TCustomRNData::SetBulletInfo(int itemNo, const std::string& name, int imageIndex,
                                  const RNTag& tag) {
    auto& item = ExactClass<TRNBulletItemInfo>(GetItem(itemNo));
    item.ImageIndex = imageIndex;
    SetItemTag(itemNo, tag);
    (*items_)[static_cast<size_t>(itemNo)].Text = name;
}

void TCustomRNData::SetHotspotInfo(int itemNo, const std::string& name, int imageIndex,
                                   int hotImageIndex, const RNTag& tag) {
    auto& item = ExactClass<TRNHotspotItemInfo>(GetItem(itemNo));
    item.ImageIndex = imageIndex;
    item.HotImageIndex = hotImageIndex;
    SetItemTag(itemNo, tag);
    (*items_)[static_cast<size_t>(itemNo)].Text = name;
}

bool TCustomRNData::SetControlInfo(int itemNo, const std::string& name, TRNVAlign vAlign,
                                   const RNTag& tag) {
    auto& item = ExactClass<TRNControlItemInfo>(GetItem(itemNo));
    bool changed = item.VAlign != vAlign;
    item.VAlign = vAlign;
    SetItemTag(itemNo, tag);
    (*items_)[static_cast<size_t>(itemNo)].Text = name;
    return changed;
}

bool TCustomRNData::SetPictureInfo(int itemNo, const std::string& name,
                                   std::unique_ptr<TGraphic> graphic, TRNVAlign vAlign,
                                   const RNTag& tag) {
    auto& item = ExactClass<TRNGraphicItemInfo>(GetItem(itemNo));
    bool changed = item.VAlign != vAlign;
    if (graphic && graphic.get() != item.Image.get()) {
        changed = changed || !item.Image || item.Image->Width() != graphic->Width() ||
                  item.Image->Height() != graphic->Height();
        item.Image = std::move(graphic);
        item.ImageCopy.reset();
    }
    item.VAlign = vAlign;
    SetItemTag(itemNo, tag);
    (*items_)[static_cast<size_t>(itemNo)].Text = name;
    item.UpdatePaletteInfo(TRNPaletteAction::rnpaDoNothing, true);
    return changed;
}

void TCustomRNData::SetItemTag(int itemNo, const RNTag& tag) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    bool strings = TagsArePChars();
    if (!RN_CompareTags(item.Tag, tag, strings) || item.Tag.IsString() != strings) {
        item.Tag = RN_CopyTag(tag, strings);
    }
}

int TCustomRNData::FindControlItemNo(const IEmbeddedControl* control) const {
    for (size_t i = 0; i < items_->size(); ++i) {
        if ((*items_)[i].Item->OwnsControl(control)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void TCustomRNData::SetParagraphStyleToAll(int paraNo) {
    for (TRNItemSlot& slot : *items_) {
        if (!dynamic_cast<TRNBreakItemInfo*>(slot.Item.get())) {
            slot.Item->ParaNo = static_cast<int16_t>(paraNo);
        }
    }
}

void TCustomRNData::NormalizeParas(int startItemNo) {
    if (items_->empty()) {
        return;
    }
    int i = std::clamp(startItemNo, 0, ItemCount() - 1);
    while (i >= 1 && !GetItem(i).CanBeBorderStart()) {
        --i;
    }
    int16_t paraNo = GetItem(i).ParaNo;
    for (++i; i < ItemCount() && !GetItem(i).CanBeBorderStart(); ++i) {
        GetItem(i).ParaNo = paraNo;
    }
}

bool TCustomRNData::ContinuesPastFullWidth(int itemNo) const {
    return itemNo > 0 && itemNo < ItemCount() && GetItem(itemNo).GetSameAsPrev() &&
           GetItem(itemNo - 1).GetBoolValue(TRNItemBoolProperty::rnbpFullWidth);
}

// Building.

void TCustomRNData::AddItem(std::string text, std::unique_ptr<TCustomRNItemInfo> item) {
    if (!item) {
        throw ERichNoteError("Parameter can't be NIL");
    }
    if (item->IsText()) {
        RN_CleanItemText(text, item->ItemOptions.Contains(TRNItemOption::rnioUnicode));
    }
    if (item->ParaNo == -1 && !items_->empty() &&
        !items_->back().Item->GetBoolValue(TRNItemBoolProperty::rnbpFullWidth)) {
        item->SetSameAsPrev(true);
        item->ParaNo = items_->back().Item->ParaNo;
    } else {
        item->SetSameAsPrev(false);
        item->SetBR(item->GetBR() || !AllowNewPara);
        if (item->ParaNo == -1) {
            item->ParaNo = 0;
        }
    }
    // An item that brings its own checkpoint hands it over as the pending one; a checkpoint
    // already pending wins and the item's is dropped.
    if (item->Checkpoint) {
        std::unique_ptr<TRNCPInfo> own = std::move(item->Checkpoint);
        if (!NotAddedCP) {
            own->Next = own->Prev = nullptr;
            NotAddedCP = std::move(own);
            ++CPCount;
        }
    }
    if (NotAddedCP) {
        SetCP(*item, std::move(NotAddedCP));
    }
    item->UpdatePaletteInfo(TRNPaletteAction::rnpaDoNothing, false);
    TCustomRNItemInfo* added = item.get();
    items_->push_back({std::move(text), std::move(item)});
    added->Inserted(this, false);
}

void TCustomRNData::AddNLTag(std::string s, int styleNo, int paraNo, const RNTag& tag) {
    auto item = std::make_unique<TRNTextItemInfo>(this);
    item->StyleNo = static_cast<int16_t>(styleNo);
    item->ParaNo = static_cast<int16_t>(paraNo);
    item->Tag = RN_CopyTag(tag, TagsArePChars());
    const TFontInfo* style = TextStyle(GetRNStyle(), styleNo);
    if (style && style->Unicode) {
        item->ItemOptions.Include(TRNItemOption::rnioUnicode);
    }
    // Without a tab the text stays as it is: no copy, no second look at the style sheet.
    const bool tabs = s.find('\t') != std::string::npos;
    AddItem(tabs ? ReplaceTabs(s, styleNo, false) : std::move(s), std::move(item));
}

void TCustomRNData::AddFmt(int styleNo, int paraNo, const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list again;
    va_copy(again, args);
    int length = std::vsnprintf(nullptr, 0, format, args);
    va_end(args);
    std::string text(static_cast<size_t>(std::max(length, 0)), '\0');
    std::vsnprintf(text.data(), text.size() + 1, format, again);
    va_end(again);
    AddNL(std::move(text), styleNo, paraNo);
}

void TCustomRNData::AddNLATag(std::string_view s, int styleNo, int paraNo, const RNTag& tag) {
    const TFontInfo* style = TextStyle(GetRNStyle(), styleNo);
    if (style && style->Unicode) {
        AddNLTag(RNU_AnsiToUnicode(GetStyleCodePage(styleNo), s), styleNo, paraNo, tag);
    } else {
        AddNLTag(std::string(s), styleNo, paraNo, tag);
    }
}

void TCustomRNData::AddNLWTag(std::u16string_view ws, int styleNo, int paraNo, const RNTag& tag) {
    std::string bytes = RNU_U16ToBytes(ws);
    const TFontInfo* style = TextStyle(GetRNStyle(), styleNo);
    if (style && !style->Unicode) {
        bytes = RNU_UnicodeToAnsi(GetStyleCodePage(styleNo), bytes);
    }
    AddNLTag(std::move(bytes), styleNo, paraNo, tag);
}

void TCustomRNData::AddTextNL(std::string_view s, int styleNo, int firstParaNo, int otherParaNo) {
    std::vector<std::string_view> lines = SplitLines(s);
    int paraNo = firstParaNo;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (!(paraNo == -1 && lines[i].empty())) {
            AddNL(std::string(lines[i]), styleNo, paraNo);
        }
        if (i + 1 < lines.size() && AllowNewPara) {
            paraNo = otherParaNo;
        }
    }
}

void TCustomRNData::AddTextBlockNL(std::string_view s, int styleNo, int paraNo) {
    bool saved = AllowNewPara;
    AllowNewPara = true;
    struct Restore {
        TCustomRNData& data;
        bool value;
        ~Restore() { data.AllowNewPara = value; }
    } restore{*this, saved};
    for (std::string_view line : SplitLines(s)) {
        AddNL(std::string(line), styleNo, paraNo);
        AllowNewPara = false;
    }
}

void TCustomRNData::AddBreakExTag(uint8_t width, TRNBreakStyle style, TColor color,
                                  const RNTag& tag) {
    auto item = std::make_unique<TRNBreakItemInfo>(this, width, style, color);
    item->SetSameAsPrev(false);
    item->ParaNo = 0;
    item->Tag = RN_CopyTag(tag, TagsArePChars());
    AddItem({}, std::move(item));
}

void TCustomRNData::AddPictureExTag(const std::string& name, std::unique_ptr<TGraphic> graphic,
                                    int paraNo, TRNVAlign vAlign, const RNTag& tag) {
    auto item = std::make_unique<TRNGraphicItemInfo>(this, std::move(graphic), vAlign);
    item->ParaNo = static_cast<int16_t>(paraNo);
    item->Tag = RN_CopyTag(tag, TagsArePChars());
    AddItem(name, std::move(item));
}

void TCustomRNData::AddBulletExTag(const std::string& name, int imageIndex,
                                   const TImageList* imageList, int paraNo, const RNTag& tag) {
    auto item =
        std::make_unique<TRNBulletItemInfo>(this, imageIndex, imageList, TRNVAlign::rnvaBaseline);
    item->ParaNo = static_cast<int16_t>(paraNo);
    item->Tag = RN_CopyTag(tag, TagsArePChars());
    AddItem(name, std::move(item));
}

void TCustomRNData::AddHotspotExTag(const std::string& name, int imageIndex, int hotImageIndex,
                                    const TImageList* imageList, int paraNo, const RNTag& tag) {
    auto item = std::make_unique<TRNHotspotItemInfo>(this, imageIndex, hotImageIndex, imageList,
                                                     TRNVAlign::rnvaBaseline);
    item->ParaNo = static_cast<int16_t>(paraNo);
    item->Tag = RN_CopyTag(tag, TagsArePChars());
    AddItem(name, std::move(item));
}

void TCustomRNData::AddControlExTag(const std::string& name,
                                    std::unique_ptr<IEmbeddedControl> control, int paraNo,
                                    TRNVAlign vAlign, const RNTag& tag) {
    IEmbeddedControl* placed = control.get();
    auto item = std::make_unique<TRNControlItemInfo>(this, std::move(control), vAlign);
    item->ParaNo = static_cast<int16_t>(paraNo);
    item->Tag = RN_CopyTag(tag, TagsArePChars());
    AddItem(name, std::move(item));
    if (placed) {
        placed->SetParent(GetParentControl());
    }
}

int TCustomRNData::AddNamedCheckpointExTag(const std::string& name, bool raiseEvent,
                                           const RNTag& tag) {
    if (!NotAddedCP) {
        NotAddedCP = std::make_unique<TRNCPInfo>();
        NotAddedCP->Name = name;
        NotAddedCP->RaiseEvent = raiseEvent;
        NotAddedCP->Tag = RN_CopyTag(tag, TagsArePChars());
        ++CPCount;
    }
    return CPCount - 1;
}

// Deleting.

void TCustomRNData::FreeItem(int itemNo) {
    TCustomRNItemInfo& item = GetItem(itemNo);
    ControlAction(TRNControlAction::rncaDestroy, itemNo, item);
    InternalFreeItem(std::move((*items_)[static_cast<size_t>(itemNo)].Item));
}

void TCustomRNData::InternalFreeItem(std::unique_ptr<TCustomRNItemInfo> item) {
    if (item && item->Checkpoint) {
        FreeCheckpoint(*item, true, true);
    }
}

void TCustomRNData::DeleteItems(int firstItemNo, int count) {
    if (ShareItems() || firstItemNo >= ItemCount() || count <= 0) {
        return;
    }
    CheckItemNo(firstItemNo);
    count = std::min(count, ItemCount() - firstItemNo);
    for (int i = firstItemNo; i < firstItemNo + count; ++i) {
        FreeItem(i);
    }
    items_->erase(items_->begin() + firstItemNo, items_->begin() + firstItemNo + count);
}

void TCustomRNData::DeleteSection(const std::string& cpName) {
    if (ShareItems()) {
        return;
    }
    TRNCPInfo* start = FirstCP;
    while (start && start->Name != cpName) {
        start = start->Next;
    }
    if (!start) {
        return;
    }
    TRNCPInfo* end = start->Next;
    while (end && end->Name.empty()) {
        end = end->Next;
    }
    int first = GetItemNo(start->ItemInfo);
    int last = end ? GetItemNo(end->ItemInfo) - 1 : ItemCount() - 1;
    if (first >= 0 && last >= first) {
        DeleteItems(first, last - first + 1);
    }
}

void TCustomRNData::Clear() {
    if (BorrowsItems()) {
        // Another document's items, which may be gone by now: only the link to them goes.
        items_ = &ownItems_;
    } else {
        for (int i = 0; i < ItemCount(); ++i) {
            FreeItem(i);
        }
        items_->clear();
    }
    NotAddedCP.reset();
    FirstCP = LastCP = nullptr;
    CPCount = 0;
}

// Moving and sharing.

void TCustomRNData::ShareItemsFrom(TCustomRNData& source) {
    if (ShareItems()) {
        Clear();
        items_ = source.items_;
    }
}

void TCustomRNData::CheckTagKinds(const TCustomRNData& source) const {
    if (source.TagsArePChars() != TagsArePChars()) {
        throw ERichNoteError("Can't assign RichNote to RichNote - tags types mismatch");
    }
}

void TCustomRNData::AppendMoved(std::string text, std::unique_ptr<TCustomRNItemInfo> item) {
    if (item->GetSameAsPrev()) {
        item->ParaNo = -1; // joins the last paragraph here
    }
    AddItem(std::move(text), std::move(item));
}

void TCustomRNData::AppendFrom(const TCustomRNData& source) {
    CheckTagKinds(source);
    bool strings = TagsArePChars();
    int count = source.ItemCount();
    for (int i = 0; i < count; ++i) {
        const TRNItemSlot& slot = source.Items()[static_cast<size_t>(i)];
        std::unique_ptr<TCustomRNItemInfo> copy = RN_DuplicateItem(*slot.Item, this, strings);
        // An item that cannot stand on its own (a picture without its image) is not copied.
        if (copy->GetBoolValue(TRNItemBoolProperty::rnbpValid)) {
            AppendMoved(slot.Text, std::move(copy));
        }
    }
}

void TCustomRNData::DrainFrom(TCustomRNData* source) {
    if (!source || source == this) {
        return;
    }
    CheckTagKinds(*source);
    // An item that fails to settle in here stays here all the same, and the items after it
    // follow: the source is left empty whatever happens, and the first failure is raised once
    // all went.
    std::exception_ptr failure;
    for (TRNItemSlot& slot : source->Items()) {
        try {
            AppendMoved(std::move(slot.Text), std::move(slot.Item));
        } catch (...) {
            if (!failure) {
                failure = std::current_exception();
            }
        }
    }
    source->Items().clear();
    // The source's pending checkpoint was meant for what follows its items: here that is the
    // next item added, unless a checkpoint is pending here already.
    if (source->NotAddedCP && !NotAddedCP) {
        NotAddedCP = std::move(source->NotAddedCP);
        ++CPCount;
    }
    source->NotAddedCP.reset();
    source->FirstCP = source->LastCP = nullptr;
    source->CPCount = 0;
    source->Clear();
    if (failure) {
        std::rethrow_exception(failure);
    }
}

void TCustomRNData::Inserted(TCustomRNData* rnData, bool flag) {
    for (TRNItemSlot& slot : *items_) {
        slot.Item->Inserted(rnData, flag);
    }
}

// Every cell of a table being written passes here: the items are walked without their
// numbers being checked one by one (the count is read at each step all the same).
void TCustomRNData::StartExport() {
    for (size_t i = 0; i < items_->size(); ++i) {
        (*items_)[i].Item->StartExport();
    }
}

void TCustomRNData::EndExport() {
    for (size_t i = 0; i < items_->size(); ++i) {
        (*items_)[i].Item->EndExport();
    }
}

void TCustomRNData::StartPartialExport(int first, int last) {
    for (int i = std::max(first, 0); i <= std::min(last, ItemCount() - 1); ++i) {
        GetItem(i).StartExport();
    }
}

void TCustomRNData::EndPartialExport(int first, int last) {
    for (int i = std::max(first, 0); i <= std::min(last, ItemCount() - 1); ++i) {
        GetItem(i).EndExport();
    }
}

// Code pages, delimiters and clean-up.

unsigned TCustomRNData::GetStyleCodePage(int styleNo) const {
    const TFontInfo* style = TextStyle(GetRNStyle(), styleNo);
    return style ? RNU_Charset2CodePage(style->Charset) : 0;
}

unsigned TCustomRNData::GetDefaultCodePage() const {
    const TRNStyle* sheet = GetRNStyle();
    return sheet ? static_cast<unsigned>(sheet->DefCodePage) : 0;
}

bool TCustomRNData::IsDelimiter(std::string_view s, int index, TRNItemOptions options) const {
    if (options.Contains(TRNItemOption::rnioUnicode)) {
        std::string unit = RNU_Copy(s, index, 1, options);
        return unit.size() == 2 &&
               IsDelimiterW(static_cast<char16_t>(static_cast<unsigned char>(unit[0]) |
                                                  static_cast<unsigned char>(unit[1]) << 8));
    }
    return index >= 1 && index <= static_cast<int>(s.size()) &&
           IsDelimiterA(s[static_cast<size_t>(index - 1)]);
}

bool TCustomRNData::IsDelimiterA(char ch) const {
    return GetDelimiters().find(ch) != std::string::npos;
}

bool TCustomRNData::IsDelimiterW(char16_t ch) const {
    return ch < 256 && IsDelimiterA(static_cast<char>(ch));
}

std::string TCustomRNData::ReplaceTabs(std::string_view s, int styleNo, bool unicodeDef) const {
    const TRNStyle* sheet = GetRNStyle();
    if (!sheet) {
        return unicodeDef ? RN_ReplaceTabsW(s, 8) : RN_ReplaceTabsA(s, 8);
    }
    const TFontInfo* style = TextStyle(sheet, styleNo);
    return style && style->Unicode ? RN_ReplaceTabsW(s, sheet->SpacesInTab)
                                   : RN_ReplaceTabsA(s, sheet->SpacesInTab);
}

void TCustomRNData::Replace0(std::string& s) {
    std::replace(s.begin(), s.end(), '\0', '?');
}

void TCustomRNData::ControlAction(TRNControlAction action, int itemNo, TCustomRNItemInfo& item) {
    // Text items, by far the most, are never controls: no need to ask the item's class.
    if (item.IsText()) {
        return;
    }
    auto* control = dynamic_cast<TRNControlItemInfo*>(&item);
    if (control && control->Control) {
        ControlAction2(action, itemNo, *control->Control);
    }
}

void TCustomRNData::UpdateItemsPaletteInfo() {
    if (ShareItems()) {
        return;
    }
    for (TRNItemSlot& slot : *items_) {
        slot.Item->UpdatePaletteInfo(TRNPaletteAction::rnpaDoNothing, false);
    }
}

void TCustomRNData::Beep() {
    const TRNStyle* sheet = GetRNStyle();
    TCustomRNData* root = GetRootData();
    if (sheet && sheet->UseSound && root && root->OnBeep) {
        root->OnBeep();
    }
}

std::string TCustomRNData::GetNextFileName(const std::string& imagesPrefix, const std::string& path,
                                           const std::string& ext, int& imageSaveNo,
                                           bool overrideImages) {
    for (;;) {
        ++imageSaveNo;
        std::string name = path + imagesPrefix + std::to_string(imageSaveNo) + ext;
        struct stat st {};
        if (::stat(name.c_str(), &st) != 0) {
            return name;
        }
        // Read-only by its permission bits: the owner's rights do not make it writable.
        bool readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
        if (overrideImages && S_ISREG(st.st_mode) && !readOnly) {
            return name;
        }
    }
}

std::string TCustomRNData::SavePicture(TRNSaveFormat format, const std::string& imagesPrefix,
                                       const std::string& path, int& imageSaveNo,
                                       bool overrideImages, TColor currentFileColor,
                                       const TGraphic& graphic) {
    bool html = format == TRNSaveFormat::rnsfHTML;
    std::string fileName =
        GetNextFileName(imagesPrefix, path, html ? ".jpg" : ".bmp", imageSaveNo, overrideImages);
    if (html && dynamic_cast<const TJPEGImage*>(&graphic)) {
        graphic.SaveToFile(fileName);
    } else {
        TBitmap bitmap;
        if (const auto* source = dynamic_cast<const TBitmap*>(&graphic)) {
            bitmap = *source;
        } else {
            bitmap.SetSize(graphic.Width(), graphic.Height());
            bitmap.Canvas().Brush().SetColor(currentFileColor);
            bitmap.Canvas().FillRect(Rect(0, 0, graphic.Width(), graphic.Height()));
            bitmap.Canvas().Draw(0, 0, graphic);
        }
        if (html) {
            // Read back from its own bytes it is written as they are, never decoded again.
            TJPEGImage jpeg;
            jpeg.LoadFromBytes(EncodeJpeg(bitmap.Image(), TJPEGImage::CompressionQuality));
            jpeg.SaveToFile(fileName);
        } else {
            bitmap.SaveToFile(fileName);
        }
    }
    return std::filesystem::path(fileName).filename().string();
}
