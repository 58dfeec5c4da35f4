#include "richtext/model/RNRTF.h"

#include "richtext/model/RNRTFPicture.h"

#include "platform/base/CodePage.h"
#include "platform/base/Stream.h"
#include "platform/graphics/Graphic.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstring>

namespace {

using EC = TRNRTFErrorCode;
using P = TRTFIPROP;
constexpr size_t BufferSize = 4096;

bool IsAsciiLetter(int ch) {
    return (ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z');
}
bool IsDigit(int ch) {
    return ch >= '0' && ch <= '9';
}
// Hexadecimal digit values, -1 for other bytes.
constexpr auto HexTable = [] {
    std::array<int8_t, 256> t{};
    for (int i = 0; i < 256; ++i) {
        t[static_cast<size_t>(i)] = static_cast<int8_t>(i >= '0' && i <= '9'   ? i - '0'
                                                        : i >= 'a' && i <= 'f' ? i - 'a' + 10
                                                        : i >= 'A' && i <= 'F' ? i - 'A' + 10
                                                                               : -1);
    }
    return t;
}();

// Two hex digits, the first the high one, as one lookup: a picture's data is most of a
// document's bytes, and one lookup and test a byte beats two lookups and a merge. The table is
// indexed by the two bytes read from memory as one 16-bit value, in the machine's byte order.
// Filled when the program starts: as a compile-time constant its 65,536 entries are beyond
// what some compilers evaluate, and a lookup costs the same either way.
const auto HexPairTable = [] {
    constexpr bool little = std::endian::native == std::endian::little;
    std::array<int16_t, 65536> t{};
    for (size_t i = 0; i < t.size(); ++i) {
        const int hi = HexTable[little ? i & 0xFF : i >> 8];
        const int lo = HexTable[little ? i >> 8 : i & 0xFF];
        t[i] = static_cast<int16_t>(hi < 0 || lo < 0 ? -1 : hi << 4 | lo);
    }
    return t;
}();

// The byte two hex digits at `at` stand for, or a negative value when either is no digit.
int HexPairAt(const char* at) {
    uint16_t both;
    std::memcpy(&both, at, sizeof both);
    return HexPairTable[both];
}

// A control word's number beyond the 32-bit range is taken as the nearest value in it: one
// absurd number does not cost the rest of the document.
int32_t ClampParam(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

int HexValue(int ch) {
    return ch >= 0 && ch < 256 ? HexTable[static_cast<size_t>(ch)] : -1;
}

// Bytes that end a run of plain text.
constexpr auto TextStops = [] {
    std::array<bool, 256> t{};
    for (unsigned char c : {'\\', '{', '}', '\r', '\n', '\0'}) {
        t[c] = true;
    }
    return t;
}();

} // namespace

TRNRTFReader::TRNRTFReader() = default;

TRNRTFReader::~TRNRTFReader() {
    Clear();
}

void TRNRTFReader::Clear() {
    styleSheet_.Clear();
    fontTable_.Clear();
    colorTable_.Clear();
    stateStack_.clear();
    state_.Reset();
    // A reused reader starts as a new one would.
    state_.Destination = TRTFrds::rdsNorm;
    state_.InputState = TRTFris::risNorm;
    skipDestIfUnknown_ = false;
    binBytesLeft_ = 0;
    text_.clear();
    uText_.clear();
    curPosition_ = TRNRTFPosition::rtf_ts_NewPara;
    pushedBack_ = false;
    picture_.reset();
    codePage_ = DefCodePage;
    uc_ = 1;
    skipCount_ = 0;
    depth_ = 0;
    defFontNumber_ = 0;
    hexDigits_ = 0;
    hexByte_ = 0;
}

TRNRTFErrorCode TRNRTFReader::ReadFromStream(TStream& stream) {
    TRNRTFErrorCode result;
    try {
        stream_ = &stream;
        streamLeft_ = stream.Size() - stream.Position();
        Clear();
        buffer_.resize(BufferSize);
        bufPos_ = bufLen_ = 0;
        result = Parse();
    } catch (...) {
        result = EC::rtf_ec_Exception;
    }
    buffer_.clear();
    buffer_.shrink_to_fit();
    stream_ = nullptr;
    return result;
}

TRNRTFErrorCode TRNRTFReader::ReadFromFile(const std::string& fileName) {
    std::unique_ptr<TFileStream> file;
    try {
        file = std::make_unique<TFileStream>(fileName, TFileMode::fmOpenRead);
    } catch (...) {
        return EC::rtf_ec_FileOpenError;
    }
    return ReadFromStream(*file);
}

void TRNRTFReader::Refill() {
    int64_t want = std::min<int64_t>(static_cast<int64_t>(BufferSize), streamLeft_);
    int64_t got = want > 0 ? stream_->Read(buffer_.data(), want) : 0;
    if (got <= 0) {
        streamLeft_ = 0;
        got = 0;
    } else {
        streamLeft_ -= got;
    }
    bufPos_ = 0;
    bufLen_ = static_cast<size_t>(got);
}

int TRNRTFReader::GetC() {
    if (pushedBack_) {
        pushedBack_ = false;
        return lastChar_;
    }
    if (bufPos_ >= bufLen_) {
        Refill();
        if (bufLen_ == 0) {
            return -1;
        }
    }
    lastChar_ = static_cast<unsigned char>(buffer_[bufPos_++]);
    return lastChar_;
}

void TRNRTFReader::UngetC(int ch) {
    lastChar_ = ch;
    pushedBack_ = true;
}

std::string* TRNRTFReader::TableName() {
    if (state_.Destination == TRTFrds::rdsFontTable && fontTable_.Count() > 0) {
        return &fontTable_.Last().Name;
    }
    if (state_.Destination == TRTFrds::rdsStyleSheetEntry && styleSheet_.Last()) {
        return &styleSheet_.Last()->Name;
    }
    return nullptr;
}

// Plain text runs, table names and picture digits are taken from the buffer in one go; everything
// else goes byte by byte through the state machine below.
bool TRNRTFReader::TakeRun() {
    if (pushedBack_ || bufPos_ >= bufLen_ || skipCount_ > 0 ||
        state_.InputState != TRTFris::risNorm) {
        return false;
    }
    const char* begin = buffer_.data() + bufPos_;
    const char* end = buffer_.data() + bufLen_;
    const char* q = begin;
    if (state_.Destination == TRTFrds::rdsNorm) {
        auto stops = [](const char* at) {
            return static_cast<unsigned>(TextStops[static_cast<unsigned char>(*at)]);
        };
        // Four bytes a step while four are left: one test for all four, not one for each.
        while (end - q >= 4 && !(stops(q) | stops(q + 1) | stops(q + 2) | stops(q + 3))) {
            q += 4;
        }
        while (q < end && !stops(q)) {
            ++q;
        }
        text_.append(begin, static_cast<size_t>(q - begin));
    } else if (std::string* name = TableName()) {
        // The names of a table of thousands of fonts or styles, up to the ";" that ends one.
        while (q < end && !TextStops[static_cast<unsigned char>(*q)] && *q != ';') {
            ++q;
        }
        name->append(begin, static_cast<size_t>(q - begin));
    } else if (state_.Destination == TRTFrds::rdsPict && picture_) {
        // At most one byte for every two digits (and one finished from the last run): the
        // bytes are written in place rather than appended one by one, as a picture is most
        // of a document's bytes.
        std::string decoded(static_cast<size_t>(end - q) / 2 + 1, '\0');
        char* out = decoded.data();
        while (q < end) {
            // Whole pairs of digits straight into the picture.
            if (pictHighNibble_) {
                // Four pairs a step while eight digits are left: a line of a picture holds far
                // more, and one sign test covers all four.
                while (end - q >= 8) {
                    const int a = HexPairAt(q), b = HexPairAt(q + 2), c = HexPairAt(q + 4),
                              d = HexPairAt(q + 6);
                    if ((a | b | c | d) < 0) {
                        break;
                    }
                    out[0] = static_cast<char>(a);
                    out[1] = static_cast<char>(b);
                    out[2] = static_cast<char>(c);
                    out[3] = static_cast<char>(d);
                    out += 4;
                    q += 8;
                }
                while (end - q >= 2) {
                    const int pair = HexPairAt(q);
                    if (pair < 0) {
                        break;
                    }
                    *out++ = static_cast<char>(pair);
                    q += 2;
                }
                if (q == end) {
                    break;
                }
            }
            int digit = HexTable[static_cast<unsigned char>(*q)];
            if (digit < 0) {
                if (*q != '\r' && *q != '\n') {
                    break;
                }
                ++q;
                continue;
            }
            ++q;
            pictByte_ = pictByte_ * 16 + digit;
            pictHighNibble_ = !pictHighNibble_;
            if (pictHighNibble_) {
                *out++ = static_cast<char>(pictByte_);
                pictByte_ = 0;
            }
        }
        decoded.resize(static_cast<size_t>(out - decoded.data()));
        picture_->Put(decoded);
    }
    bufPos_ += static_cast<size_t>(q - begin);
    return q != begin;
}

TRNRTFErrorCode TRNRTFReader::Parse() {
    while (!Eof()) {
        int ch;
        if (!pushedBack_ && bufPos_ < bufLen_) {
            // Control words come one after another far more often than text follows them, and
            // a \u is followed by the byte it stands for: where no run can be taken the byte is
            // taken here without a call.
            ch = static_cast<unsigned char>(buffer_[bufPos_]);
            if (!TextStops[static_cast<size_t>(ch)] && state_.InputState == TRTFris::risNorm &&
                depth_ >= 0) {
                if (skipCount_ > 0) {
                    // The byte a \u stands in for, as the plain-byte case below would skip it.
                    --skipCount_;
                    ++bufPos_;
                    continue;
                }
                if (TakeRun()) {
                    continue;
                }
                ch = static_cast<unsigned char>(buffer_[bufPos_]);
            }
            ++bufPos_;
        } else {
            ch = GetC(); // a pushed-back byte or a refill: no run is taken from either
        }
        if (depth_ < 0) {
            return EC::rtf_ec_StackUnderflow;
        }
        EC ec = EC::rtf_ec_OK;
        if (state_.InputState == TRTFris::risBin) {
            ec = ParseChar(ch);
        } else {
            switch (ch) {
            case '{':
                skipCount_ = 0;
                ec = PushRtfState();
                break;
            case '}':
                skipCount_ = 0;
                ec = PopRtfState();
                if (ec == EC::rtf_ec_OK && depth_ == 0) {
                    goto done; // nothing after the outermost group is read
                }
                break;
            case '\\':
                ec = ParseRtfKeyword();
                break;
            case '\n':
            case '\r':
                break;
            default:
                if (state_.InputState == TRTFris::risNorm) {
                    if (skipCount_ > 0) {
                        --skipCount_;
                    } else {
                        ec = ParseChar(ch);
                    }
                } else if (state_.InputState == TRTFris::risHex) {
                    int digit = HexValue(ch);
                    if (digit < 0) {
                        return EC::rtf_ec_InvalidHex;
                    }
                    hexByte_ = hexByte_ * 16 + digit;
                    if (++hexDigits_ == 2) {
                        int byte = hexByte_;
                        hexByte_ = hexDigits_ = 0;
                        state_.InputState = TRTFris::risNorm;
                        if (skipCount_ > 0) {
                            --skipCount_;
                        } else {
                            ec = ParseChar(byte);
                        }
                    }
                } else {
                    ec = EC::rtf_ec_Assertion;
                }
            }
        }
        if (ec != EC::rtf_ec_OK) {
            return ec;
        }
    }
done:
    colorTable_.Finalize();
    if (depth_ < 0) {
        return EC::rtf_ec_StackUnderflow;
    }
    EC ec = EC::rtf_ec_OK;
    if (!text_.empty() || !uText_.empty()) {
        ec = OutputChar(0); // a group left open still delivers its text
    }
    return depth_ > 0 && ec == EC::rtf_ec_OK ? EC::rtf_ec_UnmatchedBrace : ec;
}

TRNRTFErrorCode TRNRTFReader::PushRtfState() {
    if (depth_ >= MaxDepth) {
        return EC::rtf_ec_StackOverflow;
    }
    stateStack_.push_back(state_);
    state_.InputState = TRTFris::risNorm;
    ++depth_;
    if (state_.Destination == TRTFrds::rdsStyleSheet) {
        styleSheet_.AddPara(0);
        state_.Destination = TRTFrds::rdsStyleSheetEntry;
    }
    return EC::rtf_ec_OK;
}

TRNRTFErrorCode TRNRTFReader::PopRtfState() {
    if (stateStack_.empty()) {
        return EC::rtf_ec_StackUnderflow;
    }
    TRNRTFReaderState& saved = stateStack_.back();
    TRTFrds closing = state_.Destination;
    if (closing == TRTFrds::rdsStyleSheetEntry && saved.Destination == TRTFrds::rdsStyleSheet &&
        styleSheet_.Last()) {
        styleSheet_.Last()->Assign(state_);
    }
    if (closing == TRTFrds::rdsNorm) {
        EC ec = OutputChar(0);
        if (ec != EC::rtf_ec_OK) {
            return ec;
        }
    }
    if (closing != saved.Destination) {
        EC ec = EndGroupAction(closing);
        if (ec != EC::rtf_ec_OK) {
            return ec;
        }
    }
    state_ = std::move(stateStack_.back());
    stateStack_.pop_back();
    --depth_;
    return EC::rtf_ec_OK;
}

TRNRTFErrorCode TRNRTFReader::ParseRtfKeyword() {
    if (Eof()) {
        return EC::rtf_ec_EndOfFile;
    }
    // The usual case: a short control word with its parameter and delimiter in the buffer.
    if (!pushedBack_ && bufLen_ - bufPos_ > 48) {
        const char* begin = buffer_.data() + bufPos_;
        const char* q = begin;
        uint32_t hash = 0;
        while (IsAsciiLetter(static_cast<unsigned char>(*q)) && q - begin < 32) {
            hash = RTFKeywordHash(hash, *q);
            ++q;
        }
        size_t length = static_cast<size_t>(q - begin);
        if (length > 0 && length < 32) {
            bool negative = *q == '-';
            q += negative ? 1 : 0;
            const char* digits = q;
            // The value is summed while the digits are scanned: ten digits cannot overflow it.
            int64_t value = 0;
            while (IsDigit(static_cast<unsigned char>(*q)) && q - digits < 10) {
                value = value * 10 + (*q - '0');
                ++q;
            }
            if (!IsDigit(static_cast<unsigned char>(*q))) {
                int32_t param = 0;
                bool hasParam = q > digits;
                if (hasParam) {
                    param = ClampParam(negative ? -value : value);
                    lastParam_ = param;
                }
                if (*q == ' ') {
                    ++q;
                }
                bufPos_ += static_cast<size_t>(q - begin);
                if (skipCount_ > 0) {
                    --skipCount_;
                    return EC::rtf_ec_OK;
                }
                return TranslateKeyword(FindRTFKeyword(std::string_view(begin, length), hash),
                                        param, hasParam);
            }
        }
    }
    return ParseRtfKeywordByBytes();
}

// Control words cut by the end of the buffer, pushed back or too long for the buffer's scan.
// Kept apart so that the usual case above needs no room for a long keyword.
TRNRTFErrorCode TRNRTFReader::ParseRtfKeywordByBytes() {
    int ch = GetC();
    if (!IsAsciiLetter(ch)) {
        // A control symbol standing in for a \u character is one character to skip; "\'"
        // is skipped once its two digits are read.
        if (skipCount_ > 0 && ch != '\'') {
            --skipCount_;
            return EC::rtf_ec_OK;
        }
        char symbol = static_cast<char>(ch);
        return TranslateKeyword(FindRTFKeyword(std::string_view(&symbol, 1)), 0, false);
    }
    char keyword[32];
    size_t length = 0;
    std::string longKeyword; // control words longer than any in the table still end somewhere
    while (IsAsciiLetter(ch)) {
        if (length < sizeof keyword) {
            keyword[length] = static_cast<char>(ch);
        } else {
            if (longKeyword.empty()) {
                longKeyword.assign(keyword, length);
            }
            longKeyword.push_back(static_cast<char>(ch));
        }
        ++length;
        if (Eof()) {
            return EC::rtf_ec_EndOfFile;
        }
        ch = GetC();
    }
    bool negative = false;
    if (ch == '-') {
        negative = true;
        if (Eof()) {
            return EC::rtf_ec_EndOfFile;
        }
        ch = GetC();
    }
    // However many digits follow, the value stops growing just past the 32-bit range.
    int64_t value = 0;
    bool hasParam = false;
    while (IsDigit(ch)) {
        hasParam = true;
        value = std::min<int64_t>(value * 10 + (ch - '0'), int64_t{INT32_MAX} + 1);
        if (Eof()) {
            return EC::rtf_ec_EndOfFile;
        }
        ch = GetC();
    }
    int32_t param = 0;
    if (hasParam) {
        param = ClampParam(negative ? -value : value);
        lastParam_ = param;
    }
    if (ch != ' ') {
        UngetC(ch);
    }
    if (skipCount_ > 0) {
        --skipCount_;
        return EC::rtf_ec_OK;
    }
    std::string_view word =
        longKeyword.empty() ? std::string_view(keyword, length) : std::string_view(longKeyword);
    return TranslateKeyword(FindRTFKeyword(word), param, hasParam);
}

TRNRTFErrorCode TRNRTFReader::TranslateKeyword(const TRNRTFsymbol* symbol, int32_t param,
                                               bool hasParam) {
    if (!symbol) {
        if (skipDestIfUnknown_) {
            state_.Destination = TRTFrds::rdsSkip;
        }
        skipDestIfUnknown_ = false;
        return EC::rtf_ec_OK;
    }
    skipDestIfUnknown_ = false;
    switch (symbol->Kind) {
    case TRNRTFKeywordType::rtf_kwd_Char:
        return symbol->Index < 0 ? EC::rtf_ec_OK : ParseChar(symbol->Index);
    case TRNRTFKeywordType::rtf_kwd_Dest:
        return ChangeDest(static_cast<TRTFIDEST>(symbol->Index), 0);
    case TRNRTFKeywordType::rtf_kwd_Spec:
        // "bin" counts its own parameter only: none means no raw bytes.
        return ParseSpecialKeyword(static_cast<TRTFIPFN>(symbol->Index), hasParam ? param : 0);
    case TRNRTFKeywordType::rtf_kwd_Prop: {
        int32_t value = symbol->UseDefault || !hasParam ? symbol->DefValue : param;
        // With no text waiting the flush changes nothing (the pending position stays): most
        // character properties come in a row after a paragraph's start, before its text.
        if (state_.Destination == TRTFrds::rdsNorm && (!text_.empty() || !uText_.empty()) &&
            (symbol->Affect == TRNRTFKeywordAffect::rtf_af_CharProp ||
             symbol->Affect == TRNRTFKeywordAffect::rtf_af_BothProp)) {
            EC ec = OutputChar(0);
            if (ec != EC::rtf_ec_OK) {
                return ec;
            }
        }
        return ApplyPropChange(static_cast<TRTFIPROP>(symbol->Index), value);
    }
    }
    return EC::rtf_ec_OK;
}

TRNRTFErrorCode TRNRTFReader::ParseSpecialKeyword(TRTFIPFN ipfn, int32_t param) {
    if (state_.Destination == TRTFrds::rdsSkip && ipfn != TRTFIPFN::ipfnBin) {
        return EC::rtf_ec_OK;
    }
    switch (ipfn) {
    case TRTFIPFN::ipfnBin:
        binBytesLeft_ = param;
        if (binBytesLeft_ > 0) {
            state_.InputState = TRTFris::risBin;
        }
        break;
    case TRTFIPFN::ipfnHex:
        state_.InputState = TRTFris::risHex;
        hexByte_ = hexDigits_ = 0;
        break;
    case TRTFIPFN::ipfnSkipDest:
        skipDestIfUnknown_ = true;
        break;
    }
    return EC::rtf_ec_OK;
}

TRNRTFErrorCode TRNRTFReader::ApplyPropChange(TRTFIPROP iprop, int32_t value) {
    TRTFrds dest = state_.Destination;
    if (dest == TRTFrds::rdsSkip) {
        return EC::rtf_ec_OK;
    }
    if (dest == TRTFrds::rdsColorTable) {
        switch (iprop) {
        case P::ipropRed:
            colorTable_.SetLastRed(value);
            break;
        case P::ipropGreen:
            colorTable_.SetLastGreen(value);
            break;
        case P::ipropBlue:
            colorTable_.SetLastBlue(value);
            break;
        default:
            break;
        }
        return EC::rtf_ec_OK;
    }
    if (dest == TRTFrds::rdsPict) {
        if (!picture_) {
            return EC::rtf_ec_OK;
        }
        switch (iprop) {
        case P::ipropPicW:
            picture_->PicW = value;
            break;
        case P::ipropPicH:
            picture_->PicH = value;
            break;
        case P::ipropWBMWidthBytes:
            picture_->WBMWidthBytes = value;
            break;
        case P::ipropPicWGoal:
            picture_->PicWGoal = value;
            break;
        case P::ipropPicHGoal:
            picture_->PicHGoal = value;
            break;
        case P::ipropPicScaleX:
            picture_->PicScaleX = value;
            break;
        case P::ipropPicScaleY:
            picture_->PicScaleY = value;
            break;
        case P::ipropPictureType:
            picture_->PictureType = static_cast<TRNRTFPictureType>(value);
            if (picture_->PictureType == TRNRTFPictureType::rtf_pict_DIB) {
                picture_->ReserveFileHeader();
            }
            break;
        case P::ipropMetafile:
            picture_->PictureType = TRNRTFPictureType::rtf_pict_WMF;
            picture_->MetafileMapMode = value >= 2 && value <= 8 ? value : 1;
            break;
        default:
            break;
        }
        return EC::rtf_ec_OK;
    }
    TRNRTFCharProperties& cp = state_.CharProps;
    TRNRTFParaProperties& pp = state_.ParaProps;
    auto colorAt = [&](TColor& target) {
        if (value >= 0 && value < colorTable_.Count()) {
            target = colorTable_[value];
        }
    };
    switch (iprop) {
    case P::ipropBold:
        state_.ChangeFontStyle(TFontStyle::fsBold, value);
        break;
    case P::ipropItalic:
        state_.ChangeFontStyle(TFontStyle::fsItalic, value);
        break;
    case P::ipropUnderline:
        state_.ChangeFontStyle(TFontStyle::fsUnderline, value);
        break;
    case P::ipropStrike:
        state_.ChangeFontStyle(TFontStyle::fsStrikeOut, value);
        break;
    case P::ipropCharScaleX:
        cp.CharScaleX = value;
        break;
    case P::ipropSScript:
        cp.SScriptType = static_cast<TRNRTFSScriptType>(value);
        break;
    case P::ipropAllCaps:
        if (value != 0) {
            cp.StyleEx.Include(TRNRTFFontStyleEx::rtf_fs_AllCaps);
        } else {
            cp.StyleEx.Exclude(TRNRTFFontStyleEx::rtf_fs_AllCaps);
        }
        break;
    case P::ipropFontSize:
        cp.Size = value / 2;
        break;
    case P::ipropTextColor:
        colorAt(cp.Color);
        break;
    case P::ipropTextBackColor:
        colorAt(cp.BackColor);
        break;
    case P::ipropParaColor:
        colorAt(pp.Color);
        break;
    case P::ipropParaBorderColor:
        if (value >= 0 && value < colorTable_.Count()) {
            pp.GetBorder().GetSides(pp.CurBorderSide).Color = colorTable_[value];
        }
        break;
    case P::ipropSL:
        pp.LineSpacing = value;
        break;
    case P::ipropSLMult:
        pp.LineSpacingMulti = static_cast<uint8_t>(value);
        break;
    case P::ipropLeftInd:
        pp.LeftIndent = value;
        break;
    case P::ipropRightInd:
        pp.RightIndent = value;
        break;
    case P::ipropFirstInd:
        pp.FirstIndent = value;
        break;
    case P::ipropSpaceBefore:
        pp.SpaceBefore = value;
        break;
    case P::ipropSpaceAfter:
        pp.SpaceAfter = value;
        break;
    case P::ipropJust:
        pp.Alignment = static_cast<TRNRTFAlignment>(value);
        break;
    case P::ipropParaBorderSide:
        pp.CurBorderSide = static_cast<TRNRTFSide>(value);
        break;
    case P::ipropParaBorderType: {
        TRNRTFBorderSide& side = pp.GetBorder().GetSides(pp.CurBorderSide);
        if (side.BorderType == TRNRTFBorderType::rtf_brdr_None) {
            side.BorderType = static_cast<TRNRTFBorderType>(value);
        }
        break;
    }
    case P::ipropParaBorderWidth:
        pp.GetBorder().GetSides(pp.CurBorderSide).Width = value;
        break;
    case P::ipropParaBorderSpace:
        pp.GetBorder().GetSides(pp.CurBorderSide).Space = value;
        break;
    case P::ipropCols:
        state_.SectProps.ColumnCount = value;
        break;
    case P::ipropPgnX:
        state_.SectProps.PageNumberXPos = value;
        break;
    case P::ipropPgnY:
        state_.SectProps.PageNumberYPos = value;
        break;
    case P::ipropSbk:
        state_.SectProps.SectionBreakType = static_cast<TRNRTFSectionBreakType>(value);
        break;
    case P::ipropPgnFormat:
        state_.SectProps.PageNumberFormat = static_cast<TRNRTFPageNumberFormat>(value);
        break;
    case P::ipropXaPage:
        state_.DocProps.PaperWidth = value;
        break;
    case P::ipropYaPage:
        state_.DocProps.PaperHeight = value;
        break;
    case P::ipropXaLeft:
        state_.DocProps.LeftMargin = value;
        break;
    case P::ipropXaRight:
        state_.DocProps.RightMargin = value;
        break;
    case P::ipropYaTop:
        state_.DocProps.TopMargin = value;
        break;
    case P::ipropYaBottom:
        state_.DocProps.BottomMargin = value;
        break;
    case P::ipropPgnStart:
        state_.DocProps.PageNumberStart = value;
        break;
    case P::ipropFacingp:
        state_.DocProps.FacingPages = value != 0;
        break;
    case P::ipropLandscape:
        state_.DocProps.Landscape = value != 0;
        break;
    case P::ipropPard:
        pp.Reset();
        break;
    case P::ipropPlain:
        cp.Reset();
        break;
    case P::ipropSectd:
        state_.SectProps.Reset();
        break;
    case P::ipropF:
        if (dest == TRTFrds::rdsNorm) {
            cp.FontIndex = fontTable_.GetFontIndex(value);
        } else if (dest == TRTFrds::rdsFontTable) {
            fontTable_.Add(value);
        } else if (dest == TRTFrds::rdsStyleSheet && styleSheet_.Last()) {
            styleSheet_.Last()->CharProps.FontIndex = fontTable_.GetFontIndex(value);
        }
        break;
    case P::ipropDefF:
        // The font table usually comes after "deff": the number is looked up when used.
        if (dest == TRTFrds::rdsNorm) {
            defFontNumber_ = value;
            cp.FontIndex = RTFDefaultFontIndex;
        }
        break;
    case P::ipropAnsiCodePage:
        codePage_ = value;
        break;
    case P::ipropUC:
        uc_ = value;
        break;
    case P::ipropU:
        if (OnNewUnicodeText) {
            skipCount_ = uc_;
            OutputWideChar(static_cast<char16_t>(static_cast<uint32_t>(value) & 0xFFFF));
        }
        break;
    case P::ipropPage:
        if (OnRequiredPageBreak) {
            EC ec = OutputChar(0);
            if (ec != EC::rtf_ec_OK) {
                return ec;
            }
            try {
                OnRequiredPageBreak(*this);
            } catch (...) {
                return EC::rtf_ec_Aborted;
            }
        }
        break;
    case P::ipropFontFamily:
        if (dest == TRTFrds::rdsFontTable) {
            fontTable_.Last().Family = static_cast<TRNRTFFontFamily>(value);
        }
        break;
    case P::ipropFCharset:
        if (dest == TRTFrds::rdsFontTable) {
            fontTable_.Last().Charset = static_cast<uint8_t>(value);
        }
        break;
    case P::ipropS:
    case P::ipropCS:
    case P::ipropDS:
        if (dest == TRTFrds::rdsStyleSheetEntry) {
            TRTFIDEST idest = iprop == P::ipropS    ? TRTFIDEST::idestStyleSheetParaStyle
                              : iprop == P::ipropCS ? TRTFIDEST::idestStyleSheetCharStyle
                                                    : TRTFIDEST::idestStyleSheetSectStyle;
            return ChangeDest(idest, value);
        }
        break;
    case P::ipropSBasedOn:
    case P::irpropSNext:
        if (dest == TRTFrds::rdsStyleSheetEntry && styleSheet_.Last()) {
            TRNRTFStyleSheetEntry* entry = styleSheet_.GetEntry(value);
            if (iprop == P::ipropSBasedOn) {
                styleSheet_.Last()->BasedOn = entry;
            } else {
                styleSheet_.Last()->Next = entry;
            }
        }
        break;
    case P::ipropAdditive:
    case P::ipropSHidden:
        if (styleSheet_.Last()) {
            (iprop == P::ipropAdditive ? styleSheet_.Last()->Additive
                                       : styleSheet_.Last()->Hidden) = true;
        }
        break;
    case P::ipropRed:
    case P::ipropGreen:
    case P::ipropBlue:
    case P::ipropPicW:
    case P::ipropPicH:
    case P::ipropWBMWidthBytes:
    case P::ipropPictureType:
    case P::ipropMetafile:
        return EC::rtf_ec_BadTable;
    case P::ipropPicWGoal:
    case P::ipropPicHGoal:
    case P::ipropPicScaleX:
    case P::ipropPicScaleY:
    case P::ipropMax:
        break;
    }
    return EC::rtf_ec_OK;
}

TRNRTFErrorCode TRNRTFReader::ChangeDest(TRTFIDEST idest, int32_t value) {
    if (state_.Destination == TRTFrds::rdsSkip) {
        return EC::rtf_ec_OK;
    }
    switch (idest) {
    case TRTFIDEST::idestPict:
        if (picture_) {
            return EC::rtf_ec_InvalidPicture;
        }
        if (OnNewPicture) {
            picture_ = std::make_unique<TRNRTFPicture>();
        }
        state_.Destination = TRTFrds::rdsPict;
        pictHighNibble_ = true;
        pictByte_ = 0;
        break;
    case TRTFIDEST::idestFontTable:
        fontTable_.Clear();
        state_.Destination = TRTFrds::rdsFontTable;
        break;
    case TRTFIDEST::idestStyleSheet:
        styleSheet_.Clear();
        state_.Destination = TRTFrds::rdsStyleSheet;
        break;
    case TRTFIDEST::idestColorTable:
        colorTable_.Clear();
        colorTable_.Add();
        state_.Destination = TRTFrds::rdsColorTable;
        break;
    case TRTFIDEST::idestStyleSheetParaStyle:
    case TRTFIDEST::idestStyleSheetCharStyle:
    case TRTFIDEST::idestStyleSheetSectStyle:
        if (TRNRTFStyleSheetEntry* entry = styleSheet_.Last()) {
            entry->Number = value;
            entry->StyleSheetType =
                idest == TRTFIDEST::idestStyleSheetParaStyle   ? TRNRTFStyleSheetType::rtf_sst_Par
                : idest == TRTFIDEST::idestStyleSheetCharStyle ? TRNRTFStyleSheetType::rtf_sst_Char
                                                               : TRNRTFStyleSheetType::rtf_sst_Sect;
        }
        state_.Destination = TRTFrds::rdsStyleSheetEntry;
        break;
    case TRTFIDEST::idestSkip:
        state_.Destination = TRTFrds::rdsSkip;
        break;
    }
    return EC::rtf_ec_OK;
}

TRNRTFErrorCode TRNRTFReader::EndGroupAction(TRTFrds rds) {
    if (rds != TRTFrds::rdsPict) {
        return EC::rtf_ec_OK;
    }
    EC ec = OutputChar(0);
    if (ec != EC::rtf_ec_OK) {
        return ec;
    }
    if (!picture_) {
        return OnNewPicture ? EC::rtf_ec_InvalidPicture : EC::rtf_ec_OK;
    }
    if (picture_->Empty()) {
        // A picture without a byte shows nothing: it makes no item, and refuses no document.
        picture_.reset();
        return EC::rtf_ec_OK;
    }
    std::unique_ptr<TRNRTFPicture> picture = std::move(picture_);
    std::unique_ptr<TGraphic> graphic;
    try {
        graphic = RTFPictureToGraphic(*picture);
    } catch (...) {
        return EC::rtf_ec_InvalidPicture;
    }
    picture_ = std::move(picture);
    ec = DoNewPicture(std::move(graphic));
    picture_.reset();
    return ec;
}

TRNRTFErrorCode TRNRTFReader::DoNewPicture(std::unique_ptr<TGraphic> graphic) {
    try {
        OnNewPicture(*this, *picture_, std::move(graphic), curPosition_);
    } catch (...) {
        return EC::rtf_ec_Aborted;
    }
    curPosition_ = TRNRTFPosition::rtf_ts_ContinuePara;
    return EC::rtf_ec_OK;
}

TRNRTFErrorCode TRNRTFReader::ParseChar(int ch) {
    EC ec = EC::rtf_ec_OK;
    switch (state_.Destination) {
    case TRTFrds::rdsNorm:
        ec = OutputChar(ch);
        break;
    case TRTFrds::rdsFontTable:
        if (ch != ';') {
            fontTable_.Last().Name.push_back(static_cast<char>(ch));
        }
        break;
    case TRTFrds::rdsColorTable:
        if (ch == ';') {
            colorTable_.Add();
        }
        break;
    case TRTFrds::rdsStyleSheetEntry:
        if (ch != ';' && styleSheet_.Last()) {
            styleSheet_.Last()->Name.push_back(static_cast<char>(ch));
        }
        break;
    case TRTFrds::rdsPict:
        if (picture_) {
            if (state_.InputState == TRTFris::risBin) {
                picture_->Put(static_cast<char>(ch));
            } else {
                int digit = HexValue(ch);
                if (digit < 0) {
                    return EC::rtf_ec_InvalidPicture;
                }
                pictByte_ = pictByte_ * 16 + digit;
                pictHighNibble_ = !pictHighNibble_;
                if (pictHighNibble_) {
                    picture_->Put(static_cast<char>(pictByte_));
                    pictByte_ = 0;
                }
            }
        }
        break;
    default:
        break;
    }
    if (state_.InputState == TRTFris::risBin && --binBytesLeft_ < 1) {
        state_.InputState = TRTFris::risNorm;
    }
    return ec;
}

TRNRTFErrorCode TRNRTFReader::OutputChar(int ch) {
    if (ch != 0 && ch != '\n' && ch != '\r') {
        text_.push_back(static_cast<char>(ch));
        return EC::rtf_ec_OK;
    }
    TRNRTFPosition next = ch == '\n'   ? TRNRTFPosition::rtf_ts_NewPara
                          : ch == '\r' ? TRNRTFPosition::rtf_ts_NewLine
                                       : TRNRTFPosition::rtf_ts_ContinuePara;
    EC ec = FlushOutput(next);
    curPosition_ = next;
    return ec;
}

void TRNRTFReader::OutputWideChar(char16_t ch) {
    if (!OnNewUnicodeText) {
        return;
    }
    if (!text_.empty()) {
        uText_ += AnsiToUnicode(text_, codePage_);
        text_.clear();
    }
    if (ch != 0) {
        uText_.push_back(ch);
    }
}

TRNRTFErrorCode TRNRTFReader::FlushOutput(TRNRTFPosition& nextPosition) {
    if (!uText_.empty()) {
        OutputWideChar(0);
    }
    return DoNewText(curPosition_, nextPosition);
}

TRNRTFErrorCode TRNRTFReader::DoNewText(TRNRTFPosition position, TRNRTFPosition& nextPosition) {
    if (text_.empty() && uText_.empty()) {
        if (position == TRNRTFPosition::rtf_ts_ContinuePara) {
            return EC::rtf_ec_OK;
        }
        if (nextPosition == TRNRTFPosition::rtf_ts_ContinuePara) {
            nextPosition = position; // the pending paragraph or line start waits for its text
            return EC::rtf_ec_OK;
        }
    }
    EC ec = EC::rtf_ec_OK;
    try {
        if (OnNewUnicodeText && !uText_.empty()) {
            OnNewUnicodeText(*this, uText_, position);
        } else if (OnNewText) {
            OnNewText(*this, text_, position);
        }
    } catch (...) {
        ec = EC::rtf_ec_Aborted;
    }
    text_.clear();
    uText_.clear();
    return ec;
}

const TRNRTFFont* TRNRTFReader::CurrentFont() const {
    int index = state_.CharProps.FontIndex;
    if (index == RTFDefaultFontIndex) {
        index = fontTable_.GetFontIndex(defFontNumber_);
    }
    return index >= 0 && index < fontTable_.Count() ? &fontTable_[index] : nullptr;
}

std::u16string TRNRTFReader::AnsiToUnicode(std::string_view s, int32_t codePage) {
    if (s.empty()) {
        return {};
    }
    unsigned page = codePage > 0 && CodePageSupported(static_cast<unsigned>(codePage))
                        ? static_cast<unsigned>(codePage)
                        : CP_ACP;
    std::u16string result = MultiByteToUtf16(s, page);
    if (result.empty()) {
        result.assign(s.size(), u'?');
    }
    return result;
}

std::string TRNRTFReader::UnicodeToAnsi(std::u16string_view s) const {
    if (s.empty()) {
        return {};
    }
    std::string result;
    if (codePage_ > 0 && CodePageSupported(static_cast<unsigned>(codePage_))) {
        result = Utf16ToMultiByte(s, static_cast<unsigned>(codePage_));
    }
    if (result.empty()) {
        result = Utf16ToMultiByte(s, CP_ACP);
    }
    if (result.empty()) {
        result.assign(s.size(), '?');
    }
    return result;
}
