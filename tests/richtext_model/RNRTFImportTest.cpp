// RTF into documents, documents into RTF, and the round trip between them.
#include "RNFTestSupport.h"
#include "RTFFixtures.h"
#include "tests/support/NotesSheet.h"
#include "tests/support/TempDir.h"

#include "platform/base/Stream.h"
#include "platform/graphics/Bitmap.h"
#include "platform/graphics/JPEGImage.h"
#include "platform/graphics/LittleEndian.h"
#include "platform/graphics/Metafile.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNRTFProps.h"
#include "richtext/model/RNRTFWriter.h"
#include "richtext/model/RNStyle.h"
#include "richtext/model/RNUni.h"

#include <gtest/gtest.h>

namespace {

using EC = TRNRTFErrorCode;
using Mode = TRNReaderStyleMode;

// Text styles: plain, bold, big red bold, Times, Unicode. Paragraphs: left, centred.
void SetUpFixtureSheet(TRNStyle& sheet) {
    TFontInfos& t = sheet.TextStyles();
    t.Clear();
    t.Add().StyleName = "Normal";
    t.Add().Style = {TFontStyle::fsBold};
    TFontInfo& big = t.Add();
    big.Style = {TFontStyle::fsBold};
    big.Size = 20;
    big.Color = clRed;
    t.Add().FontName = "Times New Roman";
    t.Add().Unicode = true;
    TParaInfos& p = sheet.ParaStyles();
    p.Clear();
    p.Add();
    p.Add().Alignment = TRNAlignment::rnaCenter;
}

// Writes the document, or its selection, as RTF.
std::string WriteRTF(TCustomRNData& data, bool selectionOnly = false) {
    bool saved = false;
    std::string rtf = SaveRTFBytes(data, selectionOnly, &saved);
    EXPECT_TRUE(saved);
    return rtf;
}

enum class Sheet { Notes, Fixture, Default };

struct Doc {
    TRNStyle sheet;
    TRNRTFReaderProperties props;
    TSelectableDoc data;
    explicit Doc(Sheet kind = Sheet::Notes) {
        if (kind == Sheet::Notes) {
            SetUpNotesSheet(sheet);
        } else if (kind == Sheet::Fixture) {
            SetUpFixtureSheet(sheet);
        }
        data.Style = &sheet;
        data.RTFProperties = &props;
    }
    // The options and the reader's settings of the notes editor.
    void ReadAsNotesEditor() {
        data.Options = NotesDocumentOptions();
        data.RTFOptions = NotesRTFOptions();
        SetUpNotesRTFReader(props);
    }
    EC Load(const std::string& rtf) { return LoadRTFBytes(data, rtf); }
    std::string SaveRTF() { return WriteRTF(data); }
};

// A document as the bytes of its note: items, texts, pictures and both style collections.
std::string DocumentBytes(TRNPlainRootData& doc) {
    doc.RNFOptions = NotesRNFOptions();
    return SaveNote(doc);
}

// Items as "[style/paragraph, c(ontinues), l(ine break) or p(aragraph), ! page break]text",
// then the sizes of the style collections.
std::string Summary(const TCustomRNData& doc) {
    std::string out;
    for (int i = 0; i < doc.ItemCount(); ++i) {
        const TCustomRNItemInfo& item = doc.GetItem(i);
        out += "[" + std::to_string(item.StyleNo) + "/" + std::to_string(item.ParaNo);
        out += item.GetSameAsPrev() ? "c" : item.GetBR() ? "l" : "p";
        out += item.GetPageBreakBefore() ? "!" : "";
        out += "]" + doc.GetItemText(i);
    }
    const TRNStyle* sheet = doc.GetRNStyle();
    return out + "{" + std::to_string(sheet->TextStyles().Count()) + "," +
           std::to_string(sheet->ParaStyles().Count()) + "}";
}

void AddPicture(TCustomRNData& doc, std::unique_ptr<TGraphic> g, int paraNo) {
    doc.AddPictureEx("", std::move(g), paraNo, TRNVAlign::rnvaBaseline);
}

// A placeable metafile header (key, frame, units per inch, checksum) before `wmf`.
std::unique_ptr<TGraphic> PlaceableMetafile(const std::string& wmf, int w, int h, int inch) {
    std::string out;
    WriteU32(out, 0x9AC6CDD7u);
    for (int v : {0, 0, 0, w, h, inch}) {
        WriteU16(out, static_cast<uint32_t>(v));
    }
    WriteU32(out, 0);
    uint32_t sum = 0;
    for (size_t i = 0; i < 20; i += 2) {
        sum ^= ReadU16(out, i);
    }
    WriteU16(out, sum);
    auto metafile = std::make_unique<TMetafile>();
    metafile->LoadFromBytes(out + wmf);
    return metafile;
}

// Runs `body` on each RTF read into a fresh document, once with the defaults and once as the
// notes editor reads it.
template <size_t N, typename Body> void ForEachReader(const char* const (&rtfs)[N], Body body) {
    for (const char* rtf : rtfs) {
        for (bool notes : {false, true}) {
            const std::string what = std::string(rtf) + (notes ? ", notes editor" : ", defaults");
            Doc doc(notes ? Sheet::Notes : Sheet::Default);
            if (notes) {
                doc.ReadAsNotesEditor();
            }
            body(doc, rtf, what);
        }
    }
}

TEST(RNRTFImport, FixturesImportToTheirDocuments) {
    Doc text(Sheet::Fixture);
    ASSERT_EQ(text.Load(FixtureText()), EC::rtf_ec_OK);
    Doc expected(Sheet::Fixture);
    expected.data.AddNL("Caf\xe9 ", 0, 0);
    expected.data.AddNL("bold", 1, -1);
    expected.data.AddNL(" end", 0, -1);
    expected.data.AddNL("Big link", 2, 1);
    expected.data.AddNL("axyz b\x80\x80!", 0, 0);
    expected.data.AddNL("next", 0, 0);
    expected.data.GetItem(5).SetBR(true);
    EXPECT_EQ(DocumentBytes(text.data), DocumentBytes(expected.data));

    Doc unicode(Sheet::Fixture);
    unicode.props.UnicodeMode = TRNReaderUnicode::rnruMixed;
    ASSERT_EQ(unicode.Load(FixtureText()), EC::rtf_ec_OK);
    ASSERT_EQ(unicode.data.ItemCount(), 6);
    EXPECT_EQ(unicode.data.GetItemText(4), RNU_U16ToBytes(u"axyz b\u20ac!"));
    EXPECT_EQ(unicode.data.GetItemStyle(4), 4);

    Doc pictures(Sheet::Fixture);
    ASSERT_EQ(pictures.Load(FixturePictures()), EC::rtf_ec_OK);
    Doc want(Sheet::Fixture);
    AddPicture(want.data, std::make_unique<TBitmap>(FixtureImage()), 0);
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromBytes(EncodeJpeg(FixtureImage(), 90));
    AddPicture(want.data, std::move(jpeg), -1);
    AddPicture(want.data, PlaceableMetafile(FixtureWmf(), 2540, 1270, 2540), 0);
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->LoadFromBytes(EncodeBmp(FixtureImage()));
    AddPicture(want.data, std::move(bitmap), -1);
    // The PNG inside "shppict" is the picture; the metafile in "nonshppict" stands in for it.
    AddPicture(want.data, std::make_unique<TBitmap>(FixtureImage()), 0);
    EXPECT_EQ(DocumentBytes(pictures.data), DocumentBytes(want.data));
}

TEST(RNRTFImport, ChoosesAndAddsStyles) {
    struct Case {
        const char* what;
        const char* rtf;
        Mode textMode, paraMode;
        const char* items;
    } cases[] = {
        {"no font table", "{\\rtf1 Hello}", Mode::rnrsUseClosest, Mode::rnrsUseClosest,
         "[0/0p]Hello{12,9}"},
        {"undefined font", "{\\rtf1{\\fonttbl{\\f0 Arial;}}\\f9 Hi}", Mode::rnrsUseClosest,
         Mode::rnrsUseClosest, "[0/0p]Hi{12,9}"},
        {"bold red 20 pt",
         "{\\rtf1{\\fonttbl{\\f0 Arial;}}{\\colortbl;\\red255\\green0\\blue0;}"
         "\\f0\\b\\cf1\\fs40 H}",
         Mode::rnrsUseClosest, Mode::rnrsUseClosest, "[1/0p]H{12,9}"},
        {"added once", "{\\rtf1{\\fonttbl{\\f0 Verdana;}}\\f0\\fs22 a{\\b b}c}",
         Mode::rnrsAddIfNeeded, Mode::rnrsUseClosest, "[12/0p]a[13/0c]b[12/0c]c{14,9}"},
        {"centred", "{\\rtf1\\qc\\li750\\ri750 x}", Mode::rnrsUseSpecified, Mode::rnrsUseClosest,
         "[0/2p]x{12,9}"},
        {"new paragraph style", "{\\rtf1\\qr\\li300 x}", Mode::rnrsUseSpecified,
         Mode::rnrsAddIfNeeded, "[0/9p]x{12,10}"},
        {"page break", "{\\rtf1 a\\page b\\par\\page}", Mode::rnrsUseSpecified,
         Mode::rnrsUseSpecified, "[0/0p]a[0/0p!]b{12,9}"},
    };
    for (const Case& c : cases) {
        Doc doc;
        doc.props.TextStyleMode = c.textMode;
        doc.props.ParaStyleMode = c.paraMode;
        EXPECT_EQ(doc.Load(c.rtf), EC::rtf_ec_OK) << c.what;
        EXPECT_EQ(Summary(doc.data), c.items) << c.what;
    }
    Doc added;
    added.props.ParaStyleMode = Mode::rnrsAddIfNeeded;
    added.Load("{\\rtf1\\qr\\li300 x}");
    const TParaInfo& para = added.sheet.ParaStyles()[9];
    EXPECT_EQ(para.Alignment, TRNAlignment::rnaRight);
    EXPECT_EQ(para.LeftIndent, 20);
    EXPECT_THROW(added.props.SetTextStyleNo(-1), ERichNoteError);

    // A line separator breaks the line; other breaks and NUL cannot stand in an item's text.
    Doc separators;
    separators.props.UnicodeMode = TRNReaderUnicode::rnruMixed;
    separators.Load("{\\rtf1 a\\u8232?b\\u13?c\\u8233?\\u10?}");
    EXPECT_EQ(Summary(separators.data),
              "[11/0p]" + RNU_U16ToBytes(u"a") + "[11/0l]" + RNU_U16ToBytes(u"bc") + "{12,9}");

    // The default font is looked up by its number, wherever it stands in the table.
    Doc byDefault;
    byDefault.props.TextStyleMode = Mode::rnrsAddIfNeeded;
    byDefault.Load("{\\rtf1\\deff5{\\fonttbl{\\f2 Arial;}{\\f5 Verdana;}}\\fs22 x}");
    EXPECT_EQ(byDefault.sheet.TextStyles()[12].FontName, "Verdana");
}

TEST(RNRTFImport, ImportedAgainRunsFindTheStylesTheirFirstImportAdded) {
    // All-caps runs among them; a run in no font of the table takes the first style's font.
    const char* const rtfs[] = {"{\\rtf1{\\fonttbl{\\f0 Verdana;}}\\f0\\fs22 {\\caps A} b}",
                                "{\\rtf1 {\\caps A} b}"};
    ForEachReader(rtfs, [](Doc& doc, const char* rtf, const std::string& what) {
        doc.props.TextStyleMode = Mode::rnrsAddIfNeeded;
        const int before = doc.sheet.TextStyles().Count();
        ASSERT_EQ(doc.Load(rtf), EC::rtf_ec_OK) << what;
        const int afterFirst = doc.sheet.TextStyles().Count();
        EXPECT_GT(afterFirst, before) << what;
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(doc.Load(rtf), EC::rtf_ec_OK) << what;
        }
        EXPECT_EQ(doc.sheet.TextStyles().Count(), afterFirst) << what;
        ASSERT_EQ(doc.data.ItemCount(), 8) << what;
        const TFontInfo& caps = doc.sheet.TextStyles()[doc.data.GetItemStyle(0)];
        EXPECT_TRUE(caps.StyleEx.Contains(TRNFontStyleEx::rnfsAllCaps)) << what;
        for (int i = 0; i < 8; ++i) {
            EXPECT_EQ(doc.data.GetItemStyle(i), doc.data.GetItemStyle(i % 2)) << what << i;
        }
    });
}

