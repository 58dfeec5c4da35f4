#include "richtext/model/RNStyleInfos.h"

#include "richtext/model/RNError.h"

#include <string>

namespace {

// Style `styleNo` when it has the wanted value, else the first other style that has it and
// equals style `styleNo` in everything the ignore list keeps.
template <class Infos, class Wanted, class Ignore>
int FindWith(const Infos& infos, int styleNo, Wanted wanted, Ignore ignoreList) {
    const auto& current = infos.Items(styleNo);
    if (wanted(current)) {
        return styleNo;
    }
    for (int j = 0; j < infos.Count(); ++j) {
        if (j != styleNo && wanted(infos.Items(j)) && current.IsEqual(infos.Items(j), ignoreList)) {
            return j;
        }
    }
    return -1;
}

// Style `styleNo` when it equals `style`, else the first other style that does.
template <class Infos, class Style, class Ignore>
int FindSuch(const Infos& infos, int styleNo, const Style& style, Ignore ignoreList) {
    if (infos.Items(styleNo).IsEqual(style, ignoreList)) {
        return styleNo;
    }
    for (int j = 0; j < infos.Count(); ++j) {
        if (j != styleNo && style.IsEqual(infos.Items(j), ignoreList)) {
            return j;
        }
    }
    return -1;
}

} // namespace

// TCustomRNInfos

TCustomRNInfo& TCustomRNInfos::Item(int index) const {
    if (index < 0 || index >= Count()) {
        throw ERichNoteError("List index out of bounds (" + std::to_string(index) + ")");
    }
    return *items_[static_cast<size_t>(index)];
}

TCustomRNInfo& TCustomRNInfos::AddItem() {
    items_.push_back(NewItem());
    return *items_.back();
}

void TCustomRNInfos::DeleteItem(int index) {
    Item(index);
    items_.erase(items_.begin() + index);
}

void TCustomRNInfos::AssignItems(const TCustomRNInfos& source) {
    if (&source == this) {
        return;
    }
    std::vector<std::unique_ptr<TCustomRNInfo>> copies;
    copies.reserve(source.items_.size());
    for (const auto& style : source.items_) {
        copies.push_back(NewItem());
        copies.back()->Assign(*style);
    }
    items_ = std::move(copies);
}

void TCustomRNInfos::AssignTo(std::vector<std::string>& names) const {
    names.clear();
    for (const auto& style : items_) {
        names.push_back(style->StyleName);
    }
}

std::vector<std::vector<int>> TCustomRNInfos::MapCandidateStages(const TCustomRNInfo&) const {
    std::vector<int> all;
    for (int i = 0; i < Count(); ++i) {
        all.push_back(i);
    }
    return {all};
}

int TCustomRNInfos::ClosestStyle(const TCustomRNInfo& style) const {
    for (const std::vector<int>& stage : MapCandidateStages(style)) {
        if (stage.empty()) {
            continue;
        }
        // The first candidate is taken whatever its score; later ones only when better.
        int best = stage.front();
        int32_t bestScore = style.SimilarityValue(Item(best));
        for (size_t k = 1; k < stage.size(); ++k) {
            const int32_t score = style.SimilarityValue(Item(stage[k]));
            if (score > bestScore) {
                best = stage[k];
                bestScore = score;
            }
        }
        return best;
    }
    return -1;
}

void TCustomRNInfos::MergeWith(const TCustomRNInfos& source, TRNStyleMergeMode mode,
                               TRNIntegerList& map) {
    map.Clear();
    const int sourceCount = source.Count();
    const int ownCount = Count();
    switch (mode) {
    case TRNStyleMergeMode::rns_merge_SmartMerge:
        for (int k = 0; k < sourceCount; ++k) {
            const TCustomRNInfo& style = source.Item(k);
            int found = -1;
            for (int i = 0; i < Count() && found < 0; ++i) {
                if (style.IsSimpleEqual(Item(i))) {
                    found = i;
                }
            }
            if (found < 0) {
                AddItem().Assign(style);
                found = Count() - 1;
            }
            map.Add(found);
        }
        break;
    case TRNStyleMergeMode::rns_merge_Map:
        // With nothing to map onto the map stays empty, so that the reader treats the styles
        // as unknown instead of as style -1.
        if (Count() == 0) {
            break;
        }
        for (int k = 0; k < sourceCount; ++k) {
            map.Add(ClosestStyle(source.Item(k)));
        }
        break;
    case TRNStyleMergeMode::rns_merge_Append:
        for (int k = 0; k < sourceCount; ++k) {
            AddItem().Assign(source.Item(k));
            map.Add(Count() - 1);
        }
        break;
    }
    // A copy's next style is a number of `source`: it names the style that one became here.
    for (int i = ownCount; i < Count(); ++i) {
        int32_t& next = NextOf(Item(i));
        next = next >= 0 && next < map.Count() ? map[next] : -1;
    }
}

void TCustomRNInfos::KeepNextStylesInside() {
    for (const auto& style : items_) {
        if (int32_t& next = NextOf(*style); next < -1 || next >= Count()) {
            next = -1;
        }
    }
}

// TFontInfos

std::unique_ptr<TCustomRNInfo> TFontInfos::NewItem() const {
    return std::make_unique<TFontInfo>();
}

int32_t& TFontInfos::NextOf(TCustomRNInfo& style) const {
    return static_cast<TFontInfo&>(style).NextStyleNo;
}

