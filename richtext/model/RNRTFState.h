#pragma once

// What the RTF reader keeps while it reads: the formatting of the current group (character,
// paragraph, section and document properties), the font and colour tables, the style sheet
// and the picture being collected.

#include "platform/base/Set.h"
#include "platform/graphics/Color.h"
#include "platform/graphics/Font.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

enum class TRNRTFErrorCode {
    rtf_ec_OK,
    rtf_ec_StackUnderflow,
    rtf_ec_StackOverflow,
    rtf_ec_UnmatchedBrace,
    rtf_ec_InvalidHex,
    rtf_ec_BadTable,
    rtf_ec_Assertion,
    rtf_ec_EndOfFile,
    rtf_ec_FileOpenError,
    rtf_ec_Exception,
    rtf_ec_InvalidPicture,
    rtf_ec_Aborted
};

enum class TRTFrds {
    rdsNorm,
    rdsSkip,
    rdsFontTable,
    rdsStyleSheet,
    rdsColorTable,
    rdsStyleSheetEntry,
    rdsPict
};
enum class TRTFris { risNorm, risBin, risHex };

enum class TRNRTFPosition { rtf_ts_ContinuePara, rtf_ts_NewLine, rtf_ts_NewPara };

enum class TRNRTFPictureType {
    rtf_pict_EMF,
    rtf_pict_PNG,
    rtf_pict_JPEG,
    rtf_pict_MacPict,
    rtf_pict_PmMetafile,
    rtf_pict_WMF,
    rtf_pict_DIB,
    rtf_pict_DDB
};

enum class TRNRTFAlignment { rtf_al_Left, rtf_al_Right, rtf_al_Center, rtf_al_Justify };
enum class TRNRTFSScriptType { rtf_ss_Normal, rtf_ss_Subscript, rtf_ss_Superscript };
enum class TRNRTFFontStyleEx { rtf_fs_AllCaps };
using TRNRTFFontStylesEx = TSet<TRNRTFFontStyleEx>;

enum class TRNRTFBorderType {
    rtf_brdr_None,
    rtf_brdr_SingleThickness,
    rtf_brdr_DoubleThickness,
    rtf_brdr_Shadow,
    rtf_brdr_Double,
    rtf_brdr_Dot,
    rtf_brdr_Dash,
    rtf_brdr_Hairline,
    rtf_brdr_DashSmall,
    rtf_brdr_DotDash,
    rtf_brdr_DotDotDash,
    rtf_brdr_Triple,
    rtf_brdr_ThickThinSmall,
    rtf_brdr_ThinThickSmall,
    rtf_brdr_ThinThickThinSmall,
    rtf_brdr_ThickThinMed,
    rtf_brdr_ThinThickMed,
    rtf_brdr_ThinThickThinMed,
    rtf_brdr_ThickThinLarge,
    rtf_brdr_ThinThickLarge,
    rtf_brdr_ThinThickThinLarge,
    rtf_brdr_Wavy,
    rtf_brdr_DoubleWavy,
    rtf_brdr_Striped,
    rtf_brdr_Emboss,
    rtf_brdr_Engrave,
    rtf_brdr_Inset,
    rtf_brdr_Outset
};
enum class TRNRTFSide { rtf_side_Left, rtf_side_Top, rtf_side_Right, rtf_side_Bottom };
enum class TRNRTFSectionBreakType {
    rtf_sbk_None,
    rtf_sbk_Column,
    rtf_sbk_Even,
    rtf_sbk_Odd,
    rtf_sbk_Page
};
enum class TRNRTFPageNumberFormat {
    rtf_pg_Decimal,
    rtf_pg_UpperRoman,
    rtf_pg_LowerRoman,
    rtf_pg_UpperLetter,
    rtf_pg_LowerLetter
};
enum class TRNRTFStyleSheetType { rtf_sst_Char, rtf_sst_Par, rtf_sst_Sect };
enum class TRNRTFFontFamily {
    rtf_ff_Default,
    rtf_ff_Roman,
    rtf_ff_Swiss,
    rtf_ff_Modern,
    rtf_ff_Script,
    rtf_ff_Decorative,
    rtf_ff_Symbol,
    rtf_ff_BiDi
};

// A character-property font index that stands for the document's default font ("deff"); the
// reader resolves it through the font table when a run asks for its font.
constexpr int32_t RTFDefaultFontIndex = -2;

