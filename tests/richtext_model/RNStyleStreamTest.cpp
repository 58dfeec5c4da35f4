#include "richtext/model/RNStyleStream.h"
#include "richtext/model/RNError.h"
#include "richtext/model/RNStyle.h"

#include <gtest/gtest.h>

namespace {

// A short string as the stream writes names, strings and identifiers: length, then bytes.
std::string Str(std::string_view s) {
    return std::string(1, static_cast<char>(s.size())) + std::string(s);
}

std::string Prop(std::string_view name, char type, std::string_view value) {
    return Str(name) + type + std::string(value);
}

const char End = '\0';

// Two text styles as an older note holds them: identifiers and plain integers mixed, an
// order number before the second item, a property this program does not know and the
// obsolete "SingleSymbols".
const std::string TextFixture =
    std::string("\x0e\x01") + Prop("StyleName", '\x06', Str("Title")) +
    Prop("Size", '\x02', "\x0c") + Prop("Color", '\x07', Str("clRed")) +
    Prop("Charset", '\x07', Str("RUSSIAN_CHARSET")) +
    Prop("Style", '\x0b', Str("fsBold") + Str("fsItalic") + Str("")) +
    Prop("FutureThing", '\x0e', std::string("\x01") + Prop("X", '\x09', "") + End + End) +
    Prop("SingleSymbols", '\x09', "") + Prop("JumpCursor", '\x07', Str("crHandPoint")) + End +
    std::string("\x02\x05\x01", 3) + Prop("Charset", '\x03', std::string("\xcc\x00", 2)) +
    Prop("BackColor", '\x04', std::string("\xff\x00\x00\x00", 4)) +
    Prop("JumpCursor", '\x03', std::string("\x65\x00", 2)) + Prop("Unicode", '\x09', "") +
    Prop("Border.Width", '\x02', "\x07") + End + End;

} // namespace

TEST(RNStyleStream, DefaultParagraphStylesWriteOnlyWhatDiffers) {
    TWriter writer;
    RN_WriteParaStyles(writer, TRNStyle().ParaStyles());
    // Paragraph style 0 has nothing but defaults; "Centered" its name and alignment.
    EXPECT_EQ(writer.Bytes(), std::string("\x0e\x01\x00\x01", 4) +
                                  Prop("StyleName", '\x06', Str("Centered")) +
                                  Prop("Alignment", '\x07', Str("rnaCenter")) + End + End);
}

TEST(RNStyleStream, HandBuiltTextStylesDecode) {
    TFontInfos styles;
    TReader reader(TextFixture);
    RN_ReadTextStyles(reader, styles);
    EXPECT_TRUE(reader.AtEnd());
    ASSERT_EQ(styles.Count(), 2);
    const TFontInfo& title = styles[0];
    EXPECT_EQ(title.StyleName, "Title");
    EXPECT_EQ(title.Size, 12);
    EXPECT_EQ(title.Color, clRed);
    EXPECT_EQ(title.Charset, RUSSIAN_CHARSET);
    EXPECT_EQ(title.Style, TFontStyles({TFontStyle::fsBold, TFontStyle::fsItalic}));
    EXPECT_EQ(title.JumpCursor, -21);
    EXPECT_EQ(title.Protection, TRNProtectOptions({TRNProtectOption::rnprStyleProtect,
                                                   TRNProtectOption::rnprDoNotAutoSwitch}));
    const TFontInfo& second = styles[1];
    EXPECT_EQ(second.StyleName, "Font Style");
    EXPECT_EQ(second.Charset, RUSSIAN_CHARSET);
    EXPECT_EQ(second.BackColor, clRed);
    EXPECT_EQ(second.JumpCursor, 101);
    EXPECT_TRUE(second.Unicode);
    EXPECT_TRUE(second.Protection.Empty());

    // written back, the unknown and obsolete properties are gone and idents are preferred
    TWriter writer;
    RN_WriteTextStyles(writer, styles);
    EXPECT_EQ(writer.Bytes().find("SingleSymbols"), std::string::npos);
    EXPECT_EQ(writer.Bytes().find("FutureThing"), std::string::npos);
    EXPECT_NE(writer.Bytes().find(Prop("BackColor", '\x07', Str("clRed"))), std::string::npos);
    EXPECT_NE(
        writer.Bytes().find(Prop("Protection", '\x0b',
                                 Str("rnprStyleProtect") + Str("rnprDoNotAutoSwitch") + Str(""))),
        std::string::npos);
}

TEST(RNStyleStream, BadBytesRaiseAndLeaveTheStylesAlone) {
    std::vector<std::string> bad;
    for (size_t length = 0; length < TextFixture.size(); ++length) {
        bad.push_back(TextFixture.substr(0, length));
    }
    const std::string item = "\x0e\x01";
    bad.push_back(item + Prop("Size", '\x06', Str("big")) + End + End);
    bad.push_back(item + Prop("Charset", '\x02', "\x01") + Prop("Size", '\x13', "") + End + End);
    bad.push_back(item + Prop("Charset", '\x03', std::string("\x2c\x01", 2)) + End + End);
    bad.push_back(item + Prop("Charset", '\x07', Str("NO_CHARSET")) + End + End);
    bad.push_back(item + Prop("Style", '\x0b', Str("fsBlink") + Str("")) + End + End);
    bad.push_back(item + Prop("JumpCursor", '\x04', std::string("\x00\x00\x01\x00", 4)) + End +
                  End);
    bad.push_back("\x01" + Prop("Size", '\x02', "\x0c") + End);
    for (const std::string& bytes : bad) {
        TRNStyle sheet;
        TReader reader(bytes);
        try {
            RN_ReadTextStyles(reader, sheet.TextStyles());
            ADD_FAILURE() << "read " << testing::PrintToString(bytes);
        } catch (const ERichNoteError& e) {
            EXPECT_NE(e.Message().find(" at byte "), std::string::npos) << e.Message();
        }
        ASSERT_EQ(sheet.TextStyles().Count(), 6);
        EXPECT_EQ(sheet.TextStyles()[5].StyleName, "Jump 2");
    }
    TParaInfos paras;
    const std::string badAlignment = item + Prop("Alignment", '\x07', Str("rnaMiddle")) + End + End;
    TReader reader(badAlignment);
    EXPECT_THROW(RN_ReadParaStyles(reader, paras), ERichNoteError);
}