// A bordered paragraph's style holds its indents and spaces widened by the border: imported
// again, the paragraph finds that style.
TEST(RNRTFImport, ImportedAgainBorderedParagraphsFindTheStyleTheirFirstImportAdded) {
    const char* const rtfs[] = {
        "{\\rtf1\\pard\\li300\\ri150\\fi-75\\sa60\\box\\brdrs\\brdrw45 boxed\\par}",
        "{\\rtf1{\\colortbl;\\red0\\green0\\blue255;}\\pard\\qc\\brdrt\\brdrdb\\brdrw15\\brdrcf1"
        "\\brdrb\\brdrdb\\brdrw15\\brdrcf1 double\\par\\pard plain\\par}",
    };
    ForEachReader(rtfs, [](Doc& doc, const char* rtf, const std::string& what) {
        doc.props.ParaStyleMode = Mode::rnrsAddIfNeeded;
        const int before = doc.sheet.ParaStyles().Count();
        ASSERT_EQ(doc.Load(rtf), EC::rtf_ec_OK) << what;
        ASSERT_EQ(doc.sheet.ParaStyles().Count(), before + 1) << what;
        const int perImport = doc.data.ItemCount();
        const int bordered = doc.data.GetItemPara(0);
        const TParaInfo& style = doc.sheet.ParaStyles()[bordered];
        ASSERT_NE(style.Border.Style, TRNBorderStyle::rnbNone) << what;
        // No space before in the RTF: the style's is the room it keeps for the border.
        EXPECT_GT(style.SpaceBefore, 0) << what;
        for (int i = 0; i < 3; ++i) {
            ASSERT_EQ(doc.Load(rtf), EC::rtf_ec_OK) << what;
        }
        EXPECT_EQ(doc.sheet.ParaStyles().Count(), before + 1) << what;
        ASSERT_EQ(doc.data.ItemCount(), 4 * perImport) << what;
        for (int i = 0; i < doc.data.ItemCount(); ++i) {
            EXPECT_EQ(doc.data.GetItemPara(i), doc.data.GetItemPara(i % perImport)) << what << i;
        }
    });
}

