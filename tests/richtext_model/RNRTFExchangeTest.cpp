// RTF exchanged with word processors: what we write must read back in them as written, and
// what they write (the fixtures were written by LibreOffice) must arrive whole.
#include "RNFTestSupport.h"
#include "RTFFixtures.h"
#include "tests/support/NotesSheet.h"
#include "tests/support/TempDir.h"

#include "platform/base/CodePage.h"
#include "platform/graphics/Bitmap.h"
#include "richtext/model/CRNData.h"
#include "richtext/model/RNItemPictures.h"
#include "richtext/model/RNRTFProps.h"
#include "richtext/model/RNUni.h"

#include <QImage>

#include <gtest/gtest.h>

#include <cctype>
#include <map>
#include <set>

namespace {

using EC = TRNRTFErrorCode;

// Notes-sheet text styles used below.
constexpr int NormalStyle = 0;
constexpr int SuperscriptStyle = 8;
constexpr int UnicodeStyle = 11;

std::string ReadFixture(const std::string& name) {
    return ReadFileBytes(FixturePath(name));
}

// A document on the notes sheet that reads and writes RTF as the notes window does.
struct NotesDoc {
    TNotesDocument data;
    TRNRTFReaderProperties props;
    NotesDoc() {
        SetUpNotesRTFReader(props);
        data.RTFProperties = &props;
        data.RTFOptions = NotesRTFOptions();
    }
    EC Load(const std::string& rtf) { return LoadRTFBytes(data, rtf); }
    std::string Save() {
        bool saved = false;
        std::string rtf = SaveRTFBytes(data, false, &saved);
        EXPECT_TRUE(saved);
        return rtf;
    }
    // Every character of the document's text items, paragraphs joined by "\n".
    std::u16string Text() {
        std::u16string out;
        for (int i = 0; i < data.ItemCount(); ++i) {
            const TCustomRNItemInfo& item = data.GetItem(i);
            if (i > 0 && !item.GetSameAsPrev()) {
                out += u'\n';
            }
            if (!item.IsText()) {
                continue;
            }
            const std::string& text = data.GetItemText(i);
            out += item.ItemOptions.Contains(TRNItemOption::rnioUnicode)
                       ? RNU_BytesToU16(text)
                       : MultiByteToUtf16(text, data.GetStyleCodePage(item.StyleNo));
        }
        return out;
    }
};

// The code page a declared charset stands for; the default charset (1) stands for none: it
// means whatever page the reading system has.
int CodePageOfCharset(int charset) {
    static const std::map<int, int> pages = {{0, 1252},   {238, 1250}, {204, 1251}, {161, 1253},
                                             {162, 1254}, {177, 1255}, {178, 1256}, {186, 1257}};
    auto found = pages.find(charset);
    return found == pages.end() ? -1 : found->second;
}

// The number after `word` in `rtf` from `from` on, or -1.
int NumberAfter(const std::string& rtf, const std::string& word, size_t from = 0) {
    size_t at = rtf.find(word, from);
    if (at == std::string::npos) {
        return -1;
    }
    return std::atoi(rtf.c_str() + at + word.size());
}

// The bytes "\'hh" escapes stand for, and plain characters, from `from` up to the next group
// or control word that is not an escape.
std::string EscapedBytes(const std::string& rtf, size_t from) {
    std::string out;
    for (size_t i = from; i < rtf.size();) {
        if (rtf.compare(i, 2, "\\'") == 0) {
            out += static_cast<char>(std::stoi(rtf.substr(i + 2, 2), nullptr, 16));
            i += 4;
        } else if (rtf[i] == '\\' || rtf[i] == '{' || rtf[i] == '}') {
            break;
        } else {
            out += rtf[i++];
        }
    }
    return out;
}

// Whether `props` holds the control word (a number may follow it, no further letter).
bool HasControlWord(const std::string& props, const std::string& word) {
    for (size_t at = props.find(word); at != std::string::npos; at = props.find(word, at + 1)) {
        const size_t next = at + word.size();
        if (next == props.size() || !std::isalpha(static_cast<unsigned char>(props[next]))) {
            return true;
        }
    }
    return false;
}

void AddUnicode(TCustomRNData& data, std::u16string_view text, int paraNo) {
    data.AddNLWTag(text, UnicodeStyle, paraNo, {});
}

} // namespace