std::vector<std::vector<int>> TFontInfos::MapCandidateStages(const TCustomRNInfo& style) const {
    const auto& wanted = static_cast<const TFontInfo&>(style);
    std::vector<std::vector<int>> stages(4);
    for (int i = 0; i < Count(); ++i) {
        const TFontInfo& candidate = Items(i);
        const bool sameJump = candidate.Jump == wanted.Jump;
        const bool sameUnicode = candidate.Unicode == wanted.Unicode;
        if (sameJump && sameUnicode) {
            stages[0].push_back(i);
        }
        if (sameJump) {
            stages[1].push_back(i);
        }
        if (sameUnicode) {
            stages[2].push_back(i);
        }
        stages[3].push_back(i);
    }
    return stages;
}

TFontInfo& TFontInfos::AddFont(const std::string& name, int size, TColor color, TColor backColor,
                               TFontStyles style) {
    TFontInfo& font = Add();
    font.FontName = name;
    font.Size = size;
    font.Color = color;
    font.BackColor = backColor;
    font.Style = style;
    return font;
}

TFontInfo& TFontInfos::AddFontEx(const std::string& name, int size, TColor color, TColor backColor,
                                 TFontStyles style, TFontCharset charset) {
    TFontInfo& font = AddFont(name, size, color, backColor, style);
    font.Charset = charset;
    return font;
}

void TFontInfos::Delete(int index) {
    if (index > 5 && index < Count()) {
        DeleteItem(index);
    }
}

int TFontInfos::FindStyleWithFont(int styleNo, const TFont& font) const {
    using P = TRNFontInfoProperty;
    return FindWith(
        *this, styleNo,
        [&font](const TFontInfo& s) {
            return s.Size == font.Size() && s.Style == font.Style() &&
                   s.Charset == font.Charset() && s.FontName == font.Name();
        },
        TRNFontInfoProperties{P::rnfiFontName, P::rnfiSize, P::rnfiCharset, P::rnfiBold,
                              P::rnfiItalic, P::rnfiUnderline, P::rnfiStrikeout});
}

int TFontInfos::FindStyleWithFontSize(int styleNo, int size) const {
    return FindWith(
        *this, styleNo, [size](const TFontInfo& s) { return s.Size == size; },
        TRNFontInfoProperties{TRNFontInfoProperty::rnfiSize});
}

int TFontInfos::FindStyleWithColor(int styleNo, TColor color, TColor backColor) const {
    return FindWith(
        *this, styleNo,
        [color, backColor](const TFontInfo& s) {
            return s.Color == color && s.BackColor == backColor;
        },
        TRNFontInfoProperties{TRNFontInfoProperty::rnfiColor, TRNFontInfoProperty::rnfiBackColor});
}

int TFontInfos::FindStyleWithFontName(int styleNo, const std::string& fontName) const {
    return FindWith(
        *this, styleNo, [&fontName](const TFontInfo& s) { return s.FontName == fontName; },
        TRNFontInfoProperties{TRNFontInfoProperty::rnfiFontName});
}

int TFontInfos::FindStyleWithCharset(int styleNo, TFontCharset charset) const {
    return FindWith(
        *this, styleNo,
        [charset](const TFontInfo& s) { return s.Charset == charset && !s.Unicode; },
        TRNFontInfoProperties{TRNFontInfoProperty::rnfiCharset, TRNFontInfoProperty::rnfiUnicode});
}

int TFontInfos::FindStyleWithFontStyle(int styleNo, TFontStyles value, TFontStyles mask) const {
    using P = TRNFontInfoProperty;
    TRNFontInfoProperties ignore;
    const std::pair<TFontStyle, P> bits[] = {{TFontStyle::fsBold, P::rnfiBold},
                                             {TFontStyle::fsItalic, P::rnfiItalic},
                                             {TFontStyle::fsUnderline, P::rnfiUnderline},
                                             {TFontStyle::fsStrikeOut, P::rnfiStrikeout}};
    for (const auto& [bit, property] : bits) {
        if (mask.Contains(bit)) {
            ignore.Include(property);
        }
    }
    return FindWith(
        *this, styleNo,
        [value, mask](const TFontInfo& s) { return (s.Style & mask) == (value & mask); }, ignore);
}

int TFontInfos::FindSuchStyle(int styleNo, const TFontInfo& style,
                              TRNFontInfoProperties ignoreList) const {
    return FindSuch(*this, styleNo, style, ignoreList);
}

// TParaInfos

std::unique_ptr<TCustomRNInfo> TParaInfos::NewItem() const {
    return std::make_unique<TParaInfo>();
}

int32_t& TParaInfos::NextOf(TCustomRNInfo& style) const {
    return static_cast<TParaInfo&>(style).NextParaNo;
}

int TParaInfos::FindStyleWithAlignment(int styleNo, TRNAlignment alignment) const {
    return FindWith(
        *this, styleNo, [alignment](const TParaInfo& s) { return s.Alignment == alignment; },
        TRNParaInfoProperties{TRNParaInfoProperty::rnpiAlignment});
}

int TParaInfos::FindSuchStyle(int styleNo, const TParaInfo& style,
                              TRNParaInfoProperties ignoreList) const {
    return FindSuch(*this, styleNo, style, ignoreList);
}
