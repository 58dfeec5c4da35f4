#include "richtext/model/RNStyleParaInfo.h"

#include "richtext/model/RNError.h"
#include "richtext/model/RNSimilarity.h"

#include <algorithm>

void TParaInfo::Assign(const TCustomRNInfo& source) {
    const auto* para = dynamic_cast<const TParaInfo*>(&source);
    if (para == nullptr) {
        throw ERichNoteError("Cannot assign a text style to a paragraph style");
    }
    if (para != this) {
        *this = *para;
    }
}

bool TParaInfo::ExtraLineSpacing() const {
    return LineSpacingType == TRNLineSpacingType::rnlsPercent ? LineSpacing > 100 : LineSpacing > 0;
}

// Spacing before and after and the next style are compared too (each skippable): a pasted
// paragraph with its own spacing must not be mapped onto a style without it.
bool TParaInfo::IsEqual(const TParaInfo& value, TRNParaInfoProperties ignoreList) const {
    using P = TRNParaInfoProperty;
    auto same = [ignoreList](P property, bool equal) {
        return ignoreList.Contains(property) || equal;
    };
    if (!same(P::rnpiAlignment, Alignment == value.Alignment) ||
        !same(P::rnpiFirstIndent, FirstIndent == value.FirstIndent) ||
        !same(P::rnpiLeftIndent, LeftIndent == value.LeftIndent) ||
        !same(P::rnpiRightIndent, RightIndent == value.RightIndent) ||
        !same(P::rnpiSpaceBefore, SpaceBefore == value.SpaceBefore) ||
        !same(P::rnpiSpaceAfter, SpaceAfter == value.SpaceAfter) ||
        !same(P::rnpiNextParaNo, NextParaNo == value.NextParaNo) ||
        !same(P::rnpiLineSpacing, LineSpacing == value.LineSpacing) ||
        !same(P::rnpiLineSpacingType, LineSpacingType == value.LineSpacingType)) {
        return false;
    }
    TRNBorderIgnore background;
    background.Color = ignoreList.Contains(P::rnpiBackground_Color);
    background.OffsetLeft = ignoreList.Contains(P::rnpiBackground_BO_Left);
    background.OffsetTop = ignoreList.Contains(P::rnpiBackground_BO_Top);
    background.OffsetRight = ignoreList.Contains(P::rnpiBackground_BO_Right);
    background.OffsetBottom = ignoreList.Contains(P::rnpiBackground_BO_Bottom);
    TRNBorderIgnore border;
    border.Color = ignoreList.Contains(P::rnpiBorder_Color);
    border.Style = ignoreList.Contains(P::rnpiBorder_Style);
    border.Width = ignoreList.Contains(P::rnpiBorder_Width);
    border.InternalWidth = ignoreList.Contains(P::rnpiBorder_InternalWidth);
    border.OffsetLeft = ignoreList.Contains(P::rnpiBorder_BO_Left);
    border.OffsetTop = ignoreList.Contains(P::rnpiBorder_BO_Top);
    border.OffsetRight = ignoreList.Contains(P::rnpiBorder_BO_Right);
    border.OffsetBottom = ignoreList.Contains(P::rnpiBorder_BO_Bottom);
    border.VisibleLeft = ignoreList.Contains(P::rnpiBorder_Vis_Left);
    border.VisibleTop = ignoreList.Contains(P::rnpiBorder_Vis_Top);
    border.VisibleRight = ignoreList.Contains(P::rnpiBorder_Vis_Right);
    border.VisibleBottom = ignoreList.Contains(P::rnpiBorder_Vis_Bottom);
    return Background.IsEqual_Para(value.Background, background) &&
           Border.IsEqual_Para(value.Border, border);
}

bool TParaInfo::IsSimpleEqual(const TCustomRNInfo& value) const {
    const auto* para = dynamic_cast<const TParaInfo*>(&value);
    return para != nullptr && IsEqual(*para, {});
}

int32_t TParaInfo::SimilarityValue(const TCustomRNInfo& value) const {
    const auto* para = dynamic_cast<const TParaInfo*>(&value);
    if (para == nullptr) {
        return 0;
    }
    const TParaInfo& v = *para;
    int64_t score = RN_CompareInts64(v.FirstIndent, FirstIndent, RNSMW_INDENT) +
                    RN_CompareInts64(v.LeftIndent, LeftIndent, RNSMW_INDENT) +
                    RN_CompareInts64(v.RightIndent, RightIndent, RNSMW_INDENT);
    score += Background.SimilarityValue(v.Background);
    score += Border.SimilarityValue(v.Border);
    if (v.Alignment == Alignment) {
        score += RNSMW_ALIGNMENT;
    }
    if (v.LineSpacingType == LineSpacingType) {
        score += RN_CompareInts64(v.LineSpacing, LineSpacing, RNSMW_LINESPACING);
    } else if (v.ExtraLineSpacing() != ExtraLineSpacing()) {
        score -= 4 * static_cast<int64_t>(RNSMW_LINESPACING);
    }
    return RN_ClampScore(score);
}
