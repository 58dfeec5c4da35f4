#pragma once

// An item that holds a control (a button, an edit box) inside a line of text.

#include "platform/graphics/EmbeddedControl.h"
#include "richtext/model/RNItem.h"

class TRNControlItemInfo : public TRNRectItemInfo {
public:
    explicit TRNControlItemInfo(TCustomRNData* rnData) : TRNRectItemInfo(rnData) {}
    TRNControlItemInfo(TCustomRNData* rnData, std::unique_ptr<IEmbeddedControl> control,
                       TRNVAlign vAlign);
    ~TRNControlItemInfo() override;

    std::unique_ptr<IEmbeddedControl> Control;
    // 1 to 100: the control's width follows that share of the document's width.
    int32_t PercentWidth = 0;

    std::unique_ptr<TCustomRNItemInfo> CreateEmptyLike(TCustomRNData* rnData) const override;
    int GetWidth() const override { return GetImageWidth() + 2; }
    int GetHeight() const override { return GetImageHeight() + 2; }
    int GetImageWidth() const override;
    int GetImageHeight() const override;
    int GetMinWidth() const override;
    bool GetBoolValue(TRNItemBoolProperty prop) const override;
    bool GetBoolValueEx(TRNItemBoolPropertyEx prop, TRNStyle* style) const override;
    bool OwnsControl(const IEmbeddedControl* control) const override;
    void Paint(int x, int y, TCanvas& canvas, TRNItemDrawStates state, TRNStyle& style,
               TRNDrawLineInfo* drawLineInfo) override;
    bool PrintToBitmap(TBitmap& bitmap, bool preview, TCustomRNData& rnData) override;
    void AdjustInserted(int x, int y, bool adjustY) override;
    void OnDocWidthChange(int docWidth, TRNDrawLineInfo* drawLineInfo, bool printing) override;
    void Inserted(TCustomRNData* rnData, bool flag) override;
    void MovingToUndoList(int itemNo, TCustomRNData& rnData) override;
    void MovingFromUndoList(int itemNo, TCustomRNData& rnData) override;
    void Focusing() override;

    // RNF and plain text
    void SaveRNF(TStream& stream, TCustomRNData& rnData, int itemNo, int paraNo,
                 const std::string& name) override;
    bool ReadRNFLine(std::string_view line, TCustomRNData& rnData, int readType, int lineNo,
                     int lineCount, std::string& name, TRNFReadMode& readMode,
                     TRNFReadState& readState) override;
    std::string AsText(int lineWidth, TCustomRNData& rnData, std::string_view text,
                       const std::string& path, bool textOnly, bool unicode) override;

    // RTF and HTML
    void SaveRTF(TStream& stream, TCustomRNData& rnData, int itemNo, const std::string& name,
                 double twipsPerPixel, int level, TRNColorList& colorList,
                 TRNIntegerList* styleToFont, TRNIntegerList* fontTable) override;
    void SaveToHTML(TStream& stream, TCustomRNData& rnData, int itemNo, std::string_view text,
                    const std::string& path, const std::string& imagesPrefix, int& imageSaveNo,
                    TColor currentFileColor, bool overrideImages, bool useCSS,
                    TRNList<TRNHTMLBulletInfo>& bullets) override;
};

// Controls keep their document y in their Tag; their window y is that value kept within
// -10000..10000, so far-away controls never get coordinates the window system cannot hold.
int RN_GetYByTag(const IEmbeddedControl& control);
void RN_Tag2Y(IEmbeddedControl& control);
