#include "richtext/model/RNRTFProps.h"

#include "platform/base/Rounding.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/Canvas.h"
#include "platform/graphics/ScreenMetrics.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNSimilarity.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <QImage>

#include <algorithm>
#include <cctype>
#include <cstdlib>

namespace {

using EC = TRNRTFErrorCode;
using BT = TRNRTFBorderType;
using BS = TRNBorderStyle;
constexpr TRNRTFSide Sides[] = {TRNRTFSide::rtf_side_Left, TRNRTFSide::rtf_side_Top,
                                TRNRTFSide::rtf_side_Right, TRNRTFSide::rtf_side_Bottom};

std::string Upper(std::string_view s) {
    std::string out(s);
    for (char& c : out) {
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    }
    return out;
}

// The run's font; a run without one in the table takes an empty name and the default charset,
// so that it still finds or makes a style.
struct RunFont {
    std::string Name;
    TFontCharset Charset = DEFAULT_CHARSET;
};
RunFont FontOf(const TRNRTFReader& reader) {
    const TRNRTFFont* font = reader.CurrentFont();
    if (!font) {
        return {};
    }
    return {font->Name, font->Charset};
}

// The font name of the style a run is given: a run in no font of the table takes the first
// style's, so that the style added for it is found again by the next such run.
std::string StyleFontName(const RunFont& font, const TFontInfos& styles) {
    return font.Name.empty() && styles.Count() > 0 ? styles[0].FontName : font.Name;
}

// The extended styles of a style that keeps a run's formatting.
TRNFontStylesEx StyleExOf(const TRNRTFCharProperties& cp) {
    TRNFontStylesEx styleEx;
    if (cp.StyleEx.Contains(TRNRTFFontStyleEx::rtf_fs_AllCaps)) {
        styleEx.Include(TRNFontStyleEx::rnfsAllCaps);
    }
    return styleEx;
}

// 0 normal, 1 subscript, 2 superscript: the classes of a vertical shift.
int ShiftClass(int32_t vShift) {
    return vShift < 0 ? 1 : vShift > 0 ? 2 : 0;
}

// How many recent style choices are remembered.
constexpr size_t MaxChoices = 32;

bool SideVisible(const TRNBooleanRect& visible, TRNRTFSide side) {
    switch (side) {
    case TRNRTFSide::rtf_side_Left:
        return visible.Left;
    case TRNRTFSide::rtf_side_Top:
        return visible.Top;
    case TRNRTFSide::rtf_side_Right:
        return visible.Right;
    default:
        return visible.Bottom;
    }
}

const TRNRTFBorderSide* SideOf(const TRNRTFParaProperties& pp, TRNRTFSide side) {
    return pp.Border ? pp.Border->Side(side) : nullptr;
}

// Taken in 64 bits: any 32-bit spacing gives a percentage that fits 32 bits again.
int32_t LinePercent(const TRNRTFParaProperties& pp) {
    return static_cast<int32_t>(std::llabs(int64_t{pp.LineSpacing}) * 100 / 240);
}

// What a paragraph style added for a bordered paragraph adds to its indents and to its spaces
// before and after: the border's width on one side. A search for that style adds it too.
int32_t BorderSpace(const TRNRTFParaProperties& pp, const TRNMappedBorder& border) {
    if (!pp.HasBorder()) {
        return 0;
    }
    TRNBorder drawn;
    drawn.Style = border.Style;
    drawn.Width = border.Width;
    drawn.InternalWidth = border.InternalWidth;
    return drawn.GetTotalWidth();
}

// A bitmap the writer shows at another size than its pixels' is made that size, as the
// writer showed it; a size past any screen's keeps the pixels as they are.
void FitToShownSize(TBitmap& bitmap, const TRNRTFPicture& picture, double pixelsPerTwip) {
    constexpr int64_t MaxSide = 16384;
    constexpr int64_t MaxPixels = int64_t{1} << 24;
    const int64_t w = DelphiRound(static_cast<double>(picture.ShownWidthTwips()) * pixelsPerTwip);
    const int64_t h = DelphiRound(static_cast<double>(picture.ShownHeightTwips()) * pixelsPerTwip);
    if (w <= 0 || h <= 0 || w > MaxSide || h > MaxSide || w * h > MaxPixels ||
        (w == bitmap.Width() && h == bitmap.Height())) {
        return;
    }
    bitmap.SetImage(bitmap.Image().scaled(static_cast<int>(w), static_cast<int>(h),
                                          Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

} // namespace

TRNMappedBorder RN_MapRTFBorderSide(const TRNRTFBorderSide* side, TRNRTFSide which,
                                    double pixelsPerTwip) {
    TRNMappedBorder m;
    if (!side) {
        return m;
    }
    m.Color = side->Color;
    auto w = [&](double factor) {
        return static_cast<int32_t>(DelphiRound(side->Width * pixelsPerTwip * factor));
    };
    bool rightOrBottom =
        which == TRNRTFSide::rtf_side_Right || which == TRNRTFSide::rtf_side_Bottom;
    BS thickThin = rightOrBottom ? BS::rnbThickInside : BS::rnbThickOutside;
    BS thinThick = rightOrBottom ? BS::rnbThickOutside : BS::rnbThickInside;
    auto set = [&](BS style, int32_t width, int32_t internal) {
        m.Style = style;
        m.Width = width;
        m.InternalWidth = internal;
    };
    int32_t half = w(0.5);
    switch (side->BorderType) {
    case BT::rtf_brdr_None:
        set(BS::rnbNone, 0, 0);
        m.Color = clNone;
        break;
    case BT::rtf_brdr_DoubleThickness:
        set(BS::rnbSingle, w(2), 0);
        break;
    case BT::rtf_brdr_Hairline:
        set(BS::rnbSingle, 1, 0);
        break;
    case BT::rtf_brdr_Double:
    case BT::rtf_brdr_DoubleWavy:
        set(BS::rnbDouble, w(1), 2 * w(1) - 1);
        break;
    case BT::rtf_brdr_Triple:
        set(BS::rnbTriple, w(1), 2 * w(1) - 1);
        break;
    case BT::rtf_brdr_ThinThickThinSmall:
        set(BS::rnbTriple, w(1.0 / 3), 2 * w(1.0 / 3) - 1);
        break;
    case BT::rtf_brdr_ThinThickThinMed:
        set(BS::rnbTriple, half, 3 * half - 1);
        break;
    case BT::rtf_brdr_ThinThickThinLarge:
        set(BS::rnbTriple, 1, w(1));
        break;
    case BT::rtf_brdr_ThickThinSmall:
        set(thickThin, half, half + (half + 1) / 2);
        break;
    case BT::rtf_brdr_ThickThinMed:
        set(thickThin, half, 2 * half + (half + 1) / 2);
        break;
    case BT::rtf_brdr_ThickThinLarge:
        set(thickThin, 1, w(1) + 1);
        break;
    case BT::rtf_brdr_ThinThickSmall:
        set(thinThick, half, half + (half + 1) / 2);
        break;
    case BT::rtf_brdr_ThinThickMed:
        set(thinThick, half, 2 * half + (half + 1) / 2);
        break;
    case BT::rtf_brdr_ThinThickLarge:
        set(thinThick, 1, w(1) + 1);
        break;
    default: // the single-line kinds
        set(BS::rnbSingle, w(1), 0);
        break;
    }
    return m;
}

void TRNRTFReaderProperties::SetTextStyleNo(int32_t value) {
    if (value < 0) {
        throw ERichNoteError("Value must not be negative");
    }
    textStyleNo_ = value;
}

void TRNRTFReaderProperties::SetParaStyleNo(int32_t value) {
    if (value < 0) {
        throw ERichNoteError("Value must not be negative");
    }
    paraStyleNo_ = value;
}

void TRNRTFReaderProperties::Assign(const TRNRTFReaderProperties& source) {
    UnicodeMode = source.UnicodeMode;
    TextStyleMode = source.TextStyleMode;
    ParaStyleMode = source.ParaStyleMode;
    IgnorePictures = source.IgnorePictures;
    UseHypertextStyles = source.UseHypertextStyles;
    textStyleNo_ = source.textStyleNo_;
    paraStyleNo_ = source.paraStyleNo_;
}

TRNRTFErrorCode TRNRTFReaderProperties::ReadFromFile(const std::string& fileName,
                                                     TCustomRNData& rnData) {
    return Run(rnData, rnData.ItemCount(), false,
               [&](TRNRTFReader& reader) { return reader.ReadFromFile(fileName); });
}

TRNRTFErrorCode TRNRTFReaderProperties::ReadFromStream(TStream& stream, TCustomRNData& rnData) {
    return Run(rnData, rnData.ItemCount(), false,
               [&](TRNRTFReader& reader) { return reader.ReadFromStream(stream); });
}

TRNRTFErrorCode TRNRTFReaderProperties::InsertFromStreamEd(TStream& stream, TCustomRNData& rnData,
                                                           int& index) {
    EC ec = Run(rnData, index, true,
                [&](TRNRTFReader& reader) { return reader.ReadFromStream(stream); });
    index = index_;
    return ec;
}

TRNRTFErrorCode
TRNRTFReaderProperties::Run(TCustomRNData& rnData, int index, bool editFlag,
                            const std::function<TRNRTFErrorCode(TRNRTFReader&)>& read) {
    TRNRTFReader reader;
    index_ = index;
    editFlag_ = editFlag;
    InitReader(reader, rnData);
    ErrorCode = read(reader);
    rnData_ = nullptr;
    style_ = nullptr;
    return ErrorCode;
}

void TRNRTFReaderProperties::InitReader(TRNRTFReader& reader, TCustomRNData& rnData) {
    PixelsPerTwip = ScreenPixelsPerInch() / 1440.0;
    rnData_ = &rnData;
    reader.OnNewText = [this](TRNRTFReader& r, const std::string& text, TRNRTFPosition p) {
        NewReaderText(r, text, p);
    };
    if (UnicodeMode != TRNReaderUnicode::rnruNoUnicode) {
        reader.OnNewUnicodeText = [this](TRNRTFReader& r, const std::u16string& text,
                                         TRNRTFPosition p) { NewReaderUnicodeText(r, text, p); };
    }
    if (!IgnorePictures) {
        reader.OnNewPicture = [this](TRNRTFReader& r, TRNRTFPicture& picture,
                                     std::unique_ptr<TGraphic> g, TRNRTFPosition p) {
            NewReaderPicture(r, picture, std::move(g), p);
        };
    }
    reader.DefCodePage = static_cast<int32_t>(rnData.GetDefaultCodePage());
    reader.OnRequiredPageBreak = [this](TRNRTFReader&) { ReaderPageBreak(); };
    style_ = rnData.GetRNStyle();
    textChoices_.clear();
    paraChoices_.clear();
    pageBreak_ = false;
    FailedBecauseOfProtect = false;
    FullReformat = false;
    NonFirstItemsAdded = 0;
    firstItem_ = true;
}

int32_t TRNRTFReaderProperties::ToPixels(int32_t twips) const {
    return static_cast<int32_t>(DelphiRound(twips * PixelsPerTwip));
}

void TRNRTFReaderProperties::NewReaderText(TRNRTFReader& reader, const std::string& text,
                                           TRNRTFPosition position) {
    AddTextRun(reader, text, {}, false, position);
}

void TRNRTFReaderProperties::NewReaderUnicodeText(TRNRTFReader& reader, const std::u16string& text,
                                                  TRNRTFPosition position) {
    AddTextRun(reader, {}, text, true, position);
}

void TRNRTFReaderProperties::AddTextRun(TRNRTFReader& reader, const std::string& text,
                                        const std::u16string& utext, bool sourceIsUnicode,
                                        TRNRTFPosition position) {
    bool unicode = sourceIsUnicode || UnicodeMode == TRNReaderUnicode::rnruOnlyUnicode;
    if (!sourceIsUnicode) {
        // Runs seldom hold a break: each kind is looked for with memchr, which takes many bytes
        // at a step, and the run is copied only when one has to be taken out.
        const std::string_view view(text);
        const std::string* clean = &text;
        std::string withoutBreaks;
        if (view.find('\r') != view.npos || view.find('\n') != view.npos ||
            view.find('\0') != view.npos) {
            withoutBreaks = text;
            std::erase_if(withoutBreaks,
                          [](char c) { return c == '\r' || c == '\n' || c == '\0'; });
            clean = &withoutBreaks;
        }
        int styleNo = ReturnStyleNo(reader, unicode);
        int paraNo = ReturnParaNo(reader, position);
        std::string itemText;
        auto item = CreateTextItem(reader, *clean, {}, false, paraNo, styleNo, itemText);
        InsertItem(std::move(itemText), std::move(item), position);
        return;
    }
    // A line separator starts a new line of the paragraph; other breaks cannot stand in a run.
    std::u16string segment;
    segment.reserve(utext.size()); // grown once rather than doubled a character at a time
    for (size_t i = 0; i <= utext.size(); ++i) {
        if (i < utext.size() && utext[i] != u'\x2028') {
            char16_t c = utext[i];
            if (c != u'\r' && c != u'\n' && c != 0 && c != u'\x2029') {
                segment.push_back(c);
            }
            continue;
        }
        int styleNo = ReturnStyleNo(reader, unicode);
        int paraNo = ReturnParaNo(reader, position);
        std::string itemText;
        auto item = CreateTextItem(reader, {}, segment, true, paraNo, styleNo, itemText);
        InsertItem(std::move(itemText), std::move(item), position);
        segment.clear();
        position = TRNRTFPosition::rtf_ts_NewLine;
    }
}

std::unique_ptr<TCustomRNItemInfo>
TRNRTFReaderProperties::CreateTextItem(const TRNRTFReader& reader, const std::string& text,
                                       const std::u16string& utext, bool sourceIsUnicode,
                                       int paraNo, int styleNo, std::string& itemText) {
    auto item = std::make_unique<TRNTextItemInfo>(rnData_);
    bool styleUnicode = style_ && styleNo >= 0 && styleNo < style_->TextStyles().Count() &&
                        style_->TextStyles()[styleNo].Unicode;
    if (styleUnicode) {
        item->ItemOptions.Include(TRNItemOption::rnioUnicode);
        if (sourceIsUnicode) {
            itemText = RNU_U16ToBytes(utext);
        } else {
            itemText = RNU_AnsiToUnicode(RNU_Charset2CodePage(FontOf(reader).Charset), text);
        }
    } else {
        itemText = sourceIsUnicode ? reader.UnicodeToAnsi(utext) : text;
    }
    // A byte 9 in UTF-16 text may be half of another character; replacing then finds none.
    if (itemText.find('\t') != std::string::npos) {
        itemText = rnData_->ReplaceTabs(itemText, styleNo, styleUnicode);
    }
    item->StyleNo = static_cast<int16_t>(styleNo);
    item->ParaNo = static_cast<int16_t>(paraNo);
    return item;
}

void TRNRTFReaderProperties::NewReaderPicture(TRNRTFReader& reader, const TRNRTFPicture& picture,
                                              std::unique_ptr<TGraphic> graphic,
                                              TRNRTFPosition position) {
    if (auto* bitmap = dynamic_cast<TBitmap*>(graphic.get())) {
        FitToShownSize(*bitmap, picture, PixelsPerTwip);
    }
    if (!graphic) {
        // A picture of a kind this program cannot show keeps its place as a grey square.
        auto square = std::make_unique<TBitmap>(32, 32);
        square->Canvas().Brush().SetColor(clBtnFace);
        square->Canvas().FillRect(Rect(0, 0, 32, 32));
        graphic = std::move(square);
    }
    auto item =
        std::make_unique<TRNGraphicItemInfo>(rnData_, std::move(graphic), TRNVAlign::rnvaBaseline);
    item->ParaNo = static_cast<int16_t>(ReturnParaNo(reader, position));
    InsertItem({}, std::move(item), position);
}

void TRNRTFReaderProperties::InsertItem(std::string text, std::unique_ptr<TCustomRNItemInfo> item,
                                        TRNRTFPosition position) {
    if (position == TRNRTFPosition::rtf_ts_ContinuePara) {
        item->SetSameAsPrev(true);
    } else if (position == TRNRTFPosition::rtf_ts_NewLine) {
        item->SetBR(true);
    }
    if (pageBreak_) {
        item->SetPageBreakBefore(true);
        pageBreak_ = false;
    }
    if (index_ == 0 && item->GetSameAsPrev()) {
        item->SetSameAsPrev(false); // nothing before it to continue
    }
    if (firstItem_) {
        firstItem_ = false;
        bool fullReformat = false;
        if (!rnData_->InsertFirstRNFItem(index_, std::move(text), std::move(item), editFlag_,
                                         fullReformat)) {
            FailedBecauseOfProtect = true;
            throw ERichNoteError("Insertion refused");
        }
        FullReformat = fullReformat;
        return;
    }
    TCustomRNItemInfo* placed = item.get();
    auto& items = rnData_->Items();
    items.insert(items.begin() + index_, TRNItemSlot{std::move(text), std::move(item)});
    placed->Inserted(rnData_, false);
    ++index_;
    ++NonFirstItemsAdded;
}

int TRNRTFReaderProperties::ReturnStyleNo(const TRNRTFReader& reader, bool unicode) {
    if (TextStyleMode == TRNReaderStyleMode::rnrsUseSpecified) {
        return textStyleNo_;
    }
    const TRNRTFFont* font = reader.CurrentFont();
    int count = style_ ? style_->TextStyles().Count() : 0;
    int charset = font ? font->Charset : -1;
    std::string_view fontName = font ? std::string_view(font->Name) : std::string_view();
    for (const TextChoice& c : textChoices_) {
        if (c.StyleCount == count && c.Unicode == unicode && c.Charset == charset &&
            c.CharProps == reader.RTFState().CharProps && c.FontName == fontName) {
            return c.StyleNo;
        }
    }
    int styleNo = ChooseStyleNo(reader, unicode);
    if (textChoices_.size() >= MaxChoices) {
        textChoices_.erase(textChoices_.begin());
    }
    textChoices_.push_back({reader.RTFState().CharProps, std::string(fontName), charset, unicode,
                            style_ ? style_->TextStyles().Count() : 0, styleNo});
    return styleNo;
}

int TRNRTFReaderProperties::ChooseStyleNo(const TRNRTFReader& reader, bool unicode) {
    switch (TextStyleMode) {
    case TRNReaderStyleMode::rnrsUseSpecified:
        return textStyleNo_;
    case TRNReaderStyleMode::rnrsUseClosest:
        return FindBestStyleNo(reader, unicode);
    case TRNReaderStyleMode::rnrsAddIfNeeded: {
        int found = FindStyleNo(reader, unicode);
        return found >= 0 ? found : AddStyle(reader, unicode);
    }
    }
    return 0;
}

int TRNRTFReaderProperties::FindBestStyleNo(const TRNRTFReader& reader, bool unicode) const {
    if (!style_) {
        return 0;
    }
    const TRNRTFCharProperties& cp = reader.RTFState().CharProps;
    RunFont font = FontOf(reader);
    std::string fontName = Upper(font.Name);
    bool caps = cp.StyleEx.Contains(TRNRTFFontStyleEx::rtf_fs_AllCaps);
    int best = 0;
    int64_t bestScore = 0;
    const TFontInfos& styles = style_->TextStyles();
    for (int i = 0; i < styles.Count(); ++i) {
        const TFontInfo& s = styles[i];
        if (s.Unicode != unicode || (s.Jump && !UseHypertextStyles)) {
            continue;
        }
        int64_t score = 0;
        if (Upper(s.FontName) == fontName) {
            score += RNSMW_FONTNAME;
        }
        if (s.Charset == font.Charset) {
            score += RNSMW_FONTCHARSET;
        } else if (s.Charset == DEFAULT_CHARSET || font.Charset == DEFAULT_CHARSET) {
            score += RNSMW_FONTCHARSET / 4;
        }
        score += RN_CompareInts(cp.Size, s.Size, RNSMW_FONTSIZE);
        score += RN_CompareColors(s.Color, cp.Color, RNSMW_EACHRGBCOLOR, RNSMW_COLORSET);
        score += RN_CompareColors(s.BackColor, cp.BackColor, RNSMW_EACHRGBBCOLOR, RNSMW_BCOLORSET);
        if (s.StyleEx.Contains(TRNFontStyleEx::rnfsAllCaps) == caps) {
            score += RNSMW_ALLCAPS;
        }
        for (TFontStyle fs : {TFontStyle::fsBold, TFontStyle::fsItalic, TFontStyle::fsUnderline,
                              TFontStyle::fsStrikeOut}) {
            if (s.Style.Contains(fs) == cp.Style.Contains(fs)) {
                score += RNSMW_FONTEACHSTYLE;
            }
        }
        if (s.Style.Empty() == cp.Style.Empty()) {
            score += RNSMW_FONTSTYLESET;
        }
        score +=
            DelphiRound((1.0 - std::abs(static_cast<double>(s.CharScale) - cp.CharScaleX) / 100.0) *
                        RNSMW_CHARSCALE);
        if (ShiftClass(s.VShift) == static_cast<int>(cp.SScriptType)) {
            score += RNSMW_VSHIFT;
        }
        if (!s.StyleEx.Empty()) {
            score /= 4;
        }
        if (score > bestScore) {
            bestScore = score;
            best = i;
        }
    }
    return best;
}

int TRNRTFReaderProperties::FindStyleNo(const TRNRTFReader& reader, bool unicode) const {
    if (!style_) {
        return -1;
    }
    const TRNRTFCharProperties& cp = reader.RTFState().CharProps;
    RunFont font = FontOf(reader);
    const TFontInfos& styles = style_->TextStyles();
    std::string fontName = Upper(StyleFontName(font, styles));
    // The extended styles are compared, not required empty: an all-caps run finds the
    // all-caps style added for the run before it.
    const TRNFontStylesEx styleEx = StyleExOf(cp);
    for (int i = 0; i < styles.Count(); ++i) {
        const TFontInfo& s = styles[i];
        if (Upper(s.FontName) == fontName && s.Size == cp.Size && s.Color == cp.Color &&
            s.BackColor == cp.BackColor && s.Style == cp.Style &&
            (s.Charset == font.Charset || s.Charset == DEFAULT_CHARSET ||
             font.Charset == DEFAULT_CHARSET) &&
            s.CharScale == cp.CharScaleX && s.StyleEx == styleEx &&
            ShiftClass(s.VShift) == static_cast<int>(cp.SScriptType) && s.Unicode == unicode &&
            (!s.Jump || UseHypertextStyles)) {
            return i;
        }
    }
    return -1;
}

int TRNRTFReaderProperties::AddStyle(const TRNRTFReader& reader, bool unicode) {
    if (!style_) {
        return 0;
    }
    const TRNRTFCharProperties& cp = reader.RTFState().CharProps;
    RunFont font = FontOf(reader);
    TFontInfos& styles = style_->TextStyles();
    const std::string fontName = StyleFontName(font, styles);
    TFontInfo& s = styles.Add();
    s.Unicode = unicode;
    s.Style = cp.Style;
    s.Size = cp.Size;
    s.Color = cp.Color;
    s.BackColor = cp.BackColor;
    if (!fontName.empty()) {
        s.FontName = fontName;
    }
    s.Charset = font.Charset;
    s.CharScale = cp.CharScaleX;
    s.VShift = cp.SScriptType == TRNRTFSScriptType::rtf_ss_Subscript     ? -25
               : cp.SScriptType == TRNRTFSScriptType::rtf_ss_Superscript ? 45
                                                                         : 0;
    s.StyleEx = StyleExOf(cp);
    return styles.Count() - 1;
}

int TRNRTFReaderProperties::ReturnParaNo(const TRNRTFReader& reader, TRNRTFPosition position) {
    if (position != TRNRTFPosition::rtf_ts_NewPara) {
        return index_ > 0 ? rnData_->GetItem(index_ - 1).ParaNo : 0;
    }
    if (ParaStyleMode == TRNReaderStyleMode::rnrsUseSpecified) {
        return paraStyleNo_;
    }
    int count = style_ ? style_->ParaStyles().Count() : 0;
    const TRNRTFParaProperties& pp = reader.RTFState().ParaProps;
    for (const ParaChoice& c : paraChoices_) {
        if (c.StyleCount == count && c.ParaProps.SameAs(pp)) {
            return c.ParaNo;
        }
    }
    int paraNo = ChooseParaNo(reader);
    if (paraChoices_.size() >= MaxChoices) {
        paraChoices_.erase(paraChoices_.begin());
    }
    paraChoices_.push_back({pp, style_ ? style_->ParaStyles().Count() : 0, paraNo});
    return paraNo;
}

int TRNRTFReaderProperties::ChooseParaNo(const TRNRTFReader& reader) {
    switch (ParaStyleMode) {
    case TRNReaderStyleMode::rnrsUseSpecified:
        return paraStyleNo_;
    case TRNReaderStyleMode::rnrsUseClosest:
        return FindBestParaNo(reader);
    case TRNReaderStyleMode::rnrsAddIfNeeded: {
        TRNMappedBorder border = CurrentBorder(reader);
        int found = FindParaNo(reader, border);
        return found >= 0 ? found : AddPara(reader, border);
    }
    }
    return 0;
}

TRNMappedBorder TRNRTFReaderProperties::CurrentBorder(const TRNRTFReader& reader) const {
    const TRNRTFParaProperties& pp = reader.RTFState().ParaProps;
    TRNMappedBorder none;
    none.Color = clNone;
    if (!pp.HasBorder()) {
        return none;
    }
    for (TRNRTFSide side : {TRNRTFSide::rtf_side_Top, TRNRTFSide::rtf_side_Left,
                            TRNRTFSide::rtf_side_Bottom, TRNRTFSide::rtf_side_Right}) {
        if (pp.SideType(side) != BT::rtf_brdr_None) {
            return RN_MapRTFBorderSide(SideOf(pp, side), side, PixelsPerTwip);
        }
    }
    return none;
}

int TRNRTFReaderProperties::FindBestParaNo(const TRNRTFReader& reader) const {
    if (!style_) {
        return 0;
    }
    const TRNRTFParaProperties& pp = reader.RTFState().ParaProps;
    int32_t percent = std::max(LinePercent(pp), 100);
    bool hasBorder = pp.HasBorder();
    int best = 0;
    int64_t bestScore = 0;
    const TParaInfos& styles = style_->ParaStyles();
    for (int i = 0; i < styles.Count(); ++i) {
        const TParaInfo& s = styles[i];
        int64_t score = 0;
        if (static_cast<int>(s.Alignment) == static_cast<int>(pp.Alignment)) {
            score += RNSMW_ALIGNMENT;
        }
        score += RN_CompareInts(ToPixels(pp.LeftIndent), s.LeftIndent, RNSMW_INDENT);
        score += RN_CompareInts(ToPixels(pp.RightIndent), s.RightIndent, RNSMW_INDENT);
        score += RN_CompareInts(ToPixels(pp.FirstIndent), s.FirstIndent, RNSMW_INDENT);
        score += RN_CompareInts(ToPixels(pp.SpaceBefore), s.SpaceBefore, RNSMW_INDENT);
        score += RN_CompareInts(ToPixels(pp.SpaceAfter), s.SpaceAfter, RNSMW_INDENT);
        score +=
            RN_CompareColors(s.Background.Color, pp.Color, RNSMW_EACHRGBBCOLOR, RNSMW_BCOLORSET);
        if (pp.LineSpacingMulti != 0) {
            if (s.LineSpacingType == TRNLineSpacingType::rnlsPercent) {
                score += RN_CompareInts(percent, std::max(s.LineSpacing, 100), RNSMW_LINESPACING);
            } else if (s.LineSpacing >= 2) {
                score -= 4 * RNSMW_LINESPACING;
            } else if (percent < 101) {
                score += RNSMW_LINESPACING;
            }
        }
        bool styleBorder = s.Border.Style != BS::rnbNone;
        if (!hasBorder) {
            if (!styleBorder) {
                score += RNSMW_BORDERNOSIDE;
            }
        } else {
            for (TRNRTFSide side : Sides) {
                TRNMappedBorder m = RN_MapRTFBorderSide(SideOf(pp, side), side, PixelsPerTwip);
                bool visible = styleBorder && SideVisible(s.Border.VisibleBorders, side);
                if (m.Style != BS::rnbNone) {
                    if (visible) {
                        score += RNSMW_BORDERSIDE;
                        score += RN_CompareInts(m.Width, s.Border.Width, RNSMW_WIDTH);
                        score +=
                            RN_CompareInts(m.InternalWidth, s.Border.InternalWidth, RNSMW_WIDTH);
                        score += RN_CompareColors(s.Border.Color, m.Color, RNSMW_EACHRGBCOLOR,
                                                  RNSMW_COLORSET);
                        if (m.Style == s.Border.Style) {
                            score += RNSMW_BORDERSTYLE;
                        }
                    }
                } else if (!visible) {
                    score += RNSMW_BORDERNOSIDE;
                }
            }
        }
        if (score > bestScore) {
            bestScore = score;
            best = i;
        }
    }
    return best;
}

int TRNRTFReaderProperties::FindParaNo(const TRNRTFReader& reader,
                                       const TRNMappedBorder& border) const {
    if (!style_) {
        return -1;
    }
    const TRNRTFParaProperties& pp = reader.RTFState().ParaProps;
    int32_t percent = LinePercent(pp);
    bool hasBorder = pp.HasBorder();
    const int32_t pad = BorderSpace(pp, border);
    const TParaInfos& styles = style_->ParaStyles();
    for (int i = 0; i < styles.Count(); ++i) {
        const TParaInfo& s = styles[i];
        bool lines = pp.LineSpacingMulti == 0 ||
                     (s.LineSpacingType == TRNLineSpacingType::rnlsPercent
                          ? s.LineSpacing == percent || (s.LineSpacing < 100 && percent < 100)
                          : s.LineSpacing <= 1 && percent < 101);
        bool borders = !hasBorder
                           ? s.Border.Style == BS::rnbNone
                           : s.Border.Style == border.Style && s.Border.Width == border.Width &&
                                 s.Border.InternalWidth == border.InternalWidth &&
                                 s.Border.Color == border.Color;
        if (hasBorder && borders) {
            for (TRNRTFSide side : Sides) {
                if (SideVisible(s.Border.VisibleBorders, side) !=
                    (pp.SideType(side) != BT::rtf_brdr_None)) {
                    borders = false;
                }
            }
        }
        if (static_cast<int>(s.Alignment) == static_cast<int>(pp.Alignment) &&
            s.LeftIndent == ToPixels(pp.LeftIndent) + pad &&
            s.RightIndent == ToPixels(pp.RightIndent) + pad &&
            s.FirstIndent == ToPixels(pp.FirstIndent) &&
            s.SpaceBefore == ToPixels(pp.SpaceBefore) + pad &&
            s.SpaceAfter == ToPixels(pp.SpaceAfter) + pad && s.Background.Color == pp.Color &&
            lines && borders) {
            return i;
        }
    }
    return -1;
}

int TRNRTFReaderProperties::AddPara(const TRNRTFReader& reader, const TRNMappedBorder& border) {
    if (!style_) {
        return 0;
    }
    const TRNRTFParaProperties& pp = reader.RTFState().ParaProps;
    TParaInfos& styles = style_->ParaStyles();
    TParaInfo& s = styles.Add();
    s.Alignment = static_cast<TRNAlignment>(pp.Alignment);
    s.LeftIndent = ToPixels(pp.LeftIndent);
    s.RightIndent = ToPixels(pp.RightIndent);
    s.FirstIndent = ToPixels(pp.FirstIndent);
    s.SpaceBefore = ToPixels(pp.SpaceBefore);
    s.SpaceAfter = ToPixels(pp.SpaceAfter);
    if (pp.LineSpacingMulti != 0) {
        s.LineSpacing = LinePercent(pp);
    }
    s.Background.Color = pp.Color;
    if (pp.HasBorder()) {
        s.Border.Style = border.Style;
        s.Border.Width = border.Width;
        s.Border.InternalWidth = border.InternalWidth;
        s.Border.Color = border.Color;
        s.Border.VisibleBorders.Left = pp.SideType(TRNRTFSide::rtf_side_Left) != BT::rtf_brdr_None;
        s.Border.VisibleBorders.Top = pp.SideType(TRNRTFSide::rtf_side_Top) != BT::rtf_brdr_None;
        s.Border.VisibleBorders.Right =
            pp.SideType(TRNRTFSide::rtf_side_Right) != BT::rtf_brdr_None;
        s.Border.VisibleBorders.Bottom =
            pp.SideType(TRNRTFSide::rtf_side_Bottom) != BT::rtf_brdr_None;
        const int32_t total = BorderSpace(pp, border);
        s.LeftIndent += total;
        s.RightIndent += total;
        s.SpaceBefore += total;
        s.SpaceAfter += total;
    }
    return styles.Count() - 1;
}