TEST(RNRTFExchange, ExportDeclaresTheCharsetItsBytesAreIn) {
    NotesDoc doc;
    const std::u16string text = u"caf\u00e9 \u00a9 \u2022 \u201cx\u201d";
    doc.data.AddNL(Utf16ToMultiByte(text, 1252), NormalStyle, 0);
    const std::string rtf = doc.Save();
    const size_t run = rtf.find("\\plain ");
    ASSERT_NE(run, std::string::npos);
    const int font = NumberAfter(rtf, "\\f", rtf.find("\\cs", run));
    const int charset = NumberAfter(rtf, "{\\f" + std::to_string(font) + "\\fnil\\fcharset");
    const int page = CodePageOfCharset(charset);
    ASSERT_GT(page, 0) << "charset " << charset;
    const size_t textAt = rtf.find(' ', rtf.find("\\fs", run)) + 1;
    EXPECT_EQ(MultiByteToUtf16(EscapedBytes(rtf, textAt), static_cast<unsigned>(page)), text);
}

TEST(RNRTFExchange, ShiftedRunEndsBeforeTheTextAfterIt) {
    NotesDoc doc;
    doc.data.AddNL("E = mc", NormalStyle, 0);
    doc.data.AddNL("2", SuperscriptStyle, -1);
    doc.data.AddNL(" holds", NormalStyle, -1);
    const std::string rtf = doc.Save();
    const size_t super = rtf.find("\\super", rtf.find("E = mc"));
    ASSERT_NE(super, std::string::npos);
    const size_t after = rtf.find(" holds", super);
    ASSERT_NE(after, std::string::npos);
    const size_t end = rtf.find("\\nosupersub", super);
    EXPECT_LT(end, rtf.find("\\plain", super));
    EXPECT_LT(end, after);

    NotesDoc back;
    ASSERT_EQ(back.Load(rtf), EC::rtf_ec_OK);
    ASSERT_EQ(back.data.ItemCount(), 3);
    EXPECT_EQ(back.data.GetItemStyle(1), SuperscriptStyle);
    EXPECT_EQ(back.data.GetItemText(2), " holds");
    EXPECT_EQ(back.data.GetItemStyle(2), NormalStyle);
}

TEST(RNRTFExchange, BackslashAndBracesInUnicodeTextComeBackOnce) {
    NotesDoc doc;
    const std::u16string path = u"C:\\Users\\Ann {x}";
    AddUnicode(doc.data, path, 0);
    const std::string rtf = doc.Save();
    for (const char* doubled : {"\\u92\\\\", "\\u123\\{", "\\u125\\}"}) {
        EXPECT_EQ(rtf.find(doubled), std::string::npos) << doubled;
    }
    NotesDoc back;
    ASSERT_EQ(back.Load(rtf), EC::rtf_ec_OK);
    EXPECT_EQ(back.Text(), path);

    // Written by another program: an escaped symbol after \u is the one character skipped.
    NotesDoc other;
    ASSERT_EQ(other.Load("{\\rtf1\\ansi\\uc1 a\\u125\\}b\\u92\\\\c\\uc2\\u123\\{\\'7bd}"),
              EC::rtf_ec_OK);
    EXPECT_EQ(other.Text(), u"a}b\\c{d");
}

TEST(RNRTFExchange, PictureOfNoPixelsWritesNothingAnyReaderRefuses) {
    NotesDoc doc;
    ASSERT_EQ(doc.Load("{\\rtf1 a{\\pict}b{\\pict\\wmetafile8\\picw0\\pich0 }c}"), EC::rtf_ec_OK);
    EXPECT_EQ(doc.Text(), u"abc");

    NotesDoc empty;
    empty.data.AddNL("a", NormalStyle, 0);
    empty.data.AddPictureEx("", std::make_unique<TBitmap>(), -1, TRNVAlign::rnvaBaseline);
    empty.data.AddNL("b", NormalStyle, -1);
    const std::string rtf = empty.Save();
    EXPECT_EQ(rtf.find("\\pict"), std::string::npos);
    NotesDoc back;
    ASSERT_EQ(back.Load(rtf), EC::rtf_ec_OK);
    EXPECT_EQ(back.Text(), u"ab");

    TempDir dir;
    TMemoryStream html;
    int imageNo = 0;
    ASSERT_TRUE(empty.data.SaveHTMLToStream(html, dir.Str() + "/", "T", "img", {}, clNone, imageNo,
                                            0, 0, 0, 0, nullptr, nullptr));
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
    EXPECT_EQ(html.Bytes().find("<IMG"), std::string::npos);
}

