// The RTF reader's events, tables and error codes.
#include "platform/base/Stream.h"
#include "platform/graphics/Graphic.h"
#include "richtext/model/RNRTF.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using EC = TRNRTFErrorCode;

std::string PositionName(TRNRTFPosition p) {
    switch (p) {
    case TRNRTFPosition::rtf_ts_NewPara:
        return "P";
    case TRNRTFPosition::rtf_ts_NewLine:
        return "L";
    default:
        return "C";
    }
}

// Reads `rtf` and logs every event: "P:text" (position, text), "B" for bold runs, "U" for
// UTF-16 runs (their units in hex), "pict" and "page".
struct EventLog {
    std::string log;
    TRNRTFReader reader;
    EC result = EC::rtf_ec_OK;

    explicit EventLog(bool unicode = true) {
        reader.OnNewText = [this](TRNRTFReader& r, const std::string& text, TRNRTFPosition p) {
            log += "[" + PositionName(p) + ":" + text +
                   (r.RTFState().CharProps.Style.Contains(TFontStyle::fsBold) ? "|B" : "") + "]";
        };
        if (unicode) {
            reader.OnNewUnicodeText = [this](TRNRTFReader&, const std::u16string& text,
                                             TRNRTFPosition p) {
                log += "[" + PositionName(p) + ":U";
                char buf[8];
                for (char16_t c : text) {
                    snprintf(buf, sizeof buf, " %04X", static_cast<unsigned>(c));
                    log += buf;
                }
                log += "]";
            };
        }
        reader.OnNewPicture = [this](TRNRTFReader&, TRNRTFPicture&, std::unique_ptr<TGraphic> g,
                                     TRNRTFPosition) {
            log += g ? "[pict " + g->ClassName() + "]" : "[pict none]";
        };
        reader.OnRequiredPageBreak = [this](TRNRTFReader&) { log += "[page]"; };
    }
    EventLog& Read(const std::string& rtf) {
        TMemoryStream stream;
        stream.WriteString(rtf);
        stream.SetPosition(0);
        result = reader.ReadFromStream(stream);
        return *this;
    }
};

TEST(RNRTFReader, ReportsRunsWithTheirPositionsAndFormatting) {
    struct Case {
        const char* rtf;
        const char* events;
    } cases[] = {
        {"{a\\par b}", "[P:a][P:b]"},
        {"{a\\par\\par b}", "[P:a][P:][P:b]"},
        {"{a\\line b}", "[P:a][L:b]"},
        {"{a{\\b b}c}", "[P:a][C:b|B][C:c]"},
        {"{a\\par\\b b}", "[P:a][P:b|B]"},
        {"{\\caps a\\caps0 b}", "[P:a][C:b]"},
        {"{don\\rquote t\\~x\\_y\\-z}", "[P:don\x92t\xa0x-yz]"},
        {"{a\\page b}", "[P:a][page][C:b]"},
        {"{a}trailing}", "[P:a]"},
        {"{\\*\\unknown a{\\pict\\pngblip 00}}b}", ""},
        {"{{\\unknown a{\\pict\\macpict 00}}}", "[P:a][pict none]"},
        {"{\\bin0 a}", "[P:a]"},
        {"{a\\bin2 \\\\b}", "[P:a\\\\b]"},
        {"{\\fs30 x\\bin yz}", "[P:xyz]"},
    };
    for (const Case& c : cases) {
        EventLog e;
        e.Read(c.rtf);
        EXPECT_EQ(e.result, EC::rtf_ec_OK) << c.rtf;
        EXPECT_EQ(e.log, c.events) << c.rtf;
    }
}

TEST(RNRTFReader, DeliversUnicodeCharactersAndSkipsTheirReplacements) {
    struct Case {
        const char* rtf;
        bool handler;
        const char* events;
    } cases[] = {
        {"{\\u8364?}", true, "[P:U 20AC]"},
        {"{\\uc0\\u8364?}", true, "[P:U 20AC 003F]"},
        {"{\\u8364{}?}", true, "[P:U 20AC][C:?]"},
        {"{\\u-10?}", true, "[P:U FFF6]"},
        {"{\\u8364?}", false, "[P:?]"},
        {"{\\u55357?\\u56832?}", true, "[P:U D83D DE00]"},
        {"{a\\'e9\\uc2\\u8364\\'80\\'80b}", true, "[P:U 0061 00E9 20AC 0062]"},
        {"{plain}", true, "[P:plain]"},
    };
    for (const Case& c : cases) {
        EventLog e(c.handler);
        e.Read(c.rtf);
        EXPECT_EQ(e.result, EC::rtf_ec_OK) << c.rtf;
        EXPECT_EQ(e.log, c.events) << c.rtf;
    }
}