TEST(RNRTFFiles, SavedFilesHoldWhatTheStreamsGet) {
    TempDir dir;
    Doc doc;
    doc.data.AddNL("a", 1, 0);
    AddPicture(doc.data, std::make_unique<TBitmap>(FixtureImage()), -1);
    std::string rtf = doc.SaveRTF();
    ASSERT_TRUE(doc.data.SaveRTF((dir / "a.rtf").string(), false, clWindow, nullptr));
    EXPECT_EQ(ReadFileBytes(dir / "a.rtf"), rtf);
    EXPECT_FALSE(doc.data.SaveRTF((dir / "missing" / "a.rtf").string(), false, clWindow, nullptr));

    TMemoryStream css;
    doc.sheet.SaveCSSToStream(css, {});
    ASSERT_TRUE(doc.sheet.SaveCSS((dir / "a.css").string(), {}));
    EXPECT_EQ(ReadFileBytes(dir / "a.css"), css.Bytes());

    int imageNo = 0;
    ASSERT_TRUE(doc.data.SaveHTML((dir / "a.htm").string(), "T", "p", {}, clNone, imageNo, 0, 0, 0,
                                  0, nullptr));
    EXPECT_NE(ReadFileBytes(dir / "a.htm").find("src=\"p1.jpg\""), std::string::npos);
    EXPECT_TRUE(std::filesystem::exists(dir / "p1.jpg"));
    EXPECT_THROW(doc.data.SaveHTML((dir / "missing" / "a.htm").string(), "T", "p", {}, clNone,
                                   imageNo, 0, 0, 0, 0, nullptr),
                 EStreamError);

    TNotesDocument loaded;
    TRNRTFReaderProperties props;
    loaded.RTFProperties = &props;
    EXPECT_EQ(loaded.LoadRTF((dir / "a.rtf").string()), EC::rtf_ec_OK);
    EXPECT_EQ(loaded.ItemCount(), 2);
    EXPECT_EQ(loaded.LoadRTF((dir / "none.rtf").string()), EC::rtf_ec_FileOpenError);
}