TEST(RNRTFExchange, FormattedRunsCarryTheirWordsUnderDistinctStyleNames) {
    NotesDoc doc;
    TFontInfos& styles = doc.data.Sheet().TextStyles();
    struct Run {
        const char* text;
        void (*format)(TFontInfo&);
        std::string word;
    } runs[] = {
        {"bold", [](TFontInfo& s) { s.Style = {TFontStyle::fsBold}; }, "\\b"},
        {"italic", [](TFontInfo& s) { s.Style = {TFontStyle::fsItalic}; }, "\\i"},
        {"underline", [](TFontInfo& s) { s.Style = {TFontStyle::fsUnderline}; }, "\\ul"},
        {"big", [](TFontInfo& s) { s.Size = 14; }, "\\fs28"},
        {"red", [](TFontInfo& s) { s.Color = clRed; }, "\\cf"},
        {"courier", [](TFontInfo& s) { s.FontName = "Courier New"; }, "\\f1"},
    };
    doc.data.AddNL("plain", NormalStyle, 0);
    for (const Run& run : runs) {
        // As the editor makes a style for the bold it is asked for: named after its source.
        TFontInfo& style = styles.Add();
        style.Assign(styles[NormalStyle]);
        run.format(style);
        doc.data.AddNL(run.text, styles.Count() - 1, -1);
    }
    const std::string rtf = doc.Save();
    const size_t body = rtf.find("\\pard");
    for (const Run& run : runs) {
        const size_t text = rtf.find(std::string(" ") + run.text, body);
        ASSERT_NE(text, std::string::npos) << run.text;
        const size_t plain = rtf.rfind("\\plain", text);
        const std::string props = rtf.substr(plain, text - plain);
        EXPECT_TRUE(HasControlWord(props, run.word)) << run.text << ": " << props;
    }
    EXPECT_NE(rtf.find("{\\f1\\fnil\\fcharset0 Courier New;}"), std::string::npos);
    const size_t table = rtf.find("{\\colortbl") + 10;
    std::vector<std::string> colors;
    std::istringstream entries(rtf.substr(table, rtf.find('}', table) - table));
    for (std::string entry; std::getline(entries, entry, ';');) {
        colors.push_back(entry);
    }
    const size_t red =
        static_cast<size_t>(NumberAfter(rtf, "\\cf", rtf.rfind("\\plain", rtf.find(" red", body))));
    ASSERT_LT(red, colors.size());
    EXPECT_EQ(colors[red], "\\red255\\green0\\blue0");

    std::set<std::string> names;
    const size_t sheet = rtf.find("{\\stylesheet");
    const size_t sheetEnd = rtf.find("}}", sheet);
    for (size_t at = rtf.find('{', sheet + 1); at < sheetEnd; at = rtf.find('{', at + 1)) {
        // The name follows the entry's last control word and its space.
        const std::string entry = rtf.substr(at, rtf.find(";}", at) - at);
        const std::string name = entry.substr(entry.find(' ', entry.rfind('\\')) + 1);
        EXPECT_TRUE(names.insert(name).second) << "style name twice: " << name;
        if (entry.rfind("{\\*\\cs", 0) == 0) {
            EXPECT_NE(name, "Normal") << "a character style takes the default paragraph's name";
        }
    }
    EXPECT_GT(names.size(), static_cast<size_t>(styles.Count()));
}

