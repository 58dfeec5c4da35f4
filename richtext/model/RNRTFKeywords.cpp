// The RTF reader's keyword table and its lookup.
#include "richtext/model/RNRTF.h"

#include <array>
#include <cstdint>

namespace {

using K = TRNRTFKeywordType;
using A = TRNRTFKeywordAffect;
using P = TRTFIPROP;
using D = TRTFIDEST;

constexpr int32_t I(P p) {
    return static_cast<int32_t>(p);
}
constexpr int32_t I(D d) {
    return static_cast<int32_t>(d);
}
constexpr int32_t I(TRTFIPFN f) {
    return static_cast<int32_t>(f);
}

constexpr TRNRTFsymbol Prop(std::string_view kw, int32_t def, bool fixed, P p, A a) {
    return {kw, def, fixed, K::rtf_kwd_Prop, I(p), a};
}
constexpr TRNRTFsymbol Char(std::string_view kw, int32_t ch) {
    return {kw, 0, false, K::rtf_kwd_Char, ch, A::rtf_af_None};
}
constexpr TRNRTFsymbol Dest(std::string_view kw, D d) {
    return {kw, 0, false, K::rtf_kwd_Dest, I(d), A::rtf_af_None};
}
constexpr TRNRTFsymbol Special(std::string_view kw, TRTFIPFN f) {
    return {kw, 0, false, K::rtf_kwd_Spec, I(f), A::rtf_af_None};
}

constexpr A Ch = A::rtf_af_CharProp;
constexpr A Pa = A::rtf_af_ParaProp;
constexpr A No = A::rtf_af_None;

std::vector<TRNRTFsymbol> BuildTable() {
    std::vector<TRNRTFsymbol> t = {
        Prop("b", 1, false, P::ipropBold, Ch),
        Prop("i", 1, false, P::ipropItalic, Ch),
        Prop("strike", 1, false, P::ipropStrike, Ch),
        Prop("ul", 1, false, P::ipropUnderline, Ch),
        Prop("ulnone", 0, true, P::ipropUnderline, Ch),
        Prop("fs", 24, false, P::ipropFontSize, Ch),
        Prop("cf", 0, false, P::ipropTextColor, Ch),
        Prop("chcbpat", 0, false, P::ipropTextBackColor, Ch),
        Prop("plain", 0, false, P::ipropPlain, Ch),
        Prop("charscalex", 100, false, P::ipropCharScaleX, Ch),
        Prop("caps", 1, false, P::ipropAllCaps, Ch),
        Prop("f", 0, false, P::ipropF, Ch),
        Prop("fcharset", 0, false, P::ipropFCharset, Ch),
        Prop("sub", 1, true, P::ipropSScript, Ch),
        Prop("super", 2, true, P::ipropSScript, Ch),
        Prop("nosupersub", 0, true, P::ipropSScript, Ch),
        Prop("li", 0, false, P::ipropLeftInd, Pa),
        Prop("ri", 0, false, P::ipropRightInd, Pa),
        Prop("fi", 0, false, P::ipropFirstInd, Pa),
        Prop("sb", 0, false, P::ipropSpaceBefore, Pa),
        Prop("sa", 0, false, P::ipropSpaceAfter, Pa),
        Prop("cbpat", 0, false, P::ipropParaColor, Pa),
        Prop("pard", 0, false, P::ipropPard, Pa),
        Prop("ql", 0, true, P::ipropJust, Pa),
        Prop("qr", 1, true, P::ipropJust, Pa),
        Prop("qc", 2, true, P::ipropJust, Pa),
        Prop("qj", 3, true, P::ipropJust, Pa),
        Prop("sl", 240, false, P::ipropSL, Pa),
        Prop("slmult", 1, false, P::ipropSLMult, Pa),
    };
    const char* borders[] = {
        "brdrs",       "brdrth",       "brdrsh",     "brdrdb",     "brdrdot",        "brdrdash",
        "brdrhair",    "brdrdashsm",   "brdrdashd",  "brdrdashdd", "brdrtriple",     "brdrtnthsg",
        "brdrthtnsg",  "brdrtnthtnsg", "brdrtnthmg", "brdrthtnmg", "brdrtnthtnmg",   "brdrtnthlg",
        "brdrthtnlg",  "brdrtnthtnlg", "brdrwavy",   "brdrwavydb", "brdrdashdotstr", "brdremboss",
        "brdrengrave", "brdrinset",    "brdroutset"};
    int32_t type = 1;
    for (const char* kw : borders) {
        t.push_back(Prop(kw, type++, true, P::ipropParaBorderType, Pa));
    }
    const TRNRTFsymbol rest[] = {
        Prop("brdrl", 0, true, P::ipropParaBorderSide, Pa),
        Prop("brdrt", 1, true, P::ipropParaBorderSide, Pa),
        Prop("brdrr", 2, true, P::ipropParaBorderSide, Pa),
        Prop("brdrb", 3, true, P::ipropParaBorderSide, Pa),
        Prop("brdrw", 1, false, P::ipropParaBorderWidth, Pa),
        Prop("brdrcf", 0, false, P::ipropParaBorderColor, Pa),
        Prop("brsp", 0, false, P::ipropParaBorderSpace, Pa),
        Prop("cols", 1, false, P::ipropCols, No),
        Prop("pgnx", 0, false, P::ipropPgnX, No),
        Prop("pgny", 0, false, P::ipropPgnY, No),
        Prop("sectd", 0, false, P::ipropSectd, No),
        Prop("sbknone", 0, true, P::ipropSbk, No),
        Prop("sbkcol", 1, true, P::ipropSbk, No),
        Prop("sbkeven", 2, true, P::ipropSbk, No),
        Prop("sbkodd", 3, true, P::ipropSbk, No),
        Prop("sbkpage", 4, true, P::ipropSbk, No),
        Prop("pgndec", 0, true, P::ipropPgnFormat, No),
        Prop("pgnucrm", 1, true, P::ipropPgnFormat, No),
        Prop("pgnlcrm", 2, true, P::ipropPgnFormat, No),
        Prop("pgnucltr", 3, true, P::ipropPgnFormat, No),
        Prop("pgnlcltr", 4, true, P::ipropPgnFormat, No),
        Prop("paperw", 12240, false, P::ipropXaPage, No),
        Prop("paperh", 15480, false, P::ipropYaPage, No),
        Prop("margl", 1800, false, P::ipropXaLeft, No),
        Prop("margr", 1800, false, P::ipropXaRight, No),
        Prop("margt", 1440, false, P::ipropYaTop, No),
        Prop("margb", 1440, false, P::ipropYaBottom, No),
        Prop("pgnstart", 1, false, P::ipropPgnStart, No),
        Prop("facingp", 1, true, P::ipropFacingp, No),
        Prop("landscape", 1, true, P::ipropLandscape, No),
        Prop("deff", 0, false, P::ipropDefF, No),
        Prop("ansicpg", 0, false, P::ipropAnsiCodePage, No),
        Prop("u", 0, false, P::ipropU, No),
        Prop("uc", 1, false, P::ipropUC, No),
        Prop("page", 0, false, P::ipropPage, No),
        Prop("red", 0, false, P::ipropRed, No),
        Prop("green", 0, false, P::ipropGreen, No),
        Prop("blue", 0, false, P::ipropBlue, No),
        Prop("fnil", 0, true, P::ipropFontFamily, No),
        Prop("froman", 1, true, P::ipropFontFamily, No),
        Prop("fswiss", 2, true, P::ipropFontFamily, No),
        Prop("fmodern", 3, true, P::ipropFontFamily, No),
        Prop("fscript", 4, true, P::ipropFontFamily, No),
        Prop("fdecor", 5, true, P::ipropFontFamily, No),
        Prop("ftech", 6, true, P::ipropFontFamily, No),
        Prop("fbidi", 7, true, P::ipropFontFamily, No),
        Prop("s", 0, false, P::ipropS, No),
        Prop("cs", 0, false, P::ipropCS, No),
        Prop("ds", 0, false, P::ipropDS, No),
        Prop("sbasedon", 0, false, P::ipropSBasedOn, No),
        Prop("snext", 0, false, P::irpropSNext, No),
        Prop("additive", 0, false, P::ipropAdditive, No),
        Prop("shidden", 0, false, P::ipropSHidden, No),
        Prop("picw", 0, false, P::ipropPicW, No),
        Prop("pich", 0, false, P::ipropPicH, No),
        Prop("wbmwidthbytes", 0, false, P::ipropWBMWidthBytes, No),
        Prop("picwgoal", 0, false, P::ipropPicWGoal, No),
        Prop("pichgoal", 0, false, P::ipropPicHGoal, No),
        Prop("picscalex", 100, false, P::ipropPicScaleX, No),
        Prop("picscaley", 100, false, P::ipropPicScaleY, No),
        Prop("emfblip", 0, true, P::ipropPictureType, No),
        Prop("pngblip", 1, true, P::ipropPictureType, No),
        Prop("jpegblip", 2, true, P::ipropPictureType, No),
        Prop("macpict", 3, true, P::ipropPictureType, No),
        Prop("pmmetafile", 4, true, P::ipropPictureType, No),
        Prop("dibitmap", 6, true, P::ipropPictureType, No),
        Prop("wbitmap", 7, true, P::ipropPictureType, No),
        Prop("wmetafile", 1, false, P::ipropMetafile, No),
        Char("par", 10),
        Char("cell", 10),
        Char("\n", 10),
        Char("\r", 10),
        Char("line", 13),
        Char("tab", 9),
        Char("ldblquote", 34),
        Char("rdblquote", 34),
        Char("{", '{'),
        Char("}", '}'),
        Char("\\", '\\'),
        // Typographic marks as the ANSI page has them, so that quoted and dashed text keeps
        // its characters.
        Char("lquote", 0x91),
        Char("rquote", 0x92),
        Char("emdash", 0x97),
        Char("endash", 0x96),
        Char("bullet", 0x95),
        Char("~", 0xA0),
        Char("_", '-'),
        Char("-", -1),
        // Groups whose content is read as if they were not there: the picture a word
        // processor means ("shppict", skipped as unknown by readers that lack it) and the
        // visible text of a field, starred or not.
        Char("shppict", -1),
        Char("fldrslt", -1),
        Special("bin", TRTFIPFN::ipfnBin),
        Special("'", TRTFIPFN::ipfnHex),
        Special("*", TRTFIPFN::ipfnSkipDest),
        Dest("fonttbl", D::idestFontTable),
        Dest("colortbl", D::idestColorTable),
        Dest("stylesheet", D::idestStyleSheet),
        Dest("pict", D::idestPict),
    };
    t.insert(t.end(), std::begin(rest), std::end(rest));
    // "nonshppict": the stand-in for readers without "shppict"; "fldinst": a field's code.
    const char* skipped[] = {"nonshppict", "fldinst", "author",   "buptim",   "comment", "creatim",
                             "doccomm",    "footer",  "footerf",  "footerl",  "footerr", "footnote",
                             "ftncn",      "ftnsep",  "ftnsepc",  "header",   "headerf", "headerl",
                             "headerr",    "info",    "keywords", "operator", "printim", "private1",
                             "revtim",     "rxe",     "subject",  "tc",       "title",   "txe",
                             "xe"};
    for (const char* kw : skipped) {
        t.push_back(Dest(kw, D::idestSkip));
    }
    return t;
}

} // namespace

