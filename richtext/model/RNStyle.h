#pragma once

// The style sheet: text and paragraph styles, the colours of selection, hypertext,
// checkpoints and page breaks, and the drawing of text and marks in a style. Each drawing
// routine first offers its work to its handler, which may do it and clear the do-default flag
// to skip the sheet's own drawing.

#include "richtext/model/RNStyleInfos.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class TRNCustomIniFile;
class ISettingsStore;
class TStream;

enum class TRNSaveCSSOption { rncssOnlyDifference, rncssIgnoreLeftAlignment };
using TRNSaveCSSOptions = TSet<TRNSaveCSSOption>;

using TRNCodePage = int32_t;

// What a checkpoint or page-break mark is drawn across: the control's widths.
struct TRNMarkArea {
    int Width = 0;
    int ClientWidth = 0;
};

class TRNStyle {
public:
    TRNStyle();
    ~TRNStyle();
    TRNStyle(const TRNStyle&) = delete;
    TRNStyle& operator=(const TRNStyle&) = delete;

    // Controls that show through the sheet are told when it goes, so none keeps a dangling
    // reference: `onFree` runs from the destructor unless removed first with the returned key.
    int AddFreeNotification(std::function<void()> onFree);
    void RemoveFreeNotification(int key);

    // The sheet's name; written with style collections into notes ("rns" in the notes
    // editor).
    std::string Name;

    TFontInfos& TextStyles() { return textStyles_; }
    const TFontInfos& TextStyles() const { return textStyles_; }
    void SetTextStyles(const TFontInfos& value) { textStyles_.Assign(value); }
    TParaInfos& ParaStyles() { return paraStyles_; }
    const TParaInfos& ParaStyles() const { return paraStyles_; }
    void SetParaStyles(const TParaInfos& value) { paraStyles_.Assign(value); }

    int16_t SpacesInTab = 8;
    TCursor JumpCursor = crJump;
    bool FullRedraw = false;
    bool UseSound = true;
    TColor Color = clWindow;
    TColor HoverColor = clNone;
    TColor SelColor = clHighlight;
    TColor SelTextColor = clHighlightText;
    TColor CheckpointColor = clGreen;
    TColor CheckpointEvColor = clLime;
    TColor PageBreakColor = clBtnShadow;
    int32_t DefUnicodeStyle = -1;
    TRNCodePage DefCodePage = 0;

    // Handlers; each may be left empty. The last argument is the do-default flag.
    std::function<void(TRNStyle& sender, TCanvas& canvas, int styleNo, bool& doDefault)>
        OnApplyStyle;
    std::function<void(TRNStyle& sender, TCanvas& canvas, int styleNo, TRNTextDrawState state,
                       bool& doDefault)>
        OnApplyStyleColor;
    std::function<void(TRNStyle& sender, std::string_view text, TCanvas& canvas, int styleNo,
                       int spaceBefore, int left, int top, int width, int height,
                       TRNTextDrawState state, bool& doDefault)>
        OnDrawStyleText;
    std::function<void(TRNStyle& sender, int styleNo, bool& sensitive)> OnStyleHoverSensitive;
    std::function<void(TRNStyle& sender, TCanvas& canvas, int itemNo, int styleNo, int left,
                       int top, int width, int height, TRNTextDrawState state, bool& doDefault)>
        OnDrawTextBack;
    std::function<void(TRNStyle& sender, TCanvas& canvas, int x, int y, int itemNo, int xShift,
                       bool raiseEvent, const TRNMarkArea& area, bool& doDefault)>
        OnDrawCheckpoint;
    std::function<void(TRNStyle& sender, TCanvas& canvas, int y, int xShift,
                       const TRNMarkArea& area, bool& doDefault)>
        OnDrawPageBreak;
    std::function<void(TRNStyle& sender, TCanvas& canvas, int paraNo, const TRect& r,
                       bool& doDefault)>
        OnDrawParaBack;

    // The item being drawn, stored before OnDrawStyleText and OnDrawTextBack for the
    // handler's use; the data object is whatever the caller passes.
    const void* RNData = nullptr;
    int ItemNo = -1;
    int OffsetInItem = 0;

    void ApplyStyle(TCanvas& canvas, int styleNo);
    void ApplyStyleColor(TCanvas& canvas, int styleNo, TRNTextDrawState drawState);
    // `text` is 8-bit, or raw UTF-16LE for a Unicode style.
    void DrawStyleText(std::string_view text, TCanvas& canvas, int itemNo, int offsetInItem,
                       int styleNo, const void* rnData, int spaceBefore, int left, int top,
                       int width, int height, TRNTextDrawState drawState);
    void DrawTextBack(TCanvas& canvas, int itemNo, int styleNo, const void* rnData, int left,
                      int top, int width, int height, TRNTextDrawState drawState);
    bool StyleHoverSensitive(int styleNo);
    TColor GetHoverColorByColor(TColor color) const;
    TColor GetHoverColor(int styleNo) const;
    void DrawCheckpoint(TCanvas& canvas, int x, int y, int itemNo, int xShift, bool raiseEvent,
                        const TRNMarkArea& area);
    void DrawPageBreak(TCanvas& canvas, int y, int xShift, const TRNMarkArea& area);
    void DrawParaBack(TCanvas& canvas, int paraNo, const TRect& r);

    int AddTextStyle();
    void DeleteTextStyle(int index) { textStyles_.Delete(index); }
    void ResetTextStyles();
    void ResetParaStyles();

    // The whole sheet in an INI file or the settings store ("RNStyle" below `path`). Nothing
    // in the program calls these; they serve tools and tests.
    void LoadINI(const std::string& fileName, const std::string& section);
    void SaveINI(const std::string& fileName, const std::string& section) const;
    void LoadReg(ISettingsStore& store, const std::string& path);
    void SaveReg(ISettingsStore& store, const std::string& path) const;
    void LoadFromINI(const TRNCustomIniFile& ini, const std::string& section);
    void SaveToINI(TRNCustomIniFile& ini, const std::string& section) const;

    // RTF and HTML
    // The sheet as CSS classes (RNTS and RNPS with the style number), text and paragraph
    // style 0 as the page's defaults; lines end with CR LF.
    void SaveCSSToStream(TStream& stream, TRNSaveCSSOptions options) const;
    // False when the file cannot be written; an old file stays as it was.
    bool SaveCSS(const std::string& fileName, TRNSaveCSSOptions options) const;

private:
    TFontInfos textStyles_{this};
    TParaInfos paraStyles_{this};
    std::vector<std::pair<int, std::function<void()>>> freeNotifications_;
    int nextFreeKey_ = 0;
};