TEST(RNRTFExchange, LastEmptyParagraphSurvivesTheRoundTrip) {
    NotesDoc doc;
    doc.data.AddNL("a", NormalStyle, 0);
    doc.data.AddNL("", NormalStyle, 0);
    const std::string rtf = doc.Save();
    NotesDoc back;
    ASSERT_EQ(back.Load(rtf), EC::rtf_ec_OK);
    ASSERT_EQ(back.data.ItemCount(), 2);
    EXPECT_EQ(back.data.GetItemText(1), "");
    EXPECT_FALSE(back.data.GetItem(1).GetSameAsPrev());
    EXPECT_EQ(back.Save(), rtf);

    // A last paragraph with text gains no empty one.
    NotesDoc full;
    full.data.AddNL("a", NormalStyle, 0);
    NotesDoc fullBack;
    ASSERT_EQ(fullBack.Load(full.Save()), EC::rtf_ec_OK);
    EXPECT_EQ(fullBack.data.ItemCount(), 1);
}

TEST(RNRTFExchange, LibreOfficePictureArrivesAsItsPng) {
    NotesDoc doc;
    ASSERT_EQ(doc.Load(ReadFixture("rtf/lo-picture.rtf")), EC::rtf_ec_OK);
    const QImage png(QString::fromStdString(FixturePath("rtf/lo-picture.png").string()));
    ASSERT_EQ(png.size(), QSize(40, 30));
    std::vector<const TGraphic*> pictures;
    for (int i = 0; i < doc.data.ItemCount(); ++i) {
        if (const TGraphic* g = doc.data.GetItem(i).AsImage()) {
            pictures.push_back(g);
        }
    }
    ASSERT_EQ(pictures.size(), 1u);
    const auto* bitmap = dynamic_cast<const TBitmap*>(pictures[0]);
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->Width(), 40);
    ASSERT_EQ(bitmap->Height(), 30);
    for (int y = 0; y < 30; y += 7) {
        for (int x = 0; x < 40; x += 3) {
            EXPECT_EQ(bitmap->Image().pixel(x, y) & 0xFFFFFF, png.pixel(x, y) & 0xFFFFFF)
                << x << "," << y;
        }
    }
    EXPECT_EQ(doc.Text(), u"ab");
}

TEST(RNRTFExchange, PictureTakesTheSizeItIsShownAt) {
    // A 2 x 1 bitmap shown at 30 x 15 twips a side (at 96 pixels an inch: 2 x 1), then twice as
    // large by its goal and once more by its scale.
    QImage image(2, 1, QImage::Format_RGB32);
    image.fill(qRgb(0, 128, 0));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    const std::string hex = ToHex(std::string(bytes.constData(), bytes.size()));
    NotesDoc doc;
    ASSERT_EQ(doc.Load("{\\rtf1 {\\pict\\pngblip\\picw2\\pich1\\picwgoal60\\pichgoal30 " + hex +
                       "}{\\pict\\pngblip\\picwgoal60\\pichgoal30\\picscalex200\\picscaley300 " +
                       hex + "}{\\pict\\pngblip\\picwgoal2147483647\\pichgoal2147483647 " + hex +
                       "}}"),
              EC::rtf_ec_OK);
    ASSERT_EQ(doc.data.ItemCount(), 3);
    const TGraphic* shown = doc.data.GetItem(0).AsImage();
    const TGraphic* scaled = doc.data.GetItem(1).AsImage();
    const TGraphic* absurd = doc.data.GetItem(2).AsImage();
    EXPECT_EQ(std::make_pair(shown->Width(), shown->Height()), std::make_pair(4, 2));
    EXPECT_EQ(std::make_pair(scaled->Width(), scaled->Height()), std::make_pair(8, 6));
    EXPECT_EQ(std::make_pair(absurd->Width(), absurd->Height()), std::make_pair(2, 1));
}

TEST(RNRTFExchange, LibreOfficeScriptsArriveWholeInTheNotesEditor) {
    NotesDoc doc;
    ASSERT_EQ(doc.Load(ReadFixture("rtf/lo-unicode.rtf")), EC::rtf_ec_OK);
    EXPECT_EQ(doc.Text(), u"\u0420\u0443\u0441 \u65e5\u672c caf\u00e9 \U0001F600");
    // With no stand-in byte after \u (uc0) the characters are kept as well.
    NotesDoc uc0;
    ASSERT_EQ(uc0.Load("{\\rtf1\\ansi\\uc0 \\u1056\\u1091 \\u26085 x}"), EC::rtf_ec_OK);
    EXPECT_EQ(uc0.Text(), u"\u0420\u0443\u65e5x");
}

