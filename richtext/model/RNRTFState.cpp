#include "richtext/model/RNRTFState.h"

#include <stdexcept>

TRNRTFBorderSide& TRNRTFParaBorder::GetSides(TRNRTFSide side) {
    auto& slot = sides_[static_cast<size_t>(side)];
    if (!slot) {
        slot = std::make_unique<TRNRTFBorderSide>();
    }
    return *slot;
}

void TRNRTFParaBorder::Assign(const TRNRTFParaBorder& source) {
    for (size_t i = 0; i < sides_.size(); ++i) {
        if (source.sides_[i]) {
            sides_[i] = std::make_unique<TRNRTFBorderSide>(*source.sides_[i]);
        } else {
            sides_[i].reset();
        }
    }
}

TRNRTFParaBorder& TRNRTFParaProperties::GetBorder() {
    if (!Border) {
        Border = std::make_unique<TRNRTFParaBorder>();
    }
    return *Border;
}

bool TRNRTFParaProperties::HasBorder() const {
    for (int s = 0; s < 4; ++s) {
        if (SideType(static_cast<TRNRTFSide>(s)) != TRNRTFBorderType::rtf_brdr_None) {
            return true;
        }
    }
    return false;
}

TRNRTFBorderType TRNRTFParaProperties::SideType(TRNRTFSide side) const {
    const TRNRTFBorderSide* s = Border ? Border->Side(side) : nullptr;
    return s ? s->BorderType : TRNRTFBorderType::rtf_brdr_None;
}

void TRNRTFParaProperties::Reset() {
    TRNRTFParaProperties fresh;
    Assign(fresh);
}

void TRNRTFParaProperties::Assign(const TRNRTFParaProperties& source) {
    if (this == &source) {
        return;
    }
    LeftIndent = source.LeftIndent;
    RightIndent = source.RightIndent;
    FirstIndent = source.FirstIndent;
    SpaceBefore = source.SpaceBefore;
    SpaceAfter = source.SpaceAfter;
    Alignment = source.Alignment;
    if (source.Border) {
        GetBorder().Assign(*source.Border);
    } else {
        Border.reset();
    }
    CurBorderSide = source.CurBorderSide;
    LineSpacing = source.LineSpacing;
    LineSpacingMulti = source.LineSpacingMulti;
    Color = source.Color;
}

bool TRNRTFParaProperties::SameAs(const TRNRTFParaProperties& o) const {
    if (LeftIndent != o.LeftIndent || RightIndent != o.RightIndent ||
        FirstIndent != o.FirstIndent || SpaceBefore != o.SpaceBefore ||
        SpaceAfter != o.SpaceAfter || Alignment != o.Alignment || LineSpacing != o.LineSpacing ||
        LineSpacingMulti != o.LineSpacingMulti || Color != o.Color) {
        return false;
    }
    for (int i = 0; i < 4; ++i) {
        auto side = static_cast<TRNRTFSide>(i);
        const TRNRTFBorderSide* a = Border ? Border->Side(side) : nullptr;
        const TRNRTFBorderSide* b = o.Border ? o.Border->Side(side) : nullptr;
        if ((a == nullptr) != (b == nullptr) || (a && !(*a == *b))) {
            return false;
        }
    }
    return true;
}

void TRNRTFReaderState::Reset() {
    CharProps.Reset();
    ParaProps.Reset();
    SectProps.Reset();
    DocProps.Reset();
}

void TRNRTFReaderState::ChangeFontStyle(TFontStyle style, int32_t value) {
    if (value != 0) {
        CharProps.Style.Include(style);
    } else {
        CharProps.Style.Exclude(style);
    }
}

void TRNRTFFontList::Add(int32_t number) {
    TRNRTFFont font;
    font.Number = number;
    fonts_.push_back(std::move(font));
    byNumber_.emplace(number, static_cast<int>(fonts_.size()) - 1);
}

int TRNRTFFontList::GetFontIndex(int32_t number) const {
    auto found = byNumber_.find(number);
    return found == byNumber_.end() ? -1 : found->second;
}

TRNRTFFont& TRNRTFFontList::Last() {
    if (fonts_.empty()) {
        throw std::runtime_error("Font table text before any font number");
    }
    return fonts_.back();
}

void TRNRTFColorList::ResetLast() {
    if (!colors_.empty() && colors_.back() == clWindowText) {
        colors_.back() = 0;
    }
}

void TRNRTFColorList::SetLast(int32_t value, int shift) {
    ResetLast();
    if (!colors_.empty()) {
        colors_.back() |= static_cast<TColor>(static_cast<uint32_t>(value & 0xFF) << shift);
    }
}

void TRNRTFColorList::Finalize() {
    if (!colors_.empty()) {
        colors_.pop_back();
    }
}

void TRNRTFStyleSheetEntry::Assign(const TRNRTFReaderState& state) {
    ParaProps.Assign(state.ParaProps);
    CharProps.Assign(state.CharProps);
}

void TRNRTFStyleSheet::AddPara(int32_t number) {
    auto entry = std::make_unique<TRNRTFStyleSheetEntry>();
    entry->Number = number;
    entry->StyleSheetType = TRNRTFStyleSheetType::rtf_sst_Par;
    entries_.push_back(std::move(entry));
}

TRNRTFStyleSheetEntry* TRNRTFStyleSheet::GetEntry(int32_t number) const {
    for (; indexed_ + 1 < entries_.size(); ++indexed_) {
        byNumber_.emplace(entries_[indexed_]->Number, entries_[indexed_].get());
    }
    if (auto found = byNumber_.find(number); found != byNumber_.end()) {
        return found->second;
    }
    TRNRTFStyleSheetEntry* last = Last();
    return last && last->Number == number ? last : nullptr;
}

void TRNRTFPicture::ReserveFileHeader() {
    if (Data.size() < 14) {
        Data.resize(14, '\0');
    }
    position_ = 14;
    reserved_ = 14;
}