TEST(RNRTFReader, KeepsTablesAndProperties) {
    EventLog e;
    e.reader.OnNewText = [&](TRNRTFReader& r, const std::string& text, TRNRTFPosition) {
        const TRNRTFCharProperties& cp = r.RTFState().CharProps;
        const TRNRTFParaProperties& pp = r.RTFState().ParaProps;
        const TRNRTFBorderSide* top =
            pp.Border ? pp.Border->Side(TRNRTFSide::rtf_side_Top) : nullptr;
        e.log += text + ":" + std::to_string(cp.Size) + "," + std::to_string(cp.Color) + "," +
                 std::to_string(cp.StyleEx.Contains(TRNRTFFontStyleEx::rtf_fs_AllCaps)) + "," +
                 std::to_string(top ? static_cast<int>(top->BorderType) : -1) + ";";
    };
    e.Read("{\\rtf1{\\fonttbl{\\f3\\froman\\fcharset204 Times;}}"
           "{\\colortbl;\\red255\\green0\\blue0;}"
           "{\\fs25\\cf1 a}{\\fs\\cf2 b}{\\caps c}{\\caps\\plain d}"
           "{\\brdrt\\brdrs\\brdrdb e}}");
    ASSERT_EQ(e.result, EC::rtf_ec_OK);
    const std::string auto_ = std::to_string(clWindowText);
    EXPECT_EQ(e.log, "a:12,255,0,-1;b:12," + auto_ + ",0,-1;c:12," + auto_ + ",1,-1;d:12," + auto_ +
                         ",0,-1;e:12," + auto_ + ",0,1;");
    ASSERT_EQ(e.reader.ColorTable().Count(), 2);
    EXPECT_EQ(e.reader.ColorTable()[0], clWindowText);
    EXPECT_EQ(e.reader.ColorTable()[1], clRed);
    ASSERT_EQ(e.reader.FontTable().Count(), 1);
    EXPECT_EQ(e.reader.FontTable()[0].Number, 3);
    EXPECT_EQ(e.reader.FontTable()[0].Name, "Times");
    EXPECT_EQ(e.reader.FontTable()[0].Charset, 204);
    EXPECT_EQ(e.reader.FontTable()[0].Family, TRNRTFFontFamily::rtf_ff_Roman);
}

TEST(RNRTFReader, EndsMalformedInputWithItsCodeAfterWhatCameBefore) {
    std::string deep(TRNRTFReader::MaxDepth + 1, '{');
    struct Case {
        std::string rtf;
        EC code;
        const char* events;
    } cases[] = {
        {"{a}}", EC::rtf_ec_OK, "[P:a]"},
        {"}", EC::rtf_ec_StackUnderflow, ""},
        {deep, EC::rtf_ec_StackOverflow, ""},
        {"{a\\par b", EC::rtf_ec_UnmatchedBrace, "[P:a][P:b]"},
        {"{a\\'zz}", EC::rtf_ec_InvalidHex, ""},
        {"{\\red5}", EC::rtf_ec_BadTable, ""},
        {"{a\\picw5}", EC::rtf_ec_BadTable, ""},
        {"{a\\pa", EC::rtf_ec_EndOfFile, ""},
        {"{\\", EC::rtf_ec_EndOfFile, ""},
        {"{\\fs12345678901 a}", EC::rtf_ec_OK, "[P:a]"},
        {"{\\fonttbl Arial;}", EC::rtf_ec_Exception, ""},
        {"{\\pict{\\pict}}", EC::rtf_ec_InvalidPicture, ""},
        {"{\\pict 0g}", EC::rtf_ec_InvalidPicture, ""},
        {"{\\pict\\jpegblip 0102}", EC::rtf_ec_InvalidPicture, ""},
        {"{\\pict\\wmetafile8 0102}", EC::rtf_ec_InvalidPicture, ""},
    };
    for (const Case& c : cases) {
        EventLog e;
        e.Read(c.rtf);
        EXPECT_EQ(e.result, c.code) << c.rtf;
        EXPECT_EQ(e.log, c.events) << c.rtf;
    }
    EventLog aborted;
    aborted.reader.OnNewText = [](TRNRTFReader&, const std::string&, TRNRTFPosition) {
        throw std::runtime_error("listener refuses");
    };
    EXPECT_EQ(aborted.Read("{a}").result, EC::rtf_ec_Aborted);
    EXPECT_EQ(aborted.reader.ReadFromFile("/nonexistent/x.rtf"), EC::rtf_ec_FileOpenError);
}

TEST(RNRTFReader, ReusedReaderStartsClean) {
    EventLog e;
    e.Read("{\\fonttbl{\\f0 A;}{\\colortbl;\\red1;");
    EXPECT_EQ(e.result, EC::rtf_ec_UnmatchedBrace);
    e.log.clear();
    e.Read("{\\bin");
    e.log.clear();
    EXPECT_EQ(e.Read("{x}").result, EC::rtf_ec_OK);
    EXPECT_EQ(e.log, "[P:x]");
    EXPECT_EQ(e.reader.FontTable().Count(), 0);
}

} // namespace