TEST(RNRTFImport, RefusedFirstItemAbortsTheImport) {
    TRefusing<TNotesDocument> data;
    TRNRTFReaderProperties props;
    TMemoryStream stream;
    stream.WriteString("{\\rtf1 a\\par b}");
    stream.SetPosition(0);
    int index = 0;
    EXPECT_EQ(props.InsertFromStreamEd(stream, data, index), EC::rtf_ec_Aborted);
    EXPECT_TRUE(props.FailedBecauseOfProtect);
    EXPECT_EQ(data.ItemCount(), 0);
}

TEST(RNRTFImport, UnsupportedPictureBecomesAGreySquareAndLoadNeedsProperties) {
    Doc doc;
    ASSERT_EQ(doc.Load("{\\rtf1{\\pict\\macpict 0102}}"), EC::rtf_ec_OK);
    ASSERT_EQ(doc.data.ItemCount(), 1);
    const TGraphic* g = doc.data.GetItem(0).AsImage();
    ASSERT_NE(g, nullptr);
    EXPECT_EQ(g->ClassName(), "TBitmap");
    EXPECT_EQ(g->Width(), 32);
    EXPECT_EQ(g->Height(), 32);
    EXPECT_EQ(static_cast<const TBitmap*>(g)->Image().pixel(5, 5) & 0xFFFFFF,
              ColorToRGB(clBtnFace) >> 16 | (ColorToRGB(clBtnFace) & 0xFF00) |
                  (ColorToRGB(clBtnFace) & 0xFF) << 16);
    doc.data.RTFProperties = nullptr;
    EXPECT_EQ(doc.Load("{\\rtf1 x}"), EC::rtf_ec_Assertion);
    EXPECT_EQ(doc.data.ItemCount(), 1);
}

