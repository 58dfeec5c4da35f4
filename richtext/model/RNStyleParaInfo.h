#pragma once

// Paragraph styles: indents, spacing, alignment, and the owned border and background.

#include "richtext/model/RNStyleFontInfo.h"
#include "richtext/model/RNStyleRects.h"

#include <cstdint>

enum class TRNAlignment : uint8_t { rnaLeft, rnaRight, rnaCenter, rnaJustify };
enum class TRNLineSpacingType : uint8_t { rnlsPercent, rnlsSpaceBetween };

enum class TRNParaInfoProperty : uint8_t {
    rnpiFirstIndent,
    rnpiLeftIndent,
    rnpiRightIndent,
    rnpiSpaceBefore,
    rnpiSpaceAfter,
    rnpiAlignment,
    rnpiNextParaNo,
    rnpiLineSpacing,
    rnpiLineSpacingType,
    rnpiBackground_Color,
    rnpiBackground_BO_Left,
    rnpiBackground_BO_Top,
    rnpiBackground_BO_Right,
    rnpiBackground_BO_Bottom,
    rnpiBorder_Color,
    rnpiBorder_Style,
    rnpiBorder_Width,
    rnpiBorder_InternalWidth,
    rnpiBorder_BO_Left,
    rnpiBorder_BO_Top,
    rnpiBorder_BO_Right,
    rnpiBorder_BO_Bottom,
    rnpiBorder_Vis_Left,
    rnpiBorder_Vis_Top,
    rnpiBorder_Vis_Right,
    rnpiBorder_Vis_Bottom
};
using TRNParaInfoProperties = TSet<TRNParaInfoProperty>;

class TParaInfo : public TCustomRNInfo {
public:
    TParaInfo() { StyleName = "Paragraph Style"; }

    int32_t FirstIndent = 0;
    int32_t LeftIndent = 0;
    int32_t RightIndent = 0;
    int32_t SpaceBefore = 0;
    int32_t SpaceAfter = 0;
    TRNAlignment Alignment = TRNAlignment::rnaLeft;
    int32_t LineSpacing = 100;
    TRNLineSpacingType LineSpacingType = TRNLineSpacingType::rnlsPercent;
    int32_t NextParaNo = -1;
    TRNBorder Border;
    TRNBackgroundRect Background;

    void Assign(const TCustomRNInfo& source) override;
    bool ExtraLineSpacing() const;

    bool IsEqual(const TParaInfo& value, TRNParaInfoProperties ignoreList) const;
    bool IsSimpleEqual(const TCustomRNInfo& value) const override;
    int32_t SimilarityValue(const TCustomRNInfo& value) const override;
};
