#pragma once

// A document as one comparable string: every item with its style, paragraph, line-start
// flags and text (pictures by class, size and bytes), then the sizes of its style sheet.

#include "platform/graphics/Graphic.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNStyle.h"

#include <string>

inline std::string DocumentBytes(const TCustomRNData& doc) {
    std::string out;
    for (int i = 0; i < doc.ItemCount(); ++i) {
        const TCustomRNItemInfo& item = doc.GetItem(i);
        out += "[" + std::to_string(item.StyleNo) + "/" + std::to_string(item.ParaNo);
        out += item.GetSameAsPrev() ? "c" : item.GetBR() ? "l" : "p";
        out += item.GetPageBreakBefore() ? "!" : "";
        out += item.ItemOptions.Contains(TRNItemOption::rnioUnicode) ? "u" : "";
        out += "]" + doc.GetItemText(i);
        if (const TGraphic* g = item.AsImage()) {
            out += g->ClassName() + " " + std::to_string(g->Width()) + "x" +
                   std::to_string(g->Height()) + " " +
                   std::to_string(std::hash<std::string>()(g->SaveToBytes()));
        }
    }
    if (const TRNStyle* sheet = doc.GetRNStyle()) {
        out += "{" + std::to_string(sheet->TextStyles().Count()) + "," +
               std::to_string(sheet->ParaStyles().Count()) + "}";
    }
    return out;
}