TEST(RNRTFWriter, WritesTheGoldenDocument) {
    Doc doc(Sheet::Default);
    doc.data.AddNL("a", 0, 0);
    EXPECT_EQ(doc.SaveRTF(),
              "{\\rtf1\\ansi\\ansicpg1252\\uc1\\deff0\\deflang1024\\deflangfe1024"
              "{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}}"
              "{\\colortbl;\\red0\\green0\\blue0;\\red0\\green0\\blue255;\\red0\\green255\\blue255;"
              "\\red0\\green255\\blue0;\\red255\\green0\\blue255;\\red255\\green0\\blue0;"
              "\\red255\\green255\\blue0;\\red255\\green255\\blue255;\\red0\\green0\\blue128;"
              "\\red0\\green128\\blue128;\\red0\\green128\\blue0;\\red128\\green0\\blue128;"
              "\\red128\\green0\\blue0;\\red128\\green128\\blue0;\\red128\\green128\\blue128;"
              "\\red192\\green192\\blue192;}\r\n\\uc1"
              "\r\n\\pard\\ql\\fi0\\li0\\ri0\\sb0\\sa0\\itap0 \\plain \\f0\\fs20 a}");
}

TEST(RNRTFWriter, EscapesTextNamesAndUnicode) {
    EXPECT_EQ(RN_RTFEscapeText("{a}\\\xe9\t\x1a"), "\\{a\\}\\\\\\'e9\\'09\x1a");
    EXPECT_EQ(RN_RTFEscapeName("a{b}\\c\xe9"), "a_b__c\\'e9");
    struct Case {
        std::u16string text;
        TFontCharset charset;
        bool duplicate;
        const char* rtf;
    } cases[] = {
        {u"\u20ac", ANSI_CHARSET, true, "\\u8364\\'80"},
        {u"\uff5e", ANSI_CHARSET, true, "\\u-162 ?"},
        {u"\u20ac", ANSI_CHARSET, false, "\\u8364"},
        {u"\u3042a", SHIFTJIS_CHARSET, true, "\\uc2\\u12354\\'82\\'a0\\uc1\\u97 a"},
    };
    for (const Case& c : cases) {
        Doc doc(Sheet::Default);
        doc.sheet.TextStyles()[0].Unicode = true;
        doc.sheet.TextStyles()[0].Charset = c.charset;
        doc.data.RTFOptions =
            c.duplicate ? TRNRTFOptions{TRNRTFOption::rnrtfDuplicateUnicode} : TRNRTFOptions{};
        doc.data.AddNLWTag(c.text, 0, 0, {});
        const std::string rtf = doc.SaveRTF();
        std::string body = rtf.substr(rtf.rfind("\\fs20 ") + 6);
        EXPECT_EQ(body, std::string(c.rtf) + "}") << c.rtf;
    }
}

