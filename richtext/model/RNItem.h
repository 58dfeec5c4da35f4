#pragma once

// The items of a rich-text document: the base every item class derives from, checkpoints,
// text items, the full-line and rectangular bases and breaks. Pictures, bullets, hotspots and
// controls have their own files.
//
// The formatting, painting and export layers reach an item only through the virtuals here;
// an item reaches them only through its document (TCustomRNData).

#include "platform/base/Set.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Types.h"
#include "richtext/model/RNClasses.h"
#include "richtext/model/RNItemOptions.h"

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

class TBitmap;
class TCanvas;
class TCustomRNData;
class TGraphic;
class TImageList;
class TRNStyle;
class TStream;
class IEmbeddedControl;
class TRNDrawLineInfo; // a piece of a formatted line, owned by the formatting layer
struct TRNJumpInfo;    // a hypertext area, owned by the formatting layer

enum class TRNItemDrawState {
    rnidsSelected,
    rnidsCurrent,
    rnidsHover,
    rnidsPrinting,
    rnidsPreview,
    rnidsPreviewCorrection
};
using TRNItemDrawStates = TSet<TRNItemDrawState>;

enum class TRNItemBoolProperty {
    rnbpPrintToBMP,
    rnbpFullWidth,
    rnbpValid,
    rnbpRequiresRNFLines,
    rnbpDisplayActiveState,
    rnbpDrawingChangesFont,
    rnbpPrintRequiresPrinterDPI,
    rnbpCanSaveUnicode,
    rnbpAlwaysInText,
    rnbpImmediateControlOwner
};

enum class TRNItemBoolPropertyEx { rnbpJump, rnbpAllowsFocus, rnbpHotColdJump, rnbpXORFocus };

enum class TRNFReadMode {
    rmText,
    rmBeforeBinary,
    rmBinary,
    rmBeforeUnicode,
    rmUnicode,
    rmAfterUnicode
};
enum class TRNFReadState { rstHeader, rstData, rstSkip };

enum class TRNVAlign : uint8_t { rnvaBaseline, rnvaMiddle };

enum class TRNPaletteAction {
    rnpaDoNothing,
    rnpaAssignPallette,
    rnpaCreateCopies,
    rnpaCreateCopiesEx
};

enum class TRNSaveFormat { rnsfText, rnsfHTML, rnsfRTF, rnsfRNF };

// A picture of an image list already written by an HTML export, reused for equal bullets.
struct TRNHTMLBulletInfo {
    std::string FileName;
    const TImageList* ImageList = nullptr;
    int ImageIndex = 0;
    TColor BackColor = clNone;
};

class TCustomRNItemInfo;

// What every piece of a formatted line derives from. The formatting layer above the model
// owns the pieces; this base lets an item make a piece of its own class for it.
class TRNDrawItemBase {
public:
    virtual ~TRNDrawItemBase() = default;
};

// A named, tagged mark attached to one item; the document chains its checkpoints in item
// order.
class TRNCPInfo {
public:
    std::string Name;
    TRNCPInfo* Next = nullptr;
    TRNCPInfo* Prev = nullptr;
    bool RaiseEvent = false;
    TCustomRNItemInfo* ItemInfo = nullptr;
    int ItemNo = -1;
    RNTag Tag;

    // Name, RaiseEvent and a copy of the tag; never the links.
    void Assign(const TRNCPInfo& source, bool tagsArePChars);
    std::unique_ptr<TRNCPInfo> CreateCopy(bool tagsArePChars) const;
};

class TCustomRNItemInfo {
public:
    explicit TCustomRNItemInfo(TCustomRNData* rnData);
    virtual ~TCustomRNItemInfo();
    TCustomRNItemInfo(const TCustomRNItemInfo&) = delete;
    TCustomRNItemInfo& operator=(const TCustomRNItemInfo&) = delete;

    int16_t StyleNo = 0;
    int16_t ParaNo = 0;
    TRNItemOptions ItemOptions;
    std::unique_ptr<TRNCPInfo> Checkpoint;
    int32_t JumpNo = 0;
    RNTag Tag;
    int32_t DrawItemNo = -1;

    // An empty item of the same class, as the factory would build it.
    virtual std::unique_ptr<TCustomRNItemInfo> CreateEmptyLike(TCustomRNData* rnData) const = 0;

    // Line starts: at most one of same-as-previous, page break and line break is set.
    bool GetSameAsPrev() const { return Has(TRNItemOption::rnioSameAsPrev); }
    bool GetBR() const { return Has(TRNItemOption::rnioBR); }
    bool GetPageBreakBefore() const { return Has(TRNItemOption::rnioPageBreakBefore); }
    void SetSameAsPrev(bool value);
    void SetPageBreakBefore(bool value);
    void SetBR(bool value);
    bool CanBeBorderStart() const;
    bool ParaStart(bool countBR) const;
    bool IsText() const { return StyleNo >= 0; }