const std::vector<TRNRTFsymbol>& RTFKeywordTable() {
    static const std::vector<TRNRTFsymbol> table = BuildTable();
    return table;
}

namespace {

// An open-addressing table over the keywords: the lookup runs for every control word read.
constexpr size_t SlotCount = 1024;

size_t Slot(uint32_t hash) {
    return hash & (SlotCount - 1);
}

uint32_t KeywordHash(std::string_view keyword) {
    uint32_t h = 0;
    for (char c : keyword) {
        h = RTFKeywordHash(h, c);
    }
    return h;
}

// Keywords are a few letters long: compared here byte by byte rather than through a call to
// memcmp, which costs more than the bytes, and keeps the lookup free of calls.
bool SameKeyword(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i] != b[i]) {
            return false;
        }
    }
    return true;
}

// Filled when the program starts rather than on the first lookup: a lookup then tests no guard
// and calls nothing, which counts at one lookup for every control word read. Nothing looks up a
// keyword while statics are being made.
const std::array<const TRNRTFsymbol*, SlotCount> KeywordSlots = [] {
    std::array<const TRNRTFsymbol*, SlotCount> table{};
    for (const TRNRTFsymbol& s : RTFKeywordTable()) {
        size_t at = Slot(KeywordHash(s.Keyword));
        while (table[at]) {
            at = (at + 1) & (SlotCount - 1);
        }
        table[at] = &s;
    }
    return table;
}();

} // namespace

const TRNRTFsymbol* FindRTFKeyword(std::string_view keyword) {
    return FindRTFKeyword(keyword, KeywordHash(keyword));
}

const TRNRTFsymbol* FindRTFKeyword(std::string_view keyword, uint32_t hash) {
    for (size_t at = Slot(hash);; at = (at + 1) & (SlotCount - 1)) {
        const TRNRTFsymbol* s = KeywordSlots[at];
        if (!s || SameKeyword(s->Keyword, keyword)) {
            return s;
        }
    }
}