TEST(RNRTFExchange, FieldResultsKeepTheirText) {
    NotesDoc doc;
    ASSERT_EQ(doc.Load(ReadFixture("rtf/lo-hyperlink.rtf")), EC::rtf_ec_OK);
    EXPECT_EQ(doc.Text(), u"A link to a page inside");
    NotesDoc starred;
    ASSERT_EQ(starred.Load("{\\rtf1 a {\\field{\\*\\fldinst {PAGE}}{\\*\\fldrslt 7}} "
                           "{\\field{\\fldinst HYPERLINK \"x\"}{\\fldrslt {\\b b}c}}}"),
              EC::rtf_ec_OK);
    EXPECT_EQ(starred.Text(), u"a 7 bc");
}

TEST(RNRTFExchange, AbsurdNumbersAreClampedAndTheTextKept) {
    for (TRNReaderStyleMode mode :
         {TRNReaderStyleMode::rnrsUseClosest, TRNReaderStyleMode::rnrsAddIfNeeded}) {
        NotesDoc doc;
        doc.props.TextStyleMode = doc.props.ParaStyleMode = mode;
        ASSERT_EQ(doc.Load("{\\rtf1 before\\par\\pard\\sl30000000\\slmult1 spaced\\par"
                           "\\pard\\sl-2147483648\\slmult1\\charscalex-2147483648 low\\par"
                           "\\pard{\\fs99999999999 huge}{\\fs-99999999999 tiny}"
                           "{\\li123456789012345678901234567890\\brdrb\\brdrs"
                           "\\brdrw99999999999 x}after}"),
                  EC::rtf_ec_OK);
        EXPECT_EQ(doc.Text(), u"before\nspaced\nlow\nhugetinyxafter");
        // What was read writes out again.
        NotesDoc back;
        ASSERT_EQ(back.Load(doc.Save()), EC::rtf_ec_OK);
        EXPECT_EQ(back.Text(), doc.Text());
    }
}

TEST(RNRTFExchange, LargeTablesReadWholeAndFindTheFirstOfANumber) {
    std::string rtf = "{\\rtf1{\\fonttbl";
    constexpr int Count = 3000;
    for (int i = 0; i < Count; ++i) {
        rtf += "{\\f" + std::to_string(i) + "\\fswiss Font " + std::to_string(i) + ";}";
    }
    rtf += "{\\f7 Again;}}{\\stylesheet";
    for (int i = 0; i < Count; ++i) {
        // Each entry is based on the one before it and followed by itself, the entry whose
        // number the look-up learns while the entry is read.
        rtf += "{\\s" + std::to_string(i) + (i > 0 ? "\\sbasedon" + std::to_string(i - 1) : "") +
               "\\snext" + std::to_string(i) + " Style " + std::to_string(i) + ";}";
    }
    rtf += "{\\s5 Again;}}\\f2999 x\\f7 y}";
    TRNRTFReader reader;
    std::vector<std::string> fonts;
    reader.OnNewText = [&](TRNRTFReader& r, const std::string&, TRNRTFPosition) {
        fonts.push_back(r.CurrentFont() ? r.CurrentFont()->Name : "");
    };
    TMemoryStream stream;
    stream.WriteString(rtf);
    stream.SetPosition(0);
    ASSERT_EQ(reader.ReadFromStream(stream), EC::rtf_ec_OK);
    EXPECT_EQ(fonts, (std::vector<std::string>{"Font 2999", "Font 7"}));
    ASSERT_EQ(reader.FontTable().Count(), Count + 1);
    const TRNRTFStyleSheet& sheet = reader.StyleSheet();
    ASSERT_EQ(sheet.Count(), Count + 1);
    for (int i : {0, 1, 1234, Count - 1}) {
        EXPECT_EQ(reader.FontTable()[i].Name, "Font " + std::to_string(i));
        EXPECT_EQ(sheet[i].Name, "Style " + std::to_string(i));
        EXPECT_EQ(sheet[i].BasedOn, i > 0 ? &sheet[i - 1] : nullptr);
        EXPECT_EQ(sheet[i].Next, &sheet[i]);
        EXPECT_EQ(sheet.GetEntry(i), &sheet[i]) << i;
    }
    EXPECT_EQ(sheet.GetEntry(Count), nullptr);
}
