#pragma once

// The RTF reader: a table-driven scanner with a stack of group states. It builds no document;
// it reports runs of text (8-bit or UTF-16) with the formatting that holds for them, pictures
// and required page breaks, and answers with an error code. No exception ever leaves a read.

#include "richtext/model/RNRTFState.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class TGraphic;
class TStream;

enum class TRNRTFKeywordType { rtf_kwd_Char, rtf_kwd_Dest, rtf_kwd_Prop, rtf_kwd_Spec };
enum class TRNRTFKeywordAffect { rtf_af_None, rtf_af_CharProp, rtf_af_ParaProp, rtf_af_BothProp };

enum class TRTFIDEST {
    idestPict,
    idestSkip,
    idestFontTable,
    idestStyleSheet,
    idestColorTable,
    idestStyleSheetParaStyle,
    idestStyleSheetCharStyle,
    idestStyleSheetSectStyle
};
enum class TRTFIPFN { ipfnBin, ipfnHex, ipfnSkipDest };

enum class TRTFIPROP {
    ipropBold,
    ipropItalic,
    ipropUnderline,
    ipropStrike,
    ipropCharScaleX,
    ipropSScript,
    ipropAllCaps,
    ipropFontSize,
    ipropTextColor,
    ipropTextBackColor,
    ipropSL,
    ipropSLMult,
    ipropLeftInd,
    ipropRightInd,
    ipropFirstInd,
    ipropCols,
    ipropPgnX,
    ipropPgnY,
    ipropXaPage,
    ipropYaPage,
    ipropXaLeft,
    ipropXaRight,
    ipropYaTop,
    ipropYaBottom,
    ipropPgnStart,
    ipropSbk,
    ipropPgnFormat,
    ipropFacingp,
    ipropLandscape,
    ipropJust,
    ipropPard,
    ipropPlain,
    ipropSectd,
    ipropF,
    ipropDefF,
    ipropSpaceBefore,
    ipropSpaceAfter,
    ipropParaBorderType,
    ipropParaBorderSide,
    ipropParaBorderWidth,
    ipropParaBorderColor,
    ipropParaBorderSpace,
    ipropParaColor,
    ipropAnsiCodePage,
    ipropU,
    ipropUC,
    ipropPage,
    ipropRed,
    ipropGreen,
    ipropBlue,
    ipropFontFamily,
    ipropFCharset,
    ipropS,
    ipropCS,
    ipropDS,
    ipropSBasedOn,
    irpropSNext,
    ipropAdditive,
    ipropSHidden,
    ipropPicW,
    ipropPicH,
    ipropWBMWidthBytes,
    ipropPictureType,
    ipropMetafile,
    ipropPicWGoal,
    ipropPicHGoal,
    ipropPicScaleX,
    ipropPicScaleY,
    ipropMax
};

// One control word: what it is and the value it takes without a parameter (or always, with
// UseDefault). Index is a TRTFIPROP, TRTFIDEST or TRTFIPFN value, or the character of a
// character record (-1: a character that stands for nothing).
struct TRNRTFsymbol {
    std::string_view Keyword;
    int32_t DefValue;
    bool UseDefault;
    TRNRTFKeywordType Kind;
    int32_t Index;
    TRNRTFKeywordAffect Affect;
};

// The keyword table, each keyword once; the lookup is exact and case-sensitive.
const std::vector<TRNRTFsymbol>& RTFKeywordTable();
const TRNRTFsymbol* FindRTFKeyword(std::string_view keyword);

// The lookup's hash, a letter at a time from 0: the reader takes it while it scans a control
// word, so that the letters of the thousands of control words in a document are read once.
constexpr uint32_t RTFKeywordHash(uint32_t hash, char letter) {
    return hash * 131 + static_cast<unsigned char>(letter);
}
// The same lookup with the keyword's hash already taken.
const TRNRTFsymbol* FindRTFKeyword(std::string_view keyword, uint32_t hash);

class TRNRTFReader;

using TRNRTFNewTextEvent =
    std::function<void(TRNRTFReader& sender, const std::string& text, TRNRTFPosition position)>;
using TRNRTFNewUnicodeTextEvent =
    std::function<void(TRNRTFReader& sender, const std::u16string& text, TRNRTFPosition position)>;
// The listener owns the graphic; it is null for pictures this program cannot show.
using TRNRTFNewPictureEvent =
    std::function<void(TRNRTFReader& sender, TRNRTFPicture& picture,
                       std::unique_ptr<TGraphic> graphic, TRNRTFPosition position)>;