TEST(RNRTFWriter, SharesFontsOrdersColoursAndNumbersBookmarks) {
    Doc doc(Sheet::Default);
    doc.sheet.TextStyles()[2].FontName = "Times";
    doc.sheet.TextStyles()[3].FontName = "Fo;o{";
    doc.sheet.TextStyles()[4].Color = 0x123456;
    doc.data.AddNamedCheckpointEx("", false);
    doc.data.AddNL("a", 2, 0);
    doc.data.AddNamedCheckpointEx("", false);
    doc.data.AddNL("b", 5, 0);
    const std::string rtf = doc.SaveRTF();
    EXPECT_NE(rtf.find("{\\fonttbl{\\f0\\fnil\\fcharset0 Arial;}{\\f1\\fnil\\fcharset0 Times;}"
                       "{\\f2\\fnil\\fcharset0 Fo\\'3bo\\{;}}"),
              std::string::npos);
    EXPECT_NE(rtf.find("\\red192\\green192\\blue192;\\red86\\green52\\blue18;}"),
              std::string::npos);
    EXPECT_NE(rtf.find("{\\*\\bkmkstart RichNoteCheckpoint0}{\\*\\bkmkend RichNoteCheckpoint0}"
                       "\\plain \\f1"),
              std::string::npos);
    EXPECT_NE(rtf.find("\\par\\pard\\ql\\fi0\\li0\\ri0\\sb0\\sa0\\itap0 {\\*\\bkmkstart "
                       "RichNoteCheckpoint1}"),
              std::string::npos);
}

// Stands for a table: it writes its rows and closes its paragraph itself.
class TClosingItem : public TRNBreakItemInfo {
public:
    explicit TClosingItem(TCustomRNData* rnData) : TRNBreakItemInfo(rnData, 1, {}, clNone) {}
    void SaveRTF(TStream& stream, TCustomRNData& rnData, int, const std::string&, double, int,
                 TRNColorList&, TRNIntegerList*, TRNIntegerList*) override {
        stream.WriteString("rows\\par");
        rnData.LastContentClosedPara = true;
    }
};

TEST(RNRTFWriter, NoParagraphMarkAfterContentThatClosedItsParagraph) {
    Doc doc(Sheet::Default);
    doc.data.AddItem("", std::make_unique<TClosingItem>(&doc.data));
    doc.data.AddNL("b", 0, 0);
    doc.data.AddNL("c", 0, 0);
    const std::string rtf = doc.SaveRTF();
    EXPECT_NE(rtf.find("rows\\par\r\n\\pard"), std::string::npos);
    EXPECT_NE(rtf.find(" b\r\n\\par\\pard"), std::string::npos);
    EXPECT_FALSE(doc.data.LastContentClosedPara);
}

TEST(RNRTFWriter, DocumentSurvivesTheRoundTrip) {
    Doc source;
    TParaInfos& paras = source.sheet.ParaStyles();
    for (TRNBorderStyle style : {TRNBorderStyle::rnbDouble, TRNBorderStyle::rnbSingle}) {
        TParaInfo& p = paras.Add();
        p.Border.Style = style;
    }
    source.data.RTFOptions = RNRTFDefaultOptions;
    source.data.AddNL("Title", 1, 2);
    source.data.AddNL("plain \xe9 {x}", 0, 0);
    source.data.AddNL("italic", 3, -1);
    source.data.AddNL("second line", 0, 0);
    source.data.GetItem(3).SetBR(true);
    source.data.AddNLWTag(u"\u20ac\u3042", 11, 9, {});
    AddPicture(source.data, std::make_unique<TBitmap>(FixtureImage()), -1);
    source.data.AddNL("framed", 0, 10);
    source.data.AddNL("symbols", 6, 5);

    Doc target;
    for (TRNBorderStyle style : {TRNBorderStyle::rnbDouble, TRNBorderStyle::rnbSingle}) {
        target.sheet.ParaStyles().Add().Border.Style = style;
    }
    target.props.UnicodeMode = TRNReaderUnicode::rnruMixed;
    ASSERT_EQ(target.Load(source.SaveRTF()), EC::rtf_ec_OK);
    EXPECT_EQ(DocumentBytes(target.data), DocumentBytes(source.data));
}

// An enhanced metafile of its header record alone, 100 x 50 hundredths of a millimetre.
std::string EmfBytes() {
    std::string b(88, '\0');
    auto put = [&](size_t at, uint32_t v) {
        std::string le;
        WriteU32(le, v);
        b.replace(at, 4, le);
    };
    put(0, 1);
    put(4, 88);
    put(32, 100);
    put(36, 50);
    put(40, 0x464D4520);
    return b;
}