class TRNRTFCharProperties {
public:
    int32_t Size = 12;
    TColor Color = clWindowText;
    TColor BackColor = clNone;
    int32_t FontIndex = 0;
    TFontStyles Style;
    TRNRTFFontStylesEx StyleEx;
    int32_t CharScaleX = 100;
    TRNRTFSScriptType SScriptType = TRNRTFSScriptType::rtf_ss_Normal;

    void Reset() { *this = TRNRTFCharProperties(); }
    void Assign(const TRNRTFCharProperties& source) { *this = source; }
    bool operator==(const TRNRTFCharProperties&) const = default;
};

struct TRNRTFBorderSide {
    TRNRTFBorderType BorderType = TRNRTFBorderType::rtf_brdr_None;
    int32_t Width = 0;
    TColor Color = 0;
    int32_t Space = 0;
    bool operator==(const TRNRTFBorderSide&) const = default;
};

class TRNRTFParaBorder {
public:
    // The side, created (all zero) when missing.
    TRNRTFBorderSide& GetSides(TRNRTFSide side);
    const TRNRTFBorderSide* Side(TRNRTFSide side) const {
        return sides_[static_cast<size_t>(side)].get();
    }
    void Assign(const TRNRTFParaBorder& source);

private:
    std::array<std::unique_ptr<TRNRTFBorderSide>, 4> sides_;
};

class TRNRTFParaProperties {
public:
    TRNRTFParaProperties() = default;
    TRNRTFParaProperties(const TRNRTFParaProperties& other) { Assign(other); }
    TRNRTFParaProperties& operator=(const TRNRTFParaProperties& other) {
        Assign(other);
        return *this;
    }

    int32_t LeftIndent = 0;
    int32_t RightIndent = 0;
    int32_t FirstIndent = 0;
    int32_t SpaceBefore = 0;
    int32_t SpaceAfter = 0;
    TRNRTFAlignment Alignment = TRNRTFAlignment::rtf_al_Left;
    std::unique_ptr<TRNRTFParaBorder> Border;
    TRNRTFSide CurBorderSide = TRNRTFSide::rtf_side_Left;
    int32_t LineSpacing = 240;
    uint8_t LineSpacingMulti = 1;
    TColor Color = clNone;

    TRNRTFParaBorder& GetBorder();
    bool HasBorder() const;
    // The side's type when the side exists, else none.
    TRNRTFBorderType SideType(TRNRTFSide side) const;
    void Reset();
    void Assign(const TRNRTFParaProperties& source);
    // Every field and border side alike.
    bool SameAs(const TRNRTFParaProperties& other) const;
};

struct TRNRTFSectionProperties {
    int32_t ColumnCount = 1;
    TRNRTFSectionBreakType SectionBreakType = TRNRTFSectionBreakType::rtf_sbk_Page;
    int32_t PageNumberXPos = 720;
    int32_t PageNumberYPos = 720;
    TRNRTFPageNumberFormat PageNumberFormat = TRNRTFPageNumberFormat::rtf_pg_Decimal;
    void Reset() { *this = TRNRTFSectionProperties(); }
};

struct TRNRTFDocProperties {
    int32_t PaperWidth = 12240;
    int32_t PaperHeight = 15480;
    int32_t LeftMargin = 1800;
    int32_t TopMargin = 1440;
    int32_t RightMargin = 1800;
    int32_t BottomMargin = 1440;
    int32_t PageNumberStart = 1;
    bool FacingPages = false;
    bool Landscape = false;
    void Reset() { *this = TRNRTFDocProperties(); }
};

class TRNRTFReaderState {
public:
    TRNRTFCharProperties CharProps;
    TRNRTFParaProperties ParaProps;
    TRNRTFSectionProperties SectProps;
    TRNRTFDocProperties DocProps;
    TRTFrds Destination = TRTFrds::rdsNorm;
    TRTFris InputState = TRTFris::risNorm;

    void Assign(const TRNRTFReaderState& source) { *this = source; }
    void Reset();
    void ChangeFontStyle(TFontStyle style, int32_t value);
};

struct TRNRTFFont {
    int32_t Number = 0;
    std::string Name;
    TRNRTFFontFamily Family = TRNRTFFontFamily::rtf_ff_Default;
    uint8_t Charset = 0;
};

