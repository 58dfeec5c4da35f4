#pragma once

// Documents owned by an item (the cells of a table): a list that holds them with the flags
// they share, and the nested document base that answers from the document above it.

#include "richtext/view/CRNFData.h"

class TRNItemFormattedData;

class TRNDataList : public TRNList<TRNItemFormattedData> {
public:
    explicit TRNDataList(TCustomRNData* rnData) : RNData(rnData) {}

    TRNFlags Flags{TRNFlag::rnflTrim, TRNFlag::rnflMouseXYAlwaysCorrect};
    // The document the list's documents belong to (for a table row: the one holding the
    // table).
    TCustomRNData* RNData;
};

// A document nested in an item: no control of its own, so no margins, no scrolling and no
// events beyond those its root raises. Size and colour come from the descendant.
class TRNItemFormattedData : public TCustomRNFormattedData {
public:
    explicit TRNItemFormattedData(TRNDataList* list) : List(list) {}
    ~TRNItemFormattedData() override;

    TRNDataList* List;

    TCustomRNData* GetParentData() const override { return List ? List->RNData : nullptr; }
    TCustomRNData* GetRootData() override;
    TRNFlags GetFlags() const override { return List ? List->Flags : TRNFlags{}; }
    [[noreturn]] void SetFlags(TRNFlags flags) override;
    int GetLeftMargin() const override { return 0; }
    int GetRightMargin() const override { return 0; }
    int GetTopMargin() const override { return 0; }
    int GetBottomMargin() const override { return 0; }
    int GetAreaWidth() const override { return 0; }
    int GetMinTextWidth() const override { return 0; }
    int GetMaxTextWidth() const override { return 0; }
    int GetVSmallStep() const override { return 0; }
    TRNBackground* GetBackground() const override { return nullptr; }
    TCanvas* GetCanvas() const override;

    bool IsAssignedCheckpointVisible() const override { return false; }
    bool IsAssignedJump() const override { return false; }
    bool IsAssignedRNMouseDown() const override { return false; }
    bool IsAssignedRNMouseUp() const override { return false; }
    void AdjustVScrollUnits() override {}
    void SetDocumentAreaSize(int, int, bool) override {}
    void ScrollTo(int, bool) override {}
    void HScrollTo(int) override {}
    void DoJump(int) override {}
    void DoRNMouseMove(int) override {}
    void DoRNMouseDown(int, uint32_t, int, int, int) override {}
    void DoRNMouseUp(int, uint32_t, int, int, int) override {}
    void DoCheckpointVisible(TRNCPInfo*) override {}
    void ControlAction2(TRNControlAction, int, IEmbeddedControl&) override {}

    // Raised through the root document.
    TCursor GetNormalCursor() const override;
    std::string GetURL(int id) override;
    void HTMLSaveImage(TCustomRNData& rnData, int itemNo, const std::string& path,
                       TColor backgroundColor, std::string& location, bool& doDefault) override;
    void ShowRectangle(int x, int y, int w, int h) override;
    void DoCopy() override;
    bool IsAssignedCopy() const override;
    bool IsAssignedRNRightClick() const override;
    bool IsAssignedRNDblClick() const override;
    void DoRNRightClick(const std::string& clickedWord, int styleNo, int x, int y) override;
    void DoRNDblClick(const std::string& clickedWord, int styleNo) override;
    void DoSelect() override;
    TCPEventKind GetCPEventKind() const override;

private:
    // The outermost formatted document, null when there is none above this one.
    TCustomRNFormattedData* Root() const;
};
