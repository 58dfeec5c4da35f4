#pragma once

// Items that show a picture: a picture of their own, or an image of an image list (bullets,
// and hotspots, which are hypertext jumps).

#include "platform/graphics/Graphic.h"
#include "richtext/model/RNItem.h"

class TRNGraphicItemInfo : public TRNRectItemInfo {
public:
    explicit TRNGraphicItemInfo(TCustomRNData* rnData) : TRNRectItemInfo(rnData) {}
    TRNGraphicItemInfo(TCustomRNData* rnData, std::unique_ptr<TGraphic> image, TRNVAlign vAlign);
    ~TRNGraphicItemInfo() override;

    std::unique_ptr<TGraphic> Image;
    // A copy prepared for painting; pictures here never need one, but one that is set is
    // what gets drawn.
    std::unique_ptr<TGraphic> ImageCopy;

    std::unique_ptr<TCustomRNItemInfo> CreateEmptyLike(TCustomRNData* rnData) const override;
    int GetWidth() const override { return GetImageWidth() + 2; }
    int GetHeight() const override { return GetImageHeight() + 2; }
    int GetImageWidth() const override;
    int GetImageHeight() const override;
    int GetMinWidth() const override { return GetImageWidth() + 2; }
    TGraphic* AsImage() const override { return Image.get(); }
    bool GetBoolValue(TRNItemBoolProperty prop) const override;
    void Assign(const TCustomRNItemInfo& source) override;
    void Paint(int x, int y, TCanvas& canvas, TRNItemDrawStates state, TRNStyle& style,
               TRNDrawLineInfo* drawLineInfo) override;
    bool PrintToBitmap(TBitmap& bitmap, bool preview, TCustomRNData& rnData) override;

    void Print(TCanvas& canvas, int x, int y, int x2, bool preview, bool correction,
               const TRNScreenAndDevice& sad, TCustomRNData& rnData, TRNDrawLineInfo* drawLineInfo,
               int part) override;
    void MovingToUndoList(int itemNo, TCustomRNData& rnData) override;

    // RNF and plain text
    void SaveRNF(TStream& stream, TCustomRNData& rnData, int itemNo, int paraNo,
                 const std::string& name) override;
    bool ReadRNFLine(std::string_view line, TCustomRNData& rnData, int readType, int lineNo,
                     int lineCount, std::string& name, TRNFReadMode& readMode,
                     TRNFReadState& readState) override;

    // RTF and HTML
    void SaveRTF(TStream& stream, TCustomRNData& rnData, int itemNo, const std::string& name,
                 double twipsPerPixel, int level, TRNColorList& colorList,
                 TRNIntegerList* styleToFont, TRNIntegerList* fontTable) override;
    void SaveToHTML(TStream& stream, TCustomRNData& rnData, int itemNo, std::string_view text,
                    const std::string& path, const std::string& imagesPrefix, int& imageSaveNo,
                    TColor currentFileColor, bool overrideImages, bool useCSS,
                    TRNList<TRNHTMLBulletInfo>& bullets) override;
};

class TRNBulletItemInfo : public TRNRectItemInfo {
public:
    explicit TRNBulletItemInfo(TCustomRNData* rnData) : TRNRectItemInfo(rnData) {}
    TRNBulletItemInfo(TCustomRNData* rnData, int imageIndex, const TImageList* imageList,
                      TRNVAlign vAlign);

    const TImageList* ImageList = nullptr; // not owned
    int32_t ImageIndex = 0;

    std::unique_ptr<TCustomRNItemInfo> CreateEmptyLike(TCustomRNData* rnData) const override;
    virtual int GetImageIndex(bool hot) const;
    int GetWidth() const override { return GetImageWidth() + 2; }
    int GetHeight() const override { return GetImageHeight() + 2; }
    int GetImageWidth() const override;
    int GetImageHeight() const override;
    int GetMinWidth() const override { return GetImageWidth() + 2; }
    bool GetBoolValue(TRNItemBoolProperty prop) const override;
    void Assign(const TCustomRNItemInfo& source) override;
    void Paint(int x, int y, TCanvas& canvas, TRNItemDrawStates state, TRNStyle& style,
               TRNDrawLineInfo* drawLineInfo) override;
    bool PrintToBitmap(TBitmap& bitmap, bool preview, TCustomRNData& rnData) override;

    // RNF and plain text
    std::string SaveRNFHeaderTail(TCustomRNData& rnData) const override;
    bool ReadRNFHeader(std::string_view& rest, TCustomRNData& rnData) override;
    void SaveRNF(TStream& stream, TCustomRNData& rnData, int itemNo, int paraNo,
                 const std::string& name) override;
    bool ReadRNFLine(std::string_view line, TCustomRNData& rnData, int readType, int lineNo,
                     int lineCount, std::string& name, TRNFReadMode& readMode,
                     TRNFReadState& readState) override;

    // RTF and HTML
    void SaveRTF(TStream& stream, TCustomRNData& rnData, int itemNo, const std::string& name,
                 double twipsPerPixel, int level, TRNColorList& colorList,
                 TRNIntegerList* styleToFont, TRNIntegerList* fontTable) override;
    void SaveToHTML(TStream& stream, TCustomRNData& rnData, int itemNo, std::string_view text,
                    const std::string& path, const std::string& imagesPrefix, int& imageSaveNo,
                    TColor currentFileColor, bool overrideImages, bool useCSS,
                    TRNList<TRNHTMLBulletInfo>& bullets) override;
};

class TRNHotspotItemInfo : public TRNBulletItemInfo {
public:
    explicit TRNHotspotItemInfo(TCustomRNData* rnData) : TRNBulletItemInfo(rnData) {}
    TRNHotspotItemInfo(TCustomRNData* rnData, int imageIndex, int hotImageIndex,
                       const TImageList* imageList, TRNVAlign vAlign);

    int32_t HotImageIndex = 0;

    std::unique_ptr<TCustomRNItemInfo> CreateEmptyLike(TCustomRNData* rnData) const override;
    int GetImageIndex(bool hot) const override { return hot ? HotImageIndex : ImageIndex; }
    bool GetBoolValueEx(TRNItemBoolPropertyEx prop, TRNStyle* style) const override;
    void Assign(const TCustomRNItemInfo& source) override;
    void Execute(TCustomRNData& rnData) override;

    // RNF and plain text
    std::string SaveRNFHeaderTail(TCustomRNData& rnData) const override;
    bool ReadRNFHeader(std::string_view& rest, TCustomRNData& rnData) override;
};