class TRNRTFFontList {
public:
    int Count() const { return static_cast<int>(fonts_.size()); }
    TRNRTFFont& operator[](int index) { return fonts_.at(static_cast<size_t>(index)); }
    const TRNRTFFont& operator[](int index) const { return fonts_.at(static_cast<size_t>(index)); }
    void Add(int32_t number);
    // The list index of the first font with the number, or -1.
    int GetFontIndex(int32_t number) const;
    // The last font; raises when the table has none (text before any font number).
    TRNRTFFont& Last();
    void Clear() {
        fonts_.clear();
        byNumber_.clear();
    }

private:
    std::vector<TRNRTFFont> fonts_;
    // The first font of each number: a table of thousands of fonts is looked up for every
    // font change of the text.
    std::unordered_map<int32_t, int> byNumber_;
};

class TRNRTFColorList {
public:
    int Count() const { return static_cast<int>(colors_.size()); }
    TColor operator[](int index) const { return colors_.at(static_cast<size_t>(index)); }
    void Add() { colors_.push_back(clWindowText); }
    void ResetLast();
    void SetLastRed(int32_t value) { SetLast(value, 0); }
    void SetLastGreen(int32_t value) { SetLast(value, 8); }
    void SetLastBlue(int32_t value) { SetLast(value, 16); }
    void Finalize();
    void Clear() { colors_.clear(); }

private:
    void SetLast(int32_t value, int shift);
    std::vector<TColor> colors_;
};

class TRNRTFStyleSheetEntry {
public:
    TRNRTFParaProperties ParaProps;
    TRNRTFCharProperties CharProps;
    bool Additive = false;
    bool Hidden = false;
    int32_t Number = 0;
    TRNRTFStyleSheetType StyleSheetType = TRNRTFStyleSheetType::rtf_sst_Char;
    TRNRTFStyleSheetEntry* BasedOn = nullptr;
    TRNRTFStyleSheetEntry* Next = this;
    std::string Name;

    void Assign(const TRNRTFReaderState& state);
};

class TRNRTFStyleSheet {
public:
    int Count() const { return static_cast<int>(entries_.size()); }
    TRNRTFStyleSheetEntry& operator[](int index) const {
        return *entries_.at(static_cast<size_t>(index));
    }
    void AddPara(int32_t number);
    TRNRTFStyleSheetEntry* GetEntry(int32_t number) const;
    // The last entry, or null for an empty sheet.
    TRNRTFStyleSheetEntry* Last() const {
        return entries_.empty() ? nullptr : entries_.back().get();
    }
    void Clear() {
        entries_.clear();
        byNumber_.clear();
        indexed_ = 0;
    }

private:
    std::vector<std::unique_ptr<TRNRTFStyleSheetEntry>> entries_;
    // The first entry of each number, for "sbasedon" and "snext" in a sheet of thousands. The
    // last entry's number may still change while its group is read: only the entries before
    // it are indexed, as the look-ups reach them.
    mutable std::unordered_map<int32_t, TRNRTFStyleSheetEntry*> byNumber_;
    mutable size_t indexed_ = 0;
};

// The bytes of one picture as they are collected, with what its keywords said.
class TRNRTFPicture {
public:
    TRNRTFPictureType PictureType = TRNRTFPictureType::rtf_pict_EMF;
    int32_t MetafileMapMode = 0;
    std::string Data;
    int32_t PicW = 0;
    int32_t PicH = 0;
    int32_t WBMWidthBytes = 0;
    // The size the picture is shown at, in twips (0: not given), and its scale in percent.
    int32_t PicWGoal = 0;
    int32_t PicHGoal = 0;
    int32_t PicScaleX = 100;
    int32_t PicScaleY = 100;
    // The shown size in twips from the goals and the scale, 0 where no goal is given.
    int64_t ShownWidthTwips() const { return Shown(PicWGoal, PicScaleX); }
    int64_t ShownHeightTwips() const { return Shown(PicHGoal, PicScaleY); }

    // Writes at the data position (appending at the end).
    void Put(char byte) {
        if (position_ == Data.size()) {
            Data.push_back(byte);
        } else {
            Data[position_] = byte;
        }
        ++position_;
    }
    void Put(std::string_view bytes) {
        if (position_ == Data.size()) {
            Data.append(bytes);
            position_ = Data.size();
        } else {
            for (char c : bytes) {
                Put(c);
            }
        }
    }
    // A bitmap without its file header leaves room for one.
    void ReserveFileHeader();
    // No byte of the picture itself was read.
    bool Empty() const { return Data.size() <= reserved_; }

private:
    static int64_t Shown(int32_t goal, int32_t scale) {
        return goal > 0 && scale > 0 ? int64_t{goal} * scale / 100 : 0;
    }
    size_t position_ = 0;
    size_t reserved_ = 0;
};
