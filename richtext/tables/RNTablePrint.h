#pragma once

// A table on paper: its print layout and the parts it is cut into between pages, only ever
// between rows and never through a cell that spans rows.

#include "richtext/tables/RNTable.h"
#include "richtext/view/PtRNData.h"

#include <vector>

struct TRNTablePrintPart : TRNMultiDrawItemPart {
    int32_t StartRow = 0;
    int32_t RowCount = 0;
};

class TRNTablePrintInfo : public TRNMultiDrawItemInfo {
public:
    explicit TRNTablePrintInfo(TRNTableItemInfo* table) : Table(table) {}

    TRNTableItemInfo* Table;
    TRNTableItemFormattingInfo FormattingInfo{true};
    TRNScreenAndDevice Sad;
    // The rows of each part; PartsList holds the same parts' heights.
    std::vector<TRNTablePrintPart> Parts;

    // The line is as large as the table laid out for the page (set by the table when it is laid
    // out), not as the table shows on screen.
    void SetSize(int /*width*/, int /*height*/) override {}
    bool InitSplit() override;
    bool CanSplitFirst(int y) override;
    bool SplitAt(int y) override;

private:
    // The border and spacing above the first row and below the last, on every part.
    int Extra() const;
    void AddPart(int startRow, int rowCount, int height);
};