using TRNRTFNotifyEvent = std::function<void(TRNRTFReader& sender)>;

class TRNRTFReader {
public:
    TRNRTFReader();
    ~TRNRTFReader();
    TRNRTFReader(const TRNRTFReader&) = delete;
    TRNRTFReader& operator=(const TRNRTFReader&) = delete;

    // Groups nest at most this deep; deeper input ends in rtf_ec_StackOverflow.
    static constexpr int MaxDepth = 4096;

    TRNRTFNewTextEvent OnNewText;
    TRNRTFNewUnicodeTextEvent OnNewUnicodeText;
    TRNRTFNewPictureEvent OnNewPicture;
    TRNRTFNotifyEvent OnRequiredPageBreak;
    // 0: the system's ANSI page.
    int32_t DefCodePage = 0;

    void Clear();
    // Reads from the stream's position on; never raises.
    TRNRTFErrorCode ReadFromStream(TStream& stream);
    TRNRTFErrorCode ReadFromFile(const std::string& fileName);

    // The state while an event runs, and the tables after a read.
    const TRNRTFReaderState& RTFState() const { return state_; }
    const TRNRTFFontList& FontTable() const { return fontTable_; }
    const TRNRTFColorList& ColorTable() const { return colorTable_; }
    const TRNRTFStyleSheet& StyleSheet() const { return styleSheet_; }
    int32_t CodePage() const { return codePage_; }
    // The font of the current run, or null when the table has none for it.
    const TRNRTFFont* CurrentFont() const;

    static std::u16string AnsiToUnicode(std::string_view s, int32_t codePage);
    std::string UnicodeToAnsi(std::u16string_view s) const;

private:
    // Input through a buffer with one byte of push-back.
    bool Eof() const { return !pushedBack_ && bufPos_ >= bufLen_ && streamLeft_ <= 0; }
    int GetC();
    void UngetC(int ch);
    void Refill();

    bool TakeRun();
    // The name the text of a font-table or style-sheet entry goes to, or null.
    std::string* TableName();
    TRNRTFErrorCode Parse();
    TRNRTFErrorCode PushRtfState();
    TRNRTFErrorCode PopRtfState();
    TRNRTFErrorCode ParseRtfKeyword();
    TRNRTFErrorCode ParseRtfKeywordByBytes();
    TRNRTFErrorCode TranslateKeyword(const TRNRTFsymbol* symbol, int32_t param, bool hasParam);
    TRNRTFErrorCode ParseSpecialKeyword(TRTFIPFN ipfn, int32_t param);
    TRNRTFErrorCode ApplyPropChange(TRTFIPROP iprop, int32_t value);
    TRNRTFErrorCode ChangeDest(TRTFIDEST idest, int32_t value);
    TRNRTFErrorCode EndGroupAction(TRTFrds rds);
    TRNRTFErrorCode ParseChar(int ch);
    TRNRTFErrorCode OutputChar(int ch);
    void OutputWideChar(char16_t ch);
    TRNRTFErrorCode FlushOutput(TRNRTFPosition& nextPosition);
    TRNRTFErrorCode DoNewText(TRNRTFPosition position, TRNRTFPosition& nextPosition);
    TRNRTFErrorCode DoNewPicture(std::unique_ptr<TGraphic> graphic);

    TStream* stream_ = nullptr;
    int64_t streamLeft_ = 0;
    std::vector<char> buffer_;
    size_t bufPos_ = 0;
    size_t bufLen_ = 0;
    bool pushedBack_ = false;
    int lastChar_ = 0;

    std::string text_;
    std::u16string uText_;
    TRNRTFStyleSheet styleSheet_;
    TRNRTFFontList fontTable_;
    TRNRTFColorList colorTable_;
    TRNRTFReaderState state_;
    std::vector<TRNRTFReaderState> stateStack_;
    std::unique_ptr<TRNRTFPicture> picture_;
    int32_t codePage_ = 0;
    int32_t uc_ = 1;
    int32_t skipCount_ = 0;
    TRNRTFPosition curPosition_ = TRNRTFPosition::rtf_ts_NewPara;
    int depth_ = 0;
    int32_t binBytesLeft_ = 0;
    int32_t lastParam_ = 0;
    int32_t defFontNumber_ = 0;
    int hexByte_ = 0;
    int hexDigits_ = 0;
    int pictByte_ = 0;
    bool pictHighNibble_ = true;
    bool skipDestIfUnknown_ = false;
};