// FixtureWmf with the window (0, 0)-(width, height) set by its first records: the header
// counts ten words more, and a largest record of five.
std::string FixtureWmfWithWindow(int width, int height) {
    std::string out;
    for (int word : {1, 9, 0x300, 22, 0, 0, 5, 0, 0}) {
        WriteU16(out, static_cast<uint32_t>(word));
    }
    for (int word : {5, 0, 0x020B, 0, 0, 5, 0, 0x020C, height, width, 3, 0, 0}) {
        WriteU16(out, static_cast<uint32_t>(word));
    }
    return out;
}

TEST(RNRTFWriter, ItemsWriteTheirOwnForms) {
    auto emf = std::make_unique<TMetafile>();
    emf->LoadFromBytes(EmfBytes());
    std::string emfHex = ToHex(EmfBytes());
    auto jpeg = std::make_unique<TJPEGImage>();
    jpeg->LoadFromBytes(EncodeJpeg(FixtureImage(), 90));
    std::string jpegHex = ToHex(jpeg->SaveToBytes());
    std::string dibHex = ToHex(EncodeDib(FixtureImage()));
    struct Case {
        const char* what;
        std::unique_ptr<TGraphic> graphic;
        TRNRTFOptions options;
        std::string rtf;
    } cases[] = {
        // Metafiles go as their records, sized in hundredths of a millimetre; an enhanced one
        // stays enhanced where a Windows copy is asked for.
        {"enhanced metafile",
         emf->Clone(),
         {},
         "{\\pict\\emfblip\\picw100\\pich50 " + emfHex + "}"},
        {"enhanced metafile, Windows copy asked for",
         std::move(emf),
         {TRNRTFOption::rnrtfSaveEMFAsWMF},
         "{\\pict\\emfblip\\picw100\\pich50 " + emfHex + "}"},
        // A Windows one without its placeable header; records that set no window get the
        // header's frame as theirs, in front of them.
        {"placeable metafile",
         PlaceableMetafile(FixtureWmf(), 2540, 1270, 2540),
         {},
         "{\\pict\\wmetafile8\\picw2540\\pich1270 " + ToHex(FixtureWmfWithWindow(2540, 1270)) +
             "}"},
        {"jpeg as jpeg",
         jpeg->Clone(),
         {TRNRTFOption::rnrtfSaveJpegAsJpeg},
         "{\\pict\\jpegblip\\picw4\\pich3 " + jpegHex + "}"},
        {"bitmap",
         std::make_unique<TBitmap>(FixtureImage()),
         {},
         "{\\pict\\dibitmap0\\wbmwidthbytes12\\picw4\\pich3 " + dibHex + "}"},
        {"jpeg as bitmap",
         std::move(jpeg),
         {},
         "{\\pict\\dibitmap0\\wbmwidthbytes12\\picw4\\pich3 "},
    };
    for (Case& c : cases) {
        Doc doc;
        doc.data.RTFOptions = c.options;
        AddPicture(doc.data, std::move(c.graphic), 0);
        EXPECT_NE(doc.SaveRTF().find(c.rtf), std::string::npos) << c.what;
    }
    Doc rule;
    rule.data.AddBreakEx(2, TRNBreakStyle::rnbsLine, clRed);
    EXPECT_NE(rule.SaveRTF().find(
                  "\\itap0 \\pard\\plain\\fs6\\brdrb\\brdrs\\brdrw30\\brdrcf6\\par\\pard}"),
              std::string::npos);
}

TEST(RNRTFWriter, SelectionWritesOnlyItsCharacters) {
    Doc doc(Sheet::Default);
    doc.data.AddNL("abcd", 0, 0);
    doc.data.AddNL("efgh", 0, 0);
    doc.data.AddNL("ijkl", 1, -1);
    const std::string para = "\\pard\\ql\\fi0\\li0\\ri0\\sb0\\sa0\\itap0 \\plain \\f0\\fs20 ";
    struct Case {
        int selection[4];
        std::string body;
    } cases[] = {
        {{0, 3, 2, 3}, "\r\n" + para + "cd\r\n\\par" + para + "efgh\\plain \\f0\\b\\fs20\\cf2 ij}"},
        {{0, 5, 1, 3}, "\r\n" + para + "ef}"},
    };
    for (const Case& c : cases) {
        std::copy(std::begin(c.selection), std::end(c.selection), doc.data.selection);
        const std::string rtf = WriteRTF(doc.data, true);
        EXPECT_EQ(rtf.substr(rtf.find("\\uc1\r\n") + 4), c.body) << c.selection[1];
    }
}

} // namespace
