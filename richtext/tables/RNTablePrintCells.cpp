#include "richtext/tables/RNTablePrintCells.h"

TCellPtblRNData::TCellPtblRNData(TCustomRNData& source, TPrintableRNData& page, TColor color)
    : TRectPtblRNData(source, page) {
    Color = color;
}