    virtual int GetMinWidth() const { return 20; }
    virtual TGraphic* AsImage() const { return nullptr; }
    virtual bool GetBoolValue(TRNItemBoolProperty prop) const;
    virtual bool GetBoolValueEx(TRNItemBoolPropertyEx prop, TRNStyle* style) const;
    virtual void PaintFullWidth(int left, int right, int top, TCanvas& canvas,
                                TRNItemDrawStates state, TRNStyle& style, const TRect& clipRect,
                                TRNDrawLineInfo* drawLineInfo);
    virtual void Paint(int x, int y, TCanvas& canvas, TRNItemDrawStates state, TRNStyle& style,
                       TRNDrawLineInfo* drawLineInfo);
    virtual bool PrintToBitmap(TBitmap& bitmap, bool preview, TCustomRNData& rnData);
    virtual void Print(TCanvas& canvas, int x, int y, int x2, bool preview, bool correction,
                       const TRNScreenAndDevice& sad, TCustomRNData& rnData,
                       TRNDrawLineInfo* drawLineInfo, int part);
    virtual int GetImageWidth() const { return 0; }
    virtual int GetImageHeight() const { return 0; }
    virtual int GetBorderWidth() const { return 1; }
    virtual int GetBorderHeight() const { return 1; }
    virtual void OnDocWidthChange(int docWidth, TRNDrawLineInfo* drawLineInfo, bool printing);

    // Copies StyleNo, ParaNo and ItemOptions, and the class's own fields from an item of the
    // same class; never the checkpoint or the tag.
    virtual void Assign(const TCustomRNItemInfo& source);
    virtual bool OwnsControl(const IEmbeddedControl* control) const;
    virtual bool OwnsInplaceEditor(const void* editor) const;
    virtual void UpdatePaletteInfo(TRNPaletteAction action, bool forceRecreateCopy);
    virtual void MovingToUndoList(int itemNo, TCustomRNData& rnData);
    virtual void MovingFromUndoList(int itemNo, TCustomRNData& rnData);
    virtual void Inserted(TCustomRNData* rnData, bool flag);
    virtual void AfterRNFLoading() {}
    virtual void StartExport() {}
    virtual void EndExport() {}
    virtual int GetHypertextCursor(const TRNStyle& style) const;
    virtual void Execute(TCustomRNData& rnData);

    // Stored forms. The document's RNF, RTF, HTML and text writers and readers call these;
    // each item class answers for its own records.
    virtual std::string SaveRNFHeaderTail(TCustomRNData& rnData) const;
    virtual bool ReadRNFHeader(std::string_view& rest, TCustomRNData& rnData);
    virtual bool ReadRNFLine(std::string_view line, TCustomRNData& rnData, int readType, int lineNo,
                             int lineCount, std::string& name, TRNFReadMode& readMode,
                             TRNFReadState& readState);
    virtual void SaveRNF(TStream& stream, TCustomRNData& rnData, int itemNo, int paraNo,
                         const std::string& name);
    virtual void SaveRTF(TStream& stream, TCustomRNData& rnData, int itemNo,
                         const std::string& name, double twipsPerPixel, int level,
                         TRNColorList& colorList, TRNIntegerList* styleToFont,
                         TRNIntegerList* fontTable);
    virtual void FillRTFColorTable(TRNColorList& colorList);
    virtual void SaveToHTML(TStream& stream, TCustomRNData& rnData, int itemNo,
                            std::string_view text, const std::string& path,
                            const std::string& imagesPrefix, int& imageSaveNo,
                            TColor currentFileColor, bool overrideImages, bool useCSS,
                            TRNList<TRNHTMLBulletInfo>& bullets);
    virtual std::string AsText(int lineWidth, TCustomRNData& rnData, std::string_view text,
                               const std::string& path, bool textOnly, bool unicode);

    // Mouse, focus and nested selection: items that hold documents of their own (tables)
    // answer these; the others ignore them.
    virtual bool MouseMove(uint32_t shift, int x, int y, int itemNo, TCustomRNData& rnData);
    virtual bool MouseDown(int button, uint32_t shift, int x, int y, int itemNo,
                           TCustomRNData& rnData);
    virtual bool MouseUp(int button, uint32_t shift, int x, int y, int itemNo,
                         TCustomRNData& rnData);
    virtual void DeselectPartial() {}
    virtual bool PartiallySelected() const { return false; }
    virtual bool CanDeletePartiallySelected() const { return false; }
    virtual void DeletePartiallySelected() {}
    // What is selected inside the item, for a copy: as an item of its own made for `rnData`
    // (null when nothing inside is selected), and as text, UTF-16LE when `unicode`.
    virtual std::unique_ptr<TCustomRNItemInfo> CopyPartiallySelected(TCustomRNData& /*rnData*/) {
        return nullptr;
    }
    virtual std::string PartiallySelectedText(TCustomRNData& /*rnData*/, bool /*unicode*/) {
        return {};
    }
    virtual void ApplyParaStyleToPartiallySelected(int /*paraNo*/) {}
    virtual void ApplyStyleConversionToPartiallySelected(int /*userData*/) {}
    // The text style where the part selected inside the item starts; -1 when it holds no text.
    virtual int PartiallySelectedTextStyle() const { return -1; }
    virtual void BeforeUndoChangeProperty() {}
    virtual void AfterUndoChangeProperty() {}
    virtual bool EnterItem(int /*from*/) { return false; }
    virtual void BuildJumps(int left, int top, int& startJumpNo, TRNList<TRNJumpInfo>& jumpList);
    virtual void Focusing() {}
    virtual bool MoveFocus(bool goForward, TCustomRNData*& topData, int& topItemNo);
    virtual void ClearFocus() {}
    virtual bool AdjustFocusToControl(IEmbeddedControl* control, TCustomRNData*& topData,
                                      int& topItemNo);

    // Formatting. An item whose draw item must be of a class of its own (one that can be cut
    // across pages) makes it here; null leaves the formatter to make a plain one. The
    // formatter sets the draw item's place and size afterwards.
    virtual std::unique_ptr<TRNDrawItemBase> CreatePrintingDrawItem(TCustomRNData& rnData,
                                                                    const TRNScreenAndDevice& sad);

protected:
    bool Has(TRNItemOption option) const { return ItemOptions.Contains(option); }
};

class TRNTextItemInfo : public TCustomRNItemInfo {
public:
    using TCustomRNItemInfo::TCustomRNItemInfo;
    std::unique_ptr<TCustomRNItemInfo> CreateEmptyLike(TCustomRNData* rnData) const override;
    bool GetBoolValueEx(TRNItemBoolPropertyEx prop, TRNStyle* style) const override;
    void Execute(TCustomRNData& rnData) override;
};

class TRNNonTextItemInfo : public TCustomRNItemInfo {
public:
    using TCustomRNItemInfo::TCustomRNItemInfo;
    virtual int GetHeight() const { return 0; }
    virtual int GetWidth() const { return 0; }
    virtual void AdjustInserted(int /*x*/, int /*y*/, bool /*adjustY*/) {}
};

// Items that take a whole line (breaks, tables).
class TRNFullLineItemInfo : public TRNNonTextItemInfo {
public:
    using TRNNonTextItemInfo::TRNNonTextItemInfo;
    bool GetBoolValue(TRNItemBoolProperty prop) const override;
    int GetBorderWidth() const override { return 0; }
    int GetBorderHeight() const override { return 0; }
};

// Items that stand inside a line as a rectangle (pictures, bullets, controls).
class TRNRectItemInfo : public TRNNonTextItemInfo {
public:
    using TRNNonTextItemInfo::TRNNonTextItemInfo;
    TRNVAlign VAlign = TRNVAlign::rnvaBaseline;
    virtual int GetDescent() const { return 1; }
    void Assign(const TCustomRNItemInfo& source) override;

    // RNF and plain text
    std::string SaveRNFHeaderTail(TCustomRNData& rnData) const override;
    bool ReadRNFHeader(std::string_view& rest, TCustomRNData& rnData) override;

protected:
    static void Outline(TCanvas& canvas, const TRect& r, TColor color);
    // The hover and selection outlines of a picture or control whose top-left is (x, y).
    void PaintOutlines(TCanvas& canvas, int x, int y, TRNItemDrawStates state,
                       const TRNStyle& style) const;
};

enum class TRNBreakStyle : uint8_t { rnbsLine, rnbsRectangle, rnbs3d };

// A horizontal rule.
class TRNBreakItemInfo : public TRNFullLineItemInfo {
public:
    explicit TRNBreakItemInfo(TCustomRNData* rnData) : TRNFullLineItemInfo(rnData) {}
    TRNBreakItemInfo(TCustomRNData* rnData, uint8_t lineWidth, TRNBreakStyle style, TColor color);
    uint8_t LineWidth = 0;
    TRNBreakStyle Style = TRNBreakStyle::rnbsLine;
    TColor Color = clNone; // clNone: the colour of text style 0

    std::unique_ptr<TCustomRNItemInfo> CreateEmptyLike(TCustomRNData* rnData) const override;
    bool GetBoolValue(TRNItemBoolProperty prop) const override;
    void Assign(const TCustomRNItemInfo& source) override;
    void PaintFullWidth(int left, int right, int top, TCanvas& canvas, TRNItemDrawStates state,
                        TRNStyle& style, const TRect& clipRect,
                        TRNDrawLineInfo* drawLineInfo) override;
    void Print(TCanvas& canvas, int x, int y, int x2, bool preview, bool correction,
               const TRNScreenAndDevice& sad, TCustomRNData& rnData, TRNDrawLineInfo* drawLineInfo,
               int part) override;

    // RNF and plain text
    std::string SaveRNFHeaderTail(TCustomRNData& rnData) const override;
    bool ReadRNFHeader(std::string_view& rest, TCustomRNData& rnData) override;
    void SaveRNF(TStream& stream, TCustomRNData& rnData, int itemNo, int paraNo,
                 const std::string& name) override;
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
    void FillRTFColorTable(TRNColorList& colorList) override;

private:
    TColor LineColor(const TRNStyle* style) const;
};
